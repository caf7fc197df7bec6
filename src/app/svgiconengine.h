#pragma once

#include <QIconEngine>

// An icon drawn from our own SVG pictures at whatever size is asked for. A
// picture may be laid over another (a search's state badge over its kind).
class SvgIconEngine : public QIconEngine
{
public:
    struct Layer
    {
        QString file;                     // an SVG drawing
        QRectF area = QRectF(0, 0, 1, 1); // fraction of the icon's square
    };

    explicit SvgIconEngine(QList<Layer> layers);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;
    QString key() const override { return QStringLiteral("snapdredge-svg"); }
    bool isNull() override { return m_layers.isEmpty(); }

private:
    QImage render(const QSize &size, QIcon::Mode mode) const;

    QList<Layer> m_layers;
};
