#include "platform/httpcli.h"

#include <QAuthenticator>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include "platform/httppool.h"

#include <utility>

namespace {

bool isRedirectStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// A server that never ends its header block must not fill our memory.
constexpr qsizetype MaxHeadBytes = 64 * 1024;
// A chunk-size line is a few hex digits and perhaps an extension.
constexpr qsizetype MaxChunkLine = 4096;

// Header values come from settings and pages: a line break in one would end
// our header early and let the rest pose as headers of its own.
QByteArray headerValue(QByteArray value)
{
    value.replace('\r', ' ');
    value.replace('\n', ' ');
    return value;
}

QList<QByteArray> commaTokens(const QByteArray &value)
{
    QList<QByteArray> tokens;
    for (const QByteArray &part : value.split(','))
        tokens << part.trimmed().toLower();
    return tokens;
}

void trustCertificatesFromEnvironment()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QString path = qEnvironmentVariable("SNAPDREDGE_CA_CERTIFICATES");
    if (!path.isEmpty())
        HttpCli::addTrustedCertificates(path);
}

} // namespace

void HttpCli::addTrustedCertificates(const QString &pemFile)
{
    const QList<QSslCertificate> certs = QSslCertificate::fromPath(pemFile, QSsl::Pem);
    if (certs.isEmpty())
        return;
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.addCaCertificates(certs);
    QSslConfiguration::setDefaultConfiguration(config);
}

HttpCli::HttpCli(QNetworkAccessManager *manager, QObject *parent) : QObject(parent), m_manager(manager)
{
    trustCertificatesFromEnvironment();
}

HttpCli::HttpCli(HttpPool *pool, QObject *parent) : QObject(parent), m_pool(pool)
{
    trustCertificatesFromEnvironment();
}

HttpCli::~HttpCli()
{
    releaseSocket(false);
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void HttpCli::getAsync(const Request &request)
{
    m_request = request;
    // Addresses are kept readable (blanks and all); they are encoded for the wire here.
    const QUrl target(request.url.trimmed(), QUrl::TolerantMode);
    if (!target.isValid() || target.host().isEmpty() ||
        (target.scheme() != u"http" && target.scheme() != u"https")) {
        finishLater(0, QStringLiteral("Bad address"));
        return;
    }
    const bool viaProxy = request.proxy && !request.proxyHost.isEmpty();
    if (m_pool && target.scheme() == u"http" && !viaProxy) {
        m_current = target;
        m_redirectsLeft = request.maxRedirects;
        startDirect(false);
        return;
    }
    startReply(target, request.maxRedirects);
}

void HttpCli::startReply(const QUrl &target, int maxRedirects)
{
    const Request &request = m_request;
    if (m_pool)
        m_manager = m_pool->networkManager();
    QNetworkRequest req(target);
    req.setHeader(QNetworkRequest::UserAgentHeader, request.agent);
    req.setRawHeader("Accept", request.accept);
    if (!request.referrer.isEmpty())
        req.setRawHeader("Referer", QUrl(request.referrer, QUrl::TolerantMode).toEncoded());
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    req.setMaximumRedirectsAllowed(maxRedirects);
    req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    req.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);

    if (request.proxy && !request.proxyHost.isEmpty()) {
        QNetworkProxy proxy(QNetworkProxy::HttpProxy, request.proxyHost, request.proxyPort, request.proxyUser,
                            request.proxyPassword);
        m_manager->setProxy(proxy);
    } else {
        m_manager->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    }

    m_reply = m_manager->get(req);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &HttpCli::onMetaData);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpCli::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &HttpCli::onFinished);
    // Answer a login challenge only for the site the search started on; any
    // other host gets no credentials (the request then fails with 401).
    connect(m_manager, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply *reply, QAuthenticator *auth) {
                if (reply != m_reply || !m_request.login)
                    return;
                if (reply->url().host().compare(m_request.loginHost, Qt::CaseInsensitive) != 0)
                    return;
                if (auth->user() == m_request.user && !auth->user().isEmpty())
                    return; // already tried: wrong credentials, let it fail
                auth->setUser(m_request.user);
                auth->setPassword(m_request.password);
            });
}

bool HttpCli::reportHeaders()
{
    if (m_headersReported || !m_reply || m_aborted)
        return m_headersReported;
    const QVariant statusAttr = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!statusAttr.isValid())
        return false;
    m_status = statusAttr.toInt();
    if (isRedirectStatus(m_status) && m_reply->isRunning())
        return false; // followed by the network layer; wait for the final response
    m_headersReported = true;
    if (m_reply->url() != QUrl(m_request.url, QUrl::TolerantMode))
        m_finalUrl = m_reply->url().toString();
    // After redirects the network layer may keep the earlier answers' values
    // in front of the final one's, joined by commas: the last one is ours.
    const auto lastValue = [this](const QByteArray &name) {
        const QByteArray value = m_reply->rawHeader(name);
        const qsizetype comma = value.lastIndexOf(',');
        return (comma < 0 ? value : value.mid(comma + 1)).trimmed();
    };
    takeEntityHeaders(lastValue("Content-Type"), lastValue("Content-Length"));
    QList<QByteArray> lines;
    for (const auto &pair : m_reply->rawHeaderPairs())
        lines << pair.first + ": " + pair.second;
    Q_EMIT headerBegin();
    if (m_aborted)
        return true;
    Q_EMIT headerEnd(lines);
    return true;
}

// Both roads (our own connection and the network layer) read these two the same way.
void HttpCli::takeEntityHeaders(const QByteArray &type, const QByteArray &length)
{
    const qsizetype semicolon = type.indexOf(';');
    m_mediaType = (semicolon < 0 ? type : type.left(semicolon)).trimmed().toLower();
    bool lengthOk = false;
    const qint64 announced = length.trimmed().toLongLong(&lengthOk);
    m_contentLength = lengthOk && announced >= 0 ? announced : -1;
}

void HttpCli::onMetaData()
{
    reportHeaders();
}

void HttpCli::onReadyRead()
{
    if (!m_reply || m_aborted)
        return;
    if (!reportHeaders()) {
        // Body of a redirect: not ours.
        m_reply->readAll();
        return;
    }
    if (m_aborted)
        return;
    const QByteArray chunk = m_reply->readAll();
    if (!chunk.isEmpty())
        Q_EMIT documentData(chunk);
}

void HttpCli::onFinished()
{
    if (!m_reply || m_aborted || m_done)
        return;
    reportHeaders();
    if (m_aborted)
        return;
    if (m_reply->bytesAvailable() > 0) {
        const QByteArray chunk = m_reply->readAll();
        Q_EMIT documentData(chunk);
        if (m_aborted)
            return;
    }
    const QNetworkReply::NetworkError error = m_reply->error();
    // An HTTP error status still delivers its document; a broken connection does not.
    const bool gotDocument = m_headersReported && (error == QNetworkReply::NoError || m_status >= 400);
    if (error != QNetworkReply::NoError)
        m_errorText = m_reply->errorString();
    if (gotDocument) {
        Q_EMIT documentEnd();
        if (m_aborted)
            return;
    }
    m_done = true;
    Q_EMIT requestDone(m_headersReported ? m_status : 0, m_errorText);
}

void HttpCli::abort()
{
    if (m_aborted || m_done)
        return;
    m_aborted = true;
    releaseSocket(false);
    m_phase = Phase::Over;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    m_errorText = QStringLiteral("Connection aborted on request");
    finishLater(404, m_errorText);
}

void HttpCli::finishLater(int status, const QString &reason)
{
    m_errorText = reason;
    QTimer::singleShot(0, this, [this, status, reason]() {
        if (m_done)
            return;
        m_done = true;
        Q_EMIT requestDone(status, reason);
    });
}

// ---------------------------------------------------------------------------
// Our own HTTP/1.1 over kept-alive connections, for plain http without a
// proxy: the network managers hand every chunk across threads, which cost
// more than the transfer itself.

void HttpCli::startDirect(bool freshConnection)
{
    m_phase = Phase::Connecting;
    m_received = false;
    m_closePending = false;
    m_buffer.clear();
    m_headerLines.clear();
    m_next = Next::Deliver;
    m_bodyMode = BodyMode::None;
    m_keepAlive = false;
    if (!m_pool) {
        failDirect(0, QStringLiteral("Network access is gone"));
        return;
    }
    const QString host = m_current.host();
    const quint16 port = quint16(m_current.port(80));
    QTcpSocket *socket = freshConnection ? nullptr : m_pool->takeIdle(host, port);
    m_reused = socket != nullptr;
    if (!socket)
        socket = m_pool->newSocket();
    m_socket = socket;
    connect(socket, &QTcpSocket::readyRead, this, [this, socket]() {
        if (socket == m_socket)
            onSocketReadable();
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket]() {
        if (socket == m_socket)
            onSocketClosed();
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket]() {
        if (socket == m_socket)
            onSocketClosed();
    });
    connect(socket, &QObject::destroyed, this, [this]() {
        if (m_phase == Phase::Connecting || m_phase == Phase::Head || m_phase == Phase::Body)
            failDirect(m_headersReported ? m_status : 0, QStringLiteral("Connection closed"));
    });
    if (m_reused) {
        sendRequest();
        return;
    }
    connect(socket, &QTcpSocket::connected, this, [this, socket]() {
        // Once per connection: each request goes out in one write anyway.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        if (socket == m_socket)
            sendRequest();
    });
    socket->connectToHost(host, port);
}

void HttpCli::sendRequest()
{
    m_phase = Phase::Head;
    QByteArray target =
        m_current.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (!target.startsWith('/'))
        target.prepend('/');
    QByteArray host = m_current.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (m_current.port() != -1 && m_current.port() != 80)
        host += ':' + QByteArray::number(m_current.port());
    const QByteArray agent =
        m_request.agent.isEmpty() ? QByteArray("Mozilla/5.0") : m_request.agent.toLatin1();

    QByteArray out;
    out.reserve(512);
    out += "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nUser-Agent: " + headerValue(agent) +
           "\r\nAccept: " + headerValue(m_request.accept) + "\r\n";
    if (!m_request.referrer.isEmpty())
        out += "Referer: " + QUrl(m_request.referrer, QUrl::TolerantMode).toEncoded() + "\r\n";
    if (m_sendLogin) {
        const QString pair = m_request.user + u':' + m_request.password;
        out += "Authorization: Basic " + pair.toUtf8().toBase64() + "\r\n";
    }
    out += "Connection: keep-alive\r\n\r\n";
    m_socket->write(out);
}

void HttpCli::onSocketReadable()
{
    const QPointer<QTcpSocket> socket = m_socket;
    if (!socket || (m_phase != Phase::Head && m_phase != Phase::Body))
        return;
    QByteArray data = socket->readAll();
    if (data.isEmpty())
        return;
    m_received = true;
    if (m_buffer.isEmpty())
        m_buffer = std::move(data);
    else
        m_buffer += data;
    processInput(); // may delete this
    // A socket does not signal readyRead again while it is inside one: bytes
    // that came during an event loop run by a receiver (for us, or for the
    // next request on this connection) would wait for good.
    if (socket && socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(
            socket, [socket]() { Q_EMIT socket->readyRead(); }, Qt::QueuedConnection);
}

void HttpCli::onSocketClosed()
{
    QTcpSocket *const closing = m_socket;
    if (!closing || m_phase == Phase::Over || m_phase == Phase::Idle)
        return;
    if (m_processing) {
        m_closePending = true;
        return;
    }
    if (closing->bytesAvailable() > 0) {
        const QPointer<HttpCli> self(this);
        onSocketReadable();
        if (!self || m_aborted || m_socket != closing)
            return;
    }
    if (m_phase == Phase::Body && m_bodyMode == BodyMode::UntilClose) {
        m_keepAlive = false;
        onBodyComplete();
        return;
    }
    // A kept-alive connection the server gave up on while it lay idle: the
    // request never reached it, so it is safe to send again.
    if (m_phase == Phase::Head && m_reused && !m_received && !m_retried) {
        m_retried = true;
        releaseSocket(false);
        startDirect(true);
        return;
    }
    const bool closedByServer = closing->error() == QAbstractSocket::RemoteHostClosedError ||
                                closing->error() == QAbstractSocket::UnknownSocketError;
    failDirect(m_headersReported ? m_status : 0,
               closedByServer ? QStringLiteral("Connection closed") : closing->errorString());
}

void HttpCli::processInput()
{
    // Receivers may run an event loop inside our signals: what arrives then
    // waits in the buffer for this call to take it, in order.
    if (m_processing)
        return;
    const QPointer<HttpCli> self(this);
    m_processing = true;
    processBuffer();
    if (!self)
        return;
    m_processing = false;
    if (m_closePending) {
        m_closePending = false;
        if (m_socket)
            onSocketClosed();
    }
}

void HttpCli::processBuffer()
{
    while (m_phase == Phase::Head || m_phase == Phase::Body) {
        if (m_phase == Phase::Body) {
            if (takeBody() == BodyStep::Complete)
                onBodyComplete();
            return;
        }
        if (m_buffer.isEmpty())
            return;
        static const QByteArray protocol("HTTP/");
        if (!m_buffer.startsWith(protocol) && !protocol.startsWith(m_buffer)) {
            failDirect(0, QStringLiteral("Invalid HTTP response"));
            return;
        }
        // The first empty line ends the head. Only line feeds are looked
        // for: a two-byte search would run through all of a picture's bytes
        // that came in the same read.
        qsizetype end = -1;
        qsizetype skip = 0;
        const qsizetype size = m_buffer.size();
        const char *bytes = m_buffer.constData();
        for (qsizetype at = m_buffer.indexOf('\n'); at >= 0 && at <= MaxHeadBytes;
             at = m_buffer.indexOf('\n', at + 1)) {
            if (at + 1 < size && bytes[at + 1] == '\n') {
                end = at;
                skip = 2;
                break;
            }
            if (at + 2 < size && bytes[at + 1] == '\r' && bytes[at + 2] == '\n') {
                end = at;
                skip = 3;
                break;
            }
        }
        if (end < 0 ? size > MaxHeadBytes : end > MaxHeadBytes) {
            failDirect(0, QStringLiteral("Header too large"));
            return;
        }
        if (end < 0)
            return;
        const QByteArray head = m_buffer.left(end);
        m_buffer.remove(0, end + skip);
        if (!parseHead(head)) {
            failDirect(0, QStringLiteral("Invalid HTTP response"));
            return;
        }
        if (m_status < 200)
            continue; // an interim answer; the real one follows
        if (m_next == Next::HandOver || (m_next != Next::Deliver && m_bodyMode == BodyMode::UntilClose)) {
            releaseSocket(false);
            proceed();
            return;
        }
        if (m_next == Next::Deliver) {
            m_headersReported = true;
            if (m_current != QUrl(m_request.url, QUrl::TolerantMode))
                m_finalUrl = m_current.toString();
            if (m_status >= 400) {
                m_errorText = QStringLiteral("Error transferring %1 - server replied: %2")
                                  .arg(m_current.toString(), QString::fromLatin1(m_reason));
            }
            const QPointer<HttpCli> self(this);
            Q_EMIT headerBegin();
            if (!self || m_aborted)
                return;
            Q_EMIT headerEnd(m_headerLines);
            if (!self || m_aborted)
                return;
            if (m_tooManyRedirects) {
                failDirect(m_status, QStringLiteral("Too many redirects"));
                return;
            }
        }
        m_phase = Phase::Body;
        m_chunkState = ChunkState::Size;
        m_remaining = m_bodyMode == BodyMode::Length ? m_contentLength : 0;
        if (m_bodyMode == BodyMode::None || (m_bodyMode == BodyMode::Length && m_remaining == 0)) {
            onBodyComplete();
            return;
        }
    }
}

bool HttpCli::parseHead(const QByteArray &head)
{
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    // "HTTP/1.1 200 OK"; the reason may be missing.
    const QByteArray &statusLine = lines.first();
    const qsizetype space = statusLine.indexOf(' ');
    if (space < 0)
        return false;
    const QByteArray version = statusLine.left(space);
    const QByteArray rest = statusLine.mid(space + 1).trimmed();
    const QByteArray code = rest.left(3);
    if (code.size() != 3 || (rest.size() > 3 && rest[3] != ' '))
        return false;
    for (const char c : code) {
        if (c < '0' || c > '9')
            return false;
    }
    m_status = code.toInt();
    if (m_status < 100 || m_status > 599)
        return false;
    m_reason = rest.mid(4).trimmed();

    QList<QPair<QByteArray, QByteArray>> fields;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        if ((line.startsWith(' ') || line.startsWith('\t')) && !fields.isEmpty()) {
            fields.last().second += ' ' + line.trimmed();
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        fields.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    if (m_status < 200)
        return true;

    QByteArray type;
    QByteArray length;
    QByteArray transfer;
    QByteArray location;
    QList<QByteArray> connection;
    QList<QByteArray> challenges;
    m_headerLines.clear();
    for (const auto &field : std::as_const(fields)) {
        const QByteArray name = field.first.toLower();
        if (name == "content-type")
            type = field.second;
        else if (name == "content-length")
            length = field.second;
        else if (name == "transfer-encoding")
            transfer = field.second;
        else if (name == "location")
            location = field.second;
        else if (name == "connection")
            connection += commaTokens(field.second);
        else if (name == "www-authenticate")
            challenges << field.second;
        m_headerLines << field.first + ": " + field.second;
    }
    takeEntityHeaders(type, length);

    m_keepAlive = version == "HTTP/1.0" ? connection.contains("keep-alive") : !connection.contains("close");
    const QList<QByteArray> codings = commaTokens(transfer);
    if (m_status == 204 || m_status == 304)
        m_bodyMode = BodyMode::None;
    else if (!transfer.isEmpty() && codings.last() == "chunked")
        m_bodyMode = BodyMode::Chunked;
    else if (transfer.isEmpty() && m_contentLength >= 0)
        m_bodyMode = BodyMode::Length;
    else
        m_bodyMode = BodyMode::UntilClose;
    if (m_bodyMode == BodyMode::UntilClose)
        m_keepAlive = false;

    m_next = Next::Deliver;
    m_tooManyRedirects = false;
    if (isRedirectStatus(m_status) && !location.isEmpty()) {
        const QUrl next = m_current.resolved(QUrl(QString::fromUtf8(location), QUrl::TolerantMode));
        if (next.isValid() && !next.host().isEmpty() &&
            (next.scheme() == u"http" || next.scheme() == u"https")) {
            if (m_redirectsLeft <= 0) {
                m_tooManyRedirects = true;
            } else {
                m_next = Next::Redirect;
                m_nextUrl = next;
            }
        }
    } else if (m_status == 401 && m_request.login && !m_sendLogin &&
               m_current.host().compare(m_request.loginHost, Qt::CaseInsensitive) == 0) {
        bool basic = false;
        for (const QByteArray &challenge : std::as_const(challenges))
            basic = basic || challenge.trimmed().toLower().startsWith("basic");
        if (basic)
            m_next = Next::Login;
        else if (!challenges.isEmpty())
            m_next = Next::HandOver;
    }
    return true;
}

HttpCli::BodyStep HttpCli::takeBody()
{
    if (m_bodyMode == BodyMode::Chunked)
        return takeChunked();
    // A receiver that runs an event loop lets more bytes into the buffer
    // while we deliver: they are taken in the same call.
    while (!m_buffer.isEmpty()) {
        if (m_bodyMode == BodyMode::UntilClose) {
            if (!deliver(std::exchange(m_buffer, QByteArray())))
                return BodyStep::Stop;
            continue;
        }
        QByteArray chunk;
        if (m_buffer.size() <= m_remaining) {
            chunk = std::exchange(m_buffer, QByteArray());
        } else {
            // More than announced: the rest is nothing we can trust, and the
            // connection is out of step for any next answer.
            chunk = m_buffer.left(m_remaining);
            m_buffer.clear();
            m_keepAlive = false;
        }
        m_remaining -= chunk.size();
        if (!deliver(std::move(chunk)))
            return BodyStep::Stop;
        if (m_remaining == 0)
            return BodyStep::Complete;
    }
    return BodyStep::More;
}

HttpCli::BodyStep HttpCli::takeChunked()
{
    for (;;) {
        switch (m_chunkState) {
        case ChunkState::Size: {
            const qsizetype newline = m_buffer.indexOf('\n');
            if (newline < 0) {
                if (m_buffer.size() > MaxChunkLine)
                    failDirect(m_status, QStringLiteral("Invalid chunked body"));
                return BodyStep::More;
            }
            QByteArray line = m_buffer.left(newline);
            m_buffer.remove(0, newline + 1);
            const qsizetype extension = line.indexOf(';');
            if (extension >= 0)
                line.truncate(extension);
            line = line.trimmed();
            bool ok = false;
            const qint64 size = line.toLongLong(&ok, 16);
            if (!ok || size < 0 || line.startsWith('-') || line.startsWith('+')) {
                failDirect(m_status, QStringLiteral("Invalid chunked body"));
                return BodyStep::Stop;
            }
            m_remaining = size;
            m_chunkState = size == 0 ? ChunkState::Trailer : ChunkState::Data;
            break;
        }
        case ChunkState::Data: {
            if (m_buffer.isEmpty())
                return BodyStep::More;
            QByteArray chunk;
            if (m_buffer.size() <= m_remaining) {
                chunk = std::exchange(m_buffer, QByteArray());
            } else {
                chunk = m_buffer.left(m_remaining);
                m_buffer.remove(0, m_remaining);
            }
            m_remaining -= chunk.size();
            if (m_remaining == 0)
                m_chunkState = ChunkState::DataEnd;
            if (!deliver(std::move(chunk)))
                return BodyStep::Stop;
            break;
        }
        case ChunkState::DataEnd:
            if (m_buffer.isEmpty() || m_buffer == "\r")
                return BodyStep::More;
            if (m_buffer.startsWith("\r\n"))
                m_buffer.remove(0, 2);
            else if (m_buffer.startsWith('\n'))
                m_buffer.remove(0, 1);
            else {
                failDirect(m_status, QStringLiteral("Invalid chunked body"));
                return BodyStep::Stop;
            }
            m_chunkState = ChunkState::Size;
            break;
        case ChunkState::Trailer: {
            const qsizetype newline = m_buffer.indexOf('\n');
            if (newline < 0) {
                if (m_buffer.size() > MaxHeadBytes)
                    failDirect(m_status, QStringLiteral("Header too large"));
                return BodyStep::More;
            }
            const bool last = m_buffer.left(newline).trimmed().isEmpty();
            m_buffer.remove(0, newline + 1);
            if (last)
                return BodyStep::Complete;
            break;
        }
        }
    }
}

bool HttpCli::deliver(QByteArray &&chunk)
{
    if (m_next != Next::Deliver || chunk.isEmpty())
        return true;
    const QPointer<HttpCli> self(this);
    Q_EMIT documentData(chunk);
    return self && !m_aborted;
}

void HttpCli::onBodyComplete()
{
    releaseSocket(m_keepAlive && m_buffer.isEmpty());
    m_buffer.clear();
    if (m_next != Next::Deliver) {
        proceed();
        return;
    }
    // Not from inside the socket's readyRead: a receiver that runs an event
    // loop there (a question to the user) would leave the next request on
    // this connection without its readyRead until that loop ends.
    QTimer::singleShot(0, this, [this]() {
        if (m_aborted || m_done)
            return;
        const QPointer<HttpCli> self(this);
        Q_EMIT documentEnd();
        if (!self || m_aborted || m_done)
            return;
        m_done = true;
        Q_EMIT requestDone(m_status, m_errorText);
    });
}

void HttpCli::proceed()
{
    switch (m_next) {
    case Next::Deliver:
        return;
    case Next::HandOver:
        startReply(m_current, m_redirectsLeft);
        return;
    case Next::Login:
        m_sendLogin = true;
        startDirect(false);
        return;
    case Next::Redirect:
        --m_redirectsLeft;
        m_current = m_nextUrl;
        m_sendLogin = false;
        m_retried = false;
        if (m_current.scheme() == u"https")
            startReply(m_current, m_redirectsLeft);
        else
            startDirect(false);
        return;
    }
}

void HttpCli::releaseSocket(bool keep)
{
    m_phase = Phase::Over;
    QTcpSocket *const socket = m_socket;
    m_socket = nullptr;
    if (!socket)
        return;
    socket->disconnect(this);
    if (keep && m_pool) {
        m_pool->putIdle(socket, m_current.host(), quint16(m_current.port(80)));
    } else {
        socket->abort();
        socket->deleteLater();
    }
}

void HttpCli::failDirect(int status, const QString &reason)
{
    releaseSocket(false);
    finishLater(status, reason);
}
