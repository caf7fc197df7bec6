#include "crawl/crawlengine.h"

#include "crawl/urlinfo.h"
#include "html/addressrules.h"
#include "html/pagescanner.h"
#include "platform/httpcli.h"
#include "platform/httppool.h"
#include "platform/settingsstore.h"
#include "platform/workingfolders.h"
#include "settings/settings.h"
#include "settings/textrules.h"
#include "store/searchhistory.h"
#include "store/searchinformation.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QStorageInfo>
#include <QUrl>

#include <algorithm>

namespace {

// A page body beyond this is not kept: its first part is scanned.
constexpr qint64 PageBodyLimit = 16 * 1024 * 1024;
// Longer addresses are counted but not queued.
constexpr int AddressLimit = 2048;
// Longest file name we write, in bytes (file systems allow 255).
constexpr int FileNameLimit = 200;

const QString MustInputSubdirectory =
    QStringLiteral("Must input subdirectory name, such as \"a\", \"b\" or \"c\" etc into \"Save To\".");
const QString BadSubdirectory = QStringLiteral("\"Subdirectory\" can not include char \\ / : * \" < > | . "
                                               "You should input character \"a\", \"b\" etc in "
                                               "\"Subdirectory\" on URL bar rather than input \"c:\\a\", "
                                               "\"c:\\b\". Do not try to input the full name of a "
                                               "directory into \"Subdirectory\". ");
const QString MustInputUrl = QStringLiteral("Must input URL.");
const QString SubstringQuestion =
    QStringLiteral("The substring may be not belong to current URL, do you want to clear it ?");
const QString MustSelectThumbnails =
    QStringLiteral("Must select the thumbnails for downloading big size pictures.");

QString slotText(const char *before, int slot, const char *after)
{
    return QString::fromLatin1(before) + QString::number(slot) + QString::fromLatin1(after);
}

int floored(int value)
{
    return value < 0 ? 0 : value;
}

QString kindExtension(int kind)
{
    switch (kind) {
    case ClassGif:
        return QStringLiteral(".gif");
    case ClassPng:
        return QStringLiteral(".png");
    default:
        return QStringLiteral(".jpg");
    }
}

// The decoder name for a content kind.
const char *kindFormat(int kind)
{
    switch (kind) {
    case ClassGif:
        return "gif";
    case ClassPng:
        return "png";
    default:
        return "jpeg";
    }
}

// The end mark of each format, near the end of the body (some servers add a few bytes).
bool pictureIsWhole(int kind, const QByteArray &body)
{
    const QByteArrayView tail = QByteArrayView(body).last(qMin<qsizetype>(body.size(), 64));
    switch (kind) {
    case ClassGif:
        return tail.contains(char(0x3B));
    case ClassPng:
        return tail.contains("IEND");
    default:
        return tail.contains("\xFF\xD9");
    }
}

bool bodyLooksLikePicture(const QByteArray &body)
{
    if (body.size() <= 103)
        return false;
    const QByteArray head = body.left(103);
    for (qsizetype i = 0; i < 100 && i + 4 <= head.size(); ++i) {
        if (qstrnicmp(head.constData() + i, "HTML", 4) == 0)
            return false;
    }
    return true;
}

// Shortens a file name to the limit, keeping its extension.
QString shortenFileName(const QString &name)
{
    if (name.toUtf8().size() <= FileNameLimit)
        return name;
    const qsizetype dot = name.lastIndexOf(u'.');
    QString ext = dot > 0 && name.size() - dot <= 10 ? name.mid(dot) : QString();
    QString base = name.left(name.size() - ext.size());
    while (!base.isEmpty() && (base + ext).toUtf8().size() > FileNameLimit)
        base.chop(1);
    return base + ext;
}

} // namespace

CrawlEngine::CrawlEngine(Settings &settings, const WorkingFolders &folders, SearchHistory &history,
                         CrawlHost &host, QObject *parent)
    : QObject(parent), m_settings(settings), m_folders(folders), m_history(history), m_host(host)
{
    m_speedTimer.setInterval(1000);
    connect(&m_speedTimer, &QTimer::timeout, this, &CrawlEngine::speedTick);
}

CrawlEngine::~CrawlEngine()
{
    for (HttpCli *client : std::as_const(m_clients))
        delete client;
    m_clients.clear();
}

// ---------------------------------------------------------------------------
// Texts

QString CrawlEngine::hhmmss(qint64 seconds)
{
    const auto two = [](qint64 v) { return v < 10 ? u'0' + QString::number(v) : QString::number(v); };
    const qint64 hours = seconds / 3600;
    const qint64 rest = seconds % 3600;
    return two(hours) + u':' + two(rest / 60) + u':' + two(rest % 60);
}

QString CrawlEngine::countersText(const RunCounters &c)
{
    return QString::number(c.pagesPending) + u':' + QString::number(c.picturesPending) +
           QStringLiteral("->") + QString::number(c.picturesSaved) + u':' + QString::number(c.picturesFailed);
}

QString CrawlEngine::timesText(const RunCounters &c)
{
    if (c.picturesSaved == 0)
        return {};
    const qint64 done = qint64(c.picturesSaved) + c.picturesFailed / 10;
    const qint64 left = (qint64(c.pagesPending) + c.picturesPending) * c.elapsedSeconds / done;
    return hhmmss(c.elapsedSeconds) + u'|' + hhmmss(left);
}

QString CrawlEngine::speedText(qint64 bytesInSecond)
{
    return QString::number(bytesInSecond / 1024) + QStringLiteral(" k/s");
}

QString CrawlEngine::makeUniqueName(QString name, const QStringList &taken)
{
    name = name.trimmed();
    if (name.isEmpty())
        name = QStringLiteral("NoneTitle");
    name = fileNameSafe(name);
    while (taken.contains(name)) {
        if (!name.endsWith(u')') || name.size() < 2) {
            name += QStringLiteral("(2)");
            continue;
        }
        const qsizetype open = name.lastIndexOf(u'(');
        bool ok = false;
        const int n = open >= 0 ? name.mid(open + 1, name.size() - open - 2).toInt(&ok) : 0;
        if (ok && n > 0)
            name = name.left(open + 1) + QString::number(n + 1) + u')';
        else
            name += QStringLiteral("(2)");
    }
    return name;
}

QString CrawlEngine::timeStampedName(const QString &name, const QDateTime &when)
{
    const int extLength = name.right(4).toUpper() == u"JPEG" ? 5 : 4;
    const QString base = name.left(qMax<qsizetype>(0, name.size() - extLength));
    const QString ext = name.right(extLength);
    QString stamp = when.date().toString(QStringLiteral("dd/MM/yyyy")) + u'_' +
                    when.time().toString(QStringLiteral("HH:mm:ss"));
    stamp.replace(u':', u'-');
    return base + u'_' + stamp + ext;
}

QString CrawlEngine::shortDisplayName(const QString &name)
{
    if (name.size() < 20)
        return name;
    return name.left(6) + QStringLiteral("...") + name.right(10);
}

QString CrawlEngine::caption() const
{
    const QString tail = productLabel() + u'-' + m_siteName;
    if (m_searchName.trimmed().isEmpty())
        return tail;
    return m_searchName.trimmed() + QStringLiteral("--") + tail;
}

void CrawlEngine::showCounters()
{
    m_host.showCounters(countersText(m_counters));
}

void CrawlEngine::showTimes()
{
    m_host.showTimes(timesText(m_counters));
}

void CrawlEngine::setStatus(int icon, const QString &text)
{
    m_host.setStatus(icon, text);
}

void CrawlEngine::setSlotGauge(int slot, GaugeColor color, bool visible, const QString &hint)
{
    m_host.setSlotGauge(slot, color, visible, hint);
}

QString CrawlEngine::searchPath(const QString &name) const
{
    return m_folders.search + name + QStringLiteral(".dat");
}

void CrawlEngine::yieldToEventLoop()
{
    QCoreApplication::processEvents();
}

// ---------------------------------------------------------------------------
// Start commands and checks

bool CrawlEngine::getAnyPicture(const QString &address)
{
    if (m_running)
        return false;
    m_keywordSearch = false;
    m_thumbnailLink = false;
    m_mode = ModeAny;
    m_namingPending = true;
    return startCommand(ModeAny, address);
}

bool CrawlEngine::getThumbnails(const QString &address)
{
    if (m_running)
        return false;
    m_keywordSearch = false;
    m_thumbnailLink = true;
    m_mode = ModeThumbnails;
    setAsideThumbnailLimits();
    m_namingPending = true;
    const bool started = startCommand(ModeThumbnails, address);
    if (!started)
        restoreThumbnailLimits(); // a refused start must not leave the run's limits in the settings
    return started;
}

bool CrawlEngine::getBigPictures(const QString &address)
{
    if (m_running)
        return false;
    bool ticked = false;
    if (m_db.isOpen() && m_history.selected() >= 0 && m_history.selected() == m_history.current())
        ticked = m_db.TinyTableV1.findFirst(QStringLiteral("Checked"), 1);
    if (!ticked) {
        m_host.showWarning(MustSelectThumbnails);
        return false;
    }
    m_thumbnailLink = false;
    m_mode = ModeBig;
    if (m_keywordSearch && m_settings.extendedlevel == 0)
        m_settings.extendedlevel = 1;
    return startCommand(ModeBig, address);
}

void CrawlEngine::setAsideThumbnailLimits()
{
    if (m_limitsSetAside)
        return;
    m_savedSize = m_settings.size;
    m_savedWidth = m_settings.width;
    m_savedHeight = m_settings.height;
    m_limitsSetAside = true;
    m_settings.size = 10;
    m_settings.width = 0;
    m_settings.height = 0;
}

void CrawlEngine::restoreThumbnailLimits()
{
    if (!m_limitsSetAside)
        return;
    m_settings.size = m_savedSize;
    m_settings.width = m_savedWidth;
    m_settings.height = m_savedHeight;
    m_limitsSetAside = false;
}

bool CrawlEngine::startCommand(int mode, const QString &typed)
{
    QString address = typed;
    if (!runChecks(address))
        return false;
    m_mode = mode;
    freshStart();
    return true;
}

bool CrawlEngine::runChecks(QString &address)
{
    if (m_settings.selecttext)
        m_settings.rebuildKeywordLists();
    if (!m_settings.substringsText.isEmpty() && m_settings.max_level == 1) {
        m_settings.max_level = 2;
        if (m_persistSettings) {
            SettingsStore store;
            m_settings.saveSearchSettings(store);
        }
    }
    address = address.trimmed();
    const QString subdir = m_settings.subdirectory;
    if (subdir.isEmpty()) {
        m_host.showWarning(MustInputSubdirectory);
        return false;
    }
    static const QString badChars = QStringLiteral("\"*/:<>?\\|");
    bool bad = subdir == u"." || subdir == u"..";
    for (QChar c : subdir)
        bad = bad || badChars.contains(c) || c.unicode() < 32;
    if (bad) {
        m_host.showWarning(BadSubdirectory);
        return false;
    }
    if (address.isEmpty()) {
        m_host.showWarning(MustInputUrl);
        return false;
    }
    address = normaliseStartAddress(address);
    m_host.setAddressText(address);

    QString root = m_settings.picturesRoot;
    if (!root.endsWith(u'/'))
        root += u'/';
    if (!QFileInfo(root).isDir() && !QDir().mkpath(root)) {
        m_host.showError(QStringLiteral("Cannot create ") + root);
        return false;
    }
    if (!QFileInfo(root + subdir).isDir() && !QDir().mkdir(root + subdir)) {
        m_host.showError(QStringLiteral("Cannot create ") + root + subdir);
        return false;
    }
    m_pictureFolder = root + subdir + u'/';
    m_startAddress = address;
    m_wholePageScan = false;
    m_host.setCheckBoxMode(m_mode == ModeThumbnails);
    return true;
}

void CrawlEngine::freshStart()
{
    m_continueRun = false;
    m_lastRunError.clear();
    if (m_history.selected() >= 0 && m_mode != ModeBig && m_modified) {
        writeSearchInformationRecord();
        m_modified = false;
    }
    m_wholePageScan = m_mode == ModeBig || m_settings.substringsText.isEmpty();
    for (Slot &s : m_slots)
        s.bytesThisSecond = 0;
    m_siteRoot = siteRoot(m_startAddress);
    m_counters = RunCounters();
    m_slotCount = qBound(2, m_settings.thread_num, MaxSlots);

    if (m_mode == ModeBig) {
        m_runNode = m_history.selected();
        m_history.setIcon(m_runNode, stateIcon(m_mode, StateRunning));
        m_host.clearPictureViewer();
        bigPicturePass();
        return;
    }

    m_host.clearViews();
    if (!createSearch()) {
        restoreThumbnailLimits();
        return;
    }
    showCounters();
    m_stopping = false;
    m_running = true;
    setStatus(IconConnecting, QStringLiteral("Thread1 connecting... "));
    setRunningCommands(false);
    m_host.setCommandGroup(CommandGroup::DisplayAllInformation, false);

    m_pagesInFlight = 1;
    m_picturesInFlight = 0;
    m_active = {1};
    m_free.clear();
    for (int slot = m_slotCount; slot >= 2; --slot)
        m_free << slot;
    for (Slot &s : m_slots) {
        s.pageText.clear();
        s.received = 0;
    }
    m_namingPending = true;
    urlinfo start;
    start.address = m_startAddress;
    start.addressClass = addressClass(m_startAddress);
    m_slots[1].countdown = m_settings.timeout;
    m_db.TinyTableR.append({m_startAddress, start.toText(), 1, 1, QString()});
    startRequest(start.toText(), 1, 1, true);
    if (m_progressOnStatusBar)
        setSlotGauge(1, GaugeColor::Grey, true, m_startAddress);
    m_speedTimer.start();
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

bool CrawlEngine::createSearch()
{
    QStringList taken;
    for (const HistoryEntry &e : m_history.entries())
        taken << e.name;
    const QString name = makeUniqueName(QStringLiteral("None"), taken);
    m_searchName = name;
    m_host.setCaption(caption());

    if (m_history.count() >= m_settings.searchhisnum && m_history.count() > 0) {
        const QString oldest = searchPath(m_history.entry(0).name);
        if (m_db.path() == oldest)
            m_db.close();
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(oldest + QString::fromLatin1(suffix));
        m_history.remove(0);
    }
    m_runNode = m_history.add(name, stateIcon(m_mode, StateRunning));
    m_history.setCurrent(m_runNode);
    m_history.setSelected(m_runNode);

    if (!m_db.create(searchPath(name))) {
        m_host.showError(QStringLiteral("Cannot create ") + searchPath(name));
        m_history.remove(m_runNode);
        m_runNode = -1;
        return false;
    }
    m_pictureRows = 0;
    // The search can be continued from its database alone, even when the
    // program dies before the first page is in.
    writeSearchInformationRecord();
    m_host.clearPictureViewer();
    return true;
}

void CrawlEngine::renameSearchFromTitle(const QString &title)
{
    m_namingPending = false;
    QStringList taken;
    for (int i = 0; i < m_history.count(); ++i) {
        if (i != m_runNode)
            taken << m_history.entry(i).name;
    }
    const QString name = makeUniqueName(title.left(200), taken);
    const QString oldPath = m_db.path();
    m_searchName = name;
    m_host.setCaption(caption());
    m_host.setCommandGroup(CommandGroup::AddFavourite, true);
    m_history.rename(m_runNode, name);
    m_history.setSelected(m_runNode);
    if (oldPath == searchPath(name))
        return;
    m_db.close();
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(oldPath + QString::fromLatin1(suffix));
    if (!m_db.create(searchPath(name))) {
        m_host.showError(QStringLiteral("Cannot create ") + searchPath(name));
        return;
    }
    urlinfo start;
    start.address = m_startAddress;
    start.addressClass = addressClass(m_startAddress);
    m_db.TinyTableR.append({m_startAddress, start.toText(), 1, 1, QString()});
    m_pictureRows = 0;
    writeSearchInformationRecord();
}

// ---------------------------------------------------------------------------
// Requests

void CrawlEngine::startRequest(const QString &recordText, int slot, int level, bool isStart)
{
    Slot &s = m_slots[slot];
    // Plain http runs on kept-alive connections in this thread: one idle
    // connection per slot is all the next requests need.
    if (!m_pool)
        m_pool = new HttpPool(MaxSlots, this);
    auto *client = new HttpCli(m_pool, this);
    client->Tag = slot;
    m_clients << client;
    s.client = client;
    s.startRequest = isStart;
    s.pageText.clear();
    s.received = 0;
    s.contentLength = 0;
    s.contentKind = ClassJpeg;
    s.outcomeCounted = false;
    s.runningFinished = false;
    s.pageTruncated = false;
    s.found.clear();

    const urlinfo record = urlinfo::fromText(recordText);
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
    s.level = level;

    HttpCli::Request request;
    request.url = record.address;
    request.agent = m_settings.agent;
    request.referrer = s.referrer;
    request.login = m_settings.login;
    request.loginHost = QUrl(m_startAddress, QUrl::TolerantMode).host();
    request.user = m_settings.loginUser;
    request.password = m_settings.loginPassword;
    request.proxy = m_settings.proxy;
    request.proxyHost = m_settings.proxyAddress;
    request.proxyPort = quint16(m_settings.proxyPort.toUInt());
    request.proxyUser = m_settings.proxyUser;
    request.proxyPassword = m_settings.proxyPassword;

    connect(client, &HttpCli::headerBegin, this, [this, slot, client]() {
        if (m_slots[slot].client == client)
            onHeaderBegin(slot);
    });
    connect(client, &HttpCli::headerEnd, this, [this, slot, client]() {
        if (m_slots[slot].client == client)
            onHeaderEnd(slot);
    });
    connect(client, &HttpCli::documentData, this, [this, slot, client](const QByteArray &chunk) {
        if (m_slots[slot].client == client)
            onData(slot, chunk);
    });
    if (!isStart) {
        connect(client, &HttpCli::documentEnd, this, [this, slot, client]() {
            if (m_slots[slot].client == client)
                onDocumentEnd(slot);
        });
    }
    connect(client, &HttpCli::requestDone, this, [this, slot, client]() {
        if (m_slots[slot].client == client)
            onRequestDone(slot);
    });
    client->getAsync(request);
}

void CrawlEngine::onHeaderBegin(int slot)
{
    if (m_stopping)
        return;
    if (m_progressOnStatusBar)
        setSlotGauge(slot, GaugeColor::Grey, true, m_slots[slot].address);
    setStatus(IconConnecting, slotText("Thread", slot, " connecting.. "));
}

void CrawlEngine::onHeaderEnd(int slot)
{
    if (m_stopping)
        return;
    Slot &s = m_slots[slot];
    HttpCli *client = s.client;
    if (!client)
        return;
    const QByteArray type = client->mediaType();
    if (type == "image/jpeg")
        s.contentKind = ClassJpeg;
    else if (type == "image/gif")
        s.contentKind = ClassGif;
    else if (type == "image/png")
        s.contentKind = ClassPng;
    else if (type.isEmpty())
        s.contentKind = isPictureClass(s.addressClass) ? s.addressClass : ClassPage;
    else
        s.contentKind = ClassPage;
    s.contentLength = qMax<qint64>(0, client->contentLength());

    if (isPictureClass(s.addressClass)) {
        const qint64 minimum = qint64(m_settings.size) * 1024;
        const qint64 maximum = qint64(m_settings.size1) * 1024;
        const bool refused = m_mode == ModeThumbnails
                                 ? s.contentLength > minimum
                                 : (s.contentLength < minimum || s.contentLength > maximum);
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
    m_counters.picturesPending = floored(m_counters.picturesPending - 1);
    ++m_counters.picturesFailed;
}

void CrawlEngine::requestFailed(int addressClassOfRequest)
{
    // A page that fails only leaves the pages pending; a picture counts as failed.
    if (isPictureClass(addressClassOfRequest))
        pictureFailed();
    else
        m_counters.pagesPending = floored(m_counters.pagesPending - 1);
}

void CrawlEngine::onData(int slot, const QByteArray &chunk)
{
    if (m_stopping)
        return;
    Slot &s = m_slots[slot];
    s.countdown = m_settings.timeout;
    s.received += chunk.size();
    s.bytesThisSecond = int(chunk.size());
    m_bytesThisSecond += chunk.size();
    const int progress =
        s.contentLength == 0 ? 90 : int(qMin<qint64>(100, s.received * 100 / s.contentLength));

    if (s.contentKind == ClassPage) {
        if (s.pageText.size() + chunk.size() > PageBodyLimit) {
            // Keep the first part of a page that will not end; scan what we have.
            s.pageText.append(chunk.left(PageBodyLimit - s.pageText.size()));
            s.pageTruncated = true;
            if (!s.startRequest)
                onDocumentEnd(slot);
            if (s.client)
                s.client->abort();
            return;
        }
    } else {
        const qint64 limit = qint64(m_mode == ModeThumbnails ? m_settings.size : m_settings.size1) * 1024;
        if (s.received > limit) {
            requestFailed(s.addressClass);
            s.outcomeCounted = true;
            showCounters();
            if (s.client)
                s.client->abort();
            return;
        }
    }
    s.pageText.append(chunk);
    if (m_progressOnStatusBar)
        m_host.setSlotProgress(slot, GaugeColor::Blue, progress);
}

void CrawlEngine::onDocumentEnd(int slot)
{
    if (m_stopping)
        return;
    Slot &s = m_slots[slot];
    if (s.outcomeCounted)
        return;
    s.outcomeCounted = true;
    if (s.contentKind == ClassPage) {
        if (isPictureClass(s.addressClass)) {
            // An error page (or any page) where a picture was expected.
            pictureFailed();
        } else {
            m_db.TinyTable9.append({s.address});
            m_counters.pagesPending = floored(m_counters.pagesPending - 1);
        }
    } else {
        savePicture(slot);
    }
    if (!m_stopping)
        showCounters();
}

void CrawlEngine::onRequestDone(int slot)
{
    if (m_stopping)
        return;
    Slot &s = m_slots[slot];
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
    if (wasStart && (status < 200 || status >= 400) && !s.pageTruncated) {
        m_lastRunError = QStringLiteral("The start page could not be fetched: ") +
                         (client && !client->errorText().isEmpty() ? client->errorText()
                                                                   : QStringLiteral("status %1").arg(status));
    }
    const bool scannable = cls == ClassPage && s.contentKind == ClassPage &&
                           ((status >= 200 && status < 400) || s.pageTruncated);
    if (scannable)
        handleFinishedPage(slot);
    // Stop (or a new run) may have come while the page's links were queued.
    if (m_stopping || m_slots[slot].client != client)
        return;
    if (m_progressOnStatusBar)
        setSlotGauge(slot, GaugeColor::Green, false, QString());
    if (!s.runningFinished)
        m_db.finishRunning(s.address);
    releaseClient(slot);
    dispatch(slot, cls);
}

void CrawlEngine::releaseClient(int slot)
{
    Slot &s = m_slots[slot];
    HttpCli *client = s.client;
    s.client = nullptr;
    s.pageText = QByteArray();
    s.found.clear();
    if (!client)
        return;
    m_clients.removeOne(client);
    client->disconnect(this);
    client->abort();
    client->deleteLater();
}

void CrawlEngine::handleFinishedPage(int slot)
{
    Slot &s = m_slots[slot];
    HttpCli *const client = s.client;
    // Relative links of a page that was redirected are relative to where it ended up.
    const QString pageAddress = client ? client->finalUrl() : s.address;
    PageScanner scanner;
    ScanOptions options;
    options.level = s.level;
    options.maxLevel = m_settings.max_level;
    options.minWidth = m_settings.width;
    options.minHeight = m_settings.height;
    options.thumbnailLinks = m_thumbnailLink;
    options.textLimitation = m_settings.selecttext;
    options.includeList = m_settings.includelist;
    options.excludeList = m_settings.excludelist;
    options.namingPending = m_namingPending;

    const auto takeTitle = [this](const ScanResult &result) {
        if (m_namingPending && result.searchName)
            m_pendingName = *result.searchName;
    };

    if (m_wholePageScan) {
        ScanResult result;
        scanner.scanPage(s.pageText, pageAddress, options, result);
        takeTitle(result);
        if (m_namingPending)
            renameSearchFromTitle(m_pendingName);
        if (m_progressOnStatusBar)
            setSlotGauge(slot, GaugeColor::Grey, true, s.address);
        s.found = result.found;
        queueFoundLinks(slot, s.level + 1);
        return;
    }

    ScanResult titleResult;
    const PageScanner::Range range =
        scanner.findSubstringRange(s.pageText, m_settings.substringsText, options, titleResult);
    takeTitle(titleResult);
    ScanResult result;
    if (range.start > 0 && range.end > range.start)
        scanner.scanPage(QByteArrayView(s.pageText).sliced(range.start - 1, range.end - range.start),
                         pageAddress, options, result);
    takeTitle(result);
    if (m_namingPending) {
        const QString name = fileNameSafe(m_pendingName).trimmed();
        m_host.setCaption((name.isEmpty() ? QStringLiteral("NoneTitle") : name) + QStringLiteral("--") +
                          productLabel() + u'-' + m_siteName);
        m_host.setCommandGroup(CommandGroup::AddFavourite, true);
    }
    if (!result.found.isEmpty()) {
        if (m_namingPending)
            renameSearchFromTitle(m_pendingName);
        s.found = result.found;
        queueFoundLinks(slot, s.level + 1);
    } else if (!m_host.askYesNo(SubstringQuestion)) {
        // The run ends here; this page's request is the only one running.
        m_db.finishRunning(s.address);
        releaseClient(slot);
        m_active.removeOne(slot);
        m_free << slot;
        m_pagesInFlight = floored(m_pagesInFlight - 1);
        m_speedTimer.stop();
        finishSequence();
        return;
    } else {
        m_namingPending = true;
        m_settings.substringsText.clear();
        m_settings.substrListbox.clear();
        m_settings.substringsFlag = false;
        m_host.substringsChanged();
        options.namingPending = true;
        ScanResult whole;
        scanner.scanPage(s.pageText, pageAddress, options, whole);
        takeTitle(whole);
        if (m_namingPending)
            renameSearchFromTitle(m_pendingName);
        if (m_progressOnStatusBar)
            setSlotGauge(slot, GaugeColor::Grey, true, s.address);
        s.found = whole.found;
        queueFoundLinks(slot, s.level + 1);
    }
    if (m_slots[slot].client == client)
        m_wholePageScan = true;
}

// ---------------------------------------------------------------------------
// Admission

bool CrawlEngine::isVisitedPage(const QString &address)
{
    return m_db.TinyTable9.contains(QStringLiteral("Url"), address);
}

bool CrawlEngine::isRunning(const QString &address) const
{
    for (const HttpCli *client : m_clients) {
        if (client->url() == address)
            return true;
    }
    return false;
}

bool CrawlEngine::isQueued(const QString &address)
{
    return m_db.TinyTable1.contains(QStringLiteral("Url"), address) ||
           m_db.TinyTable7.contains(QStringLiteral("Url"), address);
}

bool CrawlEngine::isSavedPicture(const QString &address)
{
    const QString segment = address.mid(address.lastIndexOf(u'/') + 1);
    if (!m_db.TinyTableV1.findFirst(QStringLiteral("OriginalName"), segment))
        return false;
    return m_db.TinyTableV1.fieldText(QStringLiteral("WebDirectory")) + segment == address;
}

void CrawlEngine::queueFoundLinks(int slot, int level)
{
    HttpCli *const client = m_slots[slot].client;
    setStatus(IconAnalysing, slotText("Thread", slot, " Analysing.."));
    const QStringList found = m_slots[slot].found;
    const int n = int(found.size());
    for (int i = 0; i < n; ++i) {
        // Other slots' events (and Stop) run during the yield below.
        if (m_stopping || m_slots[slot].client != client)
            return;
        if (m_progressOnStatusBar && i % 5 == 0) {
            setSlotGauge(slot, GaugeColor::Grey, true, m_slots[slot].address);
            m_host.setSlotProgress(slot, GaugeColor::Grey, i * 100 / n);
        }
        const QString &text = found.at(i);
        const urlinfo info = urlinfo::fromText(text);
        const QString &address = info.address;
        const bool fits = address.size() < AddressLimit;
        // The lookups and the append share one transaction, ended before the
        // yield: one lock round per link instead of one per statement.
        m_db.database().begin();
        if (isPictureClass(info.addressClass)) {
            const bool wanted = (info.addressClass == ClassGif && m_settings.gif) ||
                                (info.addressClass == ClassJpeg && m_settings.jpg) ||
                                (info.addressClass == ClassPng && m_settings.png);
            if (!wanted) {
                m_db.database().commit();
                continue;
            }
            if (!isSavedPicture(address) && !isRunning(address) && !isQueued(address)) {
                const QString &include = m_settings.urlIncludeText;
                const bool included = include.isEmpty() || include.contains(u'+') ||
                                      address.contains(include, Qt::CaseSensitive);
                if (included) {
                    if (fits)
                        m_db.TinyTable7.append({address, text});
                    ++m_counters.picturesPending;
                }
            }
        } else if (!isVisitedPage(address) && !isRunning(address) && !isQueued(address)) {
            if (m_settings.urllink) {
                if (fits)
                    m_db.TinyTable1.append({address, text, level});
                ++m_counters.pagesPending;
            } else if (address.startsWith(m_siteRoot) && m_settings.substringsFlag) {
                if (fits)
                    m_db.TinyTable1.append({address, text, level});
                ++m_counters.pagesPending;
            }
        }
        m_db.database().commit();
        yieldToEventLoop();
    }
    if (m_stopping || m_slots[slot].client != client)
        return;
    if (n > 0)
        showCounters();
    setStatus(IconIdle, slotText("Thread", slot, " Start to connect.."));
}

// ---------------------------------------------------------------------------
// Saving

void CrawlEngine::savePicture(int slot)
{
    Slot &s = m_slots[slot];
    const auto failed = [this, &s]() { requestFailed(s.addressClass); };
    const QByteArray &body = s.pageText;
    if (!bodyLooksLikePicture(body)) {
        failed();
        return;
    }
    // Before anything is written: the picture's header must read and its
    // body must be whole (a truncated transfer lacks the format's end mark).
    // This costs a header parse, not a decode of every picture.
    QBuffer buffer;
    buffer.setData(body);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, kindFormat(s.contentKind));
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || !pictureIsWhole(s.contentKind, body)) {
        failed();
        return;
    }

    const QString address = s.address;
    const QString original = address.mid(address.lastIndexOf(u'/') + 1);
    QString source = original;
    if (std::all_of(source.cbegin(), source.cend(), [](QChar c) { return c == u'.' || c.isSpace(); }))
        source = QStringLiteral("picture") + kindExtension(s.contentKind);
    QString name = m_settings.save_mode == 1 ? timeStampedName(source, QDateTime::currentDateTime()) : source;
    name = shortenFileName(fileNameSafe(name));
    if (name.isEmpty() || name == u"." || name == u"..")
        name = QStringLiteral("picture") + kindExtension(s.contentKind);

    // Never replace a file: a second picture of the same name becomes name(2).ext.
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString ext = dot > 0 ? name.mid(dot) : QString();
    QString fileName = name;
    QFile file;
    for (int n = 2;; ++n) {
        file.setFileName(m_pictureFolder + fileName);
        // Remembered first: a file whose row never gets recorded (the program
        // died in between) is removed when the search is continued.
        m_db.setRunningFile(address, file.fileName());
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || !file.exists())
            break;
        fileName = base + u'(' + QString::number(n) + u')' + ext;
    }
    const bool written = file.isOpen() && file.write(body) == body.size() && file.flush();
    file.close();
    if (!written) {
        if (file.exists())
            file.remove();
        failed();
        const QStorageInfo storage(m_pictureFolder);
        if (storage.isValid() && storage.bytesAvailable() < body.size() + 64 * 1024)
            stopForWriteError(
                QStringLiteral("The disk is full: the picture %1 could not be saved in %2. The search "
                               "was stopped; free some space and continue it.")
                    .arg(fileName, m_pictureFolder));
        return;
    }

    PictureRow row;
    row.OriginalName = original;
    row.WebDirectory = addressFolder(address);
    row.PictureName = fileName;
    row.DiskDirectory = m_pictureFolder;
    row.Size = int(body.size());
    row.Width = size.width();
    row.Height = size.height();
    row.Type = s.contentKind;
    row.Checked = 0;

    QString link;
    if (!s.linkTargetText.isEmpty() && m_thumbnailLink)
        link = s.referrer.isEmpty() ? s.linkTargetText : resolveAddress(s.referrer, s.linkTargetText);
    else
        link = resolveAddress(s.referrer, QStringLiteral("*#bbb.html|"));
    m_db.database().begin();
    const bool recorded = m_db.appendPicture(row, link);
    if (recorded) {
        m_db.finishRunning(address);
        s.runningFinished = true;
    }
    m_db.database().commit();
    if (!recorded) {
        QFile::remove(m_pictureFolder + fileName);
        failed();
        return;
    }
    if (isPictureClass(s.addressClass))
        m_counters.picturesPending = floored(m_counters.picturesPending - 1);
    else
        m_counters.pagesPending = floored(m_counters.pagesPending - 1);
    ++m_counters.picturesSaved;
    m_host.pictureSaved(row, ++m_pictureRows);
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

bool CrawlEngine::takeOne(bool page)
{
    if (m_free.isEmpty())
        return false;
    TinyTable &queue = page ? m_db.TinyTable1 : m_db.TinyTable7;
    // The read and the take in one transaction: one lock round, not two.
    m_db.database().begin();
    if (!queue.first()) {
        m_db.database().commit();
        return false;
    }
    const QString text = queue.fieldText(QStringLiteral("Str"));
    const QString address = queue.fieldText(QStringLiteral("Url"));
    const int level = page ? readInteger(queue.fieldText(QStringLiteral("Level"))) : 0;
    const bool taken = m_db.takeFromQueue(queue, page);
    m_db.database().commit();
    if (!taken)
        return false;
    const int slot = m_free.takeLast();
    m_active << slot;
    m_slots[slot].countdown = m_settings.timeout;
    if (m_progressOnStatusBar)
        setSlotGauge(slot, GaugeColor::Grey, true, address);
    startRequest(text, slot, level);
    if (page)
        ++m_pagesInFlight;
    else
        ++m_picturesInFlight;
    return true;
}

void CrawlEngine::dispatch(int slot, int addressClassOfFinished)
{
    m_free << slot;
    m_active.removeOne(slot);
    if (addressClassOfFinished == ClassPage)
        m_pagesInFlight = floored(m_pagesInFlight - 1);
    else
        m_picturesInFlight = floored(m_picturesInFlight - 1);
    setSlotGauge(slot, GaugeColor::Green, false, QString());
    m_slots[slot].bytesThisSecond = 0;
    if (m_stopping)
        return;

    if (!m_settings.ispicfirst && m_pagesInFlight == 0 && !m_free.isEmpty())
        takeOne(true);
    while (m_active.size() < m_slotCount && takeOne(false)) {
        if (m_stopping)
            return;
    }
    while (m_active.size() < m_slotCount && takeOne(true)) {
    }
    if (m_clients.isEmpty())
        endOfCompleteRun();
}

// ---------------------------------------------------------------------------
// Timer

void CrawlEngine::speedTick()
{
    m_speedTimer.stop();
    ++m_counters.elapsedSeconds;
    showTimes();
    if (m_stopping)
        return;
    for (Slot &s : m_slots)
        s.bytesThisSecond = 0;
    m_host.showSpeed(speedText(m_bytesThisSecond));
    m_bytesThisSecond = 0;
    timeoutWalk();
    // Keeps the counters on disk in case the program dies.
    writeSearchInformationRecord();
    if (m_running)
        m_speedTimer.start();
}

void CrawlEngine::timeoutWalk()
{
    for (HttpCli *client : std::as_const(m_clients)) {
        Slot &s = m_slots[client->Tag];
        const int before = s.countdown--;
        if (before != 1)
            continue;
        if (!s.outcomeCounted && !s.startRequest) {
            s.outcomeCounted = true;
            requestFailed(s.addressClass);
        }
        showCounters();
        client->abort();
        return;
    }
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
    m_counters.pagesPending = 0;
    m_counters.picturesFailed += m_counters.picturesPending;
    m_counters.picturesPending = 0;
    finishSequence();
}

void CrawlEngine::finishSequence()
{
    const QList<HttpCli *> clients = m_clients;
    for (HttpCli *client : clients) {
        const int slot = client->Tag;
        Slot &s = m_slots[slot];
        if (s.client == client) {
            releaseClient(slot);
        } else {
            m_clients.removeOne(client);
            client->disconnect(this);
            client->abort();
            client->deleteLater();
        }
    }
    m_clients.clear();
    m_active.clear();
    // The running work goes back into its queue, whole (a picture keeps its
    // link target), so that Continue fetches it again.
    if (m_stopping)
        m_db.requeueRunning();

    m_host.setCommandGroup(CommandGroup::Run, true);
    m_host.setCommandGroup(CommandGroup::Stop, false);
    m_host.setCommandGroup(CommandGroup::Options, true);
    m_host.setCommandGroup(CommandGroup::CompanionSearch, true);
    m_host.setCommandGroup(CommandGroup::SiteCommands, true);
    m_host.setCommandGroup(CommandGroup::DisplayAllInformation, true);
    for (int slot = 1; slot <= MaxSlots; ++slot)
        setSlotGauge(slot, GaugeColor::Green, false, QString());
    setStatus(IconIdle, QStringLiteral("Finished"));

    if (m_runNode >= 0 && m_runNode < m_history.count()) {
        m_history.setSelected(m_runNode);
        m_history.setCurrent(m_runNode);
    }
    // The record keeps the user's limits, not those a thumbnails run used.
    restoreThumbnailLimits();
    writeSearchInformationRecord();
    m_modified = false;

    m_running = false;
    const bool bigAvailable = m_mode == ModeThumbnails && m_db.TinyTableV1.first();
    m_host.setCommandGroup(CommandGroup::BigPictures, bigAvailable);
    m_host.setCommandGroup(CommandGroup::Continue, m_stopping);
    if (m_runNode >= 0)
        m_history.setIcon(m_runNode, stateIcon(m_mode, m_stopping ? StateStopped : StateFinished));
    m_thumbnailLink = true;
    showCounters();
    showTimes();
    const bool stopped = m_stopping;
    m_host.runFinished(stopped);
    Q_EMIT finished(stopped);
}

void CrawlEngine::writeSearchInformationRecord()
{
    if (!m_db.isOpen())
        return;
    SearchInformation info;
    info.takeSettings(m_settings);
    if (m_limitsSetAside) {
        info.size = m_savedSize;
        info.width = m_savedWidth;
        info.height = m_savedHeight;
    }
    info.startAddress = m_startAddress;
    info.wholePageScan = m_wholePageScan ? 1 : 0;
    info.pagesPending = m_counters.pagesPending;
    info.picturesPending = m_counters.picturesPending;
    info.picturesSaved = m_counters.picturesSaved;
    info.picturesFailed = m_counters.picturesFailed;
    info.elapsedSeconds = m_counters.elapsedSeconds;
    info.searchMode = m_mode;
    info.thumbnailLink = m_thumbnailLink;
    info.name = m_searchName;
    if (!m_db.writeSearchInformation(info.toText()) && m_continueRun)
        m_host.showError(QStringLiteral("err2"));
}

bool CrawlEngine::continueRun()
{
    if (m_running)
        return false;
    const int selected = m_history.selected();
    if (selected < 0)
        return false;
    if (m_history.current() != selected || !m_db.isOpen())
        selectSearch(selected);
    if (!m_db.isOpen())
        return false;
    m_runNode = selected;
    continueRunSelected();
    return true;
}

void CrawlEngine::continueRunSelected()
{
    if (m_settings.selecttext)
        m_settings.rebuildKeywordLists();
    QString root = m_settings.picturesRoot;
    if (!root.endsWith(u'/'))
        root += u'/';
    m_pictureFolder = root + m_settings.subdirectory + u'/';
    QDir().mkpath(m_pictureFolder);
    if (m_mode == ModeThumbnails)
        setAsideThumbnailLimits();
    m_continueRun = true;
    // The finish leaves the thumbnail-link flag on; a continued run scans as its own mode does.
    m_thumbnailLink = m_mode == ModeThumbnails;
    m_lastRunError.clear();
    m_slotCount = qBound(2, m_settings.thread_num, MaxSlots);
    // After a restart the site root is derived again from the search's own start address.
    m_siteRoot = siteRoot(m_startAddress);
    for (Slot &s : m_slots)
        s.bytesThisSecond = 0;
    m_pagesInFlight = 0;
    m_picturesInFlight = 0;
    m_active.clear();
    m_free.clear();
    for (int slot = m_slotCount; slot >= 1; --slot)
        m_free << slot;
    showCounters();
    m_stopping = false;
    m_running = true;
    m_namingPending = false;
    setRunningCommands(true);
    m_history.setIcon(m_runNode, stateIcon(m_mode, StateRunning));
    m_history.setSelected(m_runNode);
    m_host.setCommandGroup(CommandGroup::DisplayAllInformation, false);
    for (Slot &s : m_slots)
        s.received = 0;

    if (m_db.requeueRunning() > 0) {
        // The program died during the run: the pending counts are those of the queues.
        m_counters.pagesPending = m_db.TinyTable1.recordCount();
        m_counters.picturesPending = m_db.TinyTable7.recordCount();
        m_counters.picturesSaved = m_db.TinyTableV1.recordCount();
        showCounters();
    }
    takeOne(true);
    while (!m_free.isEmpty() && takeOne(false)) {
        if (m_stopping)
            return;
    }
    while (!m_free.isEmpty() && takeOne(true)) {
    }
    if (m_clients.isEmpty()) {
        // Nothing left to fetch: the search is complete.
        endOfCompleteRun();
        return;
    }
    m_speedTimer.start();
}

void CrawlEngine::bigPicturePass()
{
    m_counters.pagesPending = 0;
    m_counters.picturesPending = 0;
    m_counters.picturesSaved = 0;
    m_counters.picturesFailed = 0;
    m_db.database().begin();
    m_db.TinyTable1.empty();
    m_db.TinyTable7.empty();
    m_db.TinyTable9.empty();
    m_db.TinyTableR.empty();
    m_host.clearViews();

    bool hasPicture = m_db.TinyTableV1.first();
    bool hasLink = m_db.TinyTable2.first();
    while (hasPicture) {
        if (m_db.TinyTableV1.fieldText(QStringLiteral("Checked")) == u"1" && hasLink) {
            const QString text = m_db.TinyTable2.fieldText(QStringLiteral("UrlRef"));
            urlinfo info = urlinfo::fromText(text);
            if (isPictureClass(info.addressClass)) {
                QString queued = text;
                if (info.address.startsWith(u"ttp")) {
                    // Markup that lost the "h" of "http"; the record must carry the mended address too.
                    info.address.prepend(u'h');
                    queued = info.toText();
                }
                m_db.TinyTable7.append({info.address, queued});
                ++m_counters.picturesPending;
            } else if (m_settings.extendedlevel != 0) {
                m_db.TinyTable1.append({info.address, text, 1});
            }
        }
        if (m_settings.isdeletethumb)
            QFile::remove(PictureRow::fromTable(m_db.TinyTableV1).path());
        hasPicture = m_db.TinyTableV1.next();
        hasLink = hasLink && m_db.TinyTable2.next();
    }
    m_db.TinyTableV1.empty();
    m_db.TinyTable2.empty();
    m_db.database().commit();
    m_pictureRows = 0;
    m_host.clearViews();
    m_host.clearPictureViewer();
    continueRunSelected();
}

// ---------------------------------------------------------------------------
// History

void CrawlEngine::selectSearch(int index)
{
    if (m_running) {
        m_history.setSelected(index);
        return;
    }
    m_history.setSelected(index);
    if (index >= 0 && index == m_history.current() && m_db.isOpen())
        return;
    writeBackOpenSearch();
    if (index < 0) {
        for (CommandGroup g : {CommandGroup::Select, CommandGroup::Unselect, CommandGroup::SelectByFolder,
                               CommandGroup::UnselectByFolder, CommandGroup::SelectAll,
                               CommandGroup::UnselectAll, CommandGroup::Delete})
            m_host.setCommandGroup(g, false);
        return;
    }
    if (!m_db.open(searchPath(m_history.entry(index).name))) {
        m_history.setCurrent(-1);
        return;
    }
    m_history.setCurrent(index);
    openSearch();
    m_host.clearPictureViewer();
    for (CommandGroup g :
         {CommandGroup::Select, CommandGroup::Unselect, CommandGroup::SelectByFolder,
          CommandGroup::UnselectByFolder, CommandGroup::SelectAll, CommandGroup::UnselectAll})
        m_host.setCommandGroup(g, false);
    m_host.setCommandGroup(CommandGroup::Delete, true);
}

void CrawlEngine::writeBackOpenSearch()
{
    if (m_history.current() >= 0 && m_modified && m_db.isOpen()) {
        writeSearchInformationRecord();
        m_db.close();
    }
    m_modified = false;
}

void CrawlEngine::openSearch()
{
    const SearchInformation info =
        SearchInformation::fromText(m_db.readSearchInformation(), m_settings.extendedlevel);
    m_startAddress = info.startAddress;
    m_host.setAddressText(info.startAddress);
    info.giveSettings(m_settings);
    m_settings.picturesRoot = Settings::picturesRootFor(m_folders.working);
    m_wholePageScan = info.wholePageScan != 0;
    m_counters.pagesPending = info.pagesPending;
    m_counters.picturesPending = info.picturesPending;
    m_counters.picturesSaved = info.picturesSaved;
    m_counters.picturesFailed = info.picturesFailed;
    m_counters.elapsedSeconds = info.elapsedSeconds;
    m_mode = info.searchMode;
    m_thumbnailLink = info.thumbnailLink;
    m_searchName = info.name.isEmpty() ? m_history.entry(m_history.current()).name : info.name;
    m_pictureRows = m_db.TinyTableV1.recordCount();
    m_host.searchOpened();
    showCounters();
    refreshSearchDisplay();
    m_modified = false;
}

void CrawlEngine::refreshSearchDisplay()
{
    m_host.substringsChanged();
    m_host.setCheckBoxMode(m_mode == ModeThumbnails);
    m_host.setCommandGroup(CommandGroup::BigPictures, m_db.TinyTable2.first());
    m_host.setCommandGroup(CommandGroup::Continue, m_db.TinyTable7.first() || m_db.TinyTable1.first());
    m_searchName = m_searchName.trimmed();
    const QString name = m_searchName.isEmpty() ? QStringLiteral("NoneTitle") : m_searchName;
    m_host.setCaption(name + QStringLiteral("--") + productLabel() + u'-' + m_siteName);
    m_namingPending = false;
    m_host.setCommandGroup(CommandGroup::AddFavourite, true);
    if (m_persistSettings) {
        SettingsStore store;
        m_settings.saveSearchSettings(store);
    }
    m_speedTimer.stop();
    showTimes();
}

bool CrawlEngine::deleteSelectedSearch(bool byDrop)
{
    if (m_running) {
        m_host.showWarning(byDrop ? QStringLiteral("Can not delete my search item when downloading!")
                                  : QStringLiteral("Can not delete item when downloading!"));
        return false;
    }
    const int index = m_history.selected();
    if (index < 0)
        return false;
    const QString path = searchPath(m_history.entry(index).name);
    if (m_settings.isdeletepic) {
        // Every picture of the search, not only those of the page on show.
        SearchDatabase pictures;
        SearchDatabase &db = m_history.current() == index && m_db.isOpen() ? m_db : pictures;
        if (&db == &pictures)
            pictures.open(path);
        for (bool row = db.TinyTableV1.first(); row; row = db.TinyTableV1.next())
            QFile::remove(PictureRow::fromTable(db.TinyTableV1).path());
    }
    if (m_db.path() == path)
        m_db.close();
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QString::fromLatin1(suffix));
    m_modified = false;
    m_history.remove(index);
    if (m_history.count() > 0) {
        selectSearch(qMin(index, m_history.count() - 1));
    } else {
        m_history.setCurrent(-1);
        m_searchName.clear();
        m_host.clearViews();
        // Emptied views bring the window in line: no search, nothing to continue.
        refreshSearchDisplay();
        selectSearch(-1);
    }
    return true;
}
