#include "store/historyfile.h"

#include "settings/textrules.h"

#include <QFile>
#include <QSaveFile>

QList<HistoryEntry> loadHistoryFile(const QString &path, int limit, bool *found)
{
    QList<HistoryEntry> entries;
    QFile file(path);
    if (found)
        *found = false;
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    if (found)
        *found = true;
    const auto readLine = [&file]() {
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        return QString::fromUtf8(line);
    };
    while (!file.atEnd()) {
        HistoryEntry e;
        e.icon = readInteger(readLine());
        e.name = readLine();
        entries << e;
        if (limit > 0 && entries.size() > limit)
            entries.removeFirst();
    }
    return entries;
}

bool saveHistoryFile(const QString &path, const QList<HistoryEntry> &entries)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray data;
    for (const HistoryEntry &e : entries) {
        data += QByteArray::number(e.icon) + "\r\n";
        data += e.name.toUtf8() + "\r\n";
    }
    file.write(data);
    return file.commit();
}
