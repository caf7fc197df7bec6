// The test server and generated sites that the crawl tests stand on: a fault
// here would show up there as a puzzling crawl failure.

#include "support/httptestserver.h"
#include "support/testimages.h"
#include "support/testsite.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSet>
#include <QSslConfiguration>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {

struct Fetched
{
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int status = 0;
    QByteArray body;
    QUrl url;
    QList<QNetworkReply::RawHeaderPair> headers;
    qint64 elapsedMs = 0;
    int readyReads = 0;

    QByteArray header(const QByteArray &name) const
    {
        for (const auto &h : headers) {
            if (h.first.compare(name, Qt::CaseInsensitive) == 0)
                return h.second;
        }
        return QByteArray();
    }
};

// Aborts once `limit` bytes have come, for bodies that never end.
Fetched fetch(QNetworkAccessManager &manager, QNetworkRequest request, qint64 limit = -1)
{
    Fetched f;
    QElapsedTimer clock;
    clock.start();
    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        ++f.readyReads;
        f.body += reply->readAll();
        if (limit >= 0 && f.body.size() >= limit)
            reply->abort();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    if (reply->isOpen())
        f.body += reply->readAll();
    f.elapsedMs = clock.elapsed();
    f.error = reply->error();
    f.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    f.url = reply->url();
    f.headers = reply->rawHeaderPairs();
    delete reply;
    return f;
}

struct Client
{
    QNetworkAccessManager manager;
    QString caPath; // trusted besides the system's CAs when set

    Fetched get(const QString &url, qint64 limit = -1)
    {
        QNetworkRequest request{QUrl(url)};
        if (!caPath.isEmpty()) {
            QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
            configuration.addCaCertificates(QSslCertificate::fromPath(caPath));
            request.setSslConfiguration(configuration);
        }
        return fetch(manager, request, limit);
    }
};

// Reads one answer off a blocking socket; the server must keep working while
// this thread waits in it.
bool readAnswer(QTcpSocket &socket, QByteArray &pending, bool head, int &status, QByteArray &headBlock,
                QByteArray &body)
{
    auto fill = [&] {
        if (!socket.waitForReadyRead(5000) && socket.bytesAvailable() == 0)
            return false;
        pending += socket.readAll();
        return true;
    };
    while (!pending.contains("\r\n\r\n")) {
        if (!fill())
            return false;
    }
    const qsizetype end = pending.indexOf("\r\n\r\n") + 4;
    headBlock = pending.left(end);
    pending.remove(0, end);
    status = headBlock.mid(9, 3).toInt();
    const QRegularExpression lengthLine(QStringLiteral("\r\nContent-Length: *(\\d+)"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = lengthLine.match(QString::fromLatin1(headBlock));
    const qsizetype length = head ? 0 : match.hasMatch() ? match.captured(1).toLongLong() : -1;
    if (length < 0) {
        while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000))
            pending += socket.readAll();
        pending += socket.readAll();
        body = pending;
        pending.clear();
        return true;
    }
    while (pending.size() < length) {
        if (!fill())
            return false;
    }
    body = pending.left(length);
    pending.remove(0, length);
    return true;
}

QSet<QString> linksOn(const QString &pageUrl, const QByteArray &html)
{
    static const QRegularExpression attribute(
        QStringLiteral("\\b(?:src|href)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
        QRegularExpression::CaseInsensitiveOption);
    QSet<QString> links;
    QRegularExpressionMatchIterator it = attribute.globalMatch(QString::fromUtf8(html));
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QString value = m.captured(1) + m.captured(2) + m.captured(3);
        links.insert(QUrl(pageUrl).resolved(QUrl(value)).adjusted(QUrl::RemoveFragment).toString());
    }
    return links;
}

QSet<QString> toSet(const QStringList &list)
{
    return QSet<QString>(list.begin(), list.end());
}

QStringList urlsOf(const QList<TestSite::Picture> &pictures)
{
    QStringList urls;
    for (const auto &p : pictures)
        urls.append(p.url);
    return urls;
}

// Average difference per colour channel, 0..255.
double difference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

QImage decode(const QByteArray &bytes, QByteArray *format = nullptr, int *frames = nullptr)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (format)
        *format = reader.format();
    if (frames)
        *frames = reader.imageCount();
    return reader.read();
}

} // namespace

Q_DECLARE_METATYPE(HttpTestServer::Response)
Q_DECLARE_METATYPE(TestSite::Scheme)

class TestHttpTestServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rawExchanges_data();
    void rawExchanges();
    void keepAliveWithQtClient();
    void stopsWhenClientLeaves_data();
    void stopsWhenClientLeaves();
    void tls_data();
    void tls();
    void images_data();
    void images();
    void pagesLinkWhatTheyPromise_data();
    void pagesLinkWhatTheyPromise();
    void misbehavingPicturesOnTheWire();
};

void TestHttpTestServer::rawExchanges_data()
{
    QTest::addColumn<QByteArray>("requests"); // sent in one write
    QTest::addColumn<QList<int>>("statuses");
    QTest::addColumn<QList<QByteArray>>("bodies");
    QTest::addColumn<QByteArray>("inFirstHead");
    QTest::addColumn<bool>("closes");

    const QByteArray getA = "GET /a HTTP/1.1\r\nHost: h\r\n\r\n";
    QTest::newRow("1.1 keeps the connection, answers in order")
        << getA + "GET /b HTTP/1.1\r\nHost: h\r\n\r\n" + getA << QList<int>{200, 200, 200}
        << QList<QByteArray>{"A", "BB", "A"} << QByteArray("Content-Length: 1\r\n") << false;
    QTest::newRow("1.1 Connection: close")
        << QByteArray("GET /a HTTP/1.1\r\nConnection: close\r\n\r\n") << QList<int>{200}
        << QList<QByteArray>{"A"} << QByteArray("Connection: close") << true;
    QTest::newRow("1.0 closes by default") << QByteArray("GET /a HTTP/1.0\r\n\r\n") << QList<int>{200}
                                           << QList<QByteArray>{"A"} << QByteArray() << true;
    QTest::newRow("1.0 keep-alive") << QByteArray("GET /a HTTP/1.0\r\nConnection: keep-alive\r\n\r\n"
                                                  "GET /b HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n")
                                    << QList<int>{200, 200} << QList<QByteArray>{"A", "BB"}
                                    << QByteArray("Connection: keep-alive") << false;
    QTest::newRow("HEAD has no body, the next answer is intact")
        << QByteArray("HEAD /b HTTP/1.1\r\n\r\n") + getA << QList<int>{200, 200} << QList<QByteArray>{"", "A"}
        << QByteArray("Content-Length: 2\r\n") << false;
    QTest::newRow("percent-encoded path")
        << QByteArray("GET /a%20b.jpg?x=1 HTTP/1.1\r\n\r\n") << QList<int>{200} << QList<QByteArray>{"space"}
        << QByteArray() << false;
    QTest::newRow("proxy-style absolute target")
        << QByteArray("GET http://127.0.0.1:1/a HTTP/1.1\r\n\r\n") << QList<int>{200}
        << QList<QByteArray>{"A"} << QByteArray() << false;
    QTest::newRow("unknown path: 404 with an HTML page")
        << QByteArray("GET /nothing HTTP/1.1\r\n\r\n") << QList<int>{404} << QList<QByteArray>{"<html>"}
        << QByteArray("Content-Type: text/html") << false;
    QTest::newRow("redirect to a path becomes absolute on the Host")
        << QByteArray("GET /old HTTP/1.1\r\nHost: 127.0.0.1:9\r\n\r\n") << QList<int>{301}
        << QList<QByteArray>{"<html>"} << QByteArray("Location: http://127.0.0.1:9/a\r\n") << false;
    QTest::newRow("login missing") << QByteArray("GET /private/x HTTP/1.1\r\n\r\n") << QList<int>{401}
                                   << QList<QByteArray>{"<html>"}
                                   << QByteArray("WWW-Authenticate: Basic realm=\"test\"") << false;
    QTest::newRow("login wrong") << QByteArray("GET /private/x HTTP/1.1\r\nAuthorization: Basic " +
                                               QByteArray("me:nope").toBase64() + "\r\n\r\n")
                                 << QList<int>{401} << QList<QByteArray>{"<html>"} << QByteArray() << false;
    QTest::newRow("login right") << QByteArray("GET /private/x HTTP/1.1\r\nauthorization: Basic " +
                                               QByteArray("me:secret").toBase64() + "\r\n\r\n")
                                 << QList<int>{200} << QList<QByteArray>{"private"} << QByteArray() << false;
    QTest::newRow("verbatim header block")
        << QByteArray("GET /raw HTTP/1.1\r\n\r\n") << QList<int>{200} << QList<QByteArray>{"12345"}
        << QByteArray("\r\ncontent-type:image/jpeg; charset=x\r\nContent-Length:5\r\n\r\n") << false;
    QTest::newRow("no Content-Length: the close ends the body")
        << QByteArray("GET /unsized HTTP/1.1\r\n\r\n") << QList<int>{200} << QList<QByteArray>{"until close"}
        << QByteArray("Connection: close") << true;
    QTest::newRow("a body after the head is skipped")
        << QByteArray("GET /a HTTP/1.1\r\nContent-Length: 3\r\n\r\nxyz") + getA << QList<int>{200, 200}
        << QList<QByteArray>{"A", "A"} << QByteArray() << false;
}

void TestHttpTestServer::rawExchanges()
{
    QFETCH(QByteArray, requests);
    QFETCH(QList<int>, statuses);
    QFETCH(QList<QByteArray>, bodies);
    QFETCH(QByteArray, inFirstHead);
    QFETCH(bool, closes);

    HttpTestServer server;
    QVERIFY(server.start());
    HttpTestServer::Response r;
    r.body = "A";
    server.setRoute(QStringLiteral("/a"), r);
    r.body = "BB";
    server.setRoute(QStringLiteral("/b"), r);
    r.body = "space";
    server.setRoute(QStringLiteral("/a b.jpg?x=1"), r);
    r.body = "private";
    server.setRoute(QStringLiteral("/private/x"), r);
    server.setBasicAuth(QStringLiteral("/private/"), QStringLiteral("me"), QStringLiteral("secret"));
    server.setRedirect(QStringLiteral("/old"), QStringLiteral("/a"), 301);
    r.body = "12345";
    r.rawHeaderBlock = "HTTP/1.1 200 OK\r\ncontent-type:image/jpeg; charset=x\r\nContent-Length:5\r\n\r\n";
    server.setRoute(QStringLiteral("/raw"), r);
    r = HttpTestServer::Response();
    r.body = "until close";
    r.contentLength = false;
    server.setRoute(QStringLiteral("/unsized"), r);

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(socket.waitForConnected(5000));
    socket.write(requests);
    QVERIFY(socket.waitForBytesWritten(5000));

    static const QRegularExpression requestLine(QStringLiteral("(GET|HEAD) \\S+ HTTP/1\\.[01]\r\n"));
    QList<bool> heads;
    QRegularExpressionMatchIterator it = requestLine.globalMatch(QString::fromLatin1(requests));
    while (it.hasNext())
        heads.append(it.next().captured(1) == QStringLiteral("HEAD"));
    QCOMPARE(heads.size(), statuses.size());

    QByteArray pending;
    for (int i = 0; i < statuses.size(); ++i) {
        int status = 0;
        QByteArray head, body;
        QVERIFY2(readAnswer(socket, pending, heads.at(i), status, head, body),
                 qPrintable(QString::number(i)));
        QCOMPARE(status, statuses.at(i));
        if (bodies.at(i).startsWith("<html>"))
            QVERIFY2(body.contains("<html>"), body.constData());
        else
            QCOMPARE(body, bodies.at(i));
        if (i == 0 && !inFirstHead.isEmpty())
            QVERIFY2(head.contains(inFirstHead), head.constData());
    }
    QVERIFY(pending.isEmpty());
    if (closes) {
        QVERIFY(socket.state() == QAbstractSocket::UnconnectedState || socket.waitForDisconnected(5000));
    } else {
        QVERIFY(!socket.waitForDisconnected(200));
        QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
    }

    const QList<HttpTestServer::Request> log = server.requests();
    QCOMPARE(log.size(), statuses.size());
    for (const HttpTestServer::Request &request : log)
        QCOMPARE(request.connection, log.first().connection);
    if (QByteArray(QTest::currentDataTag()) == "percent-encoded path") {
        QCOMPARE(log.first().pathAndQuery, QStringLiteral("/a%20b.jpg?x=1"));
        QCOMPARE(server.requestCount(QStringLiteral("/a b.jpg?x=1")), 1);
        QCOMPARE(server.requestCount(QStringLiteral("/a%20b.jpg?x=1")), 1);
    }
}

void TestHttpTestServer::keepAliveWithQtClient()
{
    HttpTestServer server;
    QVERIFY(server.start());
    for (int i = 0; i < 5; ++i) {
        HttpTestServer::Response r;
        r.contentType = "image/png";
        r.body = TestImages::png(40 + i, 30, i);
        server.setRoute(QStringLiteral("/p%1.png").arg(i), r);
    }
    Client client;
    for (int i = 0; i < 5; ++i) {
        const Fetched f = client.get(server.url(QStringLiteral("/p%1.png").arg(i)));
        QCOMPARE(f.error, QNetworkReply::NoError);
        QCOMPARE(f.header("Content-Type"), QByteArray("image/png"));
        QCOMPARE(decode(f.body).width(), 40 + i);
    }
    const QList<HttpTestServer::Request> log = server.requests();
    QCOMPARE(log.size(), 5);
    for (const HttpTestServer::Request &request : log) {
        QCOMPARE(request.connection, log.first().connection);
        QCOMPARE(request.method, QByteArray("GET"));
        QCOMPARE(request.header("host"), QStringLiteral("127.0.0.1:%1").arg(server.port()).toUtf8());
    }
    QCOMPARE(server.openConnections(), 1);
    server.clearLog();
    QVERIFY(server.requests().isEmpty());
}

void TestHttpTestServer::stopsWhenClientLeaves_data()
{
    QTest::addColumn<HttpTestServer::Response>("response");
    QTest::addColumn<bool>("waitForData");

    HttpTestServer::Response r;
    r.contentType = "image/jpeg";
    r.body = QByteArray(1 << 20, 'x');
    r.trickleBytes = 100;
    r.trickleIntervalMs = 10;
    QTest::newRow("trickle") << r << true;
    r.endless = true;
    QTest::newRow("endless trickle") << r << true;
    r.trickleBytes = 0;
    QTest::newRow("endless") << r << true;
    r.endless = false;
    r.silentAfterHeaders = true;
    QTest::newRow("silent after headers") << r << true;
    r.silentAfterHeaders = false;
    r.headerDelayMs = 60000;
    QTest::newRow("slow headers") << r << false;
}

void TestHttpTestServer::stopsWhenClientLeaves()
{
    QFETCH(HttpTestServer::Response, response);
    QFETCH(bool, waitForData);

    HttpTestServer server;
    QVERIFY(server.start());
    server.setRoute(QStringLiteral("/x.jpg"), response);
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server.port());
        QVERIFY(socket.waitForConnected(5000));
        socket.write("GET /x.jpg HTTP/1.1\r\n\r\n");
        QVERIFY(socket.waitForBytesWritten(5000));
        if (waitForData) {
            QVERIFY(socket.waitForReadyRead(5000));
            QTest::qWait(100);
        }
        QTRY_COMPARE(server.openConnections(), 1);
        socket.close();
    }
    QTRY_COMPARE(server.openConnections(), 0);
    const qint64 sent = server.bytesSent();
    QTest::qWait(300);
    QCOMPARE(server.bytesSent(), sent);
}

void TestHttpTestServer::tls_data()
{
    QTest::addColumn<bool>("trustCa");
    QTest::newRow("client trusts the CA") << true;
    QTest::newRow("client does not") << false;
}

void TestHttpTestServer::tls()
{
    QFETCH(bool, trustCa);

    HttpTestServer server;
    QVERIFY(server.start());
    QVERIFY2(server.startTls(), qPrintable(server.errorString()));
    QVERIFY(server.tlsPort() != server.port());
    HttpTestServer::Response r;
    r.body = "secure";
    server.setRoute(QStringLiteral("/s"), r);

    QNetworkRequest request(QUrl(server.tlsUrl(QStringLiteral("/s"))));
    if (trustCa) {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        const QList<QSslCertificate> ca = QSslCertificate::fromPath(server.caCertificatePath());
        QCOMPARE(ca.size(), 1);
        configuration.addCaCertificates(ca);
        request.setSslConfiguration(configuration);
    }
    QNetworkAccessManager manager;
    const Fetched f = fetch(manager, request);
    if (trustCa) {
        QCOMPARE(f.error, QNetworkReply::NoError);
        QCOMPARE(f.body, QByteArray("secure"));
        QCOMPARE(server.requests().size(), 1);
        QVERIFY(server.requests().first().tls);
    } else {
        QCOMPARE(f.error, QNetworkReply::SslHandshakeFailedError);
        QVERIFY(server.requests().isEmpty());
    }
}

void TestHttpTestServer::images_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("frames");
    QTest::addColumn<QImage>("looksLike"); // null: noise, not compared

    QTest::newRow("jpeg") << TestImages::jpeg(64, 48, 1) << QByteArray("jpeg") << QSize(64, 48) << 1
                          << TestImages::drawing(64, 48, 1);
    QTest::newRow("png") << TestImages::png(50, 70, 2) << QByteArray("png") << QSize(50, 70) << 1
                         << TestImages::drawing(50, 70, 2);
    QTest::newRow("gif") << TestImages::gif(64, 48, 3) << QByteArray("gif") << QSize(64, 48) << 1
                         << TestImages::drawing(64, 48, 3);
    // Odd sizes cross LZW sub-block and clear-code boundaries at odd places.
    QTest::newRow("gif, large and odd") << TestImages::gif(333, 207, 4) << QByteArray("gif")
                                        << QSize(333, 207) << 1 << TestImages::drawing(333, 207, 4);
    QTest::newRow("gif, one pixel wide") << TestImages::gif(1, 300, 5) << QByteArray("gif") << QSize(1, 300)
                                         << 1 << TestImages::drawing(1, 300, 5);
    QTest::newRow("animated gif") << TestImages::animatedGif(80, 60, 6) << QByteArray("gif") << QSize(80, 60)
                                  << 2 << TestImages::drawing(80, 60, 6);
    QImage black(1, 1, QImage::Format_RGB32);
    black.fill(Qt::black);
    QTest::newRow("tiny gif") << TestImages::tinyGif() << QByteArray("gif") << QSize(1, 1) << 1 << black;
    QSize size;
    const QByteArray sized = TestImages::jpegOfSize(40000, 7, &size);
    QTest::newRow("jpeg of 40000 bytes") << sized << QByteArray("jpeg") << size << 1 << QImage();
    const QByteArray small = TestImages::jpegOfSize(3000, 8, &size);
    QTest::newRow("jpeg of 3000 bytes") << small << QByteArray("jpeg") << size << 1 << QImage();
    const QByteArray huge = TestImages::jpegOfSize(200000, 9, &size);
    QTest::newRow("jpeg of 200000 bytes") << huge << QByteArray("jpeg") << size << 1 << QImage();
    QTest::newRow("commented copy") << TestImages::withComment(TestImages::jpeg(120, 90, 10), "copy 1")
                                    << QByteArray("jpeg") << QSize(120, 90) << 1
                                    << TestImages::drawing(120, 90, 10);
}

void TestHttpTestServer::images()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    QFETCH(int, frames);
    QFETCH(QImage, looksLike);
    // A scrambled or shifted picture differs by 40 and more; JPEG's losses
    // and GIF's palette stay well below.

    QByteArray readFormat;
    int readFrames = 0;
    const QImage image = decode(bytes, &readFormat, &readFrames);
    QVERIFY(!image.isNull());
    QCOMPARE(readFormat, format);
    QCOMPARE(image.size(), size);
    if (format == "gif")
        QCOMPARE(readFrames, frames);
    if (!looksLike.isNull())
        QVERIFY2(difference(image, looksLike) < 20,
                 qPrintable(QString::number(difference(image, looksLike))));
    const QByteArray tag = QTest::currentDataTag();
    if (tag.startsWith("jpeg of ")) {
        QCOMPARE(bytes.size(), tag.mid(8).split(' ').first().toLongLong());
        QVERIFY2(size.width() * size.height() > bytes.size() / 4, "mostly picture, not padding");
    }
    if (tag == "tiny gif")
        QVERIFY(bytes.size() < 104);
}

void TestHttpTestServer::pagesLinkWhatTheyPromise_data()
{
    QTest::addColumn<TestSite::Scheme>("scheme");
    QTest::newRow("http") << TestSite::Http;
    QTest::newRow("https") << TestSite::Https;
}

void TestHttpTestServer::pagesLinkWhatTheyPromise()
{
    QFETCH(TestSite::Scheme, scheme);
    HttpTestServer server;
    QVERIFY(server.start());
    QVERIFY(server.startTls());
    TestSite builder(server, QStringLiteral("/s"), scheme);
    const TestSite::DepthSite depth = builder.buildDepthSite();
    const TestSite::ThumbnailGallery thumbs = builder.buildThumbnailGallery();
    const TestSite::FrameSite frames = builder.buildFrameSite();
    Client client;
    client.caPath = server.caCertificatePath();
    QVERIFY(depth.start.startsWith(scheme == TestSite::Https ? server.tlsBaseUrl() : server.baseUrl()));

    QCOMPARE(depth.pageUrls(1), QStringList{depth.start});
    QCOMPARE(depth.pageUrls(3).size(), 5);
    QVERIFY(depth.pictures(1).size() < depth.pictures(2).size());
    QVERIFY(depth.pictures(2).size() < depth.pictures(3).size());
    QVERIFY(depth.pictures(3).size() < depth.pictures(4).size());

    QList<TestSite::Picture> pictures;
    for (const TestSite::Page &page : depth.pages) {
        const Fetched f = client.get(page.url);
        QCOMPARE(f.error, QNetworkReply::NoError);
        QVERIFY2(f.body.contains("<title>" + page.title.toUtf8() + "</title>"), qPrintable(page.url));
        const QSet<QString> promised = toSet(urlsOf(page.images) + urlsOf(page.linked) + page.pageLinks);
        QCOMPARE(linksOn(page.url, f.body), promised);
        pictures += page.images + page.linked;
    }

    const Fetched gallery = client.get(thumbs.start);
    QSet<QString> promised{thumbs.logo.url};
    for (const auto &entry : thumbs.entries) {
        promised << entry.thumbnail.url << (entry.viaPage.isEmpty() ? entry.big.url : entry.viaPage);
        QVERIFY(entry.thumbnail.body.size() < 10 * 1024);
        QVERIFY(entry.big.body.size() > 20 * 1024);
        if (!entry.viaPage.isEmpty())
            QVERIFY(linksOn(entry.viaPage, client.get(entry.viaPage).body).contains(entry.big.url));
        pictures << entry.thumbnail << entry.big;
    }
    QCOMPARE(linksOn(thumbs.start, gallery.body), promised);

    QSet<QString> framePages;
    for (const auto &page : frames.frames) {
        framePages.insert(page.url);
        QCOMPARE(linksOn(page.url, client.get(page.url).body),
                 toSet(urlsOf(page.images) + urlsOf(page.linked)));
        pictures += page.images + page.linked;
    }
    const Fetched frameset = client.get(frames.start);
    QVERIFY(frameset.body.contains("<frameset"));
    QCOMPARE(linksOn(frames.start, frameset.body), framePages);

    for (const TestSite::Picture &picture : std::as_const(pictures)) {
        const Fetched f = client.get(picture.url);
        QCOMPARE(f.error, QNetworkReply::NoError);
        QCOMPARE(f.body, picture.body);
        QByteArray format;
        QCOMPARE(decode(f.body, &format).size(), picture.size);
        QCOMPARE(format == "jpeg" ? QByteArray("jpg") : format, picture.type);
    }
}

void TestHttpTestServer::misbehavingPicturesOnTheWire()
{
    HttpTestServer server;
    QVERIFY(server.start());
    TestSite builder(server);
    const TestSite::BadSite bad = builder.buildBadSite(QStringLiteral("/bad"), 400);
    Client client;

    const Fetched index = client.get(bad.start);
    QCOMPARE(linksOn(bad.start, index.body), toSet(bad.links));
    QCOMPARE(bad.links.size(), 13);

    Fetched f = client.get(bad.notFound);
    QCOMPARE(f.status, 404);
    QVERIFY(f.header("Content-Type").startsWith("text/html"));
    QVERIFY(f.body.contains("<html>"));

    f = client.get(bad.servedAsHtml);
    QCOMPARE(f.header("Content-Type"), QByteArray("text/html"));
    QVERIFY(!decode(f.body).isNull());

    for (const auto &redirect : bad.redirects) {
        QNetworkRequest request{QUrl(redirect.start)};
        request.setMaximumRedirectsAllowed(5);
        f = fetch(client.manager, request);
        if (redirect.hops <= 5) {
            QCOMPARE(f.error, QNetworkReply::NoError);
            QCOMPARE(f.url.toString(), redirect.final);
            QVERIFY(!decode(f.body).isNull());
        } else {
            QCOMPARE(f.error, QNetworkReply::TooManyRedirectsError);
        }
    }

    f = client.get(bad.slowHeaders);
    QVERIFY(!decode(f.body).isNull());
    QVERIFY2(f.elapsedMs >= bad.slowHeaderMs * 9 / 10, qPrintable(QString::number(f.elapsedMs)));

    f = client.get(bad.trickle);
    QCOMPARE(f.body.size(), 20 * 1024);
    QVERIFY(!decode(f.body).isNull());
    QVERIFY2(f.readyReads >= 5, qPrintable(QString::number(f.readyReads)));
    QVERIFY(f.elapsedMs >= 500);

    f = client.get(bad.noContentLength);
    QCOMPARE(f.error, QNetworkReply::NoError);
    QVERIFY(f.header("Content-Length").isEmpty());
    QVERIFY(!decode(f.body).isNull());

    f = client.get(bad.endless, 2 << 20);
    QCOMPARE(f.header("Content-Type"), QByteArray("image/jpeg"));
    QVERIFY(f.body.size() >= 2 << 20);
    QVERIFY(f.body.startsWith("\xff\xd8"));

    f = client.get(bad.errorPageAsJpeg);
    QCOMPARE(f.status, 200);
    QCOMPARE(f.header("Content-Type"), QByteArray("image/jpeg"));
    QVERIFY(f.body.startsWith("<html>"));

    f = client.get(bad.tiny);
    QVERIFY(f.body.size() < 104);
    QCOMPARE(decode(f.body).size(), QSize(1, 1));

    f = client.get(bad.oddHeaders);
    QCOMPARE(f.error, QNetworkReply::NoError);
    QCOMPARE(f.header("Content-Type"), QByteArray("image/jpeg; charset=x"));
    QCOMPARE(f.body.size(), 5120);
    QVERIFY(!decode(f.body).isNull());

    for (const TestSite::Picture &picture : bad.pictures)
        QVERIFY2(!decode(picture.body).isNull(), qPrintable(picture.url));
}

QTEST_GUILESS_MAIN(TestHttpTestServer)
#include "tst_httptestserver.moc"
