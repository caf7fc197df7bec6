#pragma once

#include <QStyledItemDelegate>

class ThumbnailLoader;

// Paints one cell of the thumbnail grid: the picture scaled to fit the
// thumbnail box, the size text on the line under it, the shortened name on
// its pale background at the bottom, and the tick square when ticks show.
class ThumbnailDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int UpperGap = 4;
    static constexpr int BottomGap = 4;
    static constexpr int CheckSize = 16;
    // The bottom text's background, hex EFEFD0 in blue-green-red order.
    static QColor bottomTextBackground() { return QColor(208, 239, 239); }

    ThumbnailDelegate(ThumbnailLoader &loader, QObject *parent = nullptr);

    void setThumbnailSize(const QSize &size) { m_thumb = size; }
    QSize thumbnailSize() const { return m_thumb; }
    // The check image's place in a cell whose top-left corner is at `cell`.
    QRect checkRect(const QPoint &cell) const;
    // Strictly inside the 14 x 14 square within the check image.
    bool inCheckSquare(const QPoint &cell, const QPoint &at) const;
    QSize cellSize() const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // The grid flips ticks itself, in its own square; the standard check box
    // place of a cell means nothing here.
    bool editorEvent(QEvent *, QAbstractItemModel *, const QStyleOptionViewItem &,
                     const QModelIndex &) override
    {
        return false;
    }

private:
    int lineHeight() const;
    QRect pictureBox(const QRect &cell) const;

    ThumbnailLoader &m_loader;
    QSize m_thumb{100, 100};
};
