#include "app/svgiconengine.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

SvgIconEngine::SvgIconEngine(QList<Layer> layers) : m_layers(std::move(layers)) {}

QImage SvgIconEngine::render(const QSize &size, QIcon::Mode mode) const
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const int side = std::min(size.width(), size.height());
    const QRectF square((size.width() - side) / 2.0, (size.height() - side) / 2.0, side, side);
    for (const Layer &layer : m_layers) {
        const QRectF area(square.x() + layer.area.x() * side, square.y() + layer.area.y() * side,
                          layer.area.width() * side, layer.area.height() * side);
        QSvgRenderer(layer.file).render(&painter, area);
    }
    painter.end();
    if (mode == QIcon::Disabled) {
        // Grey and faint, as disabled commands look elsewhere on the desktop.
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = line[x];
                const int alpha = qAlpha(p);
                const int grey = qGray(p);
                const int faded = alpha * 45 / 100;
                // Premultiplied: the grey scales with the new alpha.
                const int value = alpha ? grey * faded / alpha : 0;
                line[x] = qRgba(value, value, value, faded);
            }
        }
    }
    return image;
}

void SvgIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State)
{
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QImage image = render(rect.size() * ratio, mode);
    image.setDevicePixelRatio(ratio);
    painter->drawImage(rect, image);
}

QPixmap SvgIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State)
{
    return QPixmap::fromImage(render(size, mode));
}

QSize SvgIconEngine::actualSize(const QSize &size, QIcon::Mode, QIcon::State)
{
    return size;
}

QIconEngine *SvgIconEngine::clone() const
{
    return new SvgIconEngine(m_layers);
}
