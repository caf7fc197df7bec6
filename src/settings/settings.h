#pragma once

#include "settings/searchsettings.h"

#include <QString>
#include <QStringList>

class SettingsStore;

// Every value that steers a search or the look of the program from one start
// to the next. Field names are the names the values are stored under.
class Settings : public SearchSettings
{
public:
    // Search settings beside those a search keeps in its record.
    QString root_directory;
    // Packed into `more` with the login and proxy fields of LoginProxy.
    int reservedNumber = 0;
    bool reservedFlag = false;
    bool ispicfirst = true;
    bool ismultithreaddb = true;

    // Window and history settings.
    int urlhisnum = 10;
    int searchhisnum = 18;
    int sitehisnum = 6;
    bool clearallafterexit = false;
    bool isdeletethumb = true;
    bool isdeletepic = true;
    bool isshowoption = false;
    int ttop = 0, tleft = 0, theight = 0, twidth = 0;
    int ltop = 0, lleft = 0, lheight = 0, lwidth = 0;
    int ptop = 0, pleft = 0, pheight = 0, pwidth = 0;
    bool bwindow = true;
    int tw = 100;
    int th = 100;
    bool a1 = true;
    bool a2 = true;
    int a3 = 30;
    // The query address of the picture search service; the keywords follow it.
    QString searchservice = defaultSearchService();

    // Held here but never stored.
    bool png = true;
    bool autoDetect = false;
    QString urlIncludeText;
    QString substringsText;
    bool substringsFlag = false;
    QStringList substrListbox; // the substrings, one per entry
    int optionsPage = 1;
    QStringList includelist;
    QStringList excludelist;

    // The folder every search's picture folder is made in (no trailing "/").
    QString picturesRoot;

    static QString defaultMoreText() { return QStringLiteral("0|||0|||||0|0|"); }
    // No real service suits everyone, so the default names none.
    static QString defaultSearchService() { return QStringLiteral("https://search.example.org/images?q="); }

    // `workingFolder` is where the pictures root is derived from.
    void loadSearchSettings(SettingsStore &store, const QString &workingFolder);
    void loadWindowSettings(SettingsStore &store);
    void saveSearchSettings(SettingsStore &store) const;
    void saveWindowSettings(SettingsStore &store) const;
    // The Options dialog's writers: without ispicfirst/ismultithreaddb, and
    // without the geometry values and bwindow.
    void saveSearchSettingsFromOptions(SettingsStore &store) const;
    void saveWindowSettingsFromOptions(SettingsStore &store) const;

    // The login and proxy fields as one "|"-terminated text, and back.
    QString moreText() const;
    void setMoreText(const QString &text);

    static QString picturesRootFor(const QString &workingFolder);
    // Rebuilds includelist/excludelist from includestext/notincludestext.
    void rebuildKeywordLists();
    // The rebuild a run's start and continuation make: only while selecttext
    // is on; otherwise the lists keep what they held and are not consulted.
    void buildKeywordLists();

    // The substrings from their lines: the text is each line after one blank.
    void setSubstrings(const QStringList &lines);
    void clearSubstrings() { setSubstrings({}); }

private:
    void writeSearchValues(SettingsStore &store, bool withPriority) const;
    void writeWindowValues(SettingsStore &store, bool withGeometry) const;
};
