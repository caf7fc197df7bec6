#pragma once

#include "settings/loginproxy.h"

#include <QString>

// The settings a search is run with and keeps in its information record: the
// stored settings and every search's record share this one set of fields, so
// opening a search gives them back as they were.
struct SearchSettings : LoginProxy
{
    QString subdirectory = QStringLiteral("mypic");
    int save_mode = 1;
    int extendedlevel = 0;
    int max_level = 2;
    int size = 0;
    int size1 = 300;
    int width = 0;
    int height = 0;
    int url_number = 30;
    int timeout = 300;
    int thread_num = 6;
    bool gif = true;
    bool jpg = true;
    bool urllink = true;
    bool selecttext = false;
    QString includestext;
    QString notincludestext;
    QString agent = defaultAgent();

    static QString defaultAgent();

    bool operator==(const SearchSettings &) const = default;
};
