#include "sites/addresshistory.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

AddressHistory::AddressHistory(QObject *parent) : QObject(parent) {}

void AddressHistory::load(const QString &path, int limit)
{
    m_path = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QList<QByteArray> lines = file.readAll().split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    bool ok = false;
    const int count = QString::fromUtf8(lines.value(0)).trimmed().toInt(&ok);
    if (!ok || count <= 0)
        return;
    m_addresses.clear();
    // Lines missing at the end are empty addresses; past the file's end only
    // the last `limit` of them could stay, so a huge count costs nothing.
    const qsizetype available = lines.size() - 1;
    const qsizetype wanted = std::min<qsizetype>(count, available + limit);
    for (qsizetype i = 1; i <= wanted; ++i) {
        m_addresses.append(QString::fromUtf8(lines.value(i)));
        // Keeps `limit` addresses, as many as remember allows: the program
        // this follows kept one fewer, so each restart lost the oldest.
        if (m_addresses.size() > limit)
            m_addresses.removeFirst();
    }
    Q_EMIT changed();
}

void AddressHistory::remember(const QString &text, int limit)
{
    // An empty box is refused by the start checks; it is no address to keep.
    if (text.trimmed().isEmpty())
        return;
    qsizetype found = -1;
    for (qsizetype i = 0; i < m_addresses.size(); ++i) {
        if (m_addresses.at(i).compare(text, Qt::CaseInsensitive) == 0) {
            found = i;
            break;
        }
    }
    if (found < 0) {
        while (!m_addresses.isEmpty() && m_addresses.size() >= limit)
            m_addresses.removeFirst();
        m_addresses.append(text);
    } else if (found < m_addresses.size() - 1) {
        m_addresses.append(m_addresses.takeAt(found));
    }
    save();
    Q_EMIT changed();
}

bool AddressHistory::save() const
{
    if (m_path.isEmpty())
        return false;
    QByteArray data = QByteArray::number(m_addresses.size()) + "\r\n";
    for (const QString &address : m_addresses)
        data += address.toUtf8() + "\r\n";
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(data);
    return file.commit();
}
