#include "store/gui/historytreeview.h"

#include <QDropEvent>
#include <QMimeData>

HistoryTreeView::HistoryTreeView(QWidget *parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("TreeView1"));
    setHeaderHidden(true);
    setColumnCount(1);
    setIndentation(19);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    // A copy, never a move: the view must not take the dragged row away itself.
    setDefaultDropAction(Qt::CopyAction);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

QStringList HistoryTreeView::mimeTypes() const
{
    return {searchMimeType()};
}

QMimeData *HistoryTreeView::mimeData(const QList<QTreeWidgetItem *> &items) const
{
    if (items.isEmpty() || !items.first()->parent())
        return nullptr;
    auto *dragged = new QMimeData;
    QTreeWidgetItem *item = items.first();
    dragged->setData(searchMimeType(), QByteArray::number(item->parent()->indexOfChild(item)));
    return dragged;
}

bool HistoryTreeView::isOurs(const QMimeData *data)
{
    return data->hasFormat(searchMimeType()) || data->hasFormat(pictureMimeType());
}

void HistoryTreeView::dragEnterEvent(QDragEnterEvent *event)
{
    if (isOurs(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    event->ignore();
}

void HistoryTreeView::dragMoveEvent(QDragMoveEvent *event)
{
    if (isOurs(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    event->ignore();
}

void HistoryTreeView::dropEvent(QDropEvent *event)
{
    if (!isOurs(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    QTreeWidgetItem *target = itemAt(event->position().toPoint());
    if (!target || target != m_deleted)
        return;
    bool ok = false;
    if (event->mimeData()->hasFormat(pictureMimeType())) {
        const int row = event->mimeData()->data(pictureMimeType()).toInt(&ok);
        if (ok)
            Q_EMIT pictureDroppedOnDeleted(row);
        return;
    }
    const int index = event->mimeData()->data(searchMimeType()).toInt(&ok);
    if (ok)
        Q_EMIT searchDroppedOnDeleted(index);
}
