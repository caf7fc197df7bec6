#pragma once

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QString>

// Decodes picture files on the thread pool, one at a time, and hands the
// pictures back on the thread it lives in. A request made while a decode
// runs waits, and a newer request replaces the waiting one: a burst of
// requests costs one decode for the first and one for the newest, never one
// each. A decode that finishes is still shown, even when a newer one waits,
// so a steady stream of requests keeps the display moving.
class PictureLoader : public QObject
{
    Q_OBJECT
public:
    explicit PictureLoader(QObject *parent = nullptr);
    ~PictureLoader() override;

    void load(const QString &path);
    // Nothing requested so far will be handed back.
    void cancel();
    bool isBusy() const { return m_running || !m_waiting.isEmpty(); }

    // The whole decode, also for callers that already are off the GUI thread.
    // A null picture when the file is missing or does not decode.
    static QImage decode(const QString &path);

Q_SIGNALS:
    // image is null when the file did not decode.
    void loaded(const QString &path, const QImage &image);

private:
    void start(const QString &path);
    void onFinished();

    QFutureWatcher<QImage> m_watcher;
    bool m_running = false;
    QString m_runningPath;
    quint64 m_runningTicket = 0;
    QString m_waiting;
    quint64 m_nextTicket = 0;
    // Decodes whose ticket is at or below this were asked before a cancel.
    quint64 m_cancelledUpTo = 0;
};
