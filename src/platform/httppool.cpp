#include "platform/httppool.h"

#include <QNetworkAccessManager>
#include <QTcpSocket>

namespace {

QString poolKey(const QString &host, quint16 port)
{
    return host.toLower() + u':' + QString::number(port);
}

} // namespace

HttpPool::HttpPool(int maxIdle, QObject *parent) : QObject(parent), m_maxIdle(qMax(0, maxIdle)) {}

HttpPool::~HttpPool()
{
    // A socket closing in its destructor would call back into clients and
    // into this half-destroyed pool; a client still using one hears of it
    // through destroyed(), which Qt sends regardless.
    for (QTcpSocket *socket : findChildren<QTcpSocket *>(Qt::FindDirectChildrenOnly))
        socket->blockSignals(true);
}

QTcpSocket *HttpPool::takeIdle(const QString &host, quint16 port)
{
    const QString key = poolKey(host, port);
    // The newest first: it is the least likely to have been timed out by the server.
    for (qsizetype i = m_idle.size() - 1; i >= 0; --i) {
        if (m_idle[i].key != key)
            continue;
        QTcpSocket *socket = m_idle.takeAt(i).socket;
        socket->disconnect(this);
        if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesAvailable() == 0)
            return socket;
        socket->abort();
        socket->deleteLater();
    }
    return nullptr;
}

QTcpSocket *HttpPool::newSocket()
{
    auto *socket = new QTcpSocket(this);
    return socket;
}

void HttpPool::putIdle(QTcpSocket *socket, const QString &host, quint16 port)
{
    if (m_maxIdle == 0 || socket->state() != QAbstractSocket::ConnectedState) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    // A server that closes an idle connection, or talks on it unasked, has
    // ended it for us.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket]() {
        if (socket->bytesAvailable() > 0)
            discard(socket);
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket]() { discard(socket); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket]() { discard(socket); });
    m_idle.append({socket, poolKey(host, port)});
    while (m_idle.size() > m_maxIdle)
        discard(m_idle.first().socket);
}

void HttpPool::discard(QTcpSocket *socket)
{
    for (qsizetype i = 0; i < m_idle.size(); ++i) {
        if (m_idle[i].socket == socket) {
            m_idle.removeAt(i);
            break;
        }
    }
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

QNetworkAccessManager *HttpPool::networkManager()
{
    QNetworkAccessManager *&manager = m_managers[m_nextManager];
    m_nextManager = (m_nextManager + 1) % int(m_managers.size());
    if (!manager)
        manager = new QNetworkAccessManager(this);
    return manager;
}
