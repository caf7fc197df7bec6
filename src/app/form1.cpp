#include "app/form1.h"

#include "app/appicons.h"
#include "app/slotgauge.h"
#include "app/statuspanelbar.h"
#include "app/wallpaper.h"
#include "crawl/crawlengine.h"
#include "platform/settingsstore.h"
#include "store/currentsearch.h"
#include "store/gui/historytreeview.h"
#include "store/gui/treeform.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
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

QToolButton *toolButton(QToolBar *bar, const QString &name, const QString &hint, const QIcon &icon)
{
    auto *button = new QToolButton(bar);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setIcon(icon);
    button->setIconSize(QSize(32, 32));
    button->setFixedSize(50, 41);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return button;
}

} // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowIcon(AppIcons::programIcon());
    buildLayout();
    buildMenus();
    buildToolBar();
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
    m_panel5->setWindowFlags(Qt::Widget);
    m_panel5->setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks |
                             QMainWindow::AllowTabbedDocks);
    auto *dockCentre = new QWidget(m_panel5);
    dockCentre->setObjectName(QStringLiteral("DockCentre"));
    m_panel5->setCentralWidget(dockCentre);

    column->addWidget(m_panel2);
    column->addWidget(m_panel4);
    column->addWidget(m_panel5, 1);
    setCentralWidget(central);

    m_status = new StatusPanelBar(this);
    setStatusBar(m_status);
}

QAction *TForm1::entry(QMenu *menu, const QString &name, const QString &text)
{
    auto *action = menu->addAction(text);
    action->setObjectName(name);
    return action;
}

QAction *TForm1::hiddenSeparator(QMenu *menu)
{
    QAction *separator = menu->addSeparator();
    separator->setVisible(false);
    return separator;
}

void TForm1::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    const auto menu = [bar](const QString &name, const QString &title) {
        QMenu *m = bar->addMenu(title);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name + QStringLiteral("Entry"));
        return m;
    };
    const auto hide = [](QAction *a) {
        a->setVisible(false);
        return a;
    };
    const auto tick = [](QAction *a, bool on) {
        a->setCheckable(true);
        a->setChecked(on);
        return a;
    };

    // Web
    QMenu *web = menu(QStringLiteral("Web1"), QStringLiteral("&Web "));
    hide(entry(web, QStringLiteral("Load1"), QStringLiteral("&Load")));
    hide(entry(web, QStringLiteral("ok1"), QStringLiteral("ok")));
    QMenu *reload = web->addMenu(QStringLiteral("&Reload"));
    reload->setObjectName(QStringLiteral("Reload1Menu"));
    m_reload = reload->menuAction();
    m_reload->setObjectName(QStringLiteral("Reload1"));
    hide(m_reload)->setEnabled(false);
    QAction *saveSite = hide(entry(web, QStringLiteral("Save1"), QStringLiteral("&Save")));
    QAction *saveSiteAs = hide(entry(web, QStringLiteral("Saveas1"), QStringLiteral("Save &as")));
    hiddenSeparator(web);
    QAction *exitEntry = entry(web, QStringLiteral("Exit1"), QStringLiteral("&Exit"));
    exitEntry->setIcon(AppIcons::icon(QStringLiteral("exit")));
    connect(exitEntry, &QAction::triggered, this, &QWidget::close);

    // Edit
    QMenu *edit = menu(QStringLiteral("Edit1"), QStringLiteral("&Edit "));
    hide(entry(edit, QStringLiteral("Undo1"), QStringLiteral("Undo")));
    hiddenSeparator(edit);
    QAction *deleteEntry = entry(edit, QStringLiteral("Delete1"), QStringLiteral("&Delete"));
    deleteEntry->setIcon(AppIcons::icon(QStringLiteral("delete")));
    connect(deleteEntry, &QAction::triggered, this, &TForm1::deleteCommand);
    edit->addSeparator();
    QAction *select = entry(edit, QStringLiteral("Select1"), QStringLiteral("&Select"));
    QAction *unselect = entry(edit, QStringLiteral("Unselect1"), QStringLiteral("&Unselect"));
    edit->addSeparator();
    QAction *selectFolder = entry(edit, QStringLiteral("Selectallthumbnailsatsamewebdirectory1"),
                                  QStringLiteral("Select all thumbnails at &same web directory"));
    QAction *unselectFolder = entry(edit, QStringLiteral("Unselectallthumbnailsatsamewebdirectory1"),
                                    QStringLiteral("Unselect all thumbnails at sa&me web directory"));
    edit->addSeparator();
    QAction *selectAll =
        entry(edit, QStringLiteral("Selectallthumbnails1"), QStringLiteral("Select &all thumbnails "));
    QAction *unselectAll =
        entry(edit, QStringLiteral("Unselectallthumbnails1"), QStringLiteral("U&nselect all thumbnails "));

    // Download
    QMenu *download = menu(QStringLiteral("Download1"), QStringLiteral("&Download"));
    QMenu *run = download->addMenu(QStringLiteral("&Run"));
    run->setObjectName(QStringLiteral("Run1Menu"));
    run->menuAction()->setObjectName(QStringLiteral("Run1"));
    QAction *getAny = entry(run, QStringLiteral("Getanypicture1"), QStringLiteral("Get &any picture"));
    getAny->setIcon(AppIcons::icon(QStringLiteral("start")));
    connect(getAny, &QAction::triggered, this, &TForm1::getAnyPicture);
    QAction *getThumbs = entry(run, QStringLiteral("Getthumbnails1"), QStringLiteral("Get &thumbnails"));
    connect(getThumbs, &QAction::triggered, this, &TForm1::getThumbnails);
    QAction *getBig =
        entry(run, QStringLiteral("Getbigsizepictures1"), QStringLiteral("Get &big size pictures"));
    getBig->setEnabled(false);
    connect(getBig, &QAction::triggered, this, &TForm1::getBigPictures);
    QAction *continueEntry = entry(download, QStringLiteral("Continue1"), QStringLiteral("&Continue"));
    continueEntry->setIcon(AppIcons::icon(QStringLiteral("continue")));
    continueEntry->setEnabled(false);
    connect(continueEntry, &QAction::triggered, this, &TForm1::continueRun);
    QAction *stopEntry = entry(download, QStringLiteral("Stop1"), QStringLiteral("S&top"));
    stopEntry->setIcon(AppIcons::icon(QStringLiteral("stop")));
    stopEntry->setEnabled(false);
    connect(stopEntry, &QAction::triggered, this, &TForm1::stopRun);
    hiddenSeparator(download);
    QAction *searchWorld =
        entry(download, QStringLiteral("Searchintheworld1"), QStringLiteral("&Search in the world"));
    searchWorld->setIcon(AppIcons::icon(QStringLiteral("sightfinder")));
    entry(download, QStringLiteral("Downloadpicturesfromnewsgroups1"),
          QStringLiteral("&Download pictures from newsgroups"));

    // View
    QMenu *view = menu(QStringLiteral("View1"), QStringLiteral("&View"));
    m_standardButtons =
        tick(entry(view, QStringLiteral("Standardbuttons1"), QStringLiteral("&Standard buttons")), true);
    connect(m_standardButtons, &QAction::triggered, this, &TForm1::toggleStandardButtons);
    m_urlBar = tick(entry(view, QStringLiteral("URLbar1"), QStringLiteral("&URL bar")), true);
    connect(m_urlBar, &QAction::triggered, this, &TForm1::toggleUrlBar);
    m_statusBarEntry = tick(entry(view, QStringLiteral("Statusbar2"), QStringLiteral("St&atus bar")), true);
    connect(m_statusBarEntry, &QAction::triggered, this, &TForm1::toggleStatusBar);
    view->addSeparator();
    m_progressEntry = tick(
        entry(view, QStringLiteral("Progressonstatusbar1"), QStringLiteral("Pr&ogress on status bar")), true);
    connect(m_progressEntry, &QAction::triggered, this, &TForm1::toggleProgressOnStatusBar);
    view->addSeparator();
    m_pictureEntry = tick(entry(view, QStringLiteral("Picture1"), QStringLiteral("&Picture")), true);
    connect(m_pictureEntry, &QAction::triggered, this, &TForm1::togglePictureWindow);
    m_historyEntry =
        tick(entry(view, QStringLiteral("Mysearchhistory1"), QStringLiteral("&My search history")), true);
    connect(m_historyEntry, &QAction::triggered, this, &TForm1::toggleHistoryWindow);
    hide(tick(entry(view, QStringLiteral("Thumbnail1"), QStringLiteral("&Thumbnail")), true));
    m_displayAllInformation = hide(tick(
        entry(view, QStringLiteral("Displayallinformation1"), QStringLiteral("Display all &information")),
        true));
    m_whenDownloading = hide(
        tick(entry(view, QStringLiteral("Whendownloading1"), QStringLiteral("When &downloading")), true));
    connect(m_whenDownloading, &QAction::triggered, this, &TForm1::togglePicturePreview);
    view->addSeparator();
    QAction *bestFitEntry = entry(view, QStringLiteral("Bestfit1"), QStringLiteral("&Best fit"));
    bestFitEntry->setIcon(AppIcons::icon(QStringLiteral("bestfit")));
    m_trackEntry = tick(
        entry(view, QStringLiteral("Trackthelatestpicture1"), QStringLiteral("&Track the latest picture")),
        true);
    connect(m_trackEntry, &QAction::triggered, this, &TForm1::toggleTrackLatest);
    hide(entry(view, QStringLiteral("Fullscreen1"), QStringLiteral("&Full screen")))
        ->setIcon(AppIcons::icon(QStringLiteral("fullscreen")));
    view->addSeparator();
    m_displayBasket =
        tick(entry(view, QStringLiteral("Displaybasket1"), QStringLiteral("&Display basket")), true);
    connect(m_displayBasket, &QAction::triggered, this, &TForm1::toggleDisplayBasket);
    QAction *folder = entry(view, QStringLiteral("Folder1"), QStringLiteral("F&older"));
    folder->setIcon(AppIcons::icon(QStringLiteral("open")));
    connect(folder, &QAction::triggered, this, &TForm1::openPictureFolder);
    hide(entry(view, QStringLiteral("WebTree1"), QStringLiteral("&Web Tree")));
    view->addSeparator();
    m_thumbsEntry = tick(entry(view, QStringLiteral("Thumbs1"), QStringLiteral("Thumbs")), true);
    connect(m_thumbsEntry, &QAction::triggered, this, &TForm1::showThumbs);
    m_listEntry = tick(entry(view, QStringLiteral("List1"), QStringLiteral("List")), false);
    connect(m_listEntry, &QAction::triggered, this, &TForm1::showList);

    // Tools
    QMenu *tools = menu(QStringLiteral("Tools1"), QStringLiteral("&Tools"));
    entry(tools, QStringLiteral("Substringseditor1"), QStringLiteral("&Substrings editor"));
    hide(entry(tools, QStringLiteral("GetURL1"), QStringLiteral("&Get URL")));
    QMenu *wallpaper = tools->addMenu(QStringLiteral("Set &Waterpall"));
    wallpaper->setObjectName(QStringLiteral("SetWaterpall1Menu"));
    wallpaper->menuAction()->setObjectName(QStringLiteral("SetWaterpall1"));
    const struct
    {
        const char *name;
        const char *text;
        const char *style;
    } styles[] = {
        {"Centered1", "&Centered", "0"}, {"Titled1", "&Titled", "1"}, {"Arrange1", "Arrang&e", "2"}};
    for (const auto &s : styles) {
        QAction *a = entry(wallpaper, QString::fromLatin1(s.name), QString::fromLatin1(s.text));
        const QString style = QString::fromLatin1(s.style);
        connect(a, &QAction::triggered, this, [this, style] { setWallpaper(style); });
    }
    wallpaper->addSeparator();
    connect(entry(wallpaper, QStringLiteral("Clear1"), QStringLiteral("Clea&r")), &QAction::triggered, this,
            [this] { setWallpaper(QStringLiteral("clean")); });
    hide(entry(tools, QStringLiteral("DownloadReport1"), QStringLiteral("Download &Report")))
        ->setEnabled(false);
    tools->addSeparator();
    QAction *optionsEntry = entry(tools, QStringLiteral("Options1"), QStringLiteral("&Options"));
    optionsEntry->setIcon(AppIcons::icon(QStringLiteral("options")));

    // Favorites
    QMenu *favorites = menu(QStringLiteral("Favorites1"), QStringLiteral("&Favorites"));
    QAction *addFavourite = entry(favorites, QStringLiteral("Add1"), QStringLiteral("&Add"));
    entry(favorites, QStringLiteral("Organize1"), QStringLiteral("&Organize"));
    favorites->addSeparator();
    entry(favorites, QStringLiteral("Getfromfavorites1"), QStringLiteral("&Get from favorites"));

    // Window (never shown)
    QMenu *window = menu(QStringLiteral("Window1"), QStringLiteral("&Window"));
    window->menuAction()->setVisible(false);
    m_horizontal = tick(entry(window, QStringLiteral("Horizontal1"), QStringLiteral("&Horizontal")), true);
    m_vertical = tick(entry(window, QStringLiteral("Vertical1"), QStringLiteral("&Vertical")), false);
    auto *arrangement = new QActionGroup(this);
    arrangement->addAction(m_horizontal);
    arrangement->addAction(m_vertical);

    // Help
    QMenu *help = menu(QStringLiteral("Help1"), QStringLiteral("&Help"));
    QAction *contents = entry(help, QStringLiteral("Contents1"), QStringLiteral("&Contents"));
    contents->setIcon(AppIcons::icon(QStringLiteral("help")));
    connect(contents, &QAction::triggered, this, &TForm1::openHelpContents);
    hiddenSeparator(help);
    QAction *homepage = entry(help, QStringLiteral("Homepage1"), QStringLiteral("&Homepage"));
    homepage->setIcon(AppIcons::icon(QStringLiteral("home")));
    connect(homepage, &QAction::triggered, this, &TForm1::openHomePage);
    entry(help, QStringLiteral("About1"), QStringLiteral("&About"))
        ->setIcon(AppIcons::icon(QStringLiteral("about")));

    // The start button's drop-down.
    m_popupMenu1 = new QMenu(this);
    m_popupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    connect(entry(m_popupMenu1, QStringLiteral("GetAnyPictures1"), QStringLiteral("Get &Any Pictures")),
            &QAction::triggered, this, &TForm1::getAnyPicture);
    connect(entry(m_popupMenu1, QStringLiteral("GetThumbnails2"), QStringLiteral("Get &Thumbnails")),
            &QAction::triggered, this, &TForm1::getThumbnails);
    QAction *popupBig =
        entry(m_popupMenu1, QStringLiteral("GetBigSizePictures2"), QStringLiteral("Get &Big Size Pictures"));
    popupBig->setEnabled(false);
    connect(popupBig, &QAction::triggered, this, &TForm1::getBigPictures);

    // The picture pop-up menu of the picture list, the thumbnails and the history tree.
    m_popupMenu2 = new QMenu(this);
    m_popupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    QAction *popupDelete = entry(m_popupMenu2, QStringLiteral("Delete2"), QStringLiteral("&Delete"));
    connect(popupDelete, &QAction::triggered, this, &TForm1::deleteCommand);
    m_popupMenu2->addSeparator();
    QAction *popupSelect = entry(m_popupMenu2, QStringLiteral("Select2"), QStringLiteral("&Select"));
    QAction *popupUnselect = entry(m_popupMenu2, QStringLiteral("Unselect2"), QStringLiteral("&Unselect"));
    m_popupMenu2->addSeparator();
    QAction *popupSelectFolder = entry(m_popupMenu2, QStringLiteral("Selectallthumbnailsatsamewebdirectory2"),
                                       QStringLiteral("S&elect all thumbnails at &same web directory"));
    QAction *popupUnselectFolder =
        entry(m_popupMenu2, QStringLiteral("Unselectallthumbnailsatsamewebdirectory2"),
              QStringLiteral("Unselect all thumbnails at sa&me web directory"));
    m_popupMenu2->addSeparator();
    QAction *popupSelectAll =
        entry(m_popupMenu2, QStringLiteral("Selectall1"), QStringLiteral("Select &all"));
    QAction *popupUnselectAll =
        entry(m_popupMenu2, QStringLiteral("Unselectall1"), QStringLiteral("U&nselect all"));

    m_commands.add(CommandGroup::Select, select);
    m_commands.add(CommandGroup::Select, popupSelect);
    m_commands.add(CommandGroup::Unselect, unselect);
    m_commands.add(CommandGroup::Unselect, popupUnselect);
    m_commands.add(CommandGroup::SelectByFolder, selectFolder);
    m_commands.add(CommandGroup::SelectByFolder, popupSelectFolder);
    m_commands.add(CommandGroup::UnselectByFolder, unselectFolder);
    m_commands.add(CommandGroup::UnselectByFolder, popupUnselectFolder);
    m_commands.add(CommandGroup::SelectAll, selectAll);
    m_commands.add(CommandGroup::SelectAll, popupSelectAll);
    m_commands.add(CommandGroup::UnselectAll, unselectAll);
    m_commands.add(CommandGroup::UnselectAll, popupUnselectAll);
    m_commands.add(CommandGroup::Delete, deleteEntry);
    m_commands.add(CommandGroup::Delete, popupDelete);
    m_commands.add(CommandGroup::Run, run->menuAction());
    m_commands.add(CommandGroup::Stop, stopEntry);
    m_commands.add(CommandGroup::Continue, continueEntry);
    m_commands.add(CommandGroup::BigPictures, popupBig);
    m_commands.add(CommandGroup::BigPictures, getBig);
    m_commands.add(CommandGroup::Options, optionsEntry);
    m_commands.add(CommandGroup::CompanionSearch, searchWorld);
    m_commands.add(CommandGroup::SiteCommands, saveSite);
    m_commands.add(CommandGroup::SiteCommands, saveSiteAs);
    m_commands.add(CommandGroup::SiteCommands, m_reload);
    m_commands.add(CommandGroup::AddFavourite, addFavourite);
    m_commands.add(CommandGroup::DisplayAllInformation, m_displayAllInformation);
}

void TForm1::buildToolBar()
{
    QToolBar *bar = m_toolBar1;
    m_toolButton5 = toolButton(bar, QStringLiteral("ToolButton5"), QStringLiteral("Start to download"),
                               AppIcons::icon(QStringLiteral("start")));
    m_toolButton5->setMenu(m_popupMenu1);
    m_toolButton5->setPopupMode(QToolButton::MenuButtonPopup);
    m_toolButton5->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_toolButton5, &QToolButton::clicked, this, &TForm1::getAnyPicture);
    connect(m_toolButton5, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_popupMenu1->popup(m_toolButton5->mapToGlobal(pos)); });
    bar->addWidget(m_toolButton5);

    m_toolButton10 = toolButton(bar, QStringLiteral("ToolButton10"), QStringLiteral("Continue downloading"),
                                AppIcons::icon(QStringLiteral("continue")));
    m_toolButton10->setEnabled(false);
    connect(m_toolButton10, &QToolButton::clicked, this, &TForm1::continueRun);
    bar->addWidget(m_toolButton10);

    m_toolButton7 = toolButton(bar, QStringLiteral("ToolButton7"), QStringLiteral("Stop downloading"),
                               AppIcons::icon(QStringLiteral("stop")));
    m_toolButton7->setEnabled(false);
    connect(m_toolButton7, &QToolButton::clicked, this, &TForm1::stopRun);
    bar->addWidget(m_toolButton7);
    bar->addSeparator();

    m_toolButton1 = toolButton(bar, QStringLiteral("ToolButton1"), QStringLiteral("Set the option"),
                               AppIcons::icon(QStringLiteral("options")));
    bar->addWidget(m_toolButton1);
    bar->addSeparator();

    m_toolButton9 =
        toolButton(bar, QStringLiteral("ToolButton9"), QStringLiteral("View the picture in full screen"),
                   AppIcons::icon(QStringLiteral("fullscreen")));
    bar->addWidget(m_toolButton9);
    m_toolButton2 = toolButton(bar, QStringLiteral("ToolButton2"), QStringLiteral("Best fit"),
                               AppIcons::icon(QStringLiteral("bestfit")));
    bar->addWidget(m_toolButton2);
    bar->addSeparator();

    m_toolButton16 = toolButton(bar, QStringLiteral("ToolButton16"), QStringLiteral("View as the thumbnails"),
                                AppIcons::icon(QStringLiteral("thumbs")));
    m_toolButton16->setCheckable(true);
    m_toolButton16->setAutoExclusive(true);
    m_toolButton16->setChecked(true);
    connect(m_toolButton16, &QToolButton::clicked, this, &TForm1::showThumbs);
    bar->addWidget(m_toolButton16);
    m_toolButton17 = toolButton(bar, QStringLiteral("ToolButton17"), QStringLiteral("View in the detail"),
                                AppIcons::icon(QStringLiteral("list")));
    m_toolButton17->setCheckable(true);
    m_toolButton17->setAutoExclusive(true);
    connect(m_toolButton17, &QToolButton::clicked, this, &TForm1::showList);
    bar->addWidget(m_toolButton17);
    bar->addSeparator();

    m_toolButton12 = toolButton(bar, QStringLiteral("ToolButton12"), QStringLiteral("Sightfinder"),
                                AppIcons::icon(QStringLiteral("sightfinder")));
    bar->addWidget(m_toolButton12)->setVisible(false);
    m_toolButton3 = toolButton(bar, QStringLiteral("ToolButton3"), QStringLiteral("Open a web site"),
                               AppIcons::icon(QStringLiteral("open")));
    m_toolButton3->setText(QStringLiteral("Load"));
    bar->addWidget(m_toolButton3)->setVisible(false);
    m_toolButton4 = toolButton(bar, QStringLiteral("ToolButton4"), QStringLiteral("Save a web site"),
                               AppIcons::icon(QStringLiteral("save")));
    m_toolButton4->setText(QStringLiteral("Save"));
    bar->addWidget(m_toolButton4)->setVisible(false);

    m_commands.add(CommandGroup::Run, m_toolButton5);
    m_commands.add(CommandGroup::Stop, m_toolButton7);
    m_commands.add(CommandGroup::Continue, m_toolButton10);
    m_commands.add(CommandGroup::Options, m_toolButton1);
    m_commands.add(CommandGroup::CompanionSearch, m_toolButton12);
    m_commands.add(CommandGroup::SiteCommands, m_toolButton3);
    m_commands.add(CommandGroup::SiteCommands, m_toolButton4);
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

    m_exitWithoutAsking = false;
    m_progressOnStatusBar = true;
    m_engine->setProgressOnStatusBar(true);
    m_search->setModified(false);
    m_displayBasket->setChecked(m_settings.bwindow);
    m_settings.optionsPage = 1;
    m_status->setPanelText(10, QString());
    m_siteName = QStringLiteral("default.sit");
    m_search->setSiteName(m_siteName);
    m_picturePreview = true;
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
    m_commands.set(CommandGroup::AddFavourite, false);
    m_commands.setSelection(false);
    m_commands.set(CommandGroup::Delete, false);
    m_trackLatest = true;
    m_trackEntry->setChecked(true);
    m_programFolder = programFolder(QCoreApplication::applicationFilePath());
    m_pictureShown = true;
    m_bestFit = false;
    m_helpFile = m_programFolder + QStringLiteral("help/index.html");

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
        // The Substrings editor opens here once it exists.
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
    if (m_engine)
        m_engine->getAnyPicture(m_comboBox1->currentText());
}

void TForm1::getThumbnails()
{
    if (m_engine)
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
    if (m_activePane == Pane::PictureList)
        return; // the picture list deletes its selected picture once it exists
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
    m_progressOnStatusBar = !m_progressOnStatusBar;
    m_progressEntry->setChecked(m_progressOnStatusBar);
    if (m_engine)
        m_engine->setProgressOnStatusBar(m_progressOnStatusBar);
}

void TForm1::togglePictureWindow()
{
    // The Picture window itself comes with the picture viewers.
    m_pictureShown = !m_pictureShown;
    m_picturePreview = m_pictureShown;
    m_pictureEntry->setChecked(m_pictureShown);
    m_whenDownloading->setChecked(m_picturePreview);
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

void TForm1::togglePicturePreview()
{
    m_picturePreview = !m_picturePreview;
    m_whenDownloading->setChecked(m_picturePreview);
}

void TForm1::toggleTrackLatest()
{
    m_trackLatest = !m_trackLatest;
    m_trackEntry->setChecked(m_trackLatest);
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

void TForm1::setViewStyle(bool thumbnails)
{
    m_thumbnailView = thumbnails;
    m_toolButton16->setChecked(thumbnails);
    m_toolButton17->setChecked(!thumbnails);
    m_thumbsEntry->setChecked(thumbnails);
    m_listEntry->setChecked(!thumbnails);
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

void TForm1::openHomePage()
{
    QDesktopServices::openUrl(QUrl(homePageAddress()));
}

void TForm1::saveWindowSettings()
{
    SettingsStore store;
    m_settings.saveWindowSettings(store);
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
        QFile::remove(m_folders.sites + QStringLiteral("urlhistory.dat"));
        QFile::remove(m_folders.sites + QStringLiteral("sitehistory.txt"));
    }
    if (m_treeform) {
        const QRect g = m_treeform->clientGeometry();
        m_settings.ttop = g.top();
        m_settings.tleft = g.left();
        m_settings.theight = g.height();
        m_settings.twidth = g.width();
    }
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
        gauge->setValue(0);
        gauge->setColor(GaugeColor::Green);
        gauge->hide();
        return;
    }
    gauge->setColor(color);
    gauge->setToolTip(hint);
    gauge->show();
}

void TForm1::setSlotProgress(int slot, GaugeColor color, int percent)
{
    SlotGauge *gauge = m_status->gauge(slot);
    if (!gauge)
        return;
    gauge->setColor(color);
    gauge->setValue(std::clamp(percent, 0, 100));
}

void TForm1::setCaption(const QString &caption)
{
    setWindowTitle(caption);
}

void TForm1::setAddressText(const QString &address)
{
    m_comboBox1->setEditText(address);
}

void TForm1::setCommandGroup(CommandGroup group, bool on)
{
    m_commands.set(group, on);
}

// The picture list, its thumbnail grid and the picture viewer are not part of
// the window yet; what the engine tells them is dropped until they are.
void TForm1::pictureSaved(const PictureRow &, int) {}

void TForm1::clearViews() {}

void TForm1::clearPictureViewer() {}

void TForm1::searchOpened()
{
    refreshSubstringMark();
    setViewStyle(m_settings.a1);
}

void TForm1::setCheckBoxMode(bool) {}

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
    Q_EMIT runEnded(stopped);
}
