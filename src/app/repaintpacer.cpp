#include "app/repaintpacer.h"

#include <QWidget>

RepaintPacer::RepaintPacer(int intervalMs, QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &RepaintPacer::flush);
}

void RepaintPacer::request(QWidget *widget)
{
    if (!m_pending.contains(widget))
        m_pending.append(widget);
    if (!m_timer.isActive())
        m_timer.start();
}

void RepaintPacer::flush()
{
    m_timer.stop();
    Q_EMIT flushing();
    const QVector<QPointer<QWidget>> pending = std::exchange(m_pending, {});
    for (const QPointer<QWidget> &w : pending) {
        if (w)
            w->update();
    }
}
