#include "views/picturedetailview.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

PictureDetailView::PictureDetailView(QWidget *parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("ListView1"));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    setBackgroundRole(QPalette::Button);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
}

void PictureDetailView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_S && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
        if (!rows.isEmpty() && rows.first().data(Qt::CheckStateRole).isValid()) {
            const bool ticked = rows.first().data(Qt::CheckStateRole).toInt() == Qt::Checked;
            model()->setData(rows.first(), ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        }
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void PictureDetailView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        Q_EMIT openRequested(index.row());
    event->accept();
}
