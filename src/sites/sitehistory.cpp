#include "sites/sitehistory.h"

#include <QFile>

namespace {

// Blanks and control characters go at both ends, not only white space.
QString trimControls(const QString &line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && line.at(end - 1).unicode() <= 0x20)
        --end;
    return line.mid(begin, end - begin);
}

} // namespace

void SiteHistory::load(const QString &path)
{
    m_paths.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QFile fresh(path);
        if (fresh.open(QIODevice::WriteOnly | QIODevice::Truncate))
            fresh.close();
        return;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &raw : lines) {
        const QString line = trimControls(QString::fromUtf8(raw));
        if (!line.isEmpty())
            m_paths.append(line);
    }
}
