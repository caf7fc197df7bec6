#pragma once

#include "settings/loginproxy.h"

#include <QString>
#include <QStringList>

class Settings;

// The record a search keeps of its settings and counters (the `infos` value):
// one line per field, each ended by a line feed.
struct SearchInformation : LoginProxy
{
    QString startAddress;
    QString subdirectory;
    QStringList substrings;
    QString urlIncludeText;
    int wholePageScan = 1;
    int pagesPending = 0;
    int picturesPending = 0;
    int picturesSaved = 0;
    int picturesFailed = 0;
    int elapsedSeconds = 0;
    int searchMode = 0;
    bool thumbnailLink = false;
    QString name;
    QString rootDirectory;
    int save_mode = 1;
    int extendedlevel = 0;
    int max_level = 2;
    int size = 0;
    int width = 0;
    int height = 0;
    int url_number = 30;
    int timeout = 300;
    bool gif = true;
    bool jpg = true;
    bool urllink = true;
    bool selecttext = false;
    QString includestext;
    QString notincludestext;
    // Kept after the lines above, so that a search keeps the limits it was
    // started with; records written without them leave the current settings.
    int size1 = 0;      // 0: not recorded
    int thread_num = 0; // 0: not recorded
    QString agent;      // empty: not recorded

    QString toText() const;
    // Reads both the current layout and the older one without "-" prefixes.
    // `extendedlevel` keeps the value given when the record predates it.
    static SearchInformation fromText(const QString &text, int currentExtendedLevel = 0);

    // The search-related settings, to and from a settings record.
    void takeSettings(const Settings &s);
    void giveSettings(Settings &s) const;

    bool operator==(const SearchInformation &) const = default;
};
