#pragma once

#include "views/pictureloader.h"

#include <QAbstractScrollArea>
#include <QFutureWatcher>
#include <QImage>
#include <QPoint>

// The zoomable picture view of the Picture window. The picture is drawn
// scaled with smooth filtering; only the part on screen is scaled, so a large
// zoom of a large picture costs no more than the window's size. Shrinking a
// large part (a big picture fitted into the window) is done on the thread
// pool; until it is back the part is drawn unfiltered. A picture smaller than
// the view sits in its middle, on the background colour.
class ImageEnView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    // Scroll: dragging scrolls. ZoomScroll: a left click zooms in, a right
    // click zooms out, dragging scrolls.
    enum class MouseInteract { Scroll, ZoomScroll };

    explicit ImageEnView(QWidget *parent = nullptr);

    // Decodes the file off the GUI thread and shows it when it is ready; a
    // file that does not decode leaves the view blank.
    void loadFile(const QString &path);
    // Shows a picture already in memory.
    void setPicture(const QImage &image);
    // Nothing but the background; a decode still under way is dropped.
    void blank();
    bool hasPicture() const { return !m_image.isNull(); }
    const QImage &picture() const { return m_image; }
    QSize pictureSize() const { return m_image.size(); }
    bool isLoading() const { return m_loader.isBusy(); }
    // The smooth piece for the screen is still being made.
    bool isSmoothing() const { return m_scaling; }

    // In percent: 100 shows the picture at its own size.
    double zoom() const { return m_zoom; }
    void setZoom(double percent);
    // The largest zoom at which the whole picture is visible.
    void fit();
    void zoomIn(const QPoint &at);
    void zoomOut(const QPoint &at);

    MouseInteract mouseInteract() const { return m_interact; }
    void setMouseInteract(MouseInteract interact) { m_interact = interact; }

    QColor backgroundColor() const;
    // The picture's place in viewport coordinates.
    QRect pictureRect() const;

Q_SIGNALS:
    // A loaded file is on show, or the view went blank because it did not
    // decode (ok false).
    void fileLoaded(const QString &path, bool ok);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void onLoaded(const QString &path, const QImage &image);
    QSize scaledSize() const;
    void updateScrollBars();
    // Zooms keeping the picture point under `at` (viewport coordinates) where it is.
    void zoomAround(double percent, const QPoint &at);
    void dropScaled();
    // Starts making the smooth piece of `source` at the current zoom, unless one is under way.
    void scaleLater(const QRect &source);
    void onScaled();

    PictureLoader m_loader;
    QImage m_image;
    double m_zoom = 100.0;
    MouseInteract m_interact = MouseInteract::Scroll;

    // The last scaled piece: scrolling and repainting reuse it while the
    // zoom and the visible part stay the same.
    QImage m_scaled;
    QRect m_scaledSource;
    double m_scaledZoom = 0.0;
    qint64 m_scaledKey = 0;

    QFutureWatcher<QImage> m_scaleWatcher;
    bool m_scaling = false;
    QRect m_scalingSource;
    double m_scalingZoom = 0.0;
    qint64 m_scalingKey = 0;

    bool m_dragging = false;
    bool m_dragMoved = false;
    QPoint m_pressPos;
    QPoint m_pressScroll;
};
