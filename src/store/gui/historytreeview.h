#pragma once

#include <QTreeWidget>

// The tree of the history window. A search, or a row of the picture list,
// dragged onto "Deleted" is to be deleted; nothing is ever moved by a drop,
// wherever it lands.
class HistoryTreeView : public QTreeWidget
{
    Q_OBJECT
public:
    static QString searchMimeType() { return QStringLiteral("application/x-snapdredge-search"); }
    // A row of the page the picture list shows, by its index on the page.
    static QString pictureMimeType() { return QStringLiteral("application/x-snapdredge-picture"); }

    explicit HistoryTreeView(QWidget *parent = nullptr);

    // The top-level node drops are deleted on.
    void setDeletedNode(QTreeWidgetItem *item) { m_deleted = item; }

Q_SIGNALS:
    void searchDroppedOnDeleted(int index);
    void pictureDroppedOnDeleted(int row);

protected:
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &items) const override;
    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    static bool isOurs(const QMimeData *data);
    QTreeWidgetItem *m_deleted = nullptr;
};
