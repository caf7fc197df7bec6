#pragma once

#include "crawl/crawlhost.h"
#include "crawl/dispatcher.h"
#include "crawl/linkadmission.h"
#include "store/runcounters.h"

#include <QObject>
#include <QTimer>
#include <memory>

class AddressHistory;
class CurrentSearch;
class HttpCli;
class HttpPool;
class PictureSaver;
class SearchDatabase;
class SearchHistory;
class Settings;
struct OpenSearchState;

// One search run at a time on the open search: the start commands and their
// checks, the requests of the connection slots and their events, what is
// done with a finished page or picture, stop, continue and the finish.
// Runs on the thread it lives on as an event loop; everything it shows or
// asks goes through its CrawlHost.
class CrawlEngine : public QObject, private AdmissionLookups
{
    Q_OBJECT
public:
    enum Mode { ModeAny = 0, ModeThumbnails = 1, ModeBig = 2 };
    static constexpr int MaxSlots = Dispatcher::MaxSlots;
    // The most links one page may queue; a page with more gives its first ones.
    static constexpr int FoundLinkLimit = 10000;

    CrawlEngine(CurrentSearch &search, CrawlHost &host, QObject *parent = nullptr);
    ~CrawlEngine() override;

    // The start commands. Each returns false when the start was refused or
    // failed (the reason has been shown through the host; a failure, as
    // opposed to a refusal, also leaves lastRunError()).
    bool getAnyPicture(const QString &address);
    bool getThumbnails(const QString &address);
    bool getBigPictures(const QString &address);
    void stop();
    // Resumes the search selected in the history.
    bool continueRun();

    bool isRunning() const { return m_running; }
    CurrentSearch &search() { return m_search; }
    int mode() const;
    const RunCounters &counters() const;
    QString searchName() const;
    QString startAddress() const;
    QString pictureFolder() const { return m_pictureFolder; }
    SearchDatabase &database();
    // Where the start commands remember their addresses; none keeps nothing.
    void setAddressHistory(AddressHistory *history) { m_addressHistory = history; }
    void setKeywordSearch(bool on) { m_keywordSearch = on; }
    bool keywordSearch() const { return m_keywordSearch; }
    // Off hides every gauge at once.
    void setProgressOnStatusBar(bool on);
    // Why the last run ended early or did not start (disk full, a database
    // that cannot be made, an unreachable start page), or empty.
    QString lastRunError() const { return m_lastRunError; }

    void showCounters();
    void showTimes();

Q_SIGNALS:
    void finished(bool stopped);

private:
    using Slot = Dispatcher::Slot;

    // The limits of this run: a thumbnails run takes small pictures of any
    // declared size, whatever the user's limits are.
    struct RunLimits
    {
        qint64 minBytes = 0;
        qint64 maxBytes = 0;
        int minWidth = 0;
        int minHeight = 0;
    };

    bool startCommand(int mode, const QString &address);
    bool checkStart(int mode, QString &address);
    void rememberAddress(const QString &address);
    bool makePictureFolder(const QString &subdirectory);
    bool freshStart();
    void beginRun(bool continued);
    void renameSearchFromTitle(const QString &title);
    void startRequest(const Dispatcher::Work &work, bool isStart = false);
    void dispatch(int slot, bool page);
    void handOut(bool pageFirst);
    void finishSequence();
    void endOfCompleteRun();
    void continueRunSelected();

    void onHeaderBegin(int slot);
    void onHeaderEnd(int slot);
    void onData(int slot, const QByteArray &chunk);
    void onDocumentEnd(int slot);
    void onRequestDone(int slot);
    void handleFinishedPage(int slot);
    void queueFoundLinks(int slot, int level);
    void savePicture(int slot);
    void pageDone(const QString &address);
    void pictureFailed();
    void requestFailed(int addressClassOfRequest);
    void speedTick();
    void timeoutWalk();

    // AdmissionLookups
    bool isSavedPicture(const QString &address) override;
    bool isVisitedPage(const QString &address) override;
    bool isRunning(const QString &address) override;
    bool isQueued(const QString &address) override;

    void setSlotGauge(int slot, GaugeColor color, bool visible, const QString &hint);
    void setStatus(int icon, const QString &text);
    void setRunningCommands(bool continued);
    void yieldToEventLoop();
    void releaseClient(int slot);
    void stopForWriteError(const QString &message);
    void failStart(const QString &message);
    OpenSearchState &state();
    Settings &settings();

    CurrentSearch &m_search;
    CrawlHost &m_host;
    AddressHistory *m_addressHistory = nullptr;

    // Run state.
    bool m_running = false;
    bool m_stopping = false;
    bool m_continueRun = false;
    bool m_namingPending = false;
    bool m_keywordSearch = false;
    bool m_progressOnStatusBar = true;
    QString m_siteRoot;
    QString m_pictureFolder;
    QString m_pendingName;
    QString m_lastRunError;
    RunLimits m_limits;
    AdmissionRules m_rules;
    std::unique_ptr<PictureSaver> m_saver;

    Dispatcher m_dispatcher;
    qint64 m_bytesThisSecond = 0;
    QTimer m_speedTimer;
    HttpPool *m_pool = nullptr;
};
