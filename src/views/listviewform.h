#pragma once

#include "views/picturepages.h"

#include <QDockWidget>
#include <QTimer>
#include <functional>

class CurrentSearch;
class PictureDetailView;
class PictureGridView;
class PictureListModel;
class QComboBox;
class QMenu;
class QStackedLayout;
class QToolBar;
class QToolButton;
class ThumbnailDelegate;
class ThumbnailLoader;
struct PictureRow;

// "List of Pictures": the picture rows of the open search one page at a
// time, as the thumbnail grid or the detail list, with the paging bar under
// them. Both views show one model and share one selection, so the row the
// user sees selected is the one every command acts on.
class TlistviewForm : public QDockWidget
{
    Q_OBJECT
public:
    enum class Page { First, Previous, Next, Last };

    explicit TlistviewForm(CurrentSearch &search, QWidget *parent = nullptr);
    ~TlistviewForm() override;

    // Read when the search saves a picture and when a selection wants to be
    // shown: the View menu's "Track the latest picture" and picture preview.
    void setViewQueries(std::function<bool()> trackLatest, std::function<bool()> preview);
    void setPopupMenu(QMenu *menu);

    // ShowPage with a move, or with a page number from 1.
    void showPage(Page request);
    void showPageNumber(int page);
    void rebuildPageSelector();
    // The view side of saving one picture during a run; rowCount counts it.
    void addSavedPicture(const PictureRow &row, int rowCount);
    // Selects the newest row now if tracking has one waiting (the end of a run).
    void settleTracking();
    // Empties both views and hides the paging bar.
    void clearViews();
    // A search was opened: its first page.
    void searchOpened();
    void setCheckBoxMode(bool on);
    bool checkBoxMode() const;
    void applyThumbnailSize();
    // Thumbnails or the detail list.
    void showThumbnails(bool on);
    bool thumbnailsShown() const;
    // A click on a column title of the detail list.
    void orderByColumn(int column);

    // The tick commands; they act on the selected row of the page.
    void tickSelected(bool ticked);
    void tickAll(bool ticked);
    void tickSameWebDirectory(bool ticked);
    void deleteCurrentPicture();
    // A row of the detail list was dropped on "Deleted" of the history tree.
    void deleteDroppedRow(int row);

    QStringList pagePicturePaths() const;
    // 0-based on the page, -1 when nothing is selected.
    int selectedIndex() const;
    void selectRow(int row);
    QString selectedPicturePath() const;
    QString selectedPictureFolder() const;
    int rowCount() const;
    int currentPage() const
    {
        const_cast<TlistviewForm *>(this)->flushSaved();
        return m_currentPage;
    }
    int pageCount() const
    {
        const_cast<TlistviewForm *>(this)->flushSaved();
        return m_pageCount;
    }
    QString indexName() const { return m_pages.indexName(); }
    // Position and client size, as the window settings keep them.
    QRect clientGeometry() const;

    PictureListModel *model() const { return m_model; }
    PictureDetailView *listView() const { return m_listView; }
    PictureGridView *grid() const { return m_grid; }
    ThumbnailLoader *loader() const { return m_loader; }

Q_SIGNALS:
    // RequestDisplay: the picture window is to show this file.
    void displayRequested(const QString &path);
    // The user works in the window: it is the active pane. With `commands`
    // the selection and delete commands follow it.
    void activated(bool commands);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildPagingBar(QWidget *client);
    int pageSize() const;
    int pageBoxNumber(bool *ok) const;
    void setPageText(int page);
    void fillPage();
    void onGo();
    void onPageTyped(const QString &text);
    void onSelectionChanged();
    void onTickToggled(int row, bool ticked);
    void storeMark(int position, bool ticked);
    void requestDisplay(const QString &path);
    void onDisplayTimer();
    void deleteRowAt(int row);
    void selectOwnRow(int row);
    void selectNewestRow();
    void flushSaved();
    void showPopup(QWidget *view, const QPoint &at);
    void openRow(int row);
    void warn(const QString &text);

    CurrentSearch &m_search;
    PicturePages m_pages;
    PictureListModel *m_model = nullptr;
    ThumbnailLoader *m_loader = nullptr;
    ThumbnailDelegate *m_delegate = nullptr;
    PictureDetailView *m_listView = nullptr;
    PictureGridView *m_grid = nullptr;
    QStackedLayout *m_views = nullptr;
    QWidget *m_panel1 = nullptr;
    QToolBar *m_toolBar1 = nullptr;
    QComboBox *m_comboBox1 = nullptr;
    QMenu *m_popup = nullptr;
    QTimer m_displayTimer;
    QTimer m_trackTimer;
    // Pictures saved by the run and not in the views yet.
    struct PendingPicture
    {
        PictureRow row;
        int rowCount = 0;
    };
    QList<PendingPicture> m_pendingSaved;
    QTimer m_saveTimer;
    bool m_flushing = false;
    std::function<bool()> m_trackLatest;
    std::function<bool()> m_preview;

    int m_currentPage = 1;
    int m_pageCount = 1;
    QString m_displayPath;
    bool m_skipNextDisplay = false;
    // The search's own selection of its newest row: not the user's choice,
    // so it neither reloads the picture nor switches commands.
    bool m_ownSelection = false;
};
