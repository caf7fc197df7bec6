#pragma once

#include "store/runcounters.h"
#include "store/searchdatabase.h"
#include "store/searchlock.h"

#include <QObject>
#include <QString>

class SearchDisplay;
class SearchHistory;
class Settings;
struct SearchInformation;
struct WorkingFolders;

// What a search is, beside its settings: the part of its information record
// that the run changes.
struct OpenSearchState
{
    QString name;
    QString startAddress;
    int mode = 0; // 0 any picture, 1 thumbnails, 2 big pictures
    bool thumbnailLink = false;
    bool wholePageScan = true;
    RunCounters counters;
    int pictureRows = 0; // picture rows of the open search
};

// The open search: its database, its record and its place in the history.
// The history window, the views and the dialogs open, change and delete it
// here; a crawl run borrows it and keeps its state up to date.
class CurrentSearch : public QObject
{
    Q_OBJECT
public:
    CurrentSearch(Settings &settings, const WorkingFolders &folders, SearchHistory &history,
                  SearchDisplay &display, QObject *parent = nullptr);
    ~CurrentSearch() override;

    static QString productLabel() { return QStringLiteral("Snapdredge"); }

    Settings &settings() { return m_settings; }
    const WorkingFolders &folders() const { return m_folders; }
    SearchHistory &history() { return m_history; }
    SearchDatabase &database() { return m_db; }
    OpenSearchState &state() { return m_state; }
    const OpenSearchState &state() const { return m_state; }
    QString path(const QString &name) const;

    // A run is under way: the selection opens nothing and deletion is refused.
    bool isRunning() const { return m_running; }
    void setRunning(bool on) { m_running = on; }
    // The open search has changes its record does not have yet.
    bool isModified() const { return m_modified; }
    void setModified(bool on) { m_modified = on; }
    // Off: opening a search changes the settings in memory only (the command
    // line's per-search options never reach the stored settings).
    void setPersistSettings(bool on) { m_persistSettings = on; }
    bool persistSettings() const { return m_persistSettings; }
    void setSiteName(const QString &name) { m_siteName = name; }
    QString siteName() const { return m_siteName; }

    // "Snapdredge-<site>" without a search; "<name>--Snapdredge-<site>" with
    // one, "NoneTitle" standing for an empty name.
    QString caption(bool withSearch = true) const;
    QString captionFor(const QString &searchName) const;
    void showCaption(bool withSearch = true);
    void showCounters();
    void showTimes();

    // The history's selection changed: writes back the search that was open
    // and opens the selected one.
    void select(int index);
    // Deletes the selected search; byDrop says it was dropped on "Deleted".
    bool deleteSelected(bool byDrop);
    // Writes the open search's record when it has changed, and closes it.
    void writeBack();
    // The record of the open search from its state and the settings. Without
    // `wait` a file another process holds is not waited for: the write is
    // skipped and tried again later.
    bool writeRecord(bool wait = true);

    // Makes a new search named "None" (or "None(2)" …) at the end of the
    // history, with its database and record, and holds it for the run. The
    // oldest search goes first when the history is full.
    bool create(int mode, QString *error);
    // Gives the running search its name from the page title: the database and
    // its lock move to the new name; nothing is deleted.
    bool rename(const QString &title, QString *error);
    // Holds the open search for a run (Continue, big pictures).
    bool holdForRun(QString *error);
    void releaseRun() { m_lock.release(); }
    // The history node of the open search, or -1.
    int node() const;

    // Names a new search cannot take: the history's and those of the files
    // in the search folder (searches dropped from the history, or added by
    // another process, keep their files).
    QStringList takenNames() const;
    // A search the history shows as running that no process runs was cut
    // short (the program died): it shows as stopped.
    void settleInterruptedRuns();
    // The display shows no search: nothing stale stays on show.
    void showNothing();

Q_SIGNALS:
    // Another search was opened (or none is): the views must follow.
    void opened();

private:
    void openSelected(int index);
    void restoreRecord(const SearchInformation &info);
    void refreshDisplay();
    void setSelectionCommands(bool deleteOn);

    Settings &m_settings;
    const WorkingFolders &m_folders;
    SearchHistory &m_history;
    SearchDisplay &m_display;
    SearchDatabase m_db;
    SearchLock m_lock;
    OpenSearchState m_state;
    QString m_siteName = QStringLiteral("default.sit");
    bool m_running = false;
    bool m_modified = false;
    bool m_persistSettings = true;
};
