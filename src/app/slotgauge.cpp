#include "app/slotgauge.h"

#include <QPainter>

SlotGauge::SlotGauge(QWidget *parent) : QProgressBar(parent)
{
    setRange(0, 100);
    setValue(0);
    setTextVisible(false);
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
    update();
}

void SlotGauge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect frame = rect();
    painter.fillRect(frame, palette().color(QPalette::Base));
    const int span = maximum() - minimum();
    if (span > 0 && value() > minimum()) {
        const int filled = (frame.width() - 2) * (value() - minimum()) / span;
        painter.fillRect(QRect(frame.left() + 1, frame.top() + 1, filled, frame.height() - 2),
                         colorValue(m_color));
    }
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
}
