#pragma once

#include "settings/searchsettings.h"

#include <QString>
#include <QStringList>

class Settings;

// The record a search keeps of its settings and counters (the `infos` value):
// one line per field, each ended by a line feed.
struct SearchInformation : SearchSettings
{
    QString startAddress;
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
    // False when the text ended before its connection line: an empty or
    // damaged record, which must not be given to the settings.
    bool readable = true;
    // size1, thread_num and agent come after the older lines, so that a
    // search keeps the limits it was started with; a record written without
    // them reads 0, 0 and "" there and leaves the current settings alone.

    QString toText() const;
    // Reads both the current layout and the older one without "-" prefixes.
    // `extendedlevel` keeps the value given when the record predates it.
    static SearchInformation fromText(const QString &text, int currentExtendedLevel = 0);

    // The search-related settings, to and from a settings record.
    void takeSettings(const Settings &s);
    void giveSettings(Settings &s) const;

    bool operator==(const SearchInformation &) const = default;
};
