#include "store/runcounters.h"

QString hhmmss(qint64 seconds)
{
    const auto two = [](qint64 v) { return v < 10 ? u'0' + QString::number(v) : QString::number(v); };
    const qint64 hours = seconds / 3600;
    const qint64 rest = seconds % 3600;
    return two(hours) + u':' + two(rest / 60) + u':' + two(rest % 60);
}

QString countersText(const RunCounters &c)
{
    return QString::number(c.pagesPending) + u':' + QString::number(c.picturesPending) +
           QStringLiteral("->") + QString::number(c.picturesSaved) + u':' + QString::number(c.picturesFailed);
}

QString timesText(const RunCounters &c)
{
    if (c.picturesSaved == 0)
        return {};
    const qint64 done = qint64(c.picturesSaved) + c.picturesFailed / 10;
    const qint64 left = (qint64(c.pagesPending) + c.picturesPending) * c.elapsedSeconds / done;
    return hhmmss(c.elapsedSeconds) + u'|' + hhmmss(left);
}
