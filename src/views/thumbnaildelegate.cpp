#include "views/thumbnaildelegate.h"

#include "views/picturelistmodel.h"
#include "views/thumbnailloader.h"

#include <QApplication>
#include <QPainter>

ThumbnailDelegate::ThumbnailDelegate(ThumbnailLoader &loader, QObject *parent)
    : QStyledItemDelegate(parent), m_loader(loader)
{
}

int ThumbnailDelegate::lineHeight() const
{
    return QFontMetrics(QApplication::font()).height() + 2;
}

QSize ThumbnailDelegate::cellSize() const
{
    return QSize(m_thumb.width(), m_thumb.height() + 2 * lineHeight());
}

QRect ThumbnailDelegate::pictureBox(const QRect &cell) const
{
    return QRect(cell.left() + 1, cell.top() + UpperGap, std::max(1, m_thumb.width() - 2),
                 std::max(1, m_thumb.height() - UpperGap - BottomGap));
}

QRect ThumbnailDelegate::checkRect(const QPoint &cell) const
{
    return QRect(cell.x(), cell.y() + m_thumb.height() - BottomGap, CheckSize, CheckSize);
}

bool ThumbnailDelegate::inCheckSquare(const QPoint &cell, const QPoint &at) const
{
    const int top = cell.y() + m_thumb.height() - BottomGap;
    return at.x() > cell.x() && at.x() < cell.x() + 15 && at.y() > top && at.y() < top + 15;
}

QSize ThumbnailDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return cellSize();
}

void ThumbnailDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    const QRect cell(option.rect.topLeft(), cellSize());
    const QPalette &pal = option.palette;
    painter->save();
    painter->fillRect(cell, pal.color(QPalette::Base));
    const bool selected = option.state & QStyle::State_Selected;

    const QRect box = pictureBox(cell);
    const QString path = index.data(PictureListModel::PathRole).toString();
    if (index.data(PictureListModel::RecognisedRole).toBool()) {
        const QImage image = m_loader.image(path, box.size());
        if (!image.isNull()) {
            QRect target(QPoint(), image.size());
            target.moveCenter(box.center());
            painter->drawImage(target, image);
        }
    }

    const int line = lineHeight();
    // The check square sits at the left of the size text's line: the text
    // keeps clear of it, so the width's first digit stays readable.
    const int checkRoom = index.data(Qt::CheckStateRole).isValid() ? 17 : 0;
    const QRect infoRect(cell.left() + checkRoom, cell.top() + m_thumb.height(), cell.width() - checkRoom,
                         line);
    const QRect bottomRect(cell.left(), cell.top() + m_thumb.height() + line, cell.width(), line);
    painter->setPen(pal.color(QPalette::Text));
    painter->drawText(infoRect, Qt::AlignHCenter | Qt::AlignVCenter,
                      index.data(PictureListModel::InfoTextRole).toString());
    painter->fillRect(bottomRect, bottomTextBackground());
    painter->setPen(Qt::black);
    painter->drawText(bottomRect, Qt::AlignHCenter | Qt::AlignVCenter,
                      index.data(PictureListModel::BottomTextRole).toString());

    if (index.data(Qt::CheckStateRole).isValid()) {
        const QRect check = checkRect(cell.topLeft());
        painter->fillRect(check, Qt::white);
        painter->setPen(QPen(Qt::black, 1));
        painter->drawRect(check.adjusted(1, 1, -2, -2));
        if (index.data(PictureListModel::TickedRole).toBool()) {
            painter->setPen(QPen(Qt::black, 2));
            const QPointF a(check.left() + 4, check.top() + 8);
            const QPointF b(check.left() + 7, check.top() + 11);
            const QPointF c(check.left() + 12, check.top() + 4);
            painter->drawPolyline(QList<QPointF>{a, b, c});
        }
    }

    // The cell border, and the wide selection frame in the caption colour.
    painter->setPen(QPen(pal.color(QPalette::Mid), 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(cell.adjusted(0, 0, -1, -1));
    if (selected) {
        painter->setPen(QPen(pal.color(QPalette::Highlight), 3));
        painter->drawRect(cell.adjusted(1, 1, -2, -2));
    }
    painter->restore();
}
