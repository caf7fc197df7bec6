#include "views/thumbnailloader.h"

#include <QImageReader>
#include <QThread>

namespace {

// About 48 MB of decoded cells (the cost is in kilobytes).
constexpr int CacheKilobytes = 48 * 1024;

QImage decode(const QString &path, const QSize &box)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    if (full.isValid()) {
        // JPEGs shrink while decoding, which costs a fraction of a full decode.
        QSize fit = full;
        if (fit.width() > box.width() || fit.height() > box.height())
            fit.scale(box, Qt::KeepAspectRatio);
        reader.setScaledSize(fit.expandedTo(QSize(1, 1)));
    }
    QImage image = reader.read();
    if (!image.isNull() && (image.width() > box.width() || image.height() > box.height()))
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace

ThumbnailLoader::ThumbnailLoader(QObject *parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(std::clamp(QThread::idealThreadCount() - 1, 1, 4));
    m_cache.setMaxCost(CacheKilobytes);
}

ThumbnailLoader::~ThumbnailLoader()
{
    dropPending();
    m_pool.clear();
    m_pool.waitForDone();
}

QString ThumbnailLoader::keyFor(const QString &path, const QSize &box)
{
    return QStringLiteral("%1x%2|").arg(box.width()).arg(box.height()) + path;
}

QImage ThumbnailLoader::image(const QString &path, const QSize &box)
{
    const QString key = keyFor(path, box);
    if (QImage *cached = m_cache.object(key))
        return *cached;
    if (m_failed.contains(key) || m_inFlight.contains(key) || box.isEmpty())
        return {};
    m_inFlight.insert(key);
    const quint64 generation = m_generation->load();
    auto current = m_generation;
    m_pool.start([this, key, path, box, generation, current] {
        if (current->load() != generation) {
            QMetaObject::invokeMethod(
                this, [this, key, path] { finished(key, path, {}, false); }, Qt::QueuedConnection);
            return;
        }
        const QImage image = decode(path, box);
        QMetaObject::invokeMethod(
            this, [this, key, path, image] { finished(key, path, image, image.isNull()); },
            Qt::QueuedConnection);
    });
    return {};
}

void ThumbnailLoader::finished(const QString &key, const QString &path, const QImage &image, bool failed)
{
    m_inFlight.remove(key);
    if (failed) {
        m_failed.insert(key);
        return;
    }
    if (image.isNull()) {
        // Dropped before it was decoded: a cell still on show asks again when
        // it is repainted.
        Q_EMIT loaded(path);
        return;
    }
    m_cache.insert(key, new QImage(image), std::max<qsizetype>(1, image.sizeInBytes() / 1024));
    Q_EMIT loaded(path);
}

void ThumbnailLoader::dropPending()
{
    ++*m_generation;
}

void ThumbnailLoader::clearCache()
{
    dropPending();
    m_cache.clear();
    m_failed.clear();
}

void ThumbnailLoader::forget(const QString &path)
{
    const QList<QString> keys = m_cache.keys();
    for (const QString &key : keys) {
        if (key.section(u'|', 1, -1) == path)
            m_cache.remove(key);
    }
    for (auto it = m_failed.begin(); it != m_failed.end();) {
        if (it->section(u'|', 1, -1) == path)
            it = m_failed.erase(it);
        else
            ++it;
    }
}
