#include "crawl/crawlengine.h"

#include "crawl/bigpicturepass.h"
#include "crawl/crawltexts.h"
#include "crawl/picturesaver.h"
#include "crawl/startchecks.h"
#include "crawl/urlinfo.h"
#include "html/addressrules.h"
#include "html/pagescanner.h"
#include "platform/httpcli.h"
#include "platform/httppool.h"
#include "platform/settingsstore.h"
#include "settings/settings.h"
#include "settings/textrules.h"
#include "sites/addresshistory.h"
#include "store/currentsearch.h"
#include "store/searchhistory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

// A page body beyond this is not kept: its first part is scanned.
constexpr qint64 PageBodyLimit = 16 * 1024 * 1024;

const QString SubstringQuestion =
    QStringLiteral("The substring may be not belong to current URL, do you want to clear it ?");

QString slotText(const char *before, int slot, const char *after)
{
    return QString::fromLatin1(before) + QString::number(slot) + QString::fromLatin1(after);
}

int floored(int value)
{
    return value < 0 ? 0 : value;
}

bool isHtmlType(const QByteArray &type)
{
    return type == "text/html" || type == "application/xhtml+xml";
}

} // namespace

CrawlEngine::CrawlEngine(CurrentSearch &search, CrawlHost &host, QObject *parent)
    : QObject(parent), m_search(search), m_host(host)
{
    m_speedTimer.setInterval(1000);
    connect(&m_speedTimer, &QTimer::timeout, this, &CrawlEngine::speedTick);
}

CrawlEngine::~CrawlEngine()
{
    for (int slot = 1; slot <= MaxSlots; ++slot)
        delete m_dispatcher.slot(slot).client.data();
}

OpenSearchState &CrawlEngine::state()
{
    return m_search.state();
}

Settings &CrawlEngine::settings()
{
    return m_search.settings();
}

SearchDatabase &CrawlEngine::database()
{
    return m_search.database();
}

int CrawlEngine::mode() const
{
    return m_search.state().mode;
}

const RunCounters &CrawlEngine::counters() const
{
    return m_search.state().counters;
}

QString CrawlEngine::searchName() const
{
    return m_search.state().name;
}

QString CrawlEngine::startAddress() const
{
    return m_search.state().startAddress;
}

void CrawlEngine::showCounters()
{
    m_search.showCounters();
}

void CrawlEngine::showTimes()
{
    m_search.showTimes();
}

void CrawlEngine::setStatus(int icon, const QString &text)
{
    m_host.setStatus(icon, text);
}

void CrawlEngine::setSlotGauge(int slot, GaugeColor color, bool visible, const QString &hint)
{
    m_host.setSlotGauge(slot, color, visible, hint);
}

void CrawlEngine::setProgressOnStatusBar(bool on)
{
    m_progressOnStatusBar = on;
    // Gauges shown before stay on screen otherwise, frozen, until their requests end.
    if (!on) {
        for (int slot = 1; slot <= MaxSlots; ++slot)
            setSlotGauge(slot, GaugeColor::Green, false, QString());
    }
}

void CrawlEngine::yieldToEventLoop()
{
    QCoreApplication::processEvents();
}

void CrawlEngine::failStart(const QString &message)
{
    m_lastRunError = message;
    m_host.showError(message);
}

// ---------------------------------------------------------------------------
// Start commands and checks

bool CrawlEngine::getAnyPicture(const QString &address)
{
    return !m_running && startCommand(ModeAny, address);
}

bool CrawlEngine::getThumbnails(const QString &address)
{
    return !m_running && startCommand(ModeThumbnails, address);
}

bool CrawlEngine::getBigPictures(const QString &address)
{
    if (m_running)
        return false;
    SearchDatabase &db = database();
    const SearchHistory &history = m_search.history();
    bool ticked = false;
    if (db.isOpen() && history.selected() >= 0 && history.selected() == m_search.node())
        ticked = db.TinyTableV1.findFirst(QStringLiteral("Checked"), 1);
    if (!ticked) {
        m_host.showWarning(StartText::MustSelectThumbnails);
        return false;
    }
    if (m_keywordSearch && settings().extendedlevel == 0)
        settings().extendedlevel = 1;
    return startCommand(ModeBig, address);
}

bool CrawlEngine::startCommand(int mode, const QString &typed)
{
    m_lastRunError.clear();
    // The open search's record is written back while it still holds that
    // search's own address and mode.
    if (mode != ModeBig && m_search.isModified() && m_search.node() >= 0) {
        m_search.writeRecord();
        m_search.setModified(false);
    }
    // Get any picture keeps the typed text even when the start is refused;
    // every accepted start then keeps the address it normalised.
    if (mode == ModeAny)
        rememberAddress(typed);
    QString address = typed;
    if (!checkStart(mode, address))
        return false;
    rememberAddress(address);
    // Accepted: from here on the start changes the program's state.
    if (mode != ModeBig)
        m_keywordSearch = false;
    state().mode = mode;
    state().thumbnailLink = mode == ModeThumbnails;
    state().startAddress = address;
    m_host.setAddressText(address);
    m_host.setCheckBoxMode(mode == ModeThumbnails);
    return freshStart();
}

void CrawlEngine::rememberAddress(const QString &address)
{
    if (m_addressHistory)
        m_addressHistory->remember(address, settings().urlhisnum);
}

bool CrawlEngine::checkStart(int mode, QString &address)
{
    Settings &s = settings();
    s.buildKeywordLists();
    address = address.trimmed();
    const QString problem = subdirectoryProblem(s.subdirectory);
    if (!problem.isEmpty()) {
        m_host.showWarning(problem);
        return false;
    }
    if (address.isEmpty()) {
        m_host.showWarning(StartText::MustInputUrl);
        return false;
    }
    address = normaliseStartAddress(address);
    if (!makePictureFolder(s.subdirectory))
        return false;
    // Substrings mark links of the start page: they need a second level.
    if (mode != ModeBig && !s.substringsText.isEmpty() && s.max_level == 1) {
        s.max_level = 2;
        if (m_search.persistSettings()) {
            SettingsStore store;
            s.saveSearchSettings(store);
        }
    }
    return true;
}

bool CrawlEngine::makePictureFolder(const QString &subdirectory)
{
    QString root = settings().picturesRoot;
    if (!root.endsWith(u'/'))
        root += u'/';
    for (const QString &folder : {root, root + subdirectory}) {
        if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
            m_host.showError(QStringLiteral("Cannot create ") + folder);
            return false;
        }
    }
    m_pictureFolder = root + subdirectory + u'/';
    return true;
}

bool CrawlEngine::freshStart()
{
    m_continueRun = false;
    m_pendingName.clear();
    const Settings &s = settings();
    state().wholePageScan = state().mode == ModeBig || s.substringsText.isEmpty();
    state().counters = RunCounters();
    m_siteRoot = siteRoot(state().startAddress);

    if (state().mode == ModeBig) {
        QString error;
        if (!m_search.holdForRun(&error)) {
            m_host.showWarning(error);
            return false;
        }
        m_host.clearPictureViewer();
        m_search.history().setIcon(m_search.node(), stateIcon(ModeBig, StateRunning));
        state().counters.picturesPending =
            queueBigPictures(database(), s.extendedlevel != 0, s.isdeletethumb);
        state().pictureRows = 0;
        m_host.clearViews();
        m_host.clearPictureViewer();
        continueRunSelected();
        return true;
    }

    m_host.clearViews();
    QString error;
    if (!m_search.create(state().mode, &error)) {
        failStart(error);
        return false;
    }
    m_host.clearPictureViewer();
    m_search.showCaption();
    m_dispatcher.reset(s.thread_num, true);
    beginRun(false);
    setStatus(IconConnecting, QStringLiteral("Thread1 connecting... "));
    m_namingPending = true;

    urlinfo start;
    start.address = state().startAddress;
    start.addressClass = addressClass(start.address);
    Dispatcher::Work work;
    work.slot = 1;
    work.page = true;
    work.text = start.toText();
    work.address = start.address;
    work.level = 1;
    m_dispatcher.slot(1).countdown = s.timeout;
    database().TinyTableR.append({work.address, work.text, 1, 1, QString()});
    startRequest(work, true);
    if (m_progressOnStatusBar)
        setSlotGauge(1, GaugeColor::Grey, true, work.address);
    m_speedTimer.start();
    return true;
}

// What a fresh start and a continued run share once their work is ready.
void CrawlEngine::beginRun(bool continued)
{
    const Settings &s = settings();
    if (state().mode == ModeThumbnails)
        m_limits = {0, qint64(10) * 1024, 0, 0};
    else
        m_limits = {qint64(s.size) * 1024, qint64(s.size1) * 1024, s.width, s.height};
    m_rules = AdmissionRules::from(s, m_siteRoot);
    m_saver = std::make_unique<PictureSaver>(database(), m_pictureFolder);
    m_bytesThisSecond = 0;
    showCounters();
    m_stopping = false;
    m_running = true;
    m_search.setRunning(true);
    setRunningCommands(continued);
    m_host.setCommandGroup(CommandGroup::DisplayAllInformation, false);
}

void CrawlEngine::setRunningCommands(bool continued)
{
    m_host.setCommandGroup(CommandGroup::Run, false);
    m_host.setCommandGroup(CommandGroup::Stop, true);
    m_host.setCommandGroup(CommandGroup::Continue, false);
    m_host.setCommandGroup(CommandGroup::Options, false);
    m_host.setCommandGroup(CommandGroup::CompanionSearch, false);
    m_host.setCommandGroup(CommandGroup::SiteCommands, false);
    if (!continued)
        m_host.setCommandGroup(CommandGroup::AddFavourite, false);
}

void CrawlEngine::renameSearchFromTitle(const QString &title)
{
    m_namingPending = false;
    QString error;
    if (!m_search.rename(title, &error))
        m_host.showError(error);
    m_search.showCaption();
    m_host.setCommandGroup(CommandGroup::AddFavourite, true);
}

// ---------------------------------------------------------------------------
// Requests

void CrawlEngine::startRequest(const Dispatcher::Work &work, bool isStart)
{
    const int slot = work.slot;
    Slot &s = m_dispatcher.slot(slot);
    // Plain http runs on kept-alive connections in this thread: one idle
    // connection per slot is all the next requests need.
    if (!m_pool)
        m_pool = new HttpPool(MaxSlots, this);
    auto *client = new HttpCli(m_pool, this);
    client->Tag = slot;
    s.client = client;
    s.startRequest = isStart;
    s.fromPageQueue = work.page;
    s.body.clear();
    s.received = 0;
    s.contentLength = 0;
    s.contentKind = ClassJpeg;
    s.outcomeCounted = false;
    s.runningFinished = false;
    s.pageTruncated = false;
    s.found.clear();

    const urlinfo record = urlinfo::fromText(work.text);
    if (record.addressClass == ClassPage || !record.hasLinkTarget) {
        s.linkTargetText.clear();
    } else {
        urlinfo link;
        link.referrer = record.referrer;
        link.address = record.linkAddress;
        link.width = record.linkWidth;
        link.height = record.linkHeight;
        link.reserved = record.linkReserved;
        link.addressClass = record.linkClass;
        s.linkTargetText = link.toText();
    }
    s.address = record.address;
    s.referrer = isStart ? QString() : record.referrer;
    s.addressClass = addressClass(record.address);
    s.level = work.level;

    const Settings &set = settings();
    HttpCli::Request request;
    request.url = record.address;
    request.agent = set.agent;
    // A start address typed with "user:password@" must not hand them to every site it links to.
    request.referrer = withoutUserInfo(s.referrer);
    request.login = set.login;
    request.loginHost = QUrl(state().startAddress, QUrl::TolerantMode).host();
    request.user = set.loginUser;
    request.password = set.loginPassword;
    request.proxy = set.proxy;
    request.proxyHost = set.proxyAddress;
    request.proxyPort = quint16(set.proxyPort.toUInt());
    request.proxyUser = set.proxyUser;
    request.proxyPassword = set.proxyPassword;

    const auto mine = [this, slot, client]() { return m_dispatcher.slot(slot).client == client; };
    connect(client, &HttpCli::headerBegin, this, [this, slot, mine]() {
        if (mine())
            onHeaderBegin(slot);
    });
    connect(client, &HttpCli::headerEnd, this, [this, slot, mine]() {
        if (mine())
            onHeaderEnd(slot);
    });
    connect(client, &HttpCli::documentData, this, [this, slot, mine](const QByteArray &chunk) {
        if (mine())
            onData(slot, chunk);
    });
    if (!isStart) {
        connect(client, &HttpCli::documentEnd, this, [this, slot, mine]() {
            if (mine())
                onDocumentEnd(slot);
        });
    }
    connect(client, &HttpCli::requestDone, this, [this, slot, mine]() {
        if (mine())
            onRequestDone(slot);
    });
    client->getAsync(request);
}

void CrawlEngine::onHeaderBegin(int slot)
{
    if (m_stopping)
        return;
    if (m_progressOnStatusBar)
        setSlotGauge(slot, GaugeColor::Grey, true, m_dispatcher.slot(slot).address);
    setStatus(IconConnecting, slotText("Thread", slot, " connecting.. "));
}

void CrawlEngine::onHeaderEnd(int slot)
{
    if (m_stopping)
        return;
    Slot &s = m_dispatcher.slot(slot);
    HttpCli *client = s.client;
    if (!client)
        return;
    const QByteArray type = client->mediaType();
    const bool pictureAddress = isPictureClass(s.addressClass);
    if (type == "image/jpeg")
        s.contentKind = ClassJpeg;
    else if (type == "image/gif")
        s.contentKind = ClassGif;
    else if (type == "image/png")
        s.contentKind = ClassPng;
    else if (pictureAddress && !isHtmlType(type))
        s.contentKind = s.addressClass; // no type, or a vague one: the bytes decide
    else
        s.contentKind = ClassPage;
    s.contentLength = qMax<qint64>(0, client->contentLength());

    if (!pictureAddress && s.contentKind == ClassPage && !type.isEmpty() && !isHtmlType(type)) {
        // A video, an archive, a document: neither a page to scan nor a
        // picture, so none of its bytes are wanted.
        if (s.startRequest)
            m_lastRunError =
                QStringLiteral("The start address is not a web page: it sends ") + QString::fromLatin1(type);
        else
            pageDone(s.address);
        s.outcomeCounted = true;
        showCounters();
        client->abort();
        return;
    }
    if (pictureAddress) {
        const bool refused = s.contentLength < m_limits.minBytes || s.contentLength > m_limits.maxBytes;
        if (refused) {
            pictureFailed();
            s.outcomeCounted = true;
            showCounters();
            client->abort();
            return;
        }
    }
    setStatus(IconDownloading, slotText("Thread", slot, " downloading.. "));
}

void CrawlEngine::pictureFailed()
{
    RunCounters &c = state().counters;
    c.picturesPending = floored(c.picturesPending - 1);
    ++c.picturesFailed;
}

void CrawlEngine::requestFailed(int addressClassOfRequest)
{
    // A page that fails only leaves the pages pending; a picture counts as failed.
    if (isPictureClass(addressClassOfRequest))
        pictureFailed();
    else
        state().counters.pagesPending = floored(state().counters.pagesPending - 1);
}

void CrawlEngine::pageDone(const QString &address)
{
    database().TinyTable9.append({address});
    state().counters.pagesPending = floored(state().counters.pagesPending - 1);
}

void CrawlEngine::onData(int slot, const QByteArray &chunk)
{
    if (m_stopping)
        return;
    Slot &s = m_dispatcher.slot(slot);
    s.countdown = settings().timeout;
    s.received += chunk.size();
    m_bytesThisSecond += chunk.size();
    const int progress =
        s.contentLength == 0 ? 90 : int(qMin<qint64>(100, s.received * 100 / s.contentLength));

    if (s.contentKind == ClassPage) {
        if (s.body.size() + chunk.size() > PageBodyLimit) {
            // Keep the first part of a page that will not end; scan what we have.
            s.body.append(chunk.left(PageBodyLimit - s.body.size()));
            s.pageTruncated = true;
            if (!s.startRequest)
                onDocumentEnd(slot);
            if (s.client)
                s.client->abort();
            return;
        }
    } else if (s.received > m_limits.maxBytes) {
        requestFailed(s.addressClass);
        s.outcomeCounted = true;
        showCounters();
        if (s.client)
            s.client->abort();
        return;
    }
    s.body.append(chunk);
    if (m_progressOnStatusBar)
        m_host.setSlotProgress(slot, GaugeColor::Blue, progress);
}

void CrawlEngine::onDocumentEnd(int slot)
{
    if (m_stopping)
        return;
    Slot &s = m_dispatcher.slot(slot);
    if (s.outcomeCounted)
        return;
    s.outcomeCounted = true;
    if (s.contentKind != ClassPage)
        savePicture(slot);
    else if (isPictureClass(s.addressClass))
        pictureFailed(); // an error page (or any page) where a picture was expected
    else
        pageDone(s.address);
    if (!m_stopping)
        showCounters();
}

void CrawlEngine::onRequestDone(int slot)
{
    if (m_stopping)
        return;
    Slot &s = m_dispatcher.slot(slot);
    HttpCli *client = s.client;
    setSlotGauge(slot, GaugeColor::Green, false, QString());
    const int cls = s.addressClass;
    const bool wasStart = s.startRequest;
    const int status = client ? client->statusCode() : 0;

    if (!s.outcomeCounted && !wasStart) {
        // Failed before its document ended: connection error, time-out, abort.
        s.outcomeCounted = true;
        requestFailed(cls);
        showCounters();
    }
    if (wasStart && (status < 200 || status >= 400) && !s.pageTruncated && !s.outcomeCounted) {
        m_lastRunError = QStringLiteral("The start page could not be fetched: ") +
                         (client && !client->errorText().isEmpty() ? client->errorText()
                                                                   : QStringLiteral("status %1").arg(status));
    }
    const bool scannable = cls == ClassPage && s.contentKind == ClassPage &&
                           ((status >= 200 && status < 400) || s.pageTruncated);
    if (scannable)
        handleFinishedPage(slot);
    // Stop (or a new run) may have come while the page's links were queued.
    if (m_stopping || m_dispatcher.slot(slot).client != client)
        return;
    setSlotGauge(slot, GaugeColor::Green, false, QString());
    if (!s.runningFinished)
        database().finishRunning(s.address);
    const bool page = s.fromPageQueue;
    releaseClient(slot);
    dispatch(slot, page);
}

void CrawlEngine::releaseClient(int slot)
{
    Slot &s = m_dispatcher.slot(slot);
    HttpCli *client = s.client;
    s.client = nullptr;
    s.body = QByteArray();
    s.found.clear();
    if (!client)
        return;
    client->disconnect(this);
    client->abort();
    client->deleteLater();
}

void CrawlEngine::handleFinishedPage(int slot)
{
    Slot &s = m_dispatcher.slot(slot);
    HttpCli *const client = s.client;
    const Settings &set = settings();
    // Relative links of a page that was redirected are relative to where it ended up.
    const QString pageAddress = client ? client->finalUrl() : s.address;
    PageScanner scanner;
    ScanOptions options;
    options.level = s.level;
    options.maxLevel = set.max_level;
    options.minWidth = m_limits.minWidth;
    options.minHeight = m_limits.minHeight;
    options.thumbnailLinks = state().thumbnailLink;
    options.textLimitation = set.selecttext;
    options.includeList = set.includelist;
    options.excludeList = set.excludelist;
    options.namingPending = m_namingPending;
    options.maxFound = FoundLinkLimit;

    const auto takeTitle = [this](const ScanResult &result) {
        if (m_namingPending && result.searchName)
            m_pendingName = *result.searchName;
    };
    const auto queueAll = [&](const ScanResult &result) {
        takeTitle(result);
        if (m_namingPending)
            renameSearchFromTitle(m_pendingName);
        if (m_progressOnStatusBar)
            setSlotGauge(slot, GaugeColor::Grey, true, s.address);
        s.found = result.found;
        queueFoundLinks(slot, s.level + 1);
    };

    if (state().wholePageScan) {
        ScanResult result;
        scanner.scanPage(s.body, pageAddress, options, result);
        queueAll(result);
        return;
    }

    ScanResult titleResult;
    const PageScanner::Range range =
        scanner.findSubstringRange(s.body, set.substringsText, options, titleResult);
    takeTitle(titleResult);
    ScanResult result;
    if (range.start > 0 && range.end > range.start)
        scanner.scanPage(QByteArrayView(s.body).sliced(range.start - 1, range.end - range.start), pageAddress,
                         options, result);
    takeTitle(result);
    if (m_namingPending) {
        m_host.setCaption(m_search.captionFor(fileNameSafe(m_pendingName)));
        m_host.setCommandGroup(CommandGroup::AddFavourite, true);
    }
    if (!result.found.isEmpty()) {
        if (m_namingPending)
            renameSearchFromTitle(m_pendingName);
        s.found = result.found;
        queueFoundLinks(slot, s.level + 1);
    } else if (!m_host.askYesNo(SubstringQuestion)) {
        // The run ends here; this page's request is the only one running.
        database().finishRunning(s.address);
        releaseClient(slot);
        m_dispatcher.release(slot, true);
        m_speedTimer.stop();
        finishSequence();
        return;
    } else {
        m_namingPending = true;
        Settings &writable = settings();
        writable.clearSubstrings();
        m_host.substringsChanged();
        options.namingPending = true;
        ScanResult whole;
        scanner.scanPage(s.body, pageAddress, options, whole);
        queueAll(whole);
    }
    if (m_dispatcher.slot(slot).client == client)
        state().wholePageScan = true;
}

// ---------------------------------------------------------------------------
// Admission

bool CrawlEngine::isVisitedPage(const QString &address)
{
    return database().TinyTable9.contains(QStringLiteral("Url"), address);
}

bool CrawlEngine::isRunning(const QString &address)
{
    return m_dispatcher.isRunning(address);
}

bool CrawlEngine::isQueued(const QString &address)
{
    SearchDatabase &db = database();
    return db.TinyTable1.contains(QStringLiteral("Url"), address) ||
           db.TinyTable7.contains(QStringLiteral("Url"), address);
}

bool CrawlEngine::isSavedPicture(const QString &address)
{
    return database().hasSavedPicture(addressFolder(address), address.mid(address.lastIndexOf(u'/') + 1));
}

void CrawlEngine::queueFoundLinks(int slot, int level)
{
    HttpCli *const client = m_dispatcher.slot(slot).client;
    setStatus(IconAnalysing, slotText("Thread", slot, " Analysing.."));
    const QStringList found = m_dispatcher.slot(slot).found;
    const int n = int(found.size());
    SearchDatabase &db = database();
    RunCounters &c = state().counters;
    for (int i = 0; i < n; ++i) {
        // Other slots' events (and Stop) run during the yield below.
        if (m_stopping || m_dispatcher.slot(slot).client != client)
            return;
        if (m_progressOnStatusBar && i % 5 == 0) {
            setSlotGauge(slot, GaugeColor::Grey, true, m_dispatcher.slot(slot).address);
            m_host.setSlotProgress(slot, GaugeColor::Grey, i * 100 / n);
        }
        const QString &text = found.at(i);
        const urlinfo info = urlinfo::fromText(text);
        // The lookups and the append share one transaction, ended before the
        // yield: one lock round per link instead of one per statement.
        db.database().begin();
        switch (admitLink(info, m_rules, *this)) {
        case Admission::QueuePicture:
            db.TinyTable7.append({info.address, text});
            ++c.picturesPending;
            break;
        case Admission::CountPicture:
            ++c.picturesPending;
            break;
        case Admission::QueuePage:
            db.TinyTable1.append({info.address, text, level});
            ++c.pagesPending;
            break;
        case Admission::CountPage:
            ++c.pagesPending;
            break;
        case Admission::Ignore:
            break;
        }
        db.database().commit();
        yieldToEventLoop();
    }
    if (m_stopping || m_dispatcher.slot(slot).client != client)
        return;
    if (n > 0)
        showCounters();
    setStatus(IconIdle, slotText("Thread", slot, " Start to connect.."));
}

// ---------------------------------------------------------------------------
// Saving

void CrawlEngine::savePicture(int slot)
{
    Slot &s = m_dispatcher.slot(slot);
    QString link;
    if (!s.linkTargetText.isEmpty() && state().thumbnailLink)
        link = s.referrer.isEmpty() ? s.linkTargetText : resolveAddress(s.referrer, s.linkTargetText);
    else
        link = resolveAddress(s.referrer, QStringLiteral("*#bbb.html|"));
    const PictureSaver::Result result = m_saver->save(s.address, s.body, settings().save_mode, link);
    if (result.outcome != PictureSaver::Outcome::Saved) {
        requestFailed(s.addressClass);
        if (result.outcome == PictureSaver::Outcome::DiskFull)
            stopForWriteError(result.message);
        return;
    }
    s.runningFinished = true;
    RunCounters &c = state().counters;
    if (isPictureClass(s.addressClass))
        c.picturesPending = floored(c.picturesPending - 1);
    else
        c.pagesPending = floored(c.pagesPending - 1);
    ++c.picturesSaved;
    m_host.pictureSaved(result.row, ++state().pictureRows);
}

void CrawlEngine::stopForWriteError(const QString &message)
{
    m_lastRunError = message;
    // Ends the run as Stop does once this event has returned, so it can be continued.
    QTimer::singleShot(0, this, [this, message]() {
        if (!m_running)
            return;
        stop();
        m_host.showWarning(message);
    });
}

// ---------------------------------------------------------------------------
// Dispatcher

void CrawlEngine::handOut(bool pageFirst)
{
    m_dispatcher.fill(
        database(), pageFirst, settings().timeout,
        [this](const Dispatcher::Work &work) {
            if (m_progressOnStatusBar)
                setSlotGauge(work.slot, GaugeColor::Grey, true, work.address);
            startRequest(work);
        },
        [this]() { return m_stopping; });
}

void CrawlEngine::dispatch(int slot, bool page)
{
    m_dispatcher.release(slot, page);
    setSlotGauge(slot, GaugeColor::Green, false, QString());
    if (m_stopping)
        return;
    handOut(!settings().ispicfirst && m_dispatcher.pagesInFlight() == 0);
    if (m_dispatcher.active().isEmpty())
        endOfCompleteRun();
}

// ---------------------------------------------------------------------------
// Timer

void CrawlEngine::speedTick()
{
    m_speedTimer.stop();
    ++state().counters.elapsedSeconds;
    showTimes();
    if (m_stopping)
        return;
    m_host.showSpeed(speedText(m_bytesThisSecond));
    m_bytesThisSecond = 0;
    timeoutWalk();
    // Keeps the counters on disk in case the program dies; a file another
    // program holds just now is not waited for, the next second tries again.
    m_search.writeRecord(false);
    if (m_running)
        m_speedTimer.start();
}

void CrawlEngine::timeoutWalk()
{
    const int slot = m_dispatcher.timeoutWalk();
    if (slot == 0)
        return;
    Slot &s = m_dispatcher.slot(slot);
    if (!s.outcomeCounted && !s.startRequest) {
        s.outcomeCounted = true;
        requestFailed(s.addressClass);
    }
    showCounters();
    s.client->abort();
}

// ---------------------------------------------------------------------------
// Stop, finish, continue

void CrawlEngine::stop()
{
    if (!m_running)
        return;
    m_stopping = true;
    m_speedTimer.stop();
    finishSequence();
}

void CrawlEngine::endOfCompleteRun()
{
    m_speedTimer.stop();
    m_host.showSpeed(QString());
    RunCounters &c = state().counters;
    c.pagesPending = 0;
    c.picturesFailed += c.picturesPending;
    c.picturesPending = 0;
    finishSequence();
}

void CrawlEngine::finishSequence()
{
    for (int slot = 1; slot <= MaxSlots; ++slot)
        releaseClient(slot);
    m_dispatcher.clear();
    SearchDatabase &db = database();
    // The running work goes back into its queue, whole (a picture keeps its
    // link target), so that Continue fetches it again.
    if (m_stopping)
        db.requeueRunning();

    m_host.setCommandGroup(CommandGroup::Run, true);
    m_host.setCommandGroup(CommandGroup::Stop, false);
    m_host.setCommandGroup(CommandGroup::Options, true);
    m_host.setCommandGroup(CommandGroup::CompanionSearch, true);
    m_host.setCommandGroup(CommandGroup::SiteCommands, true);
    m_host.setCommandGroup(CommandGroup::DisplayAllInformation, true);
    for (int slot = 1; slot <= MaxSlots; ++slot)
        setSlotGauge(slot, GaugeColor::Green, false, QString());
    setStatus(IconIdle, QStringLiteral("Finished"));

    const int node = m_search.node();
    if (node >= 0)
        m_search.history().setSelected(node);
    if (!m_search.writeRecord() && m_continueRun)
        m_host.showError(QStringLiteral("err2"));
    m_search.setModified(false);

    m_running = false;
    m_search.setRunning(false);
    m_search.releaseRun();
    m_saver.reset();
    const int mode = state().mode;
    m_host.setCommandGroup(CommandGroup::BigPictures, mode == ModeThumbnails && db.TinyTableV1.first());
    m_host.setCommandGroup(CommandGroup::Continue, m_stopping);
    if (node >= 0)
        m_search.history().setIcon(node, stateIcon(mode, m_stopping ? StateStopped : StateFinished));
    state().thumbnailLink = true;
    showCounters();
    showTimes();
    const bool stopped = m_stopping;
    m_host.runFinished(stopped);
    Q_EMIT finished(stopped);
}

bool CrawlEngine::continueRun()
{
    if (m_running)
        return false;
    m_lastRunError.clear();
    SearchHistory &history = m_search.history();
    const int selected = history.selected();
    if (selected < 0)
        return false;
    if (m_search.node() != selected)
        m_search.select(selected);
    if (m_search.node() != selected)
        return false;
    // The record's sub-folder gets the checks a typed one gets.
    const QString problem = subdirectoryProblem(settings().subdirectory);
    if (!problem.isEmpty()) {
        m_host.showWarning(problem);
        return false;
    }
    if (!makePictureFolder(settings().subdirectory))
        return false;
    QString error;
    if (!m_search.holdForRun(&error)) {
        m_host.showWarning(error);
        return false;
    }
    continueRunSelected();
    return true;
}

void CrawlEngine::continueRunSelected()
{
    Settings &s = settings();
    s.buildKeywordLists();
    m_continueRun = true;
    // The finish leaves the thumbnail-link flag on; a continued run scans as its own mode does.
    state().thumbnailLink = state().mode == ModeThumbnails;
    // After a restart the site root is derived again from the search's own start address.
    m_siteRoot = siteRoot(state().startAddress);
    m_namingPending = false;
    m_dispatcher.reset(s.thread_num, false);
    beginRun(true);
    const int node = m_search.node();
    m_search.history().setIcon(node, stateIcon(state().mode, StateRunning));
    m_search.history().setSelected(node);

    SearchDatabase &db = database();
    if (db.requeueRunning() > 0) {
        // The program died during the run: the pending counts are those of the queues.
        RunCounters &c = state().counters;
        c.pagesPending = db.TinyTable1.recordCount();
        c.picturesPending = db.TinyTable7.recordCount();
        c.picturesSaved = db.TinyTableV1.recordCount();
        showCounters();
    }
    handOut(true);
    if (m_dispatcher.active().isEmpty()) {
        // Nothing left to fetch: the search is complete.
        endOfCompleteRun();
        return;
    }
    m_speedTimer.start();
}
