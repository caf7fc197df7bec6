#pragma once

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QThreadPool>
#include <atomic>
#include <memory>

// Decodes thumbnails off the GUI thread. The grid asks for the cells it
// paints, so the visible cells are asked for first; asking again after a
// scroll or a page change drops the work not yet started for the cells left
// behind. Decoded cells are kept in a bounded cache; each finished one is
// announced on the GUI thread.
class ThumbnailLoader : public QObject
{
    Q_OBJECT
public:
    explicit ThumbnailLoader(QObject *parent = nullptr);
    ~ThumbnailLoader() override;

    // The picture scaled to fit the box, once decoded; a null image until then
    // (and for good when the file cannot be decoded).
    QImage image(const QString &path, const QSize &box);
    // Work queued before now is for cells no longer wanted.
    void dropPending();
    // Forgets everything decoded, for a new cell size or a deleted file.
    void clearCache();
    void forget(const QString &path);
    // Blocks until queued work is done (tests and shutdown).
    void waitForDone() { m_pool.waitForDone(); }

Q_SIGNALS:
    // A cell's picture is ready, or its work was dropped: repaint it.
    void loaded(const QString &path);

private:
    static QString keyFor(const QString &path, const QSize &box);
    void finished(const QString &key, const QString &path, const QImage &image, bool failed);

    QThreadPool m_pool;
    QCache<QString, QImage> m_cache;
    QSet<QString> m_failed;
    QSet<QString> m_inFlight;
    std::shared_ptr<std::atomic<quint64>> m_generation = std::make_shared<std::atomic<quint64>>(0);
};
