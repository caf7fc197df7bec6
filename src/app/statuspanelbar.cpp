#include "app/statuspanelbar.h"

#include "app/appicons.h"
#include "app/repaintpacer.h"
#include "app/slotgauge.h"

#include <QPainter>
#include <QStyleOption>

namespace {
constexpr int Widths[StatusPanelBar::PanelCount] = {150, 138, 30, 30, 30, 30, 30, 30, 30, 30, 50, 50};
constexpr int Gap = 2;
} // namespace

StatusPanelBar::StatusPanelBar(QWidget *parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("StatusBar1"));
    setMinimumHeight(22);
    setSizeGripEnabled(true);
    m_pacer = new RepaintPacer(40, this);
    for (int i = 0; i < PanelCount; ++i) {
        m_widths << Widths[i];
        m_texts << QString();
    }
    // The widths were chosen for a narrow 8-point font; where the desktop's
    // font is wider, the status and speed panels grow so that their longest
    // texts are read whole, and everything to their right moves along.
    const QFontMetrics metrics = fontMetrics();
    m_widths[0] =
        std::max(Widths[0], 28 + metrics.horizontalAdvance(QStringLiteral("Thread8 Start to connect..")));
    m_widths[10] = std::max(Widths[10], 8 + metrics.horizontalAdvance(QStringLiteral("99999 k/s")));
    m_statusPicture = AppIcons::statusIcon(0);
    for (int slot = 1; slot <= GaugeCount; ++slot) {
        auto *g = new SlotGauge(m_pacer, this);
        g->setObjectName(QStringLiteral("Gauge%1").arg(slot));
        g->setColor(GaugeColor::Blue);
        g->hide();
        m_gauges[size_t(slot - 1)] = g;
    }
    placeGauges();
}

int StatusPanelBar::panelWidth(int panel) const
{
    return panel >= 0 && panel < PanelCount ? m_widths.at(panel) : 0;
}

QRect StatusPanelBar::panelRect(int panel) const
{
    int left = 0;
    for (int i = 0; i < panel; ++i)
        left += m_widths.at(i);
    // The last panel reaches the right edge, so the times are never cut short
    // while there is room.
    const int width =
        panel == PanelCount - 1 ? std::max(m_widths.at(panel), this->width() - left) : m_widths.at(panel);
    return QRect(left, Gap, width - Gap, height() - 2 * Gap);
}

void StatusPanelBar::setPanelText(int panel, const QString &text)
{
    if (panel < 0 || panel >= PanelCount || m_texts.at(panel) == text)
        return;
    m_texts[panel] = text;
    m_pacer->request(this);
}

void StatusPanelBar::setStatus(int icon, const QString &text)
{
    if (icon != m_statusIcon) {
        m_statusIcon = icon;
        m_statusPicture = AppIcons::statusIcon(icon);
    }
    m_texts[0] = text;
    m_pacer->request(this);
    Q_EMIT statusChanged(icon, text);
}

void StatusPanelBar::flushPaint()
{
    m_pacer->flush();
}

SlotGauge *StatusPanelBar::gauge(int slot) const
{
    return slot >= 1 && slot <= GaugeCount ? m_gauges[size_t(slot - 1)] : nullptr;
}

QRect StatusPanelBar::gaugeGeometry(int slot) const
{
    // Gauge k sits 4 pixels into panel k + 1, 6 pixels narrower than it.
    int left = m_widths.at(0) + m_widths.at(1) + 4;
    for (int k = 2; k <= slot; ++k)
        left += m_widths.at(k);
    return QRect(left, 4, m_widths.at(slot + 1) - 6, std::max(height() - 6, 1));
}

void StatusPanelBar::placeGauges()
{
    for (int slot = 1; slot <= GaugeCount; ++slot)
        m_gauges[size_t(slot - 1)]->setGeometry(gaugeGeometry(slot));
}

void StatusPanelBar::resizeEvent(QResizeEvent *event)
{
    QStatusBar::resizeEvent(event);
    placeGauges();
}

void StatusPanelBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette pal = palette();
    for (int i = 0; i < PanelCount; ++i) {
        const QRect r = panelRect(i);
        // A lowered bevel, as status panels look.
        painter.setPen(pal.color(QPalette::Mid));
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(pal.color(QPalette::Light));
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    }
    const QRect status = panelRect(0);
    const int iconSide = std::min(16, status.height() - 2);
    m_statusPicture.paint(&painter, QRect(status.left() + 2, status.top() + (status.height() - iconSide) / 2,
                                          iconSide, iconSide));
    painter.setPen(Qt::black);
    painter.drawText(QRect(status.left() + 20, status.top(), status.width() - 21, status.height()),
                     Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, m_texts.at(0));
    painter.setPen(pal.color(QPalette::WindowText));
    for (int i = 1; i < PanelCount; ++i) {
        if (m_texts.at(i).isEmpty())
            continue;
        const QRect r = panelRect(i).adjusted(3, 0, -2, 0);
        painter.drawText(r, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, m_texts.at(i));
    }
}
