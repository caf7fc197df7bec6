#include "views/imageenview.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The zoom steps of a click in zoom mode, in percent.
constexpr std::array<double, 23> ZoomSteps = {1,   2,         3,   5,         8,    10,   15,  20,
                                              25,  100.0 / 3, 50,  200.0 / 3, 100,  150,  200, 300,
                                              400, 600,       800, 1200,      1600, 2400, 3200};
constexpr double MinZoom = 0.1;
constexpr double MaxZoom = 100000.0;
// Scaled around the visible part, so that small scrolls reuse the piece.
constexpr int ScaleMargin = 128;
constexpr int ScrollStep = 20;
// Pieces of up to this many picture pixels are scaled at once, in the paint.
constexpr qint64 ScaleOnTheSpotLimit = 1000 * 1000;

// The picture part `source` at zoom z (a factor), with its edges where the
// whole scaled picture would have them, so that pieces line up.
QImage scalePiece(const QImage &image, const QRect &source, double z)
{
    const int x0 = int(std::lround(source.left() * z));
    const int y0 = int(std::lround(source.top() * z));
    const int x1 = int(std::lround((source.right() + 1) * z));
    const int y1 = int(std::lround((source.bottom() + 1) * z));
    const QImage part = source == image.rect() ? image : image.copy(source);
    return part.scaled(std::max(1, x1 - x0), std::max(1, y1 - y0), Qt::IgnoreAspectRatio,
                       Qt::SmoothTransformation);
}

QPoint pieceOrigin(const QRect &source, double z)
{
    return {int(std::lround(source.left() * z)), int(std::lround(source.top() * z))};
}

} // namespace

ImageEnView::ImageEnView(QWidget *parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("ImageEnView1"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setCursor(Qt::OpenHandCursor);
    connect(&m_loader, &PictureLoader::loaded, this, &ImageEnView::onLoaded);
    connect(&m_scaleWatcher, &QFutureWatcher<QImage>::finished, this, &ImageEnView::onScaled);
}

QColor ImageEnView::backgroundColor() const
{
    return palette().color(QPalette::Disabled, QPalette::Text);
}

void ImageEnView::loadFile(const QString &path)
{
    m_loader.load(path);
}

void ImageEnView::onLoaded(const QString &path, const QImage &image)
{
    if (image.isNull()) {
        blank();
        Q_EMIT fileLoaded(path, false);
        return;
    }
    setPicture(image);
    Q_EMIT fileLoaded(path, true);
}

void ImageEnView::setPicture(const QImage &image)
{
    m_image = image;
    dropScaled();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

void ImageEnView::blank()
{
    m_loader.cancel();
    m_image = QImage();
    dropScaled();
    updateScrollBars();
    viewport()->update();
}

void ImageEnView::dropScaled()
{
    m_scaled = QImage();
    m_scaledSource = QRect();
    m_scaledZoom = 0.0;
    m_scaledKey = 0;
}

void ImageEnView::scaleLater(const QRect &source)
{
    if (m_scaling)
        return;
    m_scaling = true;
    m_scalingSource = source;
    m_scalingZoom = m_zoom;
    m_scalingKey = m_image.cacheKey();
    const QImage image = m_image;
    const double z = m_zoom / 100.0;
    m_scaleWatcher.setFuture(QtConcurrent::run([image, source, z] { return scalePiece(image, source, z); }));
}

void ImageEnView::onScaled()
{
    m_scaling = false;
    // The picture or the zoom may have changed meanwhile; then the next paint asks again.
    if (m_scalingKey == m_image.cacheKey() && m_scalingZoom == m_zoom) {
        m_scaled = m_scaleWatcher.result();
        m_scaledSource = m_scalingSource;
        m_scaledZoom = m_scalingZoom;
        m_scaledKey = m_scalingKey;
    }
    viewport()->update();
}

QSize ImageEnView::scaledSize() const
{
    if (m_image.isNull())
        return {};
    const double z = m_zoom / 100.0;
    return {std::max(1, int(std::lround(m_image.width() * z))),
            std::max(1, int(std::lround(m_image.height() * z)))};
}

QRect ImageEnView::pictureRect() const
{
    const QSize s = scaledSize();
    const QSize vp = viewport()->size();
    const int x = s.width() < vp.width() ? (vp.width() - s.width()) / 2 : -horizontalScrollBar()->value();
    const int y = s.height() < vp.height() ? (vp.height() - s.height()) / 2 : -verticalScrollBar()->value();
    return {QPoint(x, y), s};
}

void ImageEnView::updateScrollBars()
{
    const QSize s = scaledSize();
    const QSize vp = viewport()->size();
    QScrollBar *h = horizontalScrollBar();
    QScrollBar *v = verticalScrollBar();
    h->setRange(0, std::max(0, s.width() - vp.width()));
    v->setRange(0, std::max(0, s.height() - vp.height()));
    h->setPageStep(vp.width());
    v->setPageStep(vp.height());
    h->setSingleStep(ScrollStep);
    v->setSingleStep(ScrollStep);
}

void ImageEnView::setZoom(double percent)
{
    percent = std::clamp(percent, MinZoom, MaxZoom);
    if (percent == m_zoom)
        return;
    m_zoom = percent;
    updateScrollBars();
    viewport()->update();
}

void ImageEnView::fit()
{
    if (m_image.isNull())
        return;
    // The room without scroll bars: a fitted picture needs none.
    const QSize room = maximumViewportSize();
    const double z =
        std::min(double(room.width()) / m_image.width(), double(room.height()) / m_image.height());
    setZoom(z * 100.0);
}

void ImageEnView::zoomAround(double percent, const QPoint &at)
{
    if (m_image.isNull())
        return;
    const QRect before = pictureRect();
    const QPointF onPicture = QPointF(at - before.topLeft()) / (m_zoom / 100.0);
    setZoom(percent);
    const QPointF wanted = onPicture * (m_zoom / 100.0) - QPointF(at);
    horizontalScrollBar()->setValue(int(std::lround(wanted.x())));
    verticalScrollBar()->setValue(int(std::lround(wanted.y())));
}

void ImageEnView::zoomIn(const QPoint &at)
{
    const auto next = std::upper_bound(ZoomSteps.begin(), ZoomSteps.end(), m_zoom * 1.0001);
    zoomAround(next == ZoomSteps.end() ? m_zoom * 1.5 : *next, at);
}

void ImageEnView::zoomOut(const QPoint &at)
{
    const auto below = std::lower_bound(ZoomSteps.begin(), ZoomSteps.end(), m_zoom * 0.9999);
    zoomAround(below == ZoomSteps.begin() ? m_zoom / 1.5 : *(below - 1), at);
}

void ImageEnView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), backgroundColor());
    if (m_image.isNull())
        return;
    const QRect target = pictureRect();
    const QRect visible = target & viewport()->rect();
    if (visible.isEmpty())
        return;
    if (m_zoom == 100.0) {
        painter.drawImage(visible.topLeft(), m_image, visible.translated(-target.topLeft()));
        return;
    }
    const double z = m_zoom / 100.0;
    const auto sourceOf = [&](const QRect &onScreen) {
        const QRect r = onScreen.translated(-target.topLeft());
        const int left = int(std::floor(r.left() / z));
        const int top = int(std::floor(r.top() / z));
        const int right = int(std::ceil((r.right() + 1) / z));
        const int bottom = int(std::ceil((r.bottom() + 1) / z));
        return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)) & m_image.rect();
    };
    const QRect needed = sourceOf(visible);
    bool ready =
        m_scaledZoom == m_zoom && m_scaledKey == m_image.cacheKey() && m_scaledSource.contains(needed);
    if (!ready) {
        const QRect wanted = sourceOf(visible.adjusted(-ScaleMargin, -ScaleMargin, ScaleMargin, ScaleMargin));
        if (qint64(wanted.width()) * wanted.height() <= ScaleOnTheSpotLimit) {
            m_scaled = scalePiece(m_image, wanted, z);
            m_scaledSource = wanted;
            m_scaledZoom = m_zoom;
            m_scaledKey = m_image.cacheKey();
            ready = true;
        } else {
            scaleLater(wanted);
        }
    }
    painter.setClipRect(visible);
    if (ready) {
        painter.drawImage(target.topLeft() + pieceOrigin(m_scaledSource, z), m_scaled);
        return;
    }
    // Unfiltered meanwhile: fast whatever the size.
    const QRectF onScreen(QPointF(target.topLeft()) + QPointF(needed.left() * z, needed.top() * z),
                          QSizeF(needed.width() * z, needed.height() * z));
    painter.drawImage(onScreen, m_image, QRectF(needed));
}

void ImageEnView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ImageEnView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void ImageEnView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_dragMoved = false;
        m_pressPos = event->position().toPoint();
        m_pressScroll = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
        viewport()->setCursor(Qt::ClosedHandCursor);
    }
    event->accept();
}

void ImageEnView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint delta = event->position().toPoint() - m_pressPos;
    if (delta.manhattanLength() >= QApplication::startDragDistance())
        m_dragMoved = true;
    if (!m_dragMoved)
        return;
    horizontalScrollBar()->setValue(m_pressScroll.x() - delta.x());
    verticalScrollBar()->setValue(m_pressScroll.y() - delta.y());
}

void ImageEnView::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        viewport()->setCursor(Qt::OpenHandCursor);
        if (m_interact == MouseInteract::ZoomScroll && !m_dragMoved)
            zoomIn(at);
    } else if (event->button() == Qt::RightButton && m_interact == MouseInteract::ZoomScroll) {
        zoomOut(at);
    }
    event->accept();
}

void ImageEnView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click is two clicks here, and nothing more.
    event->accept();
}
