#pragma once

#include "crawl/crawlhost.h"

#include <QProgressBar>

class RepaintPacer;

// One connection slot's progress in the status bar, drawn flat in its slot
// colour whatever the widget style would make of a progress bar.
class SlotGauge : public QProgressBar
{
    Q_OBJECT
public:
    SlotGauge(RepaintPacer *pacer, QWidget *parent = nullptr);

    GaugeColor color() const { return m_color; }
    void setColor(GaugeColor color);
    // What the gauge shows, 0 to 100; painted at the pacer's pace.
    int percent() const { return m_percent; }
    void setPercent(int percent);
    // Shown or hidden at the pacer's pace too: a run shows and hides each
    // gauge twice per request. isShown() is the state asked for.
    bool isShown() const { return m_shown; }
    void setShown(bool on);
    static QColor colorValue(GaugeColor color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    GaugeColor m_color = GaugeColor::Blue;
    int m_percent = 0;
    bool m_shown = false;
    RepaintPacer *m_pacer = nullptr;
};
