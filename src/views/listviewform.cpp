#include "views/listviewform.h"

#include <QScopedValueRollback>

#include "settings/settings.h"
#include "store/currentsearch.h"
#include "views/picturedetailview.h"
#include "views/picturegridview.h"
#include "views/picturelistmodel.h"
#include "views/thumbnaildelegate.h"
#include "views/thumbnailloader.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QStackedLayout>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int PagingBarHeight = 26;
const int ColumnWidths[] = {90, 120};

} // namespace

TlistviewForm::TlistviewForm(CurrentSearch &search, QWidget *parent)
    : QDockWidget(QStringLiteral("List of Pictures"), parent), m_search(search), m_pages(search.database())
{
    setObjectName(QStringLiteral("listviewForm"));
    // No close box: the window lives as long as the program.
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    setMinimumSize(100, 100);

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ListClient"));
    auto *column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_model = new PictureListModel(this);
    m_loader = new ThumbnailLoader(this);
    m_delegate = new ThumbnailDelegate(*m_loader, this);

    m_listView = new PictureDetailView(client);
    m_listView->setModel(m_model);
    for (int c = 0; c < 2; ++c)
        m_listView->header()->resizeSection(c, ColumnWidths[c]);
    m_grid = new PictureGridView(client);
    m_grid->setModel(m_model);
    m_grid->setCellDelegate(m_delegate);
    // One selection for both views.
    QItemSelectionModel *oldGridSelection = m_grid->selectionModel();
    m_grid->setSelectionModel(m_listView->selectionModel());
    delete oldGridSelection;

    auto *views = new QWidget(client);
    m_views = new QStackedLayout(views);
    m_views->setContentsMargins(0, 0, 0, 0);
    m_views->addWidget(m_grid);
    m_views->addWidget(m_listView);
    column->addWidget(views, 1);
    buildPagingBar(client);
    column->addWidget(m_panel1);
    setWidget(client);

    m_displayTimer.setSingleShot(true);
    m_displayTimer.setInterval(1);
    connect(&m_displayTimer, &QTimer::timeout, this, &TlistviewForm::onDisplayTimer);
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(100);
    connect(&m_saveTimer, &QTimer::timeout, this, &TlistviewForm::flushSaved);
    m_trackTimer.setSingleShot(true);
    m_trackTimer.setInterval(100);
    connect(&m_trackTimer, &QTimer::timeout, this, &TlistviewForm::selectNewestRow);
    connect(m_listView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TlistviewForm::onSelectionChanged);
    connect(m_model, &PictureListModel::tickToggled, this, &TlistviewForm::onTickToggled);
    connect(m_listView->header(), &QHeaderView::sectionClicked, this, &TlistviewForm::orderByColumn);
    connect(m_listView, &PictureDetailView::openRequested, this, &TlistviewForm::openRow);
    connect(m_loader, &ThumbnailLoader::loaded, m_grid->viewport(), qOverload<>(&QWidget::update));
    // Work queued for cells scrolled away is dropped; what shows asks again.
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, m_loader, &ThumbnailLoader::dropPending);
    for (QWidget *view : {static_cast<QWidget *>(m_listView), static_cast<QWidget *>(m_grid)}) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint &at) { showPopup(view, at); });
    }
    applyThumbnailSize();
}

TlistviewForm::~TlistviewForm()
{
    // No decoded cell may arrive at a half-destroyed window.
    m_loader->dropPending();
    m_loader->waitForDone();
}

void TlistviewForm::buildPagingBar(QWidget *client)
{
    m_panel1 = new QWidget(client);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setFixedHeight(PagingBarHeight);
    auto *row = new QHBoxLayout(m_panel1);
    row->setContentsMargins(0, 0, 0, 0);
    m_toolBar1 = new QToolBar(m_panel1);
    m_toolBar1->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar1->setMovable(false);
    m_toolBar1->setFloatable(false);
    m_toolBar1->setIconSize(QSize(16, 16));
    row->addWidget(m_toolBar1);
    const auto button = [this](const char *name, const char *text, auto slot) {
        auto *b = new QToolButton(m_toolBar1);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(QString::fromLatin1(text));
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, slot);
        m_toolBar1->addWidget(b);
    };
    button("ToolButton1", "|<", [this] { showPage(Page::First); });
    button("ToolButton3", "<", [this] { showPage(Page::Previous); });
    m_toolBar1->addSeparator();
    button("ToolButton4", ">", [this] { showPage(Page::Next); });
    button("ToolButton6", ">|", [this] { showPage(Page::Last); });
    m_toolBar1->addSeparator();
    m_comboBox1 = new QComboBox(m_toolBar1);
    m_comboBox1->setObjectName(QStringLiteral("ComboBox1"));
    m_comboBox1->setEditable(true);
    m_comboBox1->setInsertPolicy(QComboBox::NoInsert);
    m_comboBox1->setFixedWidth(61);
    m_toolBar1->addWidget(m_comboBox1);
    // Only the user's choices and typing move the page, never the box's own
    // updates.
    connect(m_comboBox1->lineEdit(), &QLineEdit::textEdited, this, &TlistviewForm::onPageTyped);
    connect(m_comboBox1, &QComboBox::activated, this,
            [this](int index) { onPageTyped(m_comboBox1->itemText(index)); });
    button("ToolButton7", "Go", [this] { onGo(); });
    m_panel1->hide();
}

void TlistviewForm::setViewQueries(std::function<bool()> trackLatest, std::function<bool()> preview)
{
    m_trackLatest = std::move(trackLatest);
    m_preview = std::move(preview);
}

void TlistviewForm::setPopupMenu(QMenu *menu)
{
    m_popup = menu;
}

void TlistviewForm::showPopup(QWidget *view, const QPoint &at)
{
    if (!m_popup)
        return;
    Q_EMIT activated(true);
    m_popup->popup(static_cast<QAbstractItemView *>(view)->viewport()->mapToGlobal(at));
}

int TlistviewForm::pageSize() const
{
    return std::max(1, m_search.settings().a3);
}

// ---- Pages ----

void TlistviewForm::setPageText(int page)
{
    m_comboBox1->setEditText(QString::number(page));
}

int TlistviewForm::pageBoxNumber(bool *ok) const
{
    const int page = m_comboBox1->currentText().trimmed().toInt(ok);
    *ok = *ok && page >= 1 && page <= m_pageCount;
    return page;
}

void TlistviewForm::showPage(Page request)
{
    if (!m_flushing)
        flushSaved();
    const int last = PicturePages::pageCount(m_pages.count(), pageSize());
    switch (request) {
    case Page::First:
        m_currentPage = 1;
        break;
    case Page::Next:
        if (m_currentPage >= last)
            return;
        ++m_currentPage;
        break;
    case Page::Previous:
        if (m_currentPage <= 1)
            return;
        --m_currentPage;
        break;
    case Page::Last:
        m_currentPage = last;
        break;
    }
    fillPage();
}

void TlistviewForm::showPageNumber(int page)
{
    flushSaved();
    m_currentPage = std::max(1, page);
    fillPage();
}

void TlistviewForm::fillPage()
{
    const int s = pageSize();
    setPageText(m_currentPage);
    m_skipNextDisplay = true;
    m_loader->dropPending();
    m_model->setRows(m_pages.rows((m_currentPage - 1) * s, s));
    if (m_model->rowCount() == 0)
        return;
    m_skipNextDisplay = false;
    (thumbnailsShown() ? static_cast<QWidget *>(m_grid) : m_listView)->setFocus(Qt::OtherFocusReason);
    if (m_trackLatest && m_trackLatest())
        selectRow(0);
}

void TlistviewForm::rebuildPageSelector()
{
    if (!m_flushing)
        flushSaved();
    const int n = m_pages.count();
    m_panel1->setVisible(pageSize() < n);
    m_pageCount = PicturePages::pageCount(n, pageSize());
    m_comboBox1->clear();
    for (int p = 1; p <= m_pageCount; ++p)
        m_comboBox1->addItem(QString::number(p));
    setPageText(m_pageCount);
}

void TlistviewForm::onGo()
{
    bool ok = false;
    const int page = pageBoxNumber(&ok);
    if (!ok) {
        setPageText(m_currentPage);
        return;
    }
    showPageNumber(page);
}

void TlistviewForm::onPageTyped(const QString &text)
{
    bool ok = false;
    const int page = text.trimmed().toInt(&ok);
    if (ok && page >= 1 && page <= m_pageCount)
        showPageNumber(page);
}

void TlistviewForm::orderByColumn(int column)
{
    flushSaved();
    m_model->setHeaderImageColumn(-1);
    if (column >= 0 && column < PicturePages::OrderedColumns) {
        // The second click orders the column backwards; a third forwards again.
        if (m_pages.orderColumn() == column && !m_pages.descending()) {
            m_pages.setOrder(column, true);
        } else {
            m_pages.setOrder(column, false);
            m_model->setHeaderImageColumn(column);
        }
    }
    showPage(Page::First);
}

void TlistviewForm::searchOpened()
{
    flushSaved();
    rebuildPageSelector();
    showPage(Page::First);
}

void TlistviewForm::clearViews()
{
    // What was saved before the views are emptied is of no concern now.
    m_pendingSaved.clear();
    m_saveTimer.stop();
    m_loader->dropPending();
    m_model->clear();
    m_currentPage = 1;
    m_pageCount = 1;
    m_comboBox1->clear();
    m_panel1->hide();
}

void TlistviewForm::addSavedPicture(const PictureRow &row, int rowCount)
{
    // A fast run saves hundreds of pictures a second: the views take them in
    // batches, so that a page filled and left within one batch is never laid
    // out, painted or decoded.
    m_pendingSaved.append({row, rowCount});
    if (!m_saveTimer.isActive())
        m_saveTimer.start();
}

void TlistviewForm::flushSaved()
{
    if (m_pendingSaved.isEmpty())
        return;
    m_saveTimer.stop();
    const QList<PendingPicture> batch = std::exchange(m_pendingSaved, {});
    const QScopedValueRollback<bool> flushing(m_flushing, true);
    const int s = pageSize();
    for (const PendingPicture &saved : batch) {
        const int last = PicturePages::pageCount(saved.rowCount, s);
        if (saved.rowCount % s == 1 || s == 1) {
            // The new row opens a page of its own.
            rebuildPageSelector();
            m_currentPage = m_pageCount = last;
            m_loader->dropPending();
            m_model->clear();
        }
        if (m_currentPage != last) {
            // Another page is on show: the last one comes from the table,
            // which holds the whole batch already.
            rebuildPageSelector();
            showPage(Page::Last);
            return;
        }
        m_model->appendRow(saved.row);
    }
    // Its picture is in the picture window already. Selecting (and scrolling
    // to) every new row of a fast run cost more than saving it: the newest
    // row is selected at most every 100 ms, and at the end of the run.
    if (m_trackLatest && m_trackLatest() && !m_trackTimer.isActive())
        m_trackTimer.start();
}

void TlistviewForm::settleTracking()
{
    flushSaved();
    if (!m_trackTimer.isActive())
        return;
    m_trackTimer.stop();
    selectNewestRow();
}

void TlistviewForm::selectNewestRow()
{
    if (m_trackLatest && m_trackLatest() && m_model->rowCount() > 0)
        selectOwnRow(m_model->rowCount() - 1);
}

// ---- Views ----

void TlistviewForm::setCheckBoxMode(bool on)
{
    m_model->setCheckBoxes(on);
    m_grid->viewport()->update();
}

bool TlistviewForm::checkBoxMode() const
{
    return m_model->checkBoxes();
}

void TlistviewForm::applyThumbnailSize()
{
    const Settings &s = m_search.settings();
    m_delegate->setThumbnailSize(QSize(std::max(16, s.tw), std::max(16, s.th)));
    m_loader->clearCache();
    m_grid->setGridSize(QSize());
    m_grid->doItemsLayout();
    m_grid->viewport()->update();
}

void TlistviewForm::showThumbnails(bool on)
{
    m_views->setCurrentWidget(on ? static_cast<QWidget *>(m_grid) : m_listView);
    // The selection is shared: a row the list had selected stays selected.
    if (on && selectedIndex() < 0 && m_model->rowCount() > 0)
        selectRow(0);
}

bool TlistviewForm::thumbnailsShown() const
{
    return m_views->currentWidget() == m_grid;
}

QStringList TlistviewForm::pagePicturePaths() const
{
    const_cast<TlistviewForm *>(this)->flushSaved();
    return m_model->paths();
}

int TlistviewForm::selectedIndex() const
{
    const_cast<TlistviewForm *>(this)->flushSaved();
    const QModelIndexList rows = m_listView->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TlistviewForm::selectRow(int row)
{
    flushSaved();
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row, 0);
    m_listView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
    m_listView->scrollTo(index);
    m_grid->scrollTo(index);
}

void TlistviewForm::selectOwnRow(int row)
{
    m_ownSelection = true;
    selectRow(row);
    m_ownSelection = false;
}

QString TlistviewForm::selectedPicturePath() const
{
    const int row = selectedIndex();
    return row < 0 ? QString() : m_model->pictureRow(row).path();
}

QString TlistviewForm::selectedPictureFolder() const
{
    const int row = selectedIndex();
    return row < 0 ? QString() : m_model->pictureRow(row).DiskDirectory;
}

int TlistviewForm::rowCount() const
{
    const_cast<TlistviewForm *>(this)->flushSaved();
    return m_model->rowCount();
}

void TlistviewForm::onSelectionChanged()
{
    if (m_ownSelection) {
        Q_EMIT activated(false);
        return;
    }
    const int row = selectedIndex();
    if (row >= 0 && m_preview && m_preview())
        requestDisplay(m_model->pictureRow(row).path());
    Q_EMIT activated(true);
}

void TlistviewForm::requestDisplay(const QString &path)
{
    m_displayPath = path;
    // A row change reports the old row's unselection and the new row's
    // selection; only the row finally selected is shown.
    m_displayTimer.start();
}

void TlistviewForm::onDisplayTimer()
{
    if (m_skipNextDisplay) {
        m_skipNextDisplay = false;
        return;
    }
    Q_EMIT displayRequested(m_displayPath);
}

void TlistviewForm::openRow(int row)
{
    if (row >= 0 && row < m_model->rowCount())
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_model->pictureRow(row).path()));
}

// ---- Ticks ----

void TlistviewForm::storeMark(int position, bool ticked)
{
    m_pages.setChecked(position, ticked);
    m_search.setModified(true);
}

void TlistviewForm::onTickToggled(int row, bool ticked)
{
    storeMark((m_currentPage - 1) * pageSize() + row, ticked);
    m_grid->viewport()->update();
}

void TlistviewForm::tickSelected(bool ticked)
{
    flushSaved();
    const int row = selectedIndex();
    if (row < 0)
        return;
    m_model->setTicked(row, ticked);
    m_grid->viewport()->update();
    storeMark((m_currentPage - 1) * pageSize() + row, ticked);
}

void TlistviewForm::tickAll(bool ticked)
{
    flushSaved();
    if (m_model->rowCount() == 0)
        return;
    for (int row = 0; row < m_model->rowCount(); ++row)
        m_model->setTicked(row, ticked);
    m_pages.setCheckedAll(ticked);
    m_search.setModified(true);
    m_grid->viewport()->update();
}

void TlistviewForm::tickSameWebDirectory(bool ticked)
{
    flushSaved();
    const int selected = selectedIndex();
    if (selected < 0)
        return;
    const QString folder = m_model->pictureRow(selected).WebDirectory;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->pictureRow(row).WebDirectory == folder)
            m_model->setTicked(row, ticked);
    }
    m_pages.setCheckedAll(ticked, &folder);
    m_search.setModified(true);
    m_grid->viewport()->update();
}

// ---- Delete ----

void TlistviewForm::deleteCurrentPicture()
{
    flushSaved();
    const int row = selectedIndex();
    if (row >= 0) {
        deleteRowAt(row);
    } else if (m_model->rowCount() == 0) {
        rebuildPageSelector();
        showPage(Page::Last);
    }
    m_search.setModified(true);
}

void TlistviewForm::deleteDroppedRow(int row)
{
    flushSaved();
    if (checkBoxMode() || row < 0 || row >= m_model->rowCount())
        return;
    if (m_search.isRunning()) {
        warn(QStringLiteral("Can not delete item when downloading!"));
        return;
    }
    deleteRowAt(row);
    m_search.setModified(true);
}

void TlistviewForm::deleteRowAt(int row)
{
    const QString path = m_model->pictureRow(row).path();
    // A file that cannot be removed stays on disk; its rows go all the same.
    QFile::remove(path);
    m_loader->forget(path);
    m_pages.remove((m_currentPage - 1) * pageSize() + row);
    m_model->removeRowAt(row);
    OpenSearchState &state = m_search.state();
    state.counters.picturesSaved = std::max(0, state.counters.picturesSaved - 1);
    state.pictureRows = std::max(0, state.pictureRows - 1);
    m_search.showCounters();
    if (m_model->rowCount() == 0) {
        rebuildPageSelector();
        showPage(Page::Last);
        return;
    }
    selectRow(std::min(row, m_model->rowCount() - 1));
}

// ---- Window ----

QRect TlistviewForm::clientGeometry() const
{
    const QWidget *client = widget();
    return QRect(pos(), client ? client->size() : size());
}

void TlistviewForm::warn(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, CurrentSearch::productLabel(), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.exec();
}

void TlistviewForm::closeEvent(QCloseEvent *event)
{
    event->ignore();
    warn(QStringLiteral("You can not close this window!"));
}
