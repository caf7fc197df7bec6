#include "views/pictureloader.h"

#include <QImageReader>
#include <QtConcurrent/QtConcurrentRun>

PictureLoader::PictureLoader(QObject *parent) : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcher<QImage>::finished, this, &PictureLoader::onFinished);
}

PictureLoader::~PictureLoader()
{
    // The decode keeps only its own copy of the path; it may finish after us
    // and its picture is simply dropped.
    m_watcher.disconnect(this);
}

QImage PictureLoader::decode(const QString &path)
{
    QImageReader reader(path);
    // The bytes decide, not the name: a saved picture keeps the name it was
    // served under, whatever it holds.
    reader.setDecideFormatFromContent(true);
    QImage image;
    if (!reader.read(&image))
        return {};
    return image;
}

void PictureLoader::load(const QString &path)
{
    if (m_running) {
        m_waiting = path;
        return;
    }
    start(path);
}

void PictureLoader::cancel()
{
    m_waiting.clear();
    m_cancelledUpTo = m_nextTicket;
}

void PictureLoader::start(const QString &path)
{
    m_running = true;
    m_runningPath = path;
    m_runningTicket = ++m_nextTicket;
    m_watcher.setFuture(QtConcurrent::run([path] { return decode(path); }));
}

void PictureLoader::onFinished()
{
    m_running = false;
    const QString path = m_runningPath;
    const bool wanted = m_runningTicket > m_cancelledUpTo;
    const QImage image = wanted ? m_watcher.result() : QImage();
    if (!m_waiting.isEmpty()) {
        const QString next = m_waiting;
        m_waiting.clear();
        start(next);
    }
    if (wanted)
        Q_EMIT loaded(path, image);
}
