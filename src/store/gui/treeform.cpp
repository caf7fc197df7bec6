#include "store/gui/treeform.h"

#include "app/appicons.h"
#include "store/currentsearch.h"
#include "store/gui/historytreeview.h"
#include "store/searchhistory.h"

#include <QCloseEvent>
#include <QMenu>
#include <QMessageBox>

TTreeform::TTreeform(SearchHistory &history, CurrentSearch &search, QWidget *parent)
    : QDockWidget(QStringLiteral("My Search History"), parent), m_history(history), m_search(search)
{
    setObjectName(QStringLiteral("Treeform"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);

    m_tree = new HistoryTreeView(this);
    QPalette pal = m_tree->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    m_tree->setPalette(pal);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);

    m_mySearch = new QTreeWidgetItem(QStringList{QStringLiteral("My Search")});
    m_mySearch->setIcon(0, AppIcons::historyIcon(8));
    m_mySearch->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled);
    m_deleted = new QTreeWidgetItem(QStringList{QStringLiteral("Deleted")});
    m_deleted->setIcon(0, AppIcons::historyIcon(10));
    m_deleted->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled);
    m_tree->addTopLevelItems({m_mySearch, m_deleted});
    m_tree->setDeletedNode(m_deleted);
    setWidget(m_tree);

    connect(&m_history, &SearchHistory::reset, this, &TTreeform::rebuild);
    connect(&m_history, &SearchHistory::entryAdded, this, &TTreeform::addNode);
    connect(&m_history, &SearchHistory::entryChanged, this, &TTreeform::updateNode);
    connect(&m_history, &SearchHistory::entryRemoved, this, &TTreeform::removeNode);
    connect(&m_history, &SearchHistory::selectionChanged, this, &TTreeform::showSelection);
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { onCurrentItemChanged(current); });
    connect(m_tree, &HistoryTreeView::searchDroppedOnDeleted, this, &TTreeform::onDroppedOnDeleted);
    connect(m_tree, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (m_popup)
            m_popup->popup(m_tree->viewport()->mapToGlobal(pos));
    });

    rebuild();
}

void TTreeform::loadHistory(const QString &path, int limit)
{
    // The model announces the new entries with reset(), which rebuilds the tree.
    m_history.load(path, limit);
}

QTreeWidgetItem *TTreeform::searchNode(int index) const
{
    return index >= 0 && index < m_mySearch->childCount() ? m_mySearch->child(index) : nullptr;
}

void TTreeform::rebuild()
{
    const bool following = m_following;
    m_following = true;
    m_tree->setCurrentItem(nullptr);
    m_tree->clearSelection();
    qDeleteAll(m_mySearch->takeChildren());
    const QList<HistoryEntry> entries = m_history.entries();
    QList<QTreeWidgetItem *> items;
    items.reserve(entries.size());
    for (const HistoryEntry &e : entries) {
        auto *item = new QTreeWidgetItem(QStringList{e.name});
        item->setIcon(0, AppIcons::historyIcon(e.icon));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        items << item;
    }
    m_mySearch->addChildren(items);
    m_tree->expandAll();
    m_history.setSelected(-1);
    m_following = following;
}

void TTreeform::addNode(int index)
{
    const HistoryEntry e = m_history.entry(index);
    auto *item = new QTreeWidgetItem(QStringList{e.name});
    item->setIcon(0, AppIcons::historyIcon(e.icon));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    m_mySearch->insertChild(index, item);
    m_mySearch->setExpanded(true);
}

void TTreeform::updateNode(int index)
{
    QTreeWidgetItem *item = searchNode(index);
    if (!item)
        return;
    const HistoryEntry e = m_history.entry(index);
    item->setText(0, e.name);
    item->setIcon(0, AppIcons::historyIcon(e.icon));
}

void TTreeform::removeNode(int index)
{
    QTreeWidgetItem *item = searchNode(index);
    if (!item)
        return;
    const bool following = m_following;
    m_following = true;
    delete item;
    // The view must not keep a neighbour selected that the model has not chosen.
    const int selected = m_history.selected();
    if (selected >= 0)
        m_tree->setCurrentItem(searchNode(selected));
    else if (m_tree->currentItem() && m_tree->currentItem()->parent())
        m_tree->setCurrentItem(nullptr);
    m_following = following;
}

void TTreeform::showSelection(int index)
{
    if (m_following)
        return;
    m_following = true;
    if (index >= 0) {
        if (QTreeWidgetItem *item = searchNode(index))
            m_tree->setCurrentItem(item);
    } else if (!m_tree->currentItem() || m_tree->currentItem()->parent()) {
        m_tree->setCurrentItem(m_mySearch);
    }
    m_following = false;
}

void TTreeform::onCurrentItemChanged(QTreeWidgetItem *current)
{
    if (m_following || !current)
        return;
    const int index = current->parent() ? current->parent()->indexOfChild(current) : -1;
    m_search.select(index);
}

void TTreeform::onDroppedOnDeleted(int index)
{
    // What is dragged is the selected search; anything else is stale.
    if (index < 0 || index != m_history.selected())
        return;
    m_search.deleteSelected(true);
}

QRect TTreeform::clientGeometry() const
{
    const QPoint topLeft = isFloating() ? pos() : geometry().topLeft();
    const QSize client = widget() ? widget()->size() : size();
    return QRect(topLeft, client);
}

void TTreeform::closeEvent(QCloseEvent *event)
{
    if (m_search.isRunning()) {
        QMessageBox::warning(this, CurrentSearch::productLabel(),
                             QStringLiteral("Can not close my search window when downloading!"));
        event->ignore();
        return;
    }
    if (m_shown) {
        m_shown = false;
        Q_EMIT closedByUser();
    }
    // his.dat is written whenever the history changes; a write that failed then is tried again here.
    if (m_history.isModified())
        m_history.save();
    QDockWidget::closeEvent(event);
}
