#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <memory>

// An HTTP/1.x server for tests that listens on 127.0.0.1 only. Its sockets live
// in a thread of its own, so it keeps answering while the test's thread is
// blocked (QProcess::waitForFinished running the program, a nested event
// loop, a blocking socket read). Every public function may be called from any
// thread except the server's own.
//
// Answers, in this order: a configured Basic login guarding a path prefix
// (401 when the right Authorization is missing), a redirect, a route, and a
// 404 with an HTML body for anything else. GET and HEAD; HTTP/1.1 keeps the
// connection open unless the client says "Connection: close", HTTP/1.0 only
// when it says "Connection: keep-alive". Requests on one connection are
// answered one after the other.
class HttpTestServer
{
public:
    using HeaderList = QList<QPair<QByteArray, QByteArray>>;

    struct Response
    {
        int status = 200;
        QByteArray contentType = "text/html";
        QByteArray body;
        HeaderList extraHeaders;
        // Without Content-Length the body ends when the connection closes.
        bool contentLength = true;
        // Slow headers: nothing at all is sent before this delay.
        int headerDelayMs = 0;
        // Sends the body in pieces of trickleBytes every trickleIntervalMs.
        int trickleBytes = 0;
        int trickleIntervalMs = 0;
        // After the headers, sends data (the body over and over, or filler)
        // until the client closes. Never sends Content-Length.
        bool endless = false;
        // Sends the headers, then nothing, and keeps the connection open.
        bool silentAfterHeaders = false;
        // Closes the connection without answering.
        bool dropConnection = false;
        // When set, sent verbatim instead of the generated status line and
        // headers (it must end with the empty line itself), to reproduce odd
        // spellings like "content-type:image/jpeg; charset=x". The connection
        // stays open afterwards only when this block declares a Content-Length.
        QByteArray rawHeaderBlock;
    };

    struct Request
    {
        // The request target exactly as the client sent it, still
        // percent-encoded (an absolute-form target is cut to its path).
        QString pathAndQuery;
        // pathAndQuery with its percent-encoding decoded: what routes match.
        QString decodedPathAndQuery;
        QByteArray method;
        QByteArray version; // "HTTP/1.1"
        HeaderList headers;
        // Numbered from 1 per server in order of acceptance: requests that
        // share a number came over one kept-alive connection.
        int connection = 0;
        bool tls = false;
        QByteArray header(const QByteArray &name) const; // case-insensitive, "" when absent
    };

    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer &) = delete;
    HttpTestServer &operator=(const HttpTestServer &) = delete;

    // Tests leave the port at 0 (any free one); sd_testserver lets people choose.
    bool start(quint16 port = 0);
    quint16 port() const;
    QString baseUrl() const; // "http://127.0.0.1:PORT"
    // baseUrl() + pathAndQuery ("/..." expected).
    QString url(const QString &pathAndQuery) const;

    // A second listener speaking TLS with a certificate for 127.0.0.1 issued
    // by a throw-away CA made with the `openssl` command. The same routes
    // answer on both listeners.
    bool startTls(quint16 port = 0);
    quint16 tlsPort() const;
    QString tlsBaseUrl() const; // "https://127.0.0.1:PORT"
    QString tlsUrl(const QString &pathAndQuery) const;
    // PEM file of the CA: give it to the client as SNAPDREDGE_CA_CERTIFICATES,
    // or add it to a QSslConfiguration.
    QString caCertificatePath() const;
    // Why start() or startTls() failed.
    QString errorString() const;

    // pathAndQuery as a client would send it, decoded or percent-encoded
    // (both match); setting a path again replaces its answer.
    void setRoute(const QString &pathAndQuery, const Response &r);
    void removeRoute(const QString &pathAndQuery);
    // A path answers with `status` and a Location header; a target starting
    // with "/" becomes an absolute address on the listener (http or https)
    // and host the request came to.
    void setRedirect(const QString &from, const QString &toUrlOrPath, int status = 302);
    // Every path starting with pathPrefix wants this user and password.
    void setBasicAuth(const QString &pathPrefix, const QString &user, const QString &password);
    // Added to every answer's header delay, to make a live search slow
    // enough to watch.
    void setResponseDelay(int ms);

    QList<Request> requests() const;
    // Requests whose target, as sent or decoded, equals pathAndQuery.
    int requestCount(const QString &pathAndQuery) const;
    void clearLog();

    // Client connections currently open, on both listeners.
    int openConnections() const;
    // Bytes handed to the operating system so far, on both listeners.
    qint64 bytesSent() const;

    class Private;

private:
    std::unique_ptr<Private> m_d;
};
