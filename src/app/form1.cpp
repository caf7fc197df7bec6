#include "app/form1.h"

#include "app/appicons.h"
#include "app/menubuilder.h"
#include "app/slotgauge.h"
#include "app/statuspanelbar.h"
#include "app/wallpaper.h"
#include "crawl/crawlengine.h"
#include "platform/settingsstore.h"
#include "settings/gui/form3.h"
#include "settings/gui/form4.h"
#include "settings/gui/form75.h"
#include "store/currentsearch.h"
#include "store/gui/historytreeview.h"
#include "store/gui/treeform.h"
#include "views/form2.h"
#include "views/image2form.h"
#include "views/listviewform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int ToolBarPanelHeight = 44;
constexpr int UrlBarPanelHeight = 25;

} // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    // No show/hide menu of tool windows here either; the View menu has them.
    setContextMenuPolicy(Qt::PreventContextMenu);
    setWindowIcon(AppIcons::programIcon());
    buildLayout();
    buildCommands();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { onFocusChanged(now); });
}

TForm1::~TForm1()
{
    // Focus moves while the widgets go; the panes must not be switched on a
    // window that is half gone.
    disconnect(qApp, nullptr, this, nullptr);
    m_created = false;
    // The history window holds a reference to the engine; it goes first.
    delete m_treeform;
    m_treeform = nullptr;
    // The picture list holds the open search, which goes before the children.
    delete m_listviewForm;
    m_listviewForm = nullptr;
}

void TForm1::buildLayout()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Panel1"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_panel2 = new QWidget(central);
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    m_panel2->setFixedHeight(ToolBarPanelHeight);
    auto *toolRow = new QHBoxLayout(m_panel2);
    toolRow->setContentsMargins(0, 0, 0, 0);
    m_toolBar1 = new QToolBar(m_panel2);
    m_toolBar1->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar1->setMovable(false);
    m_toolBar1->setFloatable(false);
    m_toolBar1->setIconSize(QSize(32, 32));
    toolRow->addWidget(m_toolBar1);

    m_panel4 = new QFrame(central);
    m_panel4->setObjectName(QStringLiteral("Panel4"));
    m_panel4->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto *urlRow = new QHBoxLayout(m_panel4);
    urlRow->setContentsMargins(1, 1, 1, 1);
    urlRow->setSpacing(0);
    m_panel8 = new QWidget(m_panel4);
    m_panel8->setObjectName(QStringLiteral("Panel8"));
    m_label1 = new QLabel(QStringLiteral("URL:"), m_panel8);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_comboBox1 = new QComboBox(m_panel8);
    m_comboBox1->setObjectName(QStringLiteral("ComboBox1"));
    m_comboBox1->setEditable(true);
    m_comboBox1->setMaxVisibleItems(12);
    // The address history fills the list; typing never adds to it.
    m_comboBox1->setInsertPolicy(QComboBox::NoInsert);
    m_comboBox1->setToolTip(QStringLiteral("The URL of the website you want to access"));
    m_panel8->installEventFilter(this);
    urlRow->addWidget(m_panel8, 1);

    m_panel9 = new QWidget(m_panel4);
    m_panel9->setObjectName(QStringLiteral("Panel9"));
    m_panel9->setFixedWidth(58);
    auto *markRow = new QHBoxLayout(m_panel9);
    markRow->setContentsMargins(0, 0, 0, 0);
    m_image4 = new QLabel(m_panel9);
    m_image4->setObjectName(QStringLiteral("Image4"));
    m_image4->setAlignment(Qt::AlignCenter);
    m_image4->setCursor(Qt::PointingHandCursor);
    m_image4->setToolTip(QStringLiteral("Set the sub strings"));
    m_image4->installEventFilter(this);
    markRow->addWidget(m_image4);
    urlRow->addWidget(m_panel9);
    // The address box must fit whatever the style makes of it.
    m_panel4->setFixedHeight(std::max(UrlBarPanelHeight, m_comboBox1->sizeHint().height() + 4));
    m_image5 = AppIcons::ours(QStringLiteral("substrings-set")).pixmap(QSize(32, 20));
    m_image6 = AppIcons::ours(QStringLiteral("substrings-none")).pixmap(QSize(32, 20));
    m_image4->setPixmap(m_image6);

    // The tool windows dock here: an inner main window is Qt's dock site.
    m_panel5 = new QMainWindow(central);
    m_panel5->setObjectName(QStringLiteral("Panel5"));
    // Qt's own show/hide menu of the tool windows would go round the View
    // menu's ticks.
    m_panel5->setContextMenuPolicy(Qt::PreventContextMenu);
    m_panel5->setWindowFlags(Qt::Widget);
    m_panel5->setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks |
                             QMainWindow::AllowTabbedDocks);
    // The centre takes no room: the tool windows share the whole area (the
    // picture window takes what the history and the list leave).
    auto *dockCentre = new QWidget(m_panel5);
    dockCentre->setObjectName(QStringLiteral("DockCentre"));
    dockCentre->setMaximumWidth(0);
    m_panel5->setCentralWidget(dockCentre);

    column->addWidget(m_panel2);
    column->addWidget(m_panel4);
    column->addWidget(m_panel5, 1);
    setCentralWidget(central);

    m_status = new StatusPanelBar(this);
    setStatusBar(m_status);
}

void TForm1::buildCommands()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    MenuBuilder builder(*this, m_commands);
    builder.addPlace(bar);
    builder.addPlace(m_toolBar1);
    builder.build(MenuTable::rows());

    const auto action = [&builder](const char *name) {
        QAction *a = builder.action(QString::fromLatin1(name));
        Q_ASSERT_X(a, "TForm1::buildCommands", name);
        return a;
    };
    m_standardButtons = action("Standardbuttons1");
    m_urlBar = action("URLbar1");
    m_statusBarEntry = action("Statusbar2");
    m_progressEntry = action("Progressonstatusbar1");
    m_pictureEntry = action("Picture1");
    m_historyEntry = action("Mysearchhistory1");
    m_whenDownloading = action("Whendownloading1");
    m_trackEntry = action("Trackthelatestpicture1");
    m_displayBasket = action("Displaybasket1");
    m_thumbsEntry = action("Thumbs1");
    m_listEntry = action("List1");
    m_horizontal = action("Horizontal1");
    m_vertical = action("Vertical1");
    m_reload = action("Reload1");
    m_popupMenu2 = builder.menu(QStringLiteral("PopupMenu2"));
    m_toolButton16 = builder.button(QStringLiteral("ToolButton16"));
    m_toolButton17 = builder.button(QStringLiteral("ToolButton17"));
}

bool TForm1::formCreate(QString *error)
{
    m_settings.png = true;
    if (!WorkingFolders::build(m_folders, error))
        return false;
    {
        SettingsStore store;
        m_settings.loadSearchSettings(store, m_folders.working);
        m_settings.loadWindowSettings(store);
    }
    m_search = std::make_unique<CurrentSearch>(m_settings, m_folders, m_history, *this);
    m_engine = std::make_unique<CrawlEngine>(*m_search, *this);
    m_engine->setAddressHistory(&m_addressHistory);
    connect(&m_addressHistory, &AddressHistory::changed, this, &TForm1::showAddressHistory);

    m_exitWithoutAsking = false;
    m_progressEntry->setChecked(true);
    m_engine->setProgressOnStatusBar(true);
    m_search->setModified(false);
    m_displayBasket->setChecked(m_settings.bwindow);
    m_settings.optionsPage = 1;
    m_status->setPanelText(10, QString());
    m_siteName = QStringLiteral("default.sit");
    m_search->setSiteName(m_siteName);
    m_whenDownloading->setChecked(true);
    m_standardButtons->setChecked(true);
    m_urlBar->setChecked(true);
    m_statusBarEntry->setChecked(true);
    layoutUrlBar();
    showCounters(countersText(RunCounters()));
    m_horizontal->setChecked(true);
    m_vertical->setChecked(false);
    m_commands.set(CommandGroup::Delete, false);
    setStatus(IconIdle, QStringLiteral("Finished"));
    setCaption(m_search->caption(false));
    m_siteHistory.load(m_folders.sites + SiteHistory::fileName());
    m_commands.set(CommandGroup::AddFavourite, false);
    m_commands.setSelection(false);
    m_commands.set(CommandGroup::Delete, false);
    m_trackEntry->setChecked(true);
    m_programFolder = programFolder(QCoreApplication::applicationFilePath());
    m_pictureEntry->setChecked(true);
    m_bestFit = false;
    m_helpFile = m_programFolder + QStringLiteral("help/index.html");
    m_addressHistory.load(m_folders.sites + AddressHistory::fileName(), m_settings.urlhisnum);

    // The layout's state of the other groups.
    m_commands.set(CommandGroup::Run, true);
    m_commands.set(CommandGroup::Stop, false);
    m_commands.set(CommandGroup::Continue, false);
    m_commands.set(CommandGroup::BigPictures, false);
    m_commands.set(CommandGroup::Options, true);
    m_commands.set(CommandGroup::CompanionSearch, true);
    m_commands.set(CommandGroup::SiteCommands, true);
    m_reload->setEnabled(false);
    m_created = true;
    return true;
}

void TForm1::createToolWindows()
{
    m_treeform = new TTreeform(m_history, *m_search, m_panel5);
    m_treeform->setPopupMenu(m_popupMenu2);
    connect(m_treeform, &TTreeform::closedByUser, this, [this] { m_historyEntry->setChecked(false); });
    if (m_settings.twidth > 0 && m_settings.theight > 0)
        m_treeform->resize(m_settings.twidth, m_settings.theight);
    m_treeform->move(m_settings.tleft, m_settings.ttop);
    m_panel5->addDockWidget(Qt::LeftDockWidgetArea, m_treeform);
    m_panel5->resizeDocks({m_treeform}, {m_settings.twidth > 0 ? m_settings.twidth : 220}, Qt::Horizontal);
    m_treeform->loadHistory(m_folders.search + QStringLiteral("his.dat"), m_settings.searchhisnum);
    // A search whose program died in the middle of a run shows as stopped, so it can be continued.
    m_search->settleInterruptedRuns();
    m_treeform->tree()->expandAll();
    m_treeform->show();
    createPictureList();
    createPictureWindow();
    createDialogs();
}

void TForm1::layoutUrlBar()
{
    const int labelWidth = m_label1->sizeHint().width();
    const int h = m_panel8->height();
    m_label1->setGeometry(4, 0, labelWidth, h);
    const int comboHeight = std::min(h, m_comboBox1->sizeHint().height());
    m_comboBox1->setGeometry(4 + labelWidth + 4, (h - comboHeight) / 2,
                             std::max(0, m_panel8->width() - labelWidth - 50), comboHeight);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_panel8 && event->type() == QEvent::Resize)
        layoutUrlBar();
    if (watched == m_image4 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        openSubstringsEditor();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Command states by pane ----

void TForm1::onFocusChanged(QWidget *now)
{
    if (!now || !m_created)
        return;
    // Menus and message boxes take the focus for a moment; the pane stays.
    if (now->window()->windowType() == Qt::Popup || qobject_cast<QMenuBar *>(now))
        return;
    if (m_treeform && (now == m_treeform || m_treeform->isAncestorOf(now))) {
        historyActivated();
        return;
    }
    if (m_listviewForm && (now == m_listviewForm || m_listviewForm->isAncestorOf(now))) {
        pictureListActivated(true);
        return;
    }
    if (now->window() == this)
        mainWindowActivated();
}

void TForm1::historyActivated()
{
    m_commands.setSelection(false);
    m_commands.set(CommandGroup::Delete, true);
    m_activePane = Pane::HistoryTree;
}

void TForm1::mainWindowActivated()
{
    m_commands.setSelection(false);
    m_commands.set(CommandGroup::Delete, false);
    m_activePane = Pane::MainWindow;
}

// ---- Commands ----

void TForm1::getAnyPicture()
{
    if (!m_engine)
        return;
    if (askBeforeDownload())
        m_engine->getAnyPicture(m_comboBox1->currentText());
    else
        // Get any picture keeps the typed address before it asks, so a
        // cancelled Options dialog keeps it too.
        m_addressHistory.remember(m_comboBox1->currentText(), m_settings.urlhisnum);
}

void TForm1::getThumbnails()
{
    if (m_engine && askBeforeDownload())
        m_engine->getThumbnails(m_comboBox1->currentText());
}

void TForm1::getBigPictures()
{
    if (m_engine)
        m_engine->getBigPictures(m_comboBox1->currentText());
}

void TForm1::stopRun()
{
    if (m_engine)
        m_engine->stop();
}

void TForm1::continueRun()
{
    // Continue resumes the search selected in the history, and only a search.
    if (m_engine && m_history.selected() >= 0)
        m_engine->continueRun();
}

void TForm1::deleteCommand()
{
    if (!m_engine)
        return;
    if (m_engine->isRunning()) {
        showWarning(QStringLiteral("Can not delete item when downloading!"));
        return;
    }
    if (m_activePane == Pane::PictureList) {
        if (m_listviewForm)
            m_listviewForm->deleteCurrentPicture();
        return;
    }
    if (m_history.selected() >= 0)
        m_search->deleteSelected(false);
}

void TForm1::togglePanel(QWidget *panel, int &rememberedHeight, QAction *entry)
{
    if (!panel->isHidden() && panel->height() != 0) {
        rememberedHeight = panel->height();
        panel->hide();
        entry->setChecked(false);
    } else {
        if (rememberedHeight > 0)
            panel->setFixedHeight(rememberedHeight);
        panel->show();
        entry->setChecked(true);
    }
}

void TForm1::toggleStandardButtons()
{
    togglePanel(m_panel2, m_panel2Height, m_standardButtons);
}

void TForm1::toggleUrlBar()
{
    togglePanel(m_panel4, m_panel4Height, m_urlBar);
}

void TForm1::toggleStatusBar()
{
    togglePanel(m_status, m_statusHeight, m_statusBarEntry);
}

void TForm1::toggleProgressOnStatusBar()
{
    if (m_engine)
        m_engine->setProgressOnStatusBar(progressOnStatusBar());
}

void TForm1::togglePictureWindow()
{
    if (!m_image2form) {
        m_whenDownloading->setChecked(m_pictureEntry->isChecked());
        return;
    }
    // The window's own state decides; the tick has flipped already and follows it.
    if (!m_image2form->isHidden()) {
        m_image2form->setShownFlag(false);
        m_whenDownloading->setChecked(false);
        m_pictureEntry->setChecked(false);
        m_image2form->close();
        return;
    }
    m_image2form->setShownFlag(true);
    m_whenDownloading->setChecked(true);
    m_pictureEntry->setChecked(true);
    if (!m_image2form->isFloating() && m_panel5->dockWidgetArea(m_image2form) == Qt::NoDockWidgetArea)
        m_panel5->addDockWidget(Qt::LeftDockWidgetArea, m_image2form);
    m_image2form->show();
    const QString path = selectedPicturePath();
    if (!path.isEmpty())
        m_image2form->showPictureFile(path);
}

void TForm1::toggleHistoryWindow()
{
    if (!m_treeform)
        return;
    if (!m_treeform->isHidden()) {
        // The window may refuse (a search runs); the tick follows what happened.
        if (!m_treeform->close())
            m_historyEntry->setChecked(true);
        return;
    }
    m_treeform->setShownFlag(true);
    m_historyEntry->setChecked(true);
    m_treeform->rebuild();
    if (!m_treeform->isFloating() && m_panel5->dockWidgetArea(m_treeform) == Qt::NoDockWidgetArea)
        m_panel5->addDockWidget(Qt::LeftDockWidgetArea, m_treeform);
    m_treeform->show();
}

void TForm1::toggleDisplayBasket()
{
    // The check mark has already flipped; the basket follows it once it exists.
    m_settings.bwindow = m_displayBasket->isChecked();
    saveWindowSettings();
}

void TForm1::openPictureFolder()
{
    const QString folder = selectedPictureFolder();
    if (folder.isEmpty() || !QDir(folder).exists())
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

bool TForm1::trackLatest() const
{
    return m_trackEntry->isChecked();
}

bool TForm1::picturePreview() const
{
    return m_whenDownloading->isChecked();
}

bool TForm1::pictureWindowShown() const
{
    return m_pictureEntry->isChecked();
}

bool TForm1::progressOnStatusBar() const
{
    return m_progressEntry->isChecked();
}

bool TForm1::thumbnailView() const
{
    return m_thumbsEntry->isChecked();
}

void TForm1::setViewStyle(bool thumbnails)
{
    m_toolButton16->setChecked(thumbnails);
    m_toolButton17->setChecked(!thumbnails);
    m_thumbsEntry->setChecked(thumbnails);
    m_listEntry->setChecked(!thumbnails);
    if (m_listviewForm)
        m_listviewForm->showThumbnails(thumbnails);
}

void TForm1::showThumbs()
{
    m_settings.a1 = true;
    setViewStyle(true);
    saveWindowSettings();
}

void TForm1::showList()
{
    m_settings.a1 = false;
    setViewStyle(false);
    saveWindowSettings();
}

void TForm1::setWallpaper(const QString &style)
{
    if (pictureListRowCount() == 0)
        return;
    const bool clear = style == u"clean";
    QString problem;
    bool done = false;
    if (clear) {
        done = Wallpaper::clear();
    } else {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        done = Wallpaper::apply(selectedPicturePath(), style, m_folders.working, &problem);
        QApplication::restoreOverrideCursor();
    }
    if (done)
        Wallpaper::refreshDesktop();
    else if (style == u"1" && !problem.isEmpty())
        showError(problem);
}

void TForm1::openHelpContents()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_helpFile));
}

void TForm1::runOptionsDialog()
{
    TForm4 dialog(m_settings, m_folders.working, this);
    connect(&dialog, &TForm4::applied, this, &TForm1::repageAfterOptions);
    dialog.exec();
}

void TForm1::repageAfterOptions()
{
    if (!m_listviewForm || !m_search || m_search->state().name.isEmpty())
        return;
    m_listviewForm->applyThumbnailSize();
    m_listviewForm->rebuildPageSelector();
    m_listviewForm->showPage(TlistviewForm::Page::First);
}

void TForm1::openOptions()
{
    runOptionsDialog();
    if (m_listviewForm)
        m_listviewForm->applyThumbnailSize();
}

void TForm1::openMoreOptions()
{
    runOptionsDialog();
}

bool TForm1::askBeforeDownload()
{
    if (!m_settings.isshowoption)
        return true;
    openOptions();
    return TForm4::okAnswer() == 1;
}

void TForm1::openHomePage()
{
    QDesktopServices::openUrl(QUrl(homePageAddress()));
}

void TForm1::saveWindowSettings()
{
    SettingsStore store;
    m_settings.saveWindowSettings(store);
}

// ---- The Substrings editor and Search Option ----

void TForm1::createDialogs()
{
    m_form75 = new TForm75(m_settings, this);
    connect(m_form75, &TForm75::started, this, [this](const QString &address) {
        m_engine->setKeywordSearch(true);
        setAddressText(address);
    });
    connect(m_form75, &TForm75::cancelled, this, [this] { m_engine->setKeywordSearch(false); });
    // "&More options" opens the Options dialog; the picture grid keeps its size.
    connect(m_form75, &TForm75::moreOptionsRequested, this, &TForm1::openMoreOptions);

    m_form3 = new TForm3(m_settings, this);
    m_form3->setHelpFile(QFileInfo(m_helpFile).dir().filePath(QStringLiteral("substring.html")));
    connect(m_form3, &TForm3::substringsApplied, this, [this] {
        refreshSubstringMark();
        showBasketSubstringMark(m_settings.substringsFlag);
    });
}

void TForm1::openSubstringsEditor()
{
    if (!m_form3)
        return;
    m_form3->prepare(m_comboBox1->currentText());
    m_form3->exec();
}

void TForm1::openSearchOption()
{
    if (m_form75)
        m_form75->exec();
}

void TForm1::showBasketSubstringMark(bool on)
{
    // The URL basket's Image2 shows this once the basket exists; nothing shows it yet.
    Q_UNUSED(on);
}

void TForm1::refreshSubstringMark()
{
    m_substringMark = !m_settings.substringsText.isEmpty();
    m_image4->setPixmap(m_substringMark ? m_image5 : m_image6);
}

// ---- Close ----

void TForm1::closeEvent(QCloseEvent *event)
{
    if (!m_created) {
        event->accept();
        return;
    }
    if (m_engine->isRunning()) {
        showWarning(QStringLiteral("Must stop the searching before exit."));
        event->ignore();
        return;
    }
    if (!m_exitWithoutAsking && !askYesNo(QStringLiteral("Do you want to exit ?"))) {
        event->ignore();
        return;
    }
    // Both ways out keep the open search's changes: a confirmed exit must not
    // lose what the search gathered since it was last written.
    runExitSteps(true);
    event->accept();
    Q_EMIT exited();
}

void TForm1::runExitSteps(bool writeBack)
{
    if (writeBack)
        m_search->writeBack();
    if (m_history.isModified())
        m_history.save();
    if (m_settings.clearallafterexit) {
        QFile::remove(m_folders.sites + AddressHistory::fileName());
        QFile::remove(m_folders.sites + SiteHistory::fileName());
    }
    if (m_treeform) {
        const QRect g = m_treeform->clientGeometry();
        m_settings.ttop = g.top();
        m_settings.tleft = g.left();
        m_settings.theight = g.height();
        m_settings.twidth = g.width();
    }
    if (m_listviewForm) {
        const QRect g = m_listviewForm->clientGeometry();
        m_settings.ltop = g.top();
        m_settings.lleft = g.left();
        m_settings.lheight = g.height();
        m_settings.lwidth = g.width();
    }
    storePictureWindowGeometry();
    saveWindowSettings();
}

// ---- CrawlHost ----

void TForm1::setStatus(int icon, const QString &text)
{
    m_status->setStatus(icon, text);
}

void TForm1::showCounters(const QString &text)
{
    m_status->setPanelText(1, text);
}

void TForm1::showSpeed(const QString &text)
{
    m_status->setPanelText(10, text);
}

void TForm1::showTimes(const QString &text)
{
    m_status->setPanelText(11, text);
}

void TForm1::setSlotGauge(int slot, GaugeColor color, bool visible, const QString &hint)
{
    SlotGauge *gauge = m_status->gauge(slot);
    if (!gauge)
        return;
    if (!visible) {
        gauge->setPercent(0);
        gauge->setColor(GaugeColor::Green);
        gauge->setShown(false);
        return;
    }
    gauge->setColor(color);
    gauge->setToolTip(hint);
    gauge->setShown(true);
}

void TForm1::setSlotProgress(int slot, GaugeColor color, int percent)
{
    SlotGauge *gauge = m_status->gauge(slot);
    if (!gauge)
        return;
    gauge->setColor(color);
    gauge->setPercent(std::clamp(percent, 0, 100));
}

void TForm1::setCaption(const QString &caption)
{
    setWindowTitle(caption);
}

void TForm1::showAddressHistory()
{
    // Refilling the list would replace the edit text; what the user typed stays.
    const QString typed = m_comboBox1->currentText();
    const QSignalBlocker quiet(m_comboBox1);
    m_comboBox1->clear();
    m_comboBox1->addItems(m_addressHistory.addresses());
    m_comboBox1->setEditText(typed);
}

void TForm1::setAddressText(const QString &address)
{
    m_comboBox1->setEditText(address);
}

void TForm1::setCommandGroup(CommandGroup group, bool on)
{
    m_commands.set(group, on);
}

void TForm1::pictureSaved(const PictureRow &row, int rowCount)
{
    previewSavedPicture(row.path());
    if (m_listviewForm)
        m_listviewForm->addSavedPicture(row, rowCount);
}

void TForm1::clearViews()
{
    if (m_listviewForm)
        m_listviewForm->clearViews();
}

void TForm1::clearPictureViewer()
{
    if (m_image2form)
        m_image2form->blankPicture();
}

void TForm1::searchOpened()
{
    refreshSubstringMark();
    setViewStyle(m_settings.a1);
    if (m_listviewForm)
        m_listviewForm->searchOpened();
}

void TForm1::setCheckBoxMode(bool on)
{
    if (m_listviewForm)
        m_listviewForm->setCheckBoxMode(on);
}

void TForm1::substringsChanged()
{
    refreshSubstringMark();
}

bool TForm1::showMessage(int icon, const QString &text, bool yesNo)
{
    QMessageBox box(QMessageBox::Icon(icon), CurrentSearch::productLabel(), text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("MessageBox"));
    return box.exec() == QMessageBox::Yes;
}

bool TForm1::askYesNo(const QString &text)
{
    return showMessage(QMessageBox::Question, text, true);
}

void TForm1::showWarning(const QString &text)
{
    showMessage(QMessageBox::Warning, text, false);
}

void TForm1::showError(const QString &text)
{
    showMessage(QMessageBox::Critical, text, false);
}

void TForm1::runFinished(bool stopped)
{
    m_status->flushPaint();
    if (m_listviewForm)
        m_listviewForm->settleTracking();
    Q_EMIT runEnded(stopped);
}

// ---- Picture list ----

void TForm1::createPictureList()
{
    m_listviewForm = new TlistviewForm(*m_search, m_panel5);
    m_listviewForm->setPopupMenu(m_popupMenu2);
    m_listviewForm->setViewQueries([this] { return trackLatest(); }, [this] { return picturePreview(); });
    connect(m_listviewForm, &TlistviewForm::activated, this, &TForm1::pictureListActivated);
    connect(m_listviewForm, &TlistviewForm::displayRequested, this, &TForm1::showPictureRequested);
    connect(m_treeform->tree(), &HistoryTreeView::pictureDroppedOnDeleted, m_listviewForm,
            &TlistviewForm::deleteDroppedRow);
    if (m_settings.lwidth > 0 && m_settings.lheight > 0)
        m_listviewForm->resize(m_settings.lwidth, m_settings.lheight);
    m_listviewForm->move(m_settings.lleft, m_settings.ltop);
    // Beside the history window, in the room the picture viewer leaves.
    m_panel5->addDockWidget(Qt::LeftDockWidgetArea, m_listviewForm);
    m_panel5->splitDockWidget(m_treeform, m_listviewForm, Qt::Horizontal);
    m_panel5->resizeDocks({m_listviewForm}, {m_settings.lwidth > 0 ? m_settings.lwidth : 420},
                          Qt::Horizontal);
    m_listviewForm->showThumbnails(thumbnailView());
    m_listviewForm->show();
}

void TForm1::pictureListActivated(bool commands)
{
    m_activePane = Pane::PictureList;
    if (!commands)
        return;
    const bool ticks = m_listviewForm->checkBoxMode();
    m_commands.setSelection(ticks);
    m_commands.set(CommandGroup::Delete, !ticks);
}

QString TForm1::selectedPicturePath() const
{
    return m_listviewForm ? m_listviewForm->selectedPicturePath() : QString();
}

QString TForm1::selectedPictureFolder() const
{
    return m_listviewForm ? m_listviewForm->selectedPictureFolder() : QString();
}

int TForm1::pictureListRowCount() const
{
    return m_listviewForm ? m_listviewForm->rowCount() : 0;
}

QStringList TForm1::pagePicturePaths() const
{
    return m_listviewForm ? m_listviewForm->pagePicturePaths() : QStringList();
}

int TForm1::selectedPictureIndex() const
{
    return m_listviewForm ? m_listviewForm->selectedIndex() : -1;
}

void TForm1::selectPicture()
{
    if (m_activePane == Pane::PictureList && m_listviewForm)
        m_listviewForm->tickSelected(true);
}

void TForm1::unselectPicture()
{
    if (m_activePane == Pane::PictureList && m_listviewForm)
        m_listviewForm->tickSelected(false);
}

void TForm1::selectAllPictures()
{
    if (m_listviewForm)
        m_listviewForm->tickAll(true);
}

void TForm1::unselectAllPictures()
{
    if (m_listviewForm)
        m_listviewForm->tickAll(false);
}

void TForm1::selectSameWebDirectory()
{
    if (m_listviewForm)
        m_listviewForm->tickSameWebDirectory(true);
}

void TForm1::unselectSameWebDirectory()
{
    if (m_listviewForm)
        m_listviewForm->tickSameWebDirectory(false);
}

// ---- The Picture window and the full-screen viewer ----

void TForm1::createPictureWindow()
{
    m_image2form = new TImage2Form(m_panel5);
    connect(m_image2form, &TImage2Form::closedByUser, this, [this] { m_pictureEntry->setChecked(false); });
    if (m_settings.pwidth > 0 && m_settings.pheight > 0)
        m_image2form->resize(m_settings.pwidth, m_settings.pheight);
    m_image2form->move(m_settings.pleft, m_settings.ptop);
    m_panel5->addDockWidget(Qt::LeftDockWidgetArea, m_image2form);
    // Right of the picture list, which sits right of the history.
    if (QDockWidget *left = m_listviewForm ? static_cast<QDockWidget *>(m_listviewForm) : m_treeform)
        m_panel5->splitDockWidget(left, m_image2form, Qt::Horizontal);
    m_panel5->resizeDocks({m_image2form}, {m_settings.pwidth > 0 ? m_settings.pwidth : 320}, Qt::Horizontal);
    m_image2form->show();
}

void TForm1::storePictureWindowGeometry()
{
    if (!m_image2form)
        return;
    const QRect g = m_image2form->clientGeometry();
    m_settings.ptop = g.top();
    m_settings.pleft = g.left();
    m_settings.pheight = g.height();
    m_settings.pwidth = g.width();
}

void TForm1::showPictureRequested(const QString &path)
{
    if (m_image2form)
        m_image2form->showPictureFile(path);
}

void TForm1::previewSavedPicture(const QString &path)
{
    // Every saved picture goes to the Picture window, shown or not, whatever
    // the list selects; the window keeps the pace down to what it can decode.
    if (m_image2form)
        m_image2form->previewPicture(path);
}

void TForm1::fitPicture()
{
    if (m_image2form)
        m_image2form->fitPicture();
}

void TForm1::openFullScreen()
{
    const QStringList paths = pagePicturePaths();
    const int index = selectedPictureIndex();
    if (index < 0 || index >= paths.size())
        return;
    TForm2 viewer(paths, index, this);
    viewer.exec();
}
