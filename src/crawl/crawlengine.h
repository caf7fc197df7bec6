#pragma once

#include "crawl/crawlhost.h"
#include "store/searchdatabase.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <array>

class HttpCli;
class HttpPool;
class Settings;
class SearchHistory;
struct WorkingFolders;
struct urlinfo;

// The run counters, as the status bar and the search information record show them.
struct RunCounters
{
    int pagesPending = 0;
    int picturesPending = 0;
    int picturesSaved = 0;
    int picturesFailed = 0;
    int elapsedSeconds = 0;
};

// One search run at a time: the start commands and their checks, the queues
// in the search's database, the connection slots and their requests, link
// admission, picture saving, stop, continue, finish and the big-picture pass.
// Runs on the thread it lives on as an event loop; everything it shows or
// asks goes through its CrawlHost.
class CrawlEngine : public QObject
{
    Q_OBJECT
public:
    enum Mode { ModeAny = 0, ModeThumbnails = 1, ModeBig = 2 };
    static constexpr int MaxSlots = 8;

    CrawlEngine(Settings &settings, const WorkingFolders &folders, SearchHistory &history, CrawlHost &host,
                QObject *parent = nullptr);
    ~CrawlEngine() override;

    // The start commands. Each returns false when the start was refused (the
    // reason has been shown through the host).
    bool getAnyPicture(const QString &address);
    bool getThumbnails(const QString &address);
    bool getBigPictures(const QString &address);
    void stop();
    // Resumes the search selected in the history.
    bool continueRun();

    // The history: a search (or, with -1, a top-level node) becomes selected.
    void selectSearch(int index);
    // Deletes the selected search; byDrop says it was dropped on "Deleted".
    bool deleteSelectedSearch(bool byDrop);
    // Writes the open search's record when it has changed (before exit).
    void writeBackOpenSearch();

    bool isRunning() const { return m_running; }
    bool isStopping() const { return m_stopping; }
    int mode() const { return m_mode; }
    const RunCounters &counters() const { return m_counters; }
    QString searchName() const { return m_searchName; }
    QString startAddress() const { return m_startAddress; }
    QString pictureFolder() const { return m_pictureFolder; }
    SearchDatabase &database() { return m_db; }
    bool isModified() const { return m_modified; }
    void setModified(bool on) { m_modified = on; }
    void setKeywordSearch(bool on) { m_keywordSearch = on; }
    void setProgressOnStatusBar(bool on) { m_progressOnStatusBar = on; }
    void setSiteName(const QString &name) { m_siteName = name; }
    // Off: settings changed by a run or by opening a search stay in memory
    // (the command line's per-search options never reach the stored settings).
    void setPersistSettings(bool on) { m_persistSettings = on; }
    QString siteName() const { return m_siteName; }
    // Where the last run stopped because the disk is full, or similar.
    QString lastRunError() const { return m_lastRunError; }

    static QString productLabel() { return QStringLiteral("Snapdredge"); }
    static QString countersText(const RunCounters &c);
    static QString timesText(const RunCounters &c);
    static QString hhmmss(qint64 seconds);
    static QString speedText(qint64 bytesInSecond);
    static QString makeUniqueName(QString name, const QStringList &taken);
    static QString timeStampedName(const QString &name, const QDateTime &when);
    static QString shortDisplayName(const QString &name);

    QString caption() const;
    // Shows counters and times through the host.
    void showCounters();
    void showTimes();

Q_SIGNALS:
    void finished(bool stopped);

private:
    struct Slot
    {
        QPointer<HttpCli> client;
        bool startRequest = false;
        QString address;
        QString referrer;
        int addressClass = 2;
        int level = 0;
        QString linkTargetText;
        int contentKind = 0;
        qint64 contentLength = 0;
        qint64 received = 0;
        QByteArray pageText;
        bool pageTruncated = false;
        // The request's result has been counted (saved, failed or page done).
        bool outcomeCounted = false;
        // Its running row went with the picture row: nothing left to remove.
        bool runningFinished = false;
        int countdown = 0;
        int bytesThisSecond = 0;
        QStringList found;
    };

    bool startCommand(int mode, const QString &address);
    bool runChecks(QString &address);
    void freshStart();
    bool createSearch();
    void renameSearchFromTitle(const QString &title);
    void startRequest(const QString &recordText, int slot, int level, bool startRequest = false);
    void dispatch(int slot, int addressClass);
    bool takeOne(bool page);
    void handOutContinue();
    void finishSequence();
    void endOfCompleteRun();
    void continueRunSelected();
    void bigPicturePass();

    void onHeaderBegin(int slot);
    void onHeaderEnd(int slot);
    void onData(int slot, const QByteArray &chunk);
    void onDocumentEnd(int slot);
    void onRequestDone(int slot);
    void handleFinishedPage(int slot);
    void queueFoundLinks(int slot, int level);
    void savePicture(int slot);
    void pictureFailed();
    void requestFailed(int addressClassOfRequest);
    void speedTick();
    void timeoutWalk();

    bool isVisitedPage(const QString &address);
    bool isRunning(const QString &address) const;
    bool isQueued(const QString &address);
    bool isSavedPicture(const QString &address);

    void setSlotGauge(int slot, GaugeColor color, bool visible, const QString &hint);
    void setStatus(int icon, const QString &text);
    void setRunningCommands(bool continued);
    void yieldToEventLoop();
    QString searchPath(const QString &name) const;
    void writeSearchInformationRecord();
    void openSearch();
    void refreshSearchDisplay();
    void setAsideThumbnailLimits();
    void restoreThumbnailLimits();
    void releaseClient(int slot);
    void stopForWriteError(const QString &message);

    Settings &m_settings;
    const WorkingFolders &m_folders;
    SearchHistory &m_history;
    CrawlHost &m_host;
    SearchDatabase m_db;

    // Run state.
    int m_mode = ModeAny;
    bool m_running = false;
    bool m_stopping = false;
    bool m_continueRun = false;
    bool m_namingPending = false;
    bool m_wholePageScan = true;
    bool m_thumbnailLink = false;
    bool m_keywordSearch = false;
    bool m_modified = false;
    bool m_progressOnStatusBar = true;
    bool m_persistSettings = true;
    RunCounters m_counters;
    QString m_startAddress;
    QString m_siteRoot;
    QString m_pictureFolder;
    QString m_searchName;
    QString m_pendingName;
    QString m_siteName = QStringLiteral("default.sit");
    QString m_lastRunError;
    int m_pictureRows = 0; // picture rows of the open search
    int m_runNode = -1;

    // Set aside by a thumbnails run.
    bool m_limitsSetAside = false;
    int m_savedSize = 0;
    int m_savedWidth = 0;
    int m_savedHeight = 0;

    // Dispatcher.
    int m_slotCount = 2;
    std::array<Slot, MaxSlots + 1> m_slots; // index 0 unused: slots count from 1
    QList<int> m_active;
    QList<int> m_free; // top of the stack is the last entry
    int m_pagesInFlight = 0;
    int m_picturesInFlight = 0;
    QList<HttpCli *> m_clients;
    qint64 m_bytesThisSecond = 0;
    QTimer m_speedTimer;
    HttpPool *m_pool = nullptr;
};
