#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <array>

class QNetworkAccessManager;
class QTcpSocket;

// What the HttpCli objects of one owner share: kept-alive plain HTTP
// connections, and the network managers for what our own client leaves to Qt
// (https, proxies, logins other than Basic). Every socket it hands out stays
// its child, so deleting the pool closes them all.
class HttpPool : public QObject
{
    Q_OBJECT
public:
    explicit HttpPool(int maxIdle = 8, QObject *parent = nullptr);
    ~HttpPool() override;

    // An open idle connection to host:port, or nullptr.
    QTcpSocket *takeIdle(const QString &host, quint16 port);
    // A new, unconnected socket.
    QTcpSocket *newSocket();
    // Keeps a connection whose last answer was read whole for the next
    // request to host:port; the oldest idle one goes when over the limit.
    void putIdle(QTcpSocket *socket, const QString &host, quint16 port);
    int idleCount() const { return int(m_idle.size()); }

    // The two managers are used in turn: each keeps up to six connections
    // to a host, so eight slots always have one each.
    QNetworkAccessManager *networkManager();

private:
    struct Idle
    {
        QTcpSocket *socket;
        QString key;
    };
    void discard(QTcpSocket *socket);

    int m_maxIdle;
    QList<Idle> m_idle; // oldest first
    std::array<QNetworkAccessManager *, 2> m_managers = {};
    int m_nextManager = 0;
};
