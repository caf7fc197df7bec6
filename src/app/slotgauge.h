#pragma once

#include "crawl/crawlhost.h"

#include <QProgressBar>

// One connection slot's progress in the status bar, drawn flat in its slot
// colour whatever the widget style would make of a progress bar.
class SlotGauge : public QProgressBar
{
    Q_OBJECT
public:
    explicit SlotGauge(QWidget *parent = nullptr);

    GaugeColor color() const { return m_color; }
    void setColor(GaugeColor color);
    static QColor colorValue(GaugeColor color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    GaugeColor m_color = GaugeColor::Blue;
};
