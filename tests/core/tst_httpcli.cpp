// Our own HTTP/1.1 client for plain http: what the crawl tests would only show
// as a slow or puzzling crawl (a connection opened per request, a chunked
// body saved with its framing, a login sent where it must not go).

#include "platform/httpcli.h"
#include "platform/httppool.h"
#include "support/httptestserver.h"

#include <QEventLoop>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

struct Outcome
{
    QStringList events; // "begin", "headers", "data", "end", "done"
    QByteArray body;
    int doneStatus = -1;
    QString doneReason;
    int doneCount = 0;
    bool synchronous = false; // an event came from inside a call into HttpCli
    int statusCode = 0;
    QByteArray mediaType;
    qint64 contentLength = -2;
    QString finalUrl;
    QList<QByteArray> headerLines;

    bool gotDocument() const { return events.contains(QStringLiteral("end")); }
    // headerBegin, headerEnd, data..., documentEnd, requestDone: each part
    // may be missing, but never out of order, and requestDone comes once, last.
    bool wellOrdered() const
    {
        static const QStringList order = {QStringLiteral("begin"), QStringLiteral("headers"),
                                          QStringLiteral("data"), QStringLiteral("end"),
                                          QStringLiteral("done")};
        qsizetype last = -1;
        for (const QString &e : events) {
            const qsizetype at = order.indexOf(e);
            if (at < last || (at == last && e != u"data"))
                return false;
            last = at;
        }
        return doneCount == 1 && events.last() == u"done";
    }
};

HttpCli::Request requestFor(const QString &url)
{
    HttpCli::Request r;
    r.url = url;
    r.agent = QStringLiteral("snapdredge-test");
    return r;
}

// Runs one request to its requestDone. onData runs for each chunk, with the
// client, inside the documentData signal.
Outcome fetch(HttpPool *pool, const HttpCli::Request &request,
              const std::function<void(HttpCli &, Outcome &)> &onData = {})
{
    Outcome o;
    HttpCli cli(pool);
    bool inCall = false;
    QEventLoop loop;
    const auto note = [&](const QString &event) {
        o.events << event;
        if (inCall)
            o.synchronous = true;
    };
    QObject::connect(&cli, &HttpCli::headerBegin, &loop, [&]() { note(QStringLiteral("begin")); });
    QObject::connect(&cli, &HttpCli::headerEnd, &loop, [&](const QList<QByteArray> &lines) {
        note(QStringLiteral("headers"));
        o.headerLines = lines;
        o.statusCode = cli.statusCode();
        o.mediaType = cli.mediaType();
        o.contentLength = cli.contentLength();
    });
    QObject::connect(&cli, &HttpCli::documentData, &loop, [&](const QByteArray &chunk) {
        note(QStringLiteral("data"));
        o.body += chunk;
        if (onData) {
            inCall = true;
            onData(cli, o);
            inCall = false;
        }
    });
    QObject::connect(&cli, &HttpCli::documentEnd, &loop, [&]() { note(QStringLiteral("end")); });
    QObject::connect(&cli, &HttpCli::requestDone, &loop, [&](int status, const QString &reason) {
        note(QStringLiteral("done"));
        ++o.doneCount;
        o.doneStatus = status;
        o.doneReason = reason;
        o.finalUrl = cli.finalUrl();
        // Anything that still comes would be a fault: give it a moment to show.
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit); // a hung client fails below, not the run
    inCall = true;
    cli.getAsync(request);
    inCall = false;
    loop.exec();
    return o;
}

QList<int> connectionsOf(const HttpTestServer &server)
{
    QList<int> numbers;
    for (const HttpTestServer::Request &r : server.requests())
        numbers << r.connection;
    return numbers;
}

HttpTestServer::Response raw(const QByteArray &head, const QByteArray &body = QByteArray())
{
    HttpTestServer::Response r;
    r.rawHeaderBlock = head;
    r.body = body;
    return r;
}

} // namespace

class TestHttpCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void chunkedBodies_data()
    {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<int>("trickle");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray payload = "GIF89a the picture's bytes\r\n0\r\n\r\n (look like framing)";
        QByteArray framed;
        for (qsizetype at = 0; at < payload.size(); at += 7) {
            const QByteArray piece = payload.mid(at, 7);
            framed += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
        }
        framed += "0\r\n\r\n";
        QTest::newRow("many chunks") << framed << 0 << payload;
        QTest::newRow("many chunks, a few bytes at a time") << framed << 3 << payload;
        QTest::newRow("extensions, upper-case hex, trailer")
            << QByteArray("1A;name=x\r\nabcdefghijklmnopqrstuvwxyz\r\n0\r\nX-Sum: 1\r\n\r\n") << 0
            << QByteArray("abcdefghijklmnopqrstuvwxyz");
        QTest::newRow("bare line feeds") << QByteArray("3\nabc\n2\nde\n0\n\n") << 2 << QByteArray("abcde");
        QTest::newRow("bytes after the last chunk are not the body")
            << QByteArray("3\r\nabc\r\n0\r\n\r\nHTTP/1.1 200 OK\r\n") << 0 << QByteArray("abc");
    }

    void chunkedBodies()
    {
        QFETCH(QByteArray, wire);
        QFETCH(int, trickle);
        QFETCH(QByteArray, expected);
        HttpTestServer server;
        QVERIFY(server.start());
        HttpTestServer::Response r = raw("HTTP/1.1 200 OK\r\nContent-Type: Image/GIF; charset=x\r\n"
                                         "Transfer-Encoding: chunked\r\n\r\n",
                                         wire);
        r.trickleBytes = trickle;
        r.trickleIntervalMs = trickle ? 1 : 0;
        server.setRoute(QStringLiteral("/c.gif"), r);
        HttpPool pool;
        const Outcome o = fetch(&pool, requestFor(server.url(QStringLiteral("/c.gif"))));
        QVERIFY(o.wellOrdered());
        QVERIFY(!o.synchronous);
        QCOMPARE(o.doneStatus, 200);
        QVERIFY(o.gotDocument());
        QCOMPARE(o.body, expected);
        QCOMPARE(o.mediaType, QByteArray("image/gif"));
        QCOMPARE(o.contentLength, qint64(-1));
    }

    void brokenChunkedBodyIsNoDocument()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        server.setRoute(QStringLiteral("/c"),
                        raw("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "5\r\nabc"));
        server.setRoute(QStringLiteral("/d"), raw("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
                                                  "zz\r\nabc\r\n0\r\n\r\n"));
        HttpPool pool;
        for (const QString &path : {QStringLiteral("/c"), QStringLiteral("/d")}) {
            const Outcome o = fetch(&pool, requestFor(server.url(path)));
            QVERIFY2(o.wellOrdered(), qPrintable(path));
            QVERIFY2(!o.gotDocument(), qPrintable(path));
            QCOMPARE(o.doneStatus, 200);
            QVERIFY(!o.doneReason.isEmpty());
        }
    }

    void connectionReuse_data()
    {
        QTest::addColumn<HttpTestServer::Response>("first");
        QTest::addColumn<bool>("reused");
        QTest::addColumn<QByteArray>("firstBody");
        HttpTestServer::Response plain;
        plain.body = "hello";
        QTest::newRow("HTTP/1.1 with a length") << plain << true << QByteArray("hello");
        QTest::newRow("chunked")
            << raw("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 9\r\n\r\n",
                   "5\r\nhello\r\n0\r\n\r\n")
            << true << QByteArray("hello");
        QTest::newRow("an error page") << raw("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\n", "gone")
                                       << true << QByteArray("gone");
        QTest::newRow("server says close")
            << raw("HTTP/1.1 200 OK\r\nconnection:  Close\r\nContent-Length: 5\r\n\r\n", "hello") << false
            << QByteArray("hello");
        QTest::newRow("HTTP/1.0") << raw("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\n", "hello") << false
                                  << QByteArray("hello");
        QTest::newRow("HTTP/1.0 keep-alive")
            << raw("HTTP/1.0 200 OK\r\nConnection: Keep-Alive\r\nContent-Length: 5\r\n\r\n", "hello") << true
            << QByteArray("hello");
        QTest::newRow("body longer than declared")
            << raw("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n", "helHTTP/1.1 200 OK\r\n\r\n") << false
            << QByteArray("hel");
    }

    void connectionReuse()
    {
        QFETCH(HttpTestServer::Response, first);
        QFETCH(bool, reused);
        QFETCH(QByteArray, firstBody);
        HttpTestServer server;
        QVERIFY(server.start());
        server.setRoute(QStringLiteral("/first"), first);
        HttpTestServer::Response next;
        next.body = "next";
        server.setRoute(QStringLiteral("/next"), next);
        HttpPool pool;
        const Outcome a = fetch(&pool, requestFor(server.url(QStringLiteral("/first"))));
        QVERIFY(a.wellOrdered());
        QVERIFY(a.gotDocument());
        QCOMPARE(a.body, firstBody);
        for (int i = 0; i < 2; ++i) {
            const Outcome b = fetch(&pool, requestFor(server.url(QStringLiteral("/next"))));
            QVERIFY(b.gotDocument());
            QCOMPARE(b.body, QByteArray("next"));
        }
        const QList<int> numbers = connectionsOf(server);
        QCOMPARE(numbers.size(), 3);
        QCOMPARE(numbers[1] == numbers[0], reused);
        QCOMPARE(numbers[2], numbers[1]);
        // What the client sends, on every connection.
        for (const HttpTestServer::Request &r : server.requests()) {
            QCOMPARE(r.method, QByteArray("GET"));
            QCOMPARE(r.version, QByteArray("HTTP/1.1"));
            QCOMPARE(r.header("Connection").toLower(), QByteArray("keep-alive"));
            QCOMPARE(r.header("Host"), QStringLiteral("127.0.0.1:%1").arg(server.port()).toUtf8());
            QCOMPARE(r.header("User-Agent"), QByteArray("snapdredge-test"));
            QVERIFY(!r.header("Accept").isEmpty());
            QVERIFY(r.header("Accept-Encoding").isEmpty());
            QVERIFY(r.header("Authorization").isEmpty());
        }
    }

    void requestLine()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        HttpCli::Request request = requestFor(server.url(QStringLiteral("/a b/ü%zz.jpg?q=x y#frag")));
        request.referrer = server.url(QStringLiteral("/the page.html"));
        HttpPool pool;
        const Outcome o = fetch(&pool, request);
        QCOMPARE(o.doneStatus, 404);
        QVERIFY(o.gotDocument()); // an error status with a body is still a document
        QVERIFY(o.doneReason.contains(QStringLiteral("Not Found")));
        const QList<HttpTestServer::Request> seen = server.requests();
        QCOMPARE(seen.size(), 1);
        const QString expected = QString::fromLatin1(
            QUrl(request.url, QUrl::TolerantMode)
                .toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment));
        QCOMPARE(seen[0].pathAndQuery, expected);
        QCOMPARE(seen[0].header("Referer"), QUrl(request.referrer, QUrl::TolerantMode).toEncoded());
    }

    // The engine runs the event loop inside our signals (it yields while it
    // queues a page's links): neither this request's later bytes nor the next
    // request on the same connection may get stuck behind it.
    void receiversThatRunAnEventLoop()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        HttpTestServer::Response big;
        big.body = QByteArray(256 * 1024, 'x');
        for (qsizetype i = 0; i < big.body.size(); i += 1000)
            big.body[i] = char('a' + (i / 1000) % 26);
        big.trickleBytes = 16 * 1024;
        big.trickleIntervalMs = 1;
        HttpTestServer::Response small;
        small.body = "small";
        server.setRoute(QStringLiteral("/small"), small);
        HttpPool pool;

        // With a length, and ended by the server closing (which it then does
        // while the receiver is still in its loop).
        for (const bool withLength : {true, false}) {
            big.contentLength = withLength;
            server.setRoute(QStringLiteral("/big"), big);
            const Outcome spun =
                fetch(&pool, requestFor(server.url(QStringLiteral("/big"))), [](HttpCli &, Outcome &) {
                    QEventLoop wait;
                    QTimer::singleShot(3, &wait, &QEventLoop::quit);
                    wait.exec();
                });
            QVERIFY(spun.wellOrdered());
            QVERIFY(spun.gotDocument());
            QVERIFY(spun.body == big.body);
        }

        HttpCli first(&pool);
        Outcome inner;
        connect(&first, &HttpCli::requestDone, this,
                [&]() { inner = fetch(&pool, requestFor(server.url(QStringLiteral("/small")))); });
        first.getAsync(requestFor(server.url(QStringLiteral("/small"))));
        QTRY_VERIFY(first.isDone());
        QVERIFY(inner.wellOrdered());
        QCOMPARE(inner.body, QByteArray("small"));
        const QList<int> numbers = connectionsOf(server);
        QCOMPARE(numbers.last(), numbers[numbers.size() - 2]);
    }

    // A kept-alive connection the server dropped while it lay idle: the request
    // is sent again once, on a new connection, and never more than once.
    void droppedIdleConnectionIsRetriedOnce()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        HttpTestServer::Response ok;
        ok.body = "ok";
        server.setRoute(QStringLiteral("/ok"), ok);
        HttpTestServer::Response drop;
        drop.dropConnection = true;
        server.setRoute(QStringLiteral("/drop"), drop);
        HttpPool pool;
        QVERIFY(fetch(&pool, requestFor(server.url(QStringLiteral("/ok")))).gotDocument());
        const Outcome dropped = fetch(&pool, requestFor(server.url(QStringLiteral("/drop"))));
        QVERIFY(dropped.wellOrdered());
        QCOMPARE(dropped.doneStatus, 0);
        QVERIFY(!dropped.doneReason.isEmpty());
        // Once on the kept connection, once on a fresh one.
        QCOMPARE(server.requestCount(QStringLiteral("/drop")), 2);
        QList<int> numbers = connectionsOf(server);
        QCOMPARE(numbers[1], numbers[0]);
        QVERIFY(numbers[2] != numbers[1]);
        // The pool is left usable.
        QVERIFY(fetch(&pool, requestFor(server.url(QStringLiteral("/ok")))).gotDocument());
    }

    void idleConnectionClosedByServerIsNotUsed()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        // Complete to us (chunked), but the server closes after it, as one
        // does when its keep-alive time runs out.
        server.setRoute(QStringLiteral("/last"), raw("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
                                                     "4\r\nlast\r\n0\r\n\r\n"));
        HttpTestServer::Response ok;
        ok.body = "ok";
        server.setRoute(QStringLiteral("/ok"), ok);
        HttpPool pool;
        QCOMPARE(fetch(&pool, requestFor(server.url(QStringLiteral("/last")))).body, QByteArray("last"));
        QTRY_COMPARE(pool.idleCount(), 0);
        const Outcome o = fetch(&pool, requestFor(server.url(QStringLiteral("/ok"))));
        QVERIFY(o.wellOrdered());
        QCOMPARE(o.body, QByteArray("ok"));
        const QList<int> numbers = connectionsOf(server);
        QCOMPARE(numbers.size(), 2);
        QVERIFY(numbers[0] != numbers[1]);
    }

    void hostileAnswers_data()
    {
        QTest::addColumn<HttpTestServer::Response>("answer");
        QTest::addColumn<QString>("reason");
        QTest::newRow("header block over 64 KB")
            << raw("HTTP/1.1 200 OK\r\nX-Big: " + QByteArray(70 * 1024, 'x') +
                       "\r\nContent-Length: 2\r\n\r\n",
                   "ok")
            << QStringLiteral("Header too large");
        HttpTestServer::Response endless = raw("HTTP/1.1 200 OK\r\nX-Endless: ");
        endless.endless = true;
        QTest::newRow("header that never ends") << endless << QStringLiteral("Header too large");
        QTest::newRow("no status line")
            << raw("<html>hello</html>\r\n\r\n") << QStringLiteral("Invalid HTTP response");
        QTest::newRow("status not a number")
            << raw("HTTP/1.1 2x0 OK\r\nContent-Length: 0\r\n\r\n") << QStringLiteral("Invalid HTTP response");
        QTest::newRow("status line cut short")
            << raw("HTTP/1.1\r\n\r\n") << QStringLiteral("Invalid HTTP response");
    }

    void hostileAnswers()
    {
        QFETCH(HttpTestServer::Response, answer);
        QFETCH(QString, reason);
        HttpTestServer server;
        QVERIFY(server.start());
        server.setRoute(QStringLiteral("/x"), answer);
        HttpPool pool;
        const Outcome o = fetch(&pool, requestFor(server.url(QStringLiteral("/x"))));
        QVERIFY(o.wellOrdered());
        QCOMPARE(o.events, QStringList{QStringLiteral("done")});
        QCOMPARE(o.doneStatus, 0);
        QCOMPARE(o.doneReason, reason);
        QCOMPARE(pool.idleCount(), 0);
        QTRY_COMPARE(server.openConnections(), 0);
    }

    void abortMidBody()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        HttpTestServer::Response endless;
        endless.contentType = "image/jpeg";
        endless.endless = true;
        server.setRoute(QStringLiteral("/endless.jpg"), endless);
        HttpTestServer::Response sized;
        sized.body = QByteArray(512 * 1024, 'p');
        sized.trickleBytes = 64 * 1024;
        sized.trickleIntervalMs = 1;
        server.setRoute(QStringLiteral("/sized.jpg"), sized);
        HttpPool pool;
        for (const QString &path : {QStringLiteral("/endless.jpg"), QStringLiteral("/sized.jpg")}) {
            int doneAtAbort = -1;
            const Outcome o = fetch(&pool, requestFor(server.url(path)), [&](HttpCli &cli, Outcome &seen) {
                if (seen.body.size() < 100 * 1024 || cli.isDone())
                    return;
                cli.abort();
                doneAtAbort = seen.doneCount;
            });
            QCOMPARE(doneAtAbort, 0);
            QVERIFY(!o.synchronous);
            QVERIFY(o.wellOrdered());
            QVERIFY(!o.gotDocument());
            QCOMPARE(o.doneStatus, 404);
            QCOMPARE(o.doneReason, QStringLiteral("Connection aborted on request"));
            // Its connection is closed, not kept for the next request.
            QCOMPARE(pool.idleCount(), 0);
            QTRY_COMPARE(server.openConnections(), 0);
        }
    }

    void redirects()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        QVERIFY(server.startTls());
        HttpCli::addTrustedCertificates(server.caCertificatePath());
        HttpTestServer::Response pic;
        pic.contentType = "image/jpeg";
        pic.body = "picture";
        server.setRoute(QStringLiteral("/pic.jpg"), pic);
        server.setRedirect(QStringLiteral("/to-tls"), server.tlsUrl(QStringLiteral("/pic.jpg")), 301);
        server.setRedirect(QStringLiteral("/hop1"), QStringLiteral("/hop2"), 307);
        server.setRedirect(QStringLiteral("/hop2"), QStringLiteral("/to-tls"), 302);
        HttpTestServer::Response relative =
            raw("HTTP/1.1 303 See Other\r\nLocation: ../pic.jpg\r\nContent-Length: 5\r\n\r\n", "moved");
        server.setRoute(QStringLiteral("/dir/rel"), relative);
        HttpPool pool;

        const Outcome tls = fetch(&pool, requestFor(server.url(QStringLiteral("/hop1"))));
        QVERIFY(tls.wellOrdered());
        QCOMPARE(tls.doneStatus, 200);
        QCOMPARE(tls.body, QByteArray("picture"));
        QCOMPARE(tls.finalUrl, server.tlsUrl(QStringLiteral("/pic.jpg")));
        QCOMPARE(server.requests().last().tls, true);

        server.clearLog();
        const Outcome rel = fetch(&pool, requestFor(server.url(QStringLiteral("/dir/rel"))));
        QCOMPARE(rel.body, QByteArray("picture"));
        QCOMPARE(rel.finalUrl, server.url(QStringLiteral("/pic.jpg")));
        // The redirect's own body was read off, so the connection carried on.
        const QList<int> numbers = connectionsOf(server);
        QCOMPARE(numbers.size(), 2);
        QCOMPARE(numbers[0], numbers[1]);

        HttpCli::Request limited = requestFor(server.url(QStringLiteral("/hop1")));
        limited.maxRedirects = 1;
        const Outcome tooMany = fetch(&pool, limited);
        QVERIFY(tooMany.wellOrdered());
        QVERIFY(!tooMany.gotDocument());
        QCOMPARE(tooMany.statusCode, 302);
        QCOMPARE(tooMany.doneStatus, 302);
    }

    void loginGoesOnlyToTheLoginHost_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("host"); // where the request goes
        QTest::addColumn<QString>("loginHost");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("withLogin"); // requests that carried it
        const QString ip = QStringLiteral("127.0.0.1");
        const QString name = QStringLiteral("localhost");
        const QString good = QStringLiteral("secret");
        QTest::newRow("the login host asks") << "/private/a" << ip << ip << good << 200 << 1;
        QTest::newRow("the login host, wrong password") << "/private/a" << ip << ip << "nope" << 401 << 1;
        QTest::newRow("another host asks") << "/private/a" << ip << name << good << 401 << 0;
        QTest::newRow("redirected to another host") << "/elsewhere" << ip << ip << good << 401 << 0;
        QTest::newRow("the login host does not ask") << "/open" << ip << ip << good << 200 << 0;
    }

    void loginGoesOnlyToTheLoginHost()
    {
        QFETCH(QString, path);
        QFETCH(QString, host);
        QFETCH(QString, loginHost);
        QFETCH(QString, password);
        QFETCH(int, status);
        QFETCH(int, withLogin);
        HttpTestServer server;
        QVERIFY(server.start());
        server.setBasicAuth(QStringLiteral("/private"), QStringLiteral("ann"), QStringLiteral("secret"));
        HttpTestServer::Response ok;
        ok.body = "ok";
        server.setRoute(QStringLiteral("/private/a"), ok);
        server.setRoute(QStringLiteral("/open"), ok);
        server.setRedirect(QStringLiteral("/elsewhere"),
                           QStringLiteral("http://localhost:%1/private/a").arg(server.port()));
        HttpCli::Request request =
            requestFor(QStringLiteral("http://%1:%2%3").arg(host).arg(server.port()).arg(path));
        request.login = true;
        request.loginHost = loginHost;
        request.user = QStringLiteral("ann");
        request.password = password;
        HttpPool pool;
        const Outcome o = fetch(&pool, request);
        QVERIFY(o.wellOrdered());
        QCOMPARE(o.doneStatus, status);
        QVERIFY(o.gotDocument());
        int carried = 0;
        bool askedFirst = true;
        const QList<HttpTestServer::Request> seen = server.requests();
        for (qsizetype i = 0; i < seen.size(); ++i) {
            if (seen[i].header("Authorization").isEmpty())
                continue;
            ++carried;
            QVERIFY(seen[i].header("Host").startsWith(loginHost.toUtf8()));
            // Only ever in answer to the same address's challenge.
            askedFirst = askedFirst && i > 0 && seen[i - 1].pathAndQuery == seen[i].pathAndQuery &&
                         seen[i - 1].header("Authorization").isEmpty();
        }
        QCOMPARE(carried, withLogin);
        QVERIFY(askedFirst);
    }

    // A challenge our client does not answer itself goes to Qt's.
    void otherLoginSchemesAreHandedOver()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        server.setRoute(QStringLiteral("/digest"),
                        raw("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Digest realm=\"r\", "
                            "nonce=\"abc123\", qop=\"auth\"\r\nContent-Length: 6\r\n\r\n",
                            "denied"));
        HttpCli::Request request = requestFor(server.url(QStringLiteral("/digest")));
        request.login = true;
        request.loginHost = QStringLiteral("127.0.0.1");
        request.user = QStringLiteral("ann");
        request.password = QStringLiteral("secret");
        HttpPool pool;
        const Outcome o = fetch(&pool, request);
        QVERIFY(o.wellOrdered());
        QCOMPARE(o.doneStatus, 401);
        QVERIFY(o.gotDocument());
        bool digest = false;
        for (const HttpTestServer::Request &r : server.requests()) {
            QVERIFY(!r.header("Authorization").startsWith("Basic"));
            digest = digest || r.header("Authorization").startsWith("Digest");
        }
        QVERIFY(digest);
    }

    void bodyEndedByClose()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        HttpTestServer::Response r;
        r.contentLength = false;
        r.body = QByteArray(300 * 1024, 'b');
        r.trickleBytes = 50 * 1024;
        r.trickleIntervalMs = 1;
        server.setRoute(QStringLiteral("/nolength"), r);
        HttpPool pool;
        const Outcome o = fetch(&pool, requestFor(server.url(QStringLiteral("/nolength"))));
        QVERIFY(o.wellOrdered());
        QVERIFY(o.gotDocument());
        QCOMPARE(o.body, r.body);
        QCOMPARE(o.contentLength, qint64(-1));
        QCOMPARE(pool.idleCount(), 0);
    }

    // Truncated bodies: what came is passed on, but it is no document.
    void truncatedBodyIsNoDocument()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        // The length sits in the body so that the server closes after it.
        server.setRoute(QStringLiteral("/short"),
                        raw("HTTP/1.1 200 OK\r\n", "Content-Length: 10\r\n\r\nabc"));
        HttpPool pool;
        const Outcome o = fetch(&pool, requestFor(server.url(QStringLiteral("/short"))));
        QVERIFY(o.wellOrdered());
        QVERIFY(!o.gotDocument());
        QCOMPARE(o.body, QByteArray("abc"));
        QCOMPARE(o.doneStatus, 200);
        QCOMPARE(o.contentLength, qint64(10));
    }

    void poolClosesItsConnections()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        HttpTestServer::Response ok;
        ok.body = "ok";
        server.setRoute(QStringLiteral("/ok"), ok);
        auto *pool = new HttpPool(1);
        // Two at once: two connections, of which one is kept.
        HttpCli a(pool), b(pool);
        int done = 0;
        for (HttpCli *cli : {&a, &b})
            connect(cli, &HttpCli::requestDone, this, [&]() { ++done; });
        a.getAsync(requestFor(server.url(QStringLiteral("/ok"))));
        b.getAsync(requestFor(server.url(QStringLiteral("/ok"))));
        QTRY_COMPARE(done, 2);
        QCOMPARE(pool->idleCount(), 1);
        QTRY_COMPARE(server.openConnections(), 1);
        // One still waiting for its body when the pool goes: it is told.
        HttpTestServer::Response silent;
        silent.silentAfterHeaders = true;
        silent.body = "never sent";
        server.setRoute(QStringLiteral("/silent"), silent);
        HttpCli waiting(pool);
        int waitingDone = -1;
        connect(&waiting, &HttpCli::requestDone, this, [&](int status) { waitingDone = status; });
        waiting.getAsync(requestFor(server.url(QStringLiteral("/silent"))));
        QTRY_COMPARE(server.requestCount(QStringLiteral("/silent")), 1);
        delete pool;
        QTRY_COMPARE(waitingDone, 200);
        QTRY_COMPARE(server.openConnections(), 0);
    }
};

QTEST_GUILESS_MAIN(TestHttpCli)
#include "tst_httpcli.moc"
