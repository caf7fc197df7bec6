#include "app/slotgauge.h"

#include "app/repaintpacer.h"

#include <QPainter>

SlotGauge::SlotGauge(RepaintPacer *pacer, QWidget *parent) : QProgressBar(parent), m_pacer(pacer)
{
    setRange(0, 100);
    setValue(0);
    setTextVisible(false);
    connect(pacer, &RepaintPacer::flushing, this, [this]() {
        if (isVisibleTo(parentWidget()) != m_shown)
            setVisible(m_shown);
    });
}

QColor SlotGauge::colorValue(GaugeColor color)
{
    switch (color) {
    case GaugeColor::Grey:
        return QColor(0x80, 0x80, 0x80);
    case GaugeColor::Green:
        return QColor(0x00, 0x80, 0x00);
    case GaugeColor::Blue:
        break;
    }
    return QColor(0x00, 0x00, 0xff);
}

void SlotGauge::setColor(GaugeColor color)
{
    if (m_color == color)
        return;
    m_color = color;
    m_pacer->request(this);
}

void SlotGauge::setShown(bool on)
{
    if (m_shown == on)
        return;
    m_shown = on;
    m_pacer->request(this);
}

void SlotGauge::setPercent(int percent)
{
    if (m_percent == percent)
        return;
    m_percent = percent;
    m_pacer->request(this);
}

void SlotGauge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect frame = rect();
    painter.fillRect(frame, palette().color(QPalette::Base));
    if (m_percent > 0) {
        const int filled = (frame.width() - 2) * m_percent / 100;
        painter.fillRect(QRect(frame.left() + 1, frame.top() + 1, filled, frame.height() - 2),
                         colorValue(m_color));
    }
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
}
