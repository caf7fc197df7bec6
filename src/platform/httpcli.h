#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;

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
    void onMetaData();
    void onReadyRead();
    void onFinished();
    bool reportHeaders();
    void finishLater(int status, const QString &reason);

    QNetworkAccessManager *m_manager;
    QPointer<QNetworkReply> m_reply;
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
