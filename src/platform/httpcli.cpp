#include "platform/httpcli.h"

#include <QAuthenticator>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTimer>
#include <QUrl>

namespace {

bool isRedirectStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
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

HttpCli::~HttpCli()
{
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
    QNetworkRequest req(target);
    req.setHeader(QNetworkRequest::UserAgentHeader, request.agent);
    req.setRawHeader("Accept", request.accept);
    if (!request.referrer.isEmpty())
        req.setRawHeader("Referer", QUrl(request.referrer, QUrl::TolerantMode).toEncoded());
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    req.setMaximumRedirectsAllowed(request.maxRedirects);
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
        m_finalUrl = m_reply->url().toString(QUrl::FullyDecoded);
    // After redirects the network layer may keep the earlier answers' values
    // in front of the final one's, joined by commas: the last one is ours.
    const auto lastValue = [this](const QByteArray &name) {
        const QByteArray value = m_reply->rawHeader(name);
        const qsizetype comma = value.lastIndexOf(',');
        return (comma < 0 ? value : value.mid(comma + 1)).trimmed();
    };
    const QByteArray type = lastValue("Content-Type");
    const qsizetype semicolon = type.indexOf(';');
    m_mediaType = (semicolon < 0 ? type : type.left(semicolon)).trimmed().toLower();
    bool lengthOk = false;
    const qint64 length = lastValue("Content-Length").toLongLong(&lengthOk);
    m_contentLength = lengthOk && length >= 0 ? length : -1;
    QList<QByteArray> lines;
    for (const auto &pair : m_reply->rawHeaderPairs())
        lines << pair.first + ": " + pair.second;
    Q_EMIT headerBegin();
    if (m_aborted)
        return true;
    Q_EMIT headerEnd(lines);
    return true;
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
