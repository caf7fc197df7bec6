#pragma once

#include <QDockWidget>

class CurrentSearch;
class HistoryTreeView;
class QMenu;
class QTreeWidgetItem;
class SearchHistory;
class Settings;

// "My Search History": the searches of the history under "My Search", and
// "Deleted" to drop a search on. It shows the history model and hands every
// selection and deletion to the open search, which changes the model back.
class TTreeform : public QDockWidget
{
    Q_OBJECT
public:
    TTreeform(SearchHistory &history, CurrentSearch &search, QWidget *parent = nullptr);

    // LoadHistory: reads his.dat into the model (keeping the newest `limit`).
    void loadHistory(const QString &path, int limit);
    // Builds the tree anew from the model with nothing selected, as when the
    // window is shown again from the View menu.
    void rebuild();

    // The picture pop-up menu, whose "&Delete" deletes the selected search.
    void setPopupMenu(QMenu *menu) { m_popup = menu; }

    HistoryTreeView *tree() const { return m_tree; }
    QTreeWidgetItem *mySearchNode() const { return m_mySearch; }
    QTreeWidgetItem *deletedNode() const { return m_deleted; }
    QTreeWidgetItem *searchNode(int index) const;

    bool isShownFlag() const { return m_shown; }
    void setShownFlag(bool on) { m_shown = on; }

    // Position and client size, as the window settings keep them.
    QRect clientGeometry() const;

Q_SIGNALS:
    // The window was closed by the user (the View menu's tick follows).
    void closedByUser();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void addNode(int index);
    void updateNode(int index);
    void removeNode(int index);
    void showSelection(int index);
    void onCurrentItemChanged(QTreeWidgetItem *current);
    void onDroppedOnDeleted(int index);

    SearchHistory &m_history;
    CurrentSearch &m_search;
    HistoryTreeView *m_tree = nullptr;
    QTreeWidgetItem *m_mySearch = nullptr;
    QTreeWidgetItem *m_deleted = nullptr;
    QMenu *m_popup = nullptr;
    bool m_shown = true;
    // While the view follows the model, its own selection signals are not
    // the user's choice and must not reach the open search again.
    bool m_following = false;
};
