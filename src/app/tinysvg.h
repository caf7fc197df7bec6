#pragma once

#include <QBrush>
#include <QList>
#include <QPainterPath>
#include <QPen>
#include <QRectF>

class QPainter;

// Draws the small SVG pictures our icons are made of. Qt's own SVG module is
// not part of every installation, and the icons use only plain shapes, so a
// small reader of our own keeps them visible everywhere: svg/g/rect/circle/
// ellipse/line/polyline/polygon/path (M L H V C S Q T Z, absolute and
// relative), fill, stroke, stroke-width/-linecap/-linejoin/-dasharray,
// opacity and transform (translate, scale, rotate, matrix).
class TinySvg
{
public:
    TinySvg() = default;
    explicit TinySvg(const QByteArray &document);
    static TinySvg fromFile(const QString &path);

    bool isValid() const { return m_valid; }
    QRectF viewBox() const { return m_viewBox; }
    int shapeCount() const { return int(m_shapes.size()); }
    // Scales the view box into `target`, keeping its proportions, centred.
    void render(QPainter *painter, const QRectF &target) const;

private:
    struct Shape
    {
        QPainterPath path;
        QPen pen;
        QBrush brush;
        qreal opacity = 1.0;
    };
    void parse(const QByteArray &document);

    QList<Shape> m_shapes;
    QRectF m_viewBox;
    bool m_valid = false;
};
