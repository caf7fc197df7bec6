#pragma once

#include <QIcon>
#include <QList>
#include <QStatusBar>
#include <array>

class RepaintPacer;
class SlotGauge;

// The main window's status bar: twelve panels of fixed widths (the last one
// takes what is left), the first drawn by us with the status icon and text,
// and the eight slot gauges laid over panels 2 to 9.
class StatusPanelBar : public QStatusBar
{
    Q_OBJECT
public:
    static constexpr int PanelCount = 12;
    static constexpr int GaugeCount = 8;

    explicit StatusPanelBar(QWidget *parent = nullptr);

    int panelWidth(int panel) const;
    QRect panelRect(int panel) const;
    void setPanelText(int panel, const QString &text);
    QString panelText(int panel) const { return m_texts.value(panel); }

    // The owner-drawn panel 0.
    void setStatus(int icon, const QString &text);
    int statusIcon() const { return m_statusIcon; }
    QString statusText() const { return m_texts.value(0); }

    // slot counts from 1.
    SlotGauge *gauge(int slot) const;
    QRect gaugeGeometry(int slot) const;
    // Paints every pending change of the texts and gauges now.
    void flushPaint();
    RepaintPacer *pacer() const { return m_pacer; }

Q_SIGNALS:
    void statusChanged(int icon, const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeGauges();

    QList<int> m_widths;
    QList<QString> m_texts;
    int m_statusIcon = 0;
    QIcon m_statusPicture;
    std::array<SlotGauge *, GaugeCount> m_gauges{};
    RepaintPacer *m_pacer = nullptr;
};
