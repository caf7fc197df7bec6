#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVector>

class QWidget;

// Widgets that change many times a second during a run (the status texts,
// the slot gauges) repaint at most every `intervalMs`: the event loop turns
// over after every network event, and painting at each turn cost the desktop
// program nearly half of a fast run. What they show is always their latest
// state; only the painting waits.
class RepaintPacer : public QObject
{
    Q_OBJECT
public:
    explicit RepaintPacer(int intervalMs, QObject *parent = nullptr);

    void request(QWidget *widget);
    // Paints what is pending now (the end of a run shows its last state at once).
    void flush();

Q_SIGNALS:
    // Just before the pending widgets paint: state kept back until then
    // (a gauge's visibility) is applied.
    void flushing();

private:
    QTimer m_timer;
    QVector<QPointer<QWidget>> m_pending;
};
