#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <QUrl>

class HttpPool;
class QNetworkAccessManager;
class QNetworkReply;
class QTcpSocket;

// One HTTP(S) GET. Reports, in this order and always from the event loop
// (never from inside a call into it): headerBegin, headerEnd, documentData for
// each chunk, documentEnd when a response body has been received whole, and
// requestDone last in every case, also after abort() and after errors.
class HttpCli : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QString url;
        QString agent;
        QString referrer; // not sent when empty
        QByteArray accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
        int maxRedirects = 5;
        // Sent only to `loginHost`, and only when it asks for them.
        bool login = false;
        QString loginHost;
        QString user;
        QString password;
        bool proxy = false;
        QString proxyHost;
        quint16 proxyPort = 0;
        QString proxyUser;
        QString proxyPassword;
    };

    explicit HttpCli(QNetworkAccessManager *manager, QObject *parent = nullptr);
    // Plain http:// without a proxy goes over the pool's kept-alive
    // connections, in this thread; the rest over its network managers.
    explicit HttpCli(HttpPool *pool, QObject *parent = nullptr);
    ~HttpCli() override;

    void getAsync(const Request &request);
    // Ends the request early; requestDone follows with status 404 and
    // "Connection aborted on request".
    void abort();

    QString url() const { return m_request.url; }
    // Where the answer came from after redirects (the requested address when none).
    QString finalUrl() const { return m_finalUrl.isEmpty() ? m_request.url : m_finalUrl; }
    QString referrer() const { return m_request.referrer; }
    int Tag = 0;

    // Known once headerEnd has been reported.
    int statusCode() const { return m_status; }
    // The media type of the Content-Type header, lower-cased, without
    // parameters; empty when the response had none.
    QByteArray mediaType() const { return m_mediaType; }
    // -1 when the response did not announce its length.
    qint64 contentLength() const { return m_contentLength; }
    QString errorText() const { return m_errorText; }
    bool isDone() const { return m_done; }

    // Adds the certificates of a PEM file to the trusted ones of every request
    // (for sites with a private certificate authority).
    static void addTrustedCertificates(const QString &pemFile);

Q_SIGNALS:
    void headerBegin();
    void headerEnd(const QList<QByteArray> &headerLines);
    void documentData(const QByteArray &chunk);
    void documentEnd();
    void requestDone(int status, const QString &reason);

private:
    enum class Phase { Idle, Connecting, Head, Body, Over };
    enum class BodyMode { None, Length, Chunked, UntilClose };
    enum class ChunkState { Size, Data, DataEnd, Trailer };
    enum class Next { Deliver, Redirect, Login, HandOver };
    enum class BodyStep { More, Complete, Stop }; // Stop: finished, aborted or deleted

    void startReply(const QUrl &target, int maxRedirects);
    void onMetaData();
    void onReadyRead();
    void onFinished();
    bool reportHeaders();
    void takeEntityHeaders(const QByteArray &type, const QByteArray &length);
    void finishLater(int status, const QString &reason);

    void startDirect(bool freshConnection);
    void sendRequest();
    void onSocketReadable();
    void onSocketClosed();
    void processInput();
    void processBuffer();
    // False when it is no HTTP answer.
    bool parseHead(const QByteArray &head);
    BodyStep takeBody();
    BodyStep takeChunked();
    // False when a receiver aborted or deleted us.
    bool deliver(QByteArray &&chunk);
    void onBodyComplete();
    void proceed();
    void releaseSocket(bool keep);
    void failDirect(int status, const QString &reason);

    QNetworkAccessManager *m_manager = nullptr;
    QPointer<HttpPool> m_pool;
    QPointer<QNetworkReply> m_reply;

    // The direct path.
    QPointer<QTcpSocket> m_socket;
    QUrl m_current;
    int m_redirectsLeft = 0;
    Phase m_phase = Phase::Idle;
    bool m_reused = false;
    bool m_retried = false;
    bool m_received = false;
    bool m_sendLogin = false;
    bool m_keepAlive = false;
    bool m_tooManyRedirects = false;
    bool m_processing = false;
    bool m_closePending = false;
    Next m_next = Next::Deliver;
    QUrl m_nextUrl;
    BodyMode m_bodyMode = BodyMode::None;
    ChunkState m_chunkState = ChunkState::Size;
    qint64 m_remaining = 0;
    QByteArray m_buffer;
    QByteArray m_reason;
    QList<QByteArray> m_headerLines;
    Request m_request;
    bool m_headersReported = false;
    bool m_done = false;
    bool m_aborted = false;
    int m_status = 0;
    QByteArray m_mediaType;
    qint64 m_contentLength = -1;
    QString m_errorText;
    QString m_finalUrl;
};
