#include "app/tinysvg.h"

#include <QColor>
#include <QFile>
#include <QHash>
#include <QPainter>
#include <QRegularExpression>
#include <QTransform>
#include <QXmlStreamReader>
#include <cmath>

namespace {

struct Style
{
    QString fill = QStringLiteral("#000000");
    QString stroke = QStringLiteral("none");
    qreal strokeWidth = 1.0;
    Qt::PenCapStyle cap = Qt::FlatCap;
    Qt::PenJoinStyle join = Qt::MiterJoin;
    QList<qreal> dashes;
    qreal opacity = 1.0;
    qreal fillOpacity = 1.0;
    qreal strokeOpacity = 1.0;
    QTransform transform;
};

// Reads the numbers of a path or a points list: separators are blanks and
// commas, and a sign or a second dot also starts a new number.
class NumberScanner
{
public:
    explicit NumberScanner(QStringView text) : m_text(text) {}

    void skipSeparators()
    {
        while (m_pos < m_text.size() && (m_text.at(m_pos).isSpace() || m_text.at(m_pos) == u','))
            ++m_pos;
    }
    bool atNumber()
    {
        skipSeparators();
        if (m_pos >= m_text.size())
            return false;
        const QChar c = m_text.at(m_pos);
        return c.isDigit() || c == u'-' || c == u'+' || c == u'.';
    }
    bool atEnd()
    {
        skipSeparators();
        return m_pos >= m_text.size();
    }
    QChar takeChar() { return m_text.at(m_pos++); }

    bool number(qreal &value)
    {
        if (!atNumber())
            return false;
        const qsizetype start = m_pos;
        if (m_text.at(m_pos) == u'-' || m_text.at(m_pos) == u'+')
            ++m_pos;
        bool dot = false;
        bool digits = false;
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos);
            if (c.isDigit()) {
                digits = true;
            } else if (c == u'.' && !dot) {
                dot = true;
            } else if ((c == u'e' || c == u'E') && digits) {
                ++m_pos;
                if (m_pos < m_text.size() && (m_text.at(m_pos) == u'-' || m_text.at(m_pos) == u'+'))
                    ++m_pos;
                continue;
            } else {
                break;
            }
            ++m_pos;
        }
        bool ok = false;
        value = m_text.mid(start, m_pos - start).toDouble(&ok);
        return ok;
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

QList<qreal> numbers(QStringView text)
{
    QList<qreal> out;
    NumberScanner scan(text);
    qreal v = 0;
    while (scan.number(v))
        out << v;
    return out;
}

using Attributes = QHash<QString, QString>;

qreal attrNumber(const Attributes &attrs, const QString &name, qreal fallback = 0)
{
    const auto it = attrs.constFind(name);
    if (it == attrs.constEnd())
        return fallback;
    bool ok = false;
    const qreal v = it->toDouble(&ok);
    return ok ? v : fallback;
}

QTransform parseTransform(const QString &text)
{
    QTransform t;
    static const QRegularExpression item(QStringLiteral("(\\w+)\\s*\\(([^)]*)\\)"));
    auto it = item.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        const QString kind = m.captured(1);
        const QList<qreal> n = numbers(m.captured(2));
        QTransform step;
        if (kind == u"translate" && !n.isEmpty()) {
            step.translate(n.at(0), n.value(1, 0));
        } else if (kind == u"scale" && !n.isEmpty()) {
            step.scale(n.at(0), n.value(1, n.at(0)));
        } else if (kind == u"rotate" && !n.isEmpty()) {
            const qreal cx = n.value(1, 0);
            const qreal cy = n.value(2, 0);
            step.translate(cx, cy);
            step.rotate(n.at(0));
            step.translate(-cx, -cy);
        } else if (kind == u"matrix" && n.size() == 6) {
            step = QTransform(n.at(0), n.at(1), n.at(2), n.at(3), n.at(4), n.at(5));
        }
        // SVG applies the leftmost transform last.
        t = step * t;
    }
    return t;
}

void applyAttributes(Style &style, const Attributes &attrs)
{
    if (attrs.contains(QStringLiteral("fill")))
        style.fill = attrs.value(QStringLiteral("fill"));
    if (attrs.contains(QStringLiteral("stroke")))
        style.stroke = attrs.value(QStringLiteral("stroke"));
    style.strokeWidth = attrNumber(attrs, QStringLiteral("stroke-width"), style.strokeWidth);
    if (attrs.contains(QStringLiteral("stroke-linecap"))) {
        const auto v = attrs.value(QStringLiteral("stroke-linecap"));
        style.cap = v == u"round" ? Qt::RoundCap : v == u"square" ? Qt::SquareCap : Qt::FlatCap;
    }
    if (attrs.contains(QStringLiteral("stroke-linejoin"))) {
        const auto v = attrs.value(QStringLiteral("stroke-linejoin"));
        style.join = v == u"round" ? Qt::RoundJoin : v == u"bevel" ? Qt::BevelJoin : Qt::MiterJoin;
    }
    if (attrs.contains(QStringLiteral("stroke-dasharray")))
        style.dashes = numbers(attrs.value(QStringLiteral("stroke-dasharray")));
    style.opacity *= attrNumber(attrs, QStringLiteral("opacity"), 1.0);
    style.fillOpacity = attrNumber(attrs, QStringLiteral("fill-opacity"), style.fillOpacity);
    style.strokeOpacity = attrNumber(attrs, QStringLiteral("stroke-opacity"), style.strokeOpacity);
    if (attrs.contains(QStringLiteral("transform")))
        style.transform = parseTransform(attrs.value(QStringLiteral("transform"))) * style.transform;
}

QColor paintColor(const QString &text, qreal opacity)
{
    if (text.isEmpty() || text == u"none" || text == u"transparent")
        return {};
    QColor c = QColor::fromString(text);
    if (c.isValid())
        c.setAlphaF(float(c.alphaF() * opacity));
    return c;
}

QPainterPath pathFromData(QStringView data)
{
    QPainterPath path;
    NumberScanner scan(data);
    QChar command;
    QPointF current;
    QPointF start;
    QPointF lastControl;
    QChar lastCommand;
    while (!scan.atEnd()) {
        if (!scan.atNumber()) {
            command = scan.takeChar();
            if (command == u'z' || command == u'Z') {
                path.closeSubpath();
                current = start;
                lastCommand = command;
                continue;
            }
        }
        if (command.isNull())
            break;
        const bool relative = command.isLower();
        const QPointF base = relative ? current : QPointF();
        const auto take = [&](int count, qreal *out) {
            for (int i = 0; i < count; ++i) {
                if (!scan.number(out[i]))
                    return false;
            }
            return true;
        };
        qreal v[6];
        const QChar upper = command.toUpper();
        if (upper == u'M') {
            if (!take(2, v))
                break;
            current = base + QPointF(v[0], v[1]);
            path.moveTo(current);
            start = current;
            // Further pairs after a move are lines.
            command = relative ? QChar(u'l') : QChar(u'L');
        } else if (upper == u'L') {
            if (!take(2, v))
                break;
            current = base + QPointF(v[0], v[1]);
            path.lineTo(current);
        } else if (upper == u'H') {
            if (!take(1, v))
                break;
            current.setX(relative ? current.x() + v[0] : v[0]);
            path.lineTo(current);
        } else if (upper == u'V') {
            if (!take(1, v))
                break;
            current.setY(relative ? current.y() + v[0] : v[0]);
            path.lineTo(current);
        } else if (upper == u'C') {
            if (!take(6, v))
                break;
            const QPointF c1 = base + QPointF(v[0], v[1]);
            lastControl = base + QPointF(v[2], v[3]);
            current = base + QPointF(v[4], v[5]);
            path.cubicTo(c1, lastControl, current);
        } else if (upper == u'S') {
            if (!take(4, v))
                break;
            const bool smooth = lastCommand.toUpper() == u'C' || lastCommand.toUpper() == u'S';
            const QPointF c1 = smooth ? 2 * current - lastControl : current;
            lastControl = base + QPointF(v[0], v[1]);
            current = base + QPointF(v[2], v[3]);
            path.cubicTo(c1, lastControl, current);
        } else if (upper == u'Q') {
            if (!take(4, v))
                break;
            lastControl = base + QPointF(v[0], v[1]);
            current = base + QPointF(v[2], v[3]);
            path.quadTo(lastControl, current);
        } else if (upper == u'T') {
            if (!take(2, v))
                break;
            const bool smooth = lastCommand.toUpper() == u'Q' || lastCommand.toUpper() == u'T';
            lastControl = smooth ? 2 * current - lastControl : current;
            current = base + QPointF(v[0], v[1]);
            path.quadTo(lastControl, current);
        } else {
            // An arc or an unknown command: what was drawn so far stays.
            break;
        }
        lastCommand = command;
    }
    return path;
}

QPainterPath pointsPath(QStringView points, bool closed)
{
    QPainterPath path;
    const QList<qreal> n = numbers(points);
    for (qsizetype i = 0; i + 1 < n.size(); i += 2) {
        if (i == 0)
            path.moveTo(n.at(i), n.at(i + 1));
        else
            path.lineTo(n.at(i), n.at(i + 1));
    }
    if (closed)
        path.closeSubpath();
    return path;
}

} // namespace

TinySvg::TinySvg(const QByteArray &document)
{
    parse(document);
}

TinySvg TinySvg::fromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return TinySvg(file.readAll());
}

void TinySvg::parse(const QByteArray &document)
{
    QXmlStreamReader xml(document);
    QList<Style> stack;
    stack << Style();
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (stack.size() > 1)
                stack.removeLast();
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        Attributes attrs;
        const QXmlStreamAttributes xmlAttrs = xml.attributes();
        for (const QXmlStreamAttribute &a : xmlAttrs)
            attrs.insert(a.name().toString(), a.value().toString());
        Style style = stack.constLast();
        applyAttributes(style, attrs);
        stack << style;

        QPainterPath path;
        if (name == u"svg") {
            const QList<qreal> box = numbers(attrs.value(QStringLiteral("viewBox")));
            if (box.size() == 4)
                m_viewBox = QRectF(box.at(0), box.at(1), box.at(2), box.at(3));
            else
                m_viewBox = QRectF(0, 0, attrNumber(attrs, QStringLiteral("width"), 16),
                                   attrNumber(attrs, QStringLiteral("height"), 16));
            m_valid = m_viewBox.isValid();
            continue;
        } else if (name == u"rect") {
            const QRectF r(attrNumber(attrs, QStringLiteral("x")), attrNumber(attrs, QStringLiteral("y")),
                           attrNumber(attrs, QStringLiteral("width")),
                           attrNumber(attrs, QStringLiteral("height")));
            const qreal rx = attrNumber(attrs, QStringLiteral("rx"), attrNumber(attrs, QStringLiteral("ry")));
            const qreal ry = attrNumber(attrs, QStringLiteral("ry"), rx);
            if (rx > 0 || ry > 0)
                path.addRoundedRect(r, rx, ry);
            else
                path.addRect(r);
        } else if (name == u"circle") {
            const qreal r = attrNumber(attrs, QStringLiteral("r"));
            path.addEllipse(
                QPointF(attrNumber(attrs, QStringLiteral("cx")), attrNumber(attrs, QStringLiteral("cy"))), r,
                r);
        } else if (name == u"ellipse") {
            path.addEllipse(
                QPointF(attrNumber(attrs, QStringLiteral("cx")), attrNumber(attrs, QStringLiteral("cy"))),
                attrNumber(attrs, QStringLiteral("rx")), attrNumber(attrs, QStringLiteral("ry")));
        } else if (name == u"line") {
            path.moveTo(attrNumber(attrs, QStringLiteral("x1")), attrNumber(attrs, QStringLiteral("y1")));
            path.lineTo(attrNumber(attrs, QStringLiteral("x2")), attrNumber(attrs, QStringLiteral("y2")));
            // A line has nothing to fill.
            style.fill = QStringLiteral("none");
        } else if (name == u"polyline" || name == u"polygon") {
            path = pointsPath(attrs.value(QStringLiteral("points")), name == u"polygon");
        } else if (name == u"path") {
            path = pathFromData(attrs.value(QStringLiteral("d")));
        } else {
            continue;
        }
        if (path.isEmpty())
            continue;

        Shape shape;
        shape.path = style.transform.map(path);
        shape.opacity = style.opacity;
        const QColor fill = paintColor(style.fill, style.fillOpacity);
        shape.brush = fill.isValid() ? QBrush(fill) : QBrush(Qt::NoBrush);
        const QColor stroke = paintColor(style.stroke, style.strokeOpacity);
        if (stroke.isValid() && style.strokeWidth > 0) {
            // Stroke widths scale with the transform as the shape does.
            const qreal scale = std::sqrt(std::abs(style.transform.determinant()));
            QPen pen(stroke, style.strokeWidth * (scale > 0 ? scale : 1.0), Qt::SolidLine, style.cap,
                     style.join);
            if (!style.dashes.isEmpty() && style.strokeWidth > 0) {
                QList<qreal> pattern;
                for (qreal d : std::as_const(style.dashes))
                    pattern << d / style.strokeWidth;
                if (pattern.size() % 2)
                    pattern += pattern;
                pen.setDashPattern(pattern);
            }
            shape.pen = pen;
        } else {
            shape.pen = QPen(Qt::NoPen);
        }
        m_shapes << shape;
    }
    if (xml.hasError())
        m_valid = m_valid && !m_shapes.isEmpty();
}

void TinySvg::render(QPainter *painter, const QRectF &target) const
{
    if (!m_valid || target.isEmpty())
        return;
    const qreal scale = std::min(target.width() / m_viewBox.width(), target.height() / m_viewBox.height());
    const QSizeF drawn = m_viewBox.size() * scale;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(target.x() + (target.width() - drawn.width()) / 2,
                       target.y() + (target.height() - drawn.height()) / 2);
    painter->scale(scale, scale);
    painter->translate(-m_viewBox.topLeft());
    const qreal baseOpacity = painter->opacity();
    for (const Shape &shape : m_shapes) {
        painter->setOpacity(baseOpacity * shape.opacity);
        painter->setPen(shape.pen);
        painter->setBrush(shape.brush);
        painter->drawPath(shape.path);
    }
    painter->restore();
}
