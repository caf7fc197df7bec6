#include "views/picturegridview.h"

#include "views/thumbnaildelegate.h"

#include <QKeyEvent>
#include <QMouseEvent>

PictureGridView::PictureGridView(QWidget *parent) : QListView(parent)
{
    setObjectName(QStringLiteral("ImageEnMView1"));
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setWrapping(true);
    setUniformItemSizes(true);
    setSpacing(5);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A cell stands for its whole row, so the detail list shows the same selection.
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setMouseTracking(false);
}

void PictureGridView::setCellDelegate(ThumbnailDelegate *delegate)
{
    m_delegate = delegate;
    setItemDelegate(delegate);
}

QRect PictureGridView::checkSquareOf(int row) const
{
    if (!m_delegate || !model())
        return {};
    const QRect cell = visualRect(model()->index(row, modelColumn()));
    return QRect(cell.left() + 1,
                 cell.top() + m_delegate->thumbnailSize().height() - ThumbnailDelegate::BottomGap + 1, 14,
                 14);
}

void PictureGridView::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    if (index.isValid() && m_delegate && index.data(Qt::CheckStateRole).isValid() &&
        m_delegate->inCheckSquare(visualRect(index).topLeft(), at)) {
        const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        model()->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
    viewport()->update();
    QListView::mousePressEvent(event);
}

void PictureGridView::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}

void PictureGridView::keyPressEvent(QKeyEvent *event)
{
    event->ignore();
}
