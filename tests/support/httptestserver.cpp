#include "httptestserver.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QHostAddress>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <atomic>

namespace {

// A request head larger than this is an attack or a bug in the client.
constexpr qsizetype MaxHead = 64 * 1024;
// Endless bodies stop being produced while this much is still queued, so a
// client that stops reading does not make the server eat memory.
constexpr qint64 EndlessBacklog = 256 * 1024;
constexpr qsizetype EndlessChunk = 16 * 1024;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 206:
        return "Partial Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 304:
        return "Not Modified";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

QByteArray errorPage(int status, const QString &text)
{
    const QByteArray title = QByteArray::number(status) + ' ' + reasonPhrase(status);
    return "<!DOCTYPE html>\n<html><head><title>" + title + "</title></head>\n<body><h1>" + title +
           "</h1>\n<p>" + text.toHtmlEscaped().toUtf8() +
           "</p>\n<hr><address>sd_testserver</address></body></html>\n";
}

// Whether a verbatim header block tells the client where the body ends.
bool declaresLength(const QByteArray &rawHead)
{
    const QList<QByteArray> lines = rawHead.split('\n');
    for (const QByteArray &line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "content-length")
            return true;
    }
    return false;
}

QString decodeTarget(const QByteArray &target)
{
    return QUrl::fromPercentEncoding(target);
}

} // namespace

QByteArray HttpTestServer::Request::header(const QByteArray &name) const
{
    const QByteArray wanted = name.toLower();
    for (const auto &h : headers) {
        if (h.first.toLower() == wanted)
            return h.second;
    }
    return QByteArray();
}

class HttpTestServer::Private
{
public:
    struct Auth
    {
        QString prefix;
        QByteArray authorization;
    };
    struct Redirect
    {
        QString target;
        int status = 302;
    };

    mutable QMutex mutex;
    QHash<QString, Response> routes;
    QHash<QString, Redirect> redirects;
    QList<Auth> auths;
    int delayMs = 0;
    QList<Request> log;
    int lastConnection = 0;
    QString error;
    quint16 port = 0;
    quint16 tlsPort = 0;
    std::unique_ptr<QTemporaryDir> certDir;
    QString caPath;
    QString certPath;
    QString keyPath;

    std::atomic<int> open{0};
    std::atomic<qint64> sent{0};

    QThread thread;
    // Lives in `thread` and owns the listeners and connections there.
    QObject *home = nullptr;

    // Runs in the server thread.
    void accept(QTcpServer *server, bool tls);
    // Logs the request and picks its answer; runs in the server thread.
    Response answer(Request request);

    bool makeCertificates();
    QString readError() const
    {
        QMutexLocker lock(&mutex);
        return error;
    }
    void setError(const QString &text)
    {
        QMutexLocker lock(&mutex);
        error = text;
    }
};

namespace {

// One client connection, in the server thread. Answers its requests one at a
// time; deleted when the client goes, which also stops any timer feeding it.
class Connection : public QObject
{
public:
    Connection(HttpTestServer::Private *d, QTcpSocket *socket, bool tls, int id)
        : QObject(d->home), m_d(d), m_socket(socket), m_tls(tls), m_id(id)
    {
        ++m_d->open;
        m_socket->setParent(this);
        connect(m_socket, &QTcpSocket::readyRead, this, &Connection::readMore);
        connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
        connect(m_socket, &QTcpSocket::bytesWritten, this, [this](qint64 n) {
            m_d->sent += n;
            if (m_endless && m_response.trickleBytes <= 0)
                pump();
        });
        connect(&m_timer, &QTimer::timeout, this, &Connection::tricklePiece);
        if (m_socket->bytesAvailable() > 0)
            QTimer::singleShot(0, this, &Connection::readMore);
    }

    ~Connection() override
    {
        QObject::disconnect(m_socket, nullptr, this, nullptr);
        --m_d->open;
    }

private:
    bool connected() const { return m_socket->state() == QAbstractSocket::ConnectedState; }

    void readMore()
    {
        m_in += m_socket->readAll();
        if (!m_busy && !m_closing)
            serveNext();
    }

    void serveNext()
    {
        qsizetype end = m_in.indexOf("\r\n\r\n");
        qsizetype separator = 4;
        if (end < 0) {
            end = m_in.indexOf("\n\n");
            separator = 2;
        }
        if (end < 0) {
            if (m_in.size() > MaxHead)
                refuse(431);
            return;
        }
        const QList<QByteArray> lines = m_in.left(end).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        if (first.size() != 3 || !first.at(2).startsWith("HTTP/1.")) {
            refuse(400);
            return;
        }
        HttpTestServer::Request request;
        request.method = first.at(0);
        request.version = first.at(2);
        request.connection = m_id;
        request.tls = m_tls;
        QByteArray target = first.at(1);
        // A client talking to us as a proxy sends the whole address.
        if (target.startsWith("http://") || target.startsWith("https://")) {
            const qsizetype slash = target.indexOf('/', target.indexOf("//") + 2);
            target = slash < 0 ? QByteArray("/") : target.mid(slash);
        }
        request.pathAndQuery = QString::fromUtf8(target);
        request.decodedPathAndQuery = decodeTarget(target);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines.at(i).trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon > 0)
                request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
        }
        // GET and HEAD carry no body, but a stray one must not be read as the
        // next request.
        const qsizetype bodyLength = qMax(0LL, request.header("Content-Length").toLongLong());
        if (m_in.size() < end + separator + bodyLength)
            return;
        m_in.remove(0, end + separator + bodyLength);

        const QByteArray connection = request.header("Connection").toLower();
        m_keepAlive =
            request.version == "HTTP/1.0" ? connection.contains("keep-alive") : !connection.contains("close");
        m_http10 = request.version == "HTTP/1.0";
        m_head = request.method == "HEAD";
        m_busy = true;
        m_response = m_d->answer(request);
        if (m_response.headerDelayMs > 0)
            QTimer::singleShot(m_response.headerDelayMs, this, &Connection::begin);
        else
            begin();
    }

    void refuse(int status)
    {
        m_busy = true;
        m_keepAlive = false;
        HttpTestServer::Response r;
        r.status = status;
        r.body =
            errorPage(status, QStringLiteral("Your client sent a request this server does not understand."));
        m_response = r;
        m_head = false;
        begin();
    }

    QByteArray generatedHead() const
    {
        const HttpTestServer::Response &r = m_response;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + ' ' + reasonPhrase(r.status) + "\r\n";
        head += "Server: sd_testserver\r\n";
        if (!r.contentType.isEmpty())
            head += "Content-Type: " + r.contentType + "\r\n";
        if (r.contentLength && !r.endless)
            head += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
        if (!m_keepAlive)
            head += "Connection: close\r\n";
        else if (m_http10)
            head += "Connection: keep-alive\r\n";
        for (const auto &h : r.extraHeaders)
            head += h.first + ": " + h.second + "\r\n";
        head += "\r\n";
        return head;
    }

    void begin()
    {
        if (!connected())
            return;
        const HttpTestServer::Response &r = m_response;
        if (r.dropConnection) {
            m_closing = true;
            m_socket->disconnectFromHost();
            return;
        }
        if (r.rawHeaderBlock.isEmpty()) {
            // Only a body of announced length lets the client find the end
            // without the connection closing.
            if (!r.contentLength || r.endless)
                m_keepAlive = false;
            write(generatedHead());
        } else {
            if (!declaresLength(r.rawHeaderBlock))
                m_keepAlive = false;
            write(r.rawHeaderBlock);
        }
        if (m_head) {
            finish();
        } else if (r.silentAfterHeaders) {
            // Stays busy for good: the client has to give up.
        } else if (r.endless) {
            m_endless = true;
            if (r.trickleBytes > 0)
                startTrickle();
            else
                pump();
        } else if (r.trickleBytes > 0 && !r.body.isEmpty()) {
            m_bodyPos = 0;
            startTrickle();
        } else {
            write(r.body);
            finish();
        }
    }

    void startTrickle()
    {
        m_timer.start(qMax(0, m_response.trickleIntervalMs));
        tricklePiece();
    }

    void tricklePiece()
    {
        if (!connected()) {
            m_timer.stop();
            return;
        }
        if (m_endless) {
            write(endlessData(m_response.trickleBytes));
            return;
        }
        write(m_response.body.mid(m_bodyPos, m_response.trickleBytes));
        m_bodyPos += m_response.trickleBytes;
        if (m_bodyPos >= m_response.body.size()) {
            m_timer.stop();
            finish();
        }
    }

    void pump()
    {
        while (connected() && m_socket->bytesToWrite() < EndlessBacklog)
            write(endlessData(EndlessChunk));
    }

    QByteArray endlessData(qsizetype n)
    {
        static const QByteArray filler(EndlessChunk, '\xA5');
        const QByteArray &source = m_response.body.isEmpty() ? filler : m_response.body;
        QByteArray out;
        out.reserve(n);
        while (out.size() < n) {
            const qsizetype at = qsizetype(m_endlessPos % source.size());
            const qsizetype take = qMin(n - out.size(), source.size() - at);
            out += source.mid(at, take);
            m_endlessPos += take;
        }
        return out;
    }

    void write(const QByteArray &bytes)
    {
        if (connected() && !bytes.isEmpty())
            m_socket->write(bytes);
    }

    void finish()
    {
        m_busy = false;
        if (!m_keepAlive) {
            m_closing = true;
            m_socket->disconnectFromHost();
            return;
        }
        if (!m_in.isEmpty())
            serveNext();
    }

    HttpTestServer::Private *m_d;
    QTcpSocket *m_socket;
    bool m_tls;
    int m_id;
    QByteArray m_in;
    QTimer m_timer;
    bool m_busy = false;
    bool m_closing = false;
    // The answer in progress.
    HttpTestServer::Response m_response;
    bool m_keepAlive = false;
    bool m_http10 = false;
    bool m_head = false;
    bool m_endless = false;
    qsizetype m_bodyPos = 0;
    qint64 m_endlessPos = 0;
};

} // namespace

void HttpTestServer::Private::accept(QTcpServer *server, bool tls)
{
    while (server->hasPendingConnections()) {
        QTcpSocket *socket = server->nextPendingConnection();
        int id;
        {
            QMutexLocker lock(&mutex);
            id = ++lastConnection;
        }
        new Connection(this, socket, tls, id);
    }
}

HttpTestServer::Response HttpTestServer::Private::answer(Request request)
{
    QMutexLocker lock(&mutex);
    log.append(request);
    const QString &raw = request.pathAndQuery;
    const QString &decoded = request.decodedPathAndQuery;
    Response r;

    bool authorized = true;
    for (const Auth &auth : std::as_const(auths)) {
        if ((raw.startsWith(auth.prefix) || decoded.startsWith(auth.prefix)) &&
            request.header("Authorization") != auth.authorization)
            authorized = false;
    }
    if (!authorized) {
        r.status = 401;
        r.body = errorPage(401, QStringLiteral("This page wants a user name and a password."));
        r.extraHeaders.append({QByteArray("WWW-Authenticate"), QByteArray("Basic realm=\"test\"")});
    } else if (redirects.contains(raw) || redirects.contains(decoded)) {
        const Redirect redirect = redirects.contains(raw) ? redirects.value(raw) : redirects.value(decoded);
        QString location = redirect.target;
        if (location.startsWith(QLatin1Char('/'))) {
            QString host = QString::fromUtf8(request.header("Host"));
            if (host.isEmpty())
                host = QStringLiteral("127.0.0.1:%1").arg(request.tls ? tlsPort : port);
            location =
                (request.tls ? QStringLiteral("https://") : QStringLiteral("http://")) + host + location;
        }
        r.status = redirect.status;
        r.body = errorPage(redirect.status, QStringLiteral("The document has moved to ") + location + u'.');
        r.extraHeaders.append({QByteArray("Location"), location.toUtf8()});
    } else if (routes.contains(raw)) {
        r = routes.value(raw);
    } else if (routes.contains(decoded)) {
        r = routes.value(decoded);
    } else {
        r.status = 404;
        r.body = errorPage(404, QStringLiteral("The requested URL ") + decoded +
                                    QStringLiteral(" was not found."));
    }
    r.headerDelayMs += delayMs;
    return r;
}

bool HttpTestServer::Private::makeCertificates()
{
    if (certDir)
        return true;
    auto dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid()) {
        setError(QStringLiteral("no temporary folder for the certificates"));
        return false;
    }
    const QString ca = dir->filePath(QStringLiteral("ca.pem"));
    const QString caKey = dir->filePath(QStringLiteral("ca.key"));
    const QString cert = dir->filePath(QStringLiteral("server.pem"));
    const QString key = dir->filePath(QStringLiteral("server.key"));
    const QString csr = dir->filePath(QStringLiteral("server.csr"));
    const QString ext = dir->filePath(QStringLiteral("server.ext"));
    QFile extFile(ext);
    if (!extFile.open(QIODevice::WriteOnly))
        return false;
    extFile.write("basicConstraints=critical,CA:FALSE\n"
                  "keyUsage=critical,digitalSignature,keyEncipherment\n"
                  "extendedKeyUsage=serverAuth\n"
                  "subjectAltName=IP:127.0.0.1\n");
    extFile.close();

    // EC keys: generating RSA ones would cost a noticeable part of a second.
    const QStringList ecKey{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                            QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
    const QList<QStringList> steps{
        QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ecKey +
            QStringList{QStringLiteral("-keyout"), caKey, QStringLiteral("-out"), ca, QStringLiteral("-days"),
                        QStringLiteral("30"), QStringLiteral("-subj"),
                        QStringLiteral("/CN=Snapdredge test CA"), QStringLiteral("-addext"),
                        QStringLiteral("basicConstraints=critical,CA:TRUE"), QStringLiteral("-addext"),
                        QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")},
        QStringList{QStringLiteral("req")} + ecKey +
            QStringList{QStringLiteral("-keyout"), key, QStringLiteral("-out"), csr, QStringLiteral("-subj"),
                        QStringLiteral("/CN=127.0.0.1")},
        QStringList{QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), csr,
                    QStringLiteral("-CA"), ca, QStringLiteral("-CAkey"), caKey, QStringLiteral("-set_serial"),
                    QStringLiteral("2"), QStringLiteral("-days"), QStringLiteral("30"),
                    QStringLiteral("-extfile"), ext, QStringLiteral("-out"), cert},
    };
    for (const QStringList &args : steps) {
        QProcess openssl;
        openssl.setProcessChannelMode(QProcess::MergedChannels);
        openssl.start(QStringLiteral("openssl"), args);
        if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit ||
            openssl.exitCode() != 0) {
            setError(
                QStringLiteral("openssl %1 failed: %2 %3")
                    .arg(args.first(), openssl.errorString(), QString::fromLocal8Bit(openssl.readAll())));
            return false;
        }
    }
    QMutexLocker lock(&mutex);
    caPath = ca;
    certPath = cert;
    keyPath = key;
    certDir = std::move(dir);
    return true;
}

HttpTestServer::HttpTestServer() : m_d(std::make_unique<Private>())
{
    m_d->thread.setObjectName(QStringLiteral("HttpTestServer"));
    m_d->home = new QObject;
    m_d->home->moveToThread(&m_d->thread);
    // Runs in the server thread as it ends, taking every listener and
    // connection with it.
    QObject::connect(&m_d->thread, &QThread::finished, m_d->home, &QObject::deleteLater);
    m_d->thread.start();
}

HttpTestServer::~HttpTestServer()
{
    m_d->thread.quit();
    m_d->thread.wait();
}

bool HttpTestServer::start(quint16 wantedPort)
{
    Private *d = m_d.get();
    bool ok = false;
    QMetaObject::invokeMethod(
        d->home,
        [d, wantedPort, &ok] {
            auto *server = new QTcpServer(d->home);
            if (!server->listen(QHostAddress(QHostAddress::LocalHost), wantedPort)) {
                d->setError(server->errorString());
                delete server;
                return;
            }
            QObject::connect(server, &QTcpServer::pendingConnectionAvailable, d->home,
                             [d, server] { d->accept(server, false); });
            QMutexLocker lock(&d->mutex);
            d->port = server->serverPort();
            ok = true;
        },
        Qt::BlockingQueuedConnection);
    return ok;
}

quint16 HttpTestServer::port() const
{
    QMutexLocker lock(&m_d->mutex);
    return m_d->port;
}

QString HttpTestServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port());
}

QString HttpTestServer::url(const QString &pathAndQuery) const
{
    return baseUrl() + pathAndQuery;
}

bool HttpTestServer::startTls(quint16 wantedPort)
{
    Private *d = m_d.get();
    if (!QSslSocket::supportsSsl()) {
        d->setError(QStringLiteral("this Qt has no TLS backend"));
        return false;
    }
    if (!d->makeCertificates())
        return false;
    QString certPath, keyPath;
    {
        QMutexLocker lock(&d->mutex);
        certPath = d->certPath;
        keyPath = d->keyPath;
    }
    QFile certFile(certPath);
    QFile keyFile(keyPath);
    if (!certFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
        d->setError(QStringLiteral("cannot read the generated certificate"));
        return false;
    }
    const QSslCertificate certificate(&certFile, QSsl::Pem);
    const QSslKey key(&keyFile, QSsl::Ec, QSsl::Pem);
    if (certificate.isNull() || key.isNull()) {
        d->setError(QStringLiteral("the generated certificate or key does not load"));
        return false;
    }
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(certificate);
    configuration.setPrivateKey(key);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);

    bool ok = false;
    QMetaObject::invokeMethod(
        d->home,
        [d, wantedPort, configuration, &ok] {
            auto *server = new QSslServer(d->home);
            server->setSslConfiguration(configuration);
            if (!server->listen(QHostAddress(QHostAddress::LocalHost), wantedPort)) {
                d->setError(server->errorString());
                delete server;
                return;
            }
            // QSslServer hands a socket over once its handshake is done.
            QObject::connect(server, &QTcpServer::pendingConnectionAvailable, d->home,
                             [d, server] { d->accept(server, true); });
            QMutexLocker lock(&d->mutex);
            d->tlsPort = server->serverPort();
            ok = true;
        },
        Qt::BlockingQueuedConnection);
    return ok;
}

quint16 HttpTestServer::tlsPort() const
{
    QMutexLocker lock(&m_d->mutex);
    return m_d->tlsPort;
}

QString HttpTestServer::tlsBaseUrl() const
{
    return QStringLiteral("https://127.0.0.1:%1").arg(tlsPort());
}

QString HttpTestServer::tlsUrl(const QString &pathAndQuery) const
{
    return tlsBaseUrl() + pathAndQuery;
}

QString HttpTestServer::caCertificatePath() const
{
    QMutexLocker lock(&m_d->mutex);
    return m_d->caPath;
}

QString HttpTestServer::errorString() const
{
    return m_d->readError();
}

void HttpTestServer::setRoute(const QString &pathAndQuery, const Response &r)
{
    QMutexLocker lock(&m_d->mutex);
    m_d->routes.insert(pathAndQuery, r);
}

void HttpTestServer::removeRoute(const QString &pathAndQuery)
{
    QMutexLocker lock(&m_d->mutex);
    m_d->routes.remove(pathAndQuery);
}

void HttpTestServer::setRedirect(const QString &from, const QString &toUrlOrPath, int status)
{
    QMutexLocker lock(&m_d->mutex);
    m_d->redirects.insert(from, Private::Redirect{toUrlOrPath, status});
}

void HttpTestServer::setBasicAuth(const QString &pathPrefix, const QString &user, const QString &password)
{
    QMutexLocker lock(&m_d->mutex);
    const QByteArray credentials = (user + u':' + password).toUtf8().toBase64();
    m_d->auths.append(Private::Auth{pathPrefix, "Basic " + credentials});
}

void HttpTestServer::setResponseDelay(int ms)
{
    QMutexLocker lock(&m_d->mutex);
    m_d->delayMs = qMax(0, ms);
}

QList<HttpTestServer::Request> HttpTestServer::requests() const
{
    QMutexLocker lock(&m_d->mutex);
    return m_d->log;
}

int HttpTestServer::requestCount(const QString &pathAndQuery) const
{
    QMutexLocker lock(&m_d->mutex);
    int n = 0;
    for (const Request &r : std::as_const(m_d->log)) {
        if (r.pathAndQuery == pathAndQuery || r.decodedPathAndQuery == pathAndQuery)
            ++n;
    }
    return n;
}

void HttpTestServer::clearLog()
{
    QMutexLocker lock(&m_d->mutex);
    m_d->log.clear();
}

int HttpTestServer::openConnections() const
{
    return m_d->open;
}

qint64 HttpTestServer::bytesSent() const
{
    return m_d->sent;
}
