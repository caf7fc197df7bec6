#include "crawl/crawltexts.h"

QString speedText(qint64 bytesInSecond)
{
    return QString::number(bytesInSecond / 1024) + QStringLiteral(" k/s");
}

QString timeStampedName(const QString &name, const QDateTime &when)
{
    const int extLength = name.right(4).toUpper() == u"JPEG" ? 5 : 4;
    const QString base = name.left(qMax<qsizetype>(0, name.size() - extLength));
    const QString ext = name.right(extLength);
    QString stamp = when.date().toString(QStringLiteral("dd/MM/yyyy")) + u'_' +
                    when.time().toString(QStringLiteral("HH:mm:ss"));
    stamp.replace(u':', u'-');
    return base + u'_' + stamp + ext;
}

QString shortDisplayName(const QString &name)
{
    if (name.size() < 20)
        return name;
    return name.left(6) + QStringLiteral("...") + name.right(10);
}
