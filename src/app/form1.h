#pragma once

#include "app/commandstates.h"
#include "crawl/crawlhost.h"
#include "platform/workingfolders.h"
#include "settings/settings.h"
#include "sites/addresshistory.h"
#include "sites/sitehistory.h"
#include "store/searchhistory.h"

#include <QMainWindow>
#include <QPixmap>
#include <QStringList>
#include <memory>

class CrawlEngine;
class CurrentSearch;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class StatusPanelBar;
class TImage2Form;
class TTreeform;
class TForm3;
class TForm75;
class TlistviewForm;

// The main window: menus, tool bar, URL bar, the dock area of the tool
// windows and the status bar. It is the crawl engine's front end: the engine
// decides, and shows and asks everything through the CrawlHost calls here.
class TForm1 : public QMainWindow, public CrawlHost
{
    Q_OBJECT
public:
    // Where the Edit commands act.
    enum class Pane { MainWindow, HistoryTree, PictureList };

    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The start-up steps: working folders, settings, the engine and the
    // initial state of every command. Returns false with the message when the
    // working folders cannot be made; nothing can be saved then.
    bool formCreate(QString *error);
    // The tool windows, in their order, once the main window is set up.
    void createToolWindows();

    static QString homePageAddress() { return QStringLiteral("https://snapdredge.org/"); }
    QString helpFile() const { return m_helpFile; }

    Settings &settings() { return m_settings; }
    const WorkingFolders &folders() const { return m_folders; }
    SearchHistory &history() { return m_history; }
    AddressHistory &addressHistory() { return m_addressHistory; }
    const SiteHistory &siteHistory() const { return m_siteHistory; }
    CrawlEngine *engine() const { return m_engine.get(); }
    CurrentSearch *search() const { return m_search.get(); }
    TTreeform *treeform() const { return m_treeform; }
    TlistviewForm *listviewForm() const { return m_listviewForm; }
    TImage2Form *image2form() const { return m_image2form; }
    TForm3 *form3() const { return m_form3; }
    TForm75 *form75() const { return m_form75; }
    CommandStates &commands() { return m_commands; }
    StatusPanelBar *statusPanels() const { return m_status; }
    QMainWindow *dockArea() const { return m_panel5; }
    QComboBox *addressBox() const { return m_comboBox1; }
    QMenu *picturePopup() const { return m_popupMenu2; }

    Pane activePane() const { return m_activePane; }
    void setActivePane(Pane pane) { m_activePane = pane; }
    bool exitWithoutAsking() const { return m_exitWithoutAsking; }
    void setExitWithoutAsking(bool on) { m_exitWithoutAsking = on; }
    // The view state is the ticks of the View menu.
    bool trackLatest() const;
    bool picturePreview() const;
    bool pictureWindowShown() const;
    bool progressOnStatusBar() const;
    bool bestFit() const { return m_bestFit; }
    bool thumbnailView() const;
    bool substringMarkShown() const { return m_substringMark; }
    QString siteName() const { return m_siteName; }

    // The view-style group: thumbnails (on) or the detail list (off).
    void setViewStyle(bool thumbnails);
    // The substrings picture of the URL bar follows the substrings text.
    void refreshSubstringMark();
    void saveWindowSettings();

    // CrawlHost
    void setStatus(int icon, const QString &text) override;
    void showCounters(const QString &text) override;
    void showSpeed(const QString &text) override;
    void showTimes(const QString &text) override;
    void setSlotGauge(int slot, GaugeColor color, bool visible, const QString &hint) override;
    void setSlotProgress(int slot, GaugeColor color, int percent) override;
    void setCaption(const QString &caption) override;
    void setAddressText(const QString &address) override;
    void setCommandGroup(CommandGroup group, bool on) override;
    void pictureSaved(const PictureRow &row, int rowCount) override;
    void clearViews() override;
    void clearPictureViewer() override;
    void searchOpened() override;
    void setCheckBoxMode(bool on) override;
    void substringsChanged() override;
    bool askYesNo(const QString &text) override;
    void showWarning(const QString &text) override;
    void showError(const QString &text) override;
    void runFinished(bool stopped) override;

    // The commands, as the menus, tool bar and pop-up menus run them. The
    // toggles of checkable entries run after the entry has ticked or unticked
    // itself.
    void getAnyPicture();
    void getThumbnails();
    void getBigPictures();
    void stopRun();
    void exitCommand() { close(); }
    void continueRun();
    void deleteCommand();
    // The tick commands of the Edit menu and the picture pop-up menu; they
    // act on the picture list when it is the active pane.
    void selectPicture();
    void unselectPicture();
    void selectAllPictures();
    void unselectAllPictures();
    void selectSameWebDirectory();
    void unselectSameWebDirectory();
    void toggleStandardButtons();
    void toggleUrlBar();
    void toggleStatusBar();
    void toggleProgressOnStatusBar();
    void togglePictureWindow();
    void toggleHistoryWindow();
    void toggleDisplayBasket();
    void openPictureFolder();
    // Best fit and the full-screen view, for the Picture window and the page.
    void fitPicture();
    void openFullScreen();
    void showThumbs();
    void showList();
    void setWallpaper(const QString &style);
    void wallpaperCentered() { setWallpaper(QStringLiteral("0")); }
    void wallpaperTiled() { setWallpaper(QStringLiteral("1")); }
    void wallpaperArranged() { setWallpaper(QStringLiteral("2")); }
    void wallpaperClear() { setWallpaper(QStringLiteral("clean")); }
    void openHelpContents();
    // The Substrings editor and Search Option, shown modally.
    void openSubstringsEditor();
    void openSearchOption();
    // "Options" from the menu entry and the tool button; the picture grid then
    // takes the thumbnail size.
    void openOptions();
    // "Options" from another dialog's "&More options": the grid is left alone.
    void openMoreOptions();
    // Before Get any picture and Get thumbnails: true to go on.
    bool askBeforeDownload();
    void openHomePage();
    // The newest picture a run saved, on its way to the Picture window.
    void previewSavedPicture(const QString &path);
    // The picture paths of the picture list's current page in row order,
    // and the index of its selected cell (-1 for none).
    QStringList pagePicturePaths() const;
    int selectedPictureIndex() const;

public Q_SLOTS:
    // The picture list asks for a picture to be shown in the Picture window.
    void showPictureRequested(const QString &path);

Q_SIGNALS:
    // The exit steps have run and the window has closed.
    void exited();
    void runEnded(bool stopped);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void buildCommands();
    void layoutUrlBar();
    void togglePanel(QWidget *panel, int &rememberedHeight, QAction *entry);
    void onFocusChanged(QWidget *now);
    void historyActivated();
    void mainWindowActivated();
    void createPictureList();
    void pictureListActivated(bool commands);
    void runExitSteps(bool writeBack);
    void createPictureWindow();
    void createDialogs();
    void showBasketSubstringMark(bool on);
    void storePictureWindowGeometry();
    bool showMessage(int icon, const QString &text, bool yesNo);
    void runOptionsDialog();
    void repageAfterOptions();

    // The picture list's selected row and its size.
    QString selectedPicturePath() const;
    QString selectedPictureFolder() const;
    int pictureListRowCount() const;
    void showAddressHistory();

    Settings m_settings;
    WorkingFolders m_folders;
    SearchHistory m_history;
    AddressHistory m_addressHistory;
    SiteHistory m_siteHistory;
    std::unique_ptr<CurrentSearch> m_search;
    std::unique_ptr<CrawlEngine> m_engine;
    CommandStates m_commands;
    TTreeform *m_treeform = nullptr;
    TlistviewForm *m_listviewForm = nullptr;
    TImage2Form *m_image2form = nullptr;
    TForm75 *m_form75 = nullptr;
    TForm3 *m_form3 = nullptr;

    // Layout.
    QWidget *m_panel2 = nullptr;
    QToolBar *m_toolBar1 = nullptr;
    QFrame *m_panel4 = nullptr;
    QWidget *m_panel8 = nullptr;
    QLabel *m_label1 = nullptr;
    QComboBox *m_comboBox1 = nullptr;
    QWidget *m_panel9 = nullptr;
    QLabel *m_image4 = nullptr;
    QPixmap m_image5; // substrings are set
    QPixmap m_image6; // no substrings
    QMainWindow *m_panel5 = nullptr;
    StatusPanelBar *m_status = nullptr;
    QMenu *m_popupMenu2 = nullptr;

    // The entries and buttons the window ticks, reads or switches itself.
    QToolButton *m_toolButton16 = nullptr;
    QToolButton *m_toolButton17 = nullptr;
    QAction *m_standardButtons = nullptr;
    QAction *m_urlBar = nullptr;
    QAction *m_statusBarEntry = nullptr;
    QAction *m_progressEntry = nullptr;
    QAction *m_pictureEntry = nullptr;
    QAction *m_historyEntry = nullptr;
    QAction *m_whenDownloading = nullptr;
    QAction *m_trackEntry = nullptr;
    QAction *m_displayBasket = nullptr;
    QAction *m_thumbsEntry = nullptr;
    QAction *m_listEntry = nullptr;
    QAction *m_horizontal = nullptr;
    QAction *m_vertical = nullptr;
    QAction *m_reload = nullptr;

    // Remembered heights of the tool bar, URL bar and status bar.
    int m_panel2Height = 0;
    int m_panel4Height = 0;
    int m_statusHeight = 0;

    Pane m_activePane = Pane::MainWindow;
    bool m_exitWithoutAsking = false;
    // Best fit is the picture viewer's, not a tick.
    bool m_bestFit = false;
    bool m_substringMark = false;
    bool m_created = false;
    QString m_siteName = QStringLiteral("default.sit");
    QString m_programFolder;
    QString m_helpFile;
};
