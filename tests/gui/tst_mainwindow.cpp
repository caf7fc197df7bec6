// The main window driven as a user would: by the names of its widgets, against
// the local test server, with the message boxes answered and read.

#include "app/form1.h"
#include "app/slotgauge.h"
#include "app/statuspanelbar.h"
#include "crawl/crawlengine.h"
#include "messageboxanswerer.h"
#include "openmainwindow.h"
#include "platform/settingsstore.h"
#include "store/currentsearch.h"
#include "store/gui/historytreeview.h"
#include "store/gui/treeform.h"
#include "store/historyfile.h"
#include "store/searchinformation.h"
#include "support/httptestserver.h"
#include "support/testenv.h"
#include "support/testsite.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

constexpr int RunTimeout = 60000;

// A private home, the main window set up as the program does at start, and
// the answers to its message boxes.
struct Desktop
{
    TestEnv env;
    std::unique_ptr<TForm1> form;
    MessageBoxAnswerer boxes;

    bool open() { return openMainWindow(form); }

    template <typename T> T *find(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    QAction *action(const char *name) const { return find<QAction>(name); }
    QToolButton *button(const char *name) const { return find<QToolButton>(name); }
    StatusPanelBar *status() const { return find<StatusPanelBar>("StatusBar1"); }
    HistoryTreeView *tree() const { return find<HistoryTreeView>("TreeView1"); }
    CrawlEngine *engine() const { return form->engine(); }

    // Types the address into the URL bar and presses the start button.
    void startFromUrlBar(const QString &address)
    {
        auto *combo = find<QComboBox>("ComboBox1");
        combo->setEditText(QString());
        QTest::keyClicks(combo->lineEdit(), address);
        QToolButton *start = button("ToolButton5");
        // The left part of the button runs the command; the arrow opens its menu.
        QTest::mouseClick(start, Qt::LeftButton, {}, QPoint(12, start->height() / 2));
    }
    bool waitForIdle() const
    {
        return QTest::qWaitFor([this] { return !engine()->isRunning(); }, RunTimeout);
    }
    void clickSearch(int index) const
    {
        QTreeWidgetItem *item = form->treeform()->searchNode(index);
        const QRect r = tree()->visualItemRect(item);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, r.center());
    }
    void focusTree() const
    {
        form->activateWindow();
        tree()->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
    }
    QString storedSetting(const QString &name) const { return SettingsStore().value(name); }
    // Drops the selected search on a node of the tree, as a drag would.
    void dropSelectedOn(QTreeWidgetItem *target) const
    {
        QMimeData data;
        data.setData(HistoryTreeView::searchMimeType(), QByteArray::number(form->history().selected()));
        const QPoint at = tree()->visualItemRect(target).center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree()->viewport(), &enter);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree()->viewport(), &dropped);
    }
};

// The run-state commands as the tool bar and the Download menu show them.
struct RunCommands
{
    bool start, run, stop, cont, options, world;
    // Off when a menu entry disagrees with the button of its group: no state
    // the window should be in compares equal then.
    bool agree = true;
    bool operator==(const RunCommands &) const = default;
};

char *toString(const RunCommands &c)
{
    return qstrdup(QStringLiteral("start %1 run %2 stop %3 continue %4 options %5 world %6%7")
                       .arg(c.start)
                       .arg(c.run)
                       .arg(c.stop)
                       .arg(c.cont)
                       .arg(c.options)
                       .arg(c.world)
                       .arg(c.agree ? QString() : QStringLiteral(" (menu and buttons disagree)"))
                       .toLatin1()
                       .constData());
}

RunCommands runCommands(const Desktop &d)
{
    const bool start = d.button("ToolButton5")->isEnabled();
    const bool stop = d.button("ToolButton7")->isEnabled();
    const bool cont = d.button("ToolButton10")->isEnabled();
    const bool options = d.button("ToolButton1")->isEnabled();
    const bool world = d.action("Searchintheworld1")->isEnabled();
    RunCommands seen{start, d.action("Run1")->isEnabled(), stop, cont, options, world};
    // The menu entries of each group always agree with the buttons.
    seen.agree = seen.run == start && d.action("Stop1")->isEnabled() == stop &&
                 d.action("Continue1")->isEnabled() == cont && d.action("Options1")->isEnabled() == options &&
                 d.button("ToolButton12")->isEnabled() == world;
    return seen;
}

const RunCommands Running{false, false, true, false, false, false};
const RunCommands IdleFinished{true, true, false, false, true, true};
const RunCommands IdleStopped{true, true, false, true, true, true};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void startUp();
    void workingFolderCannotBeMade();
    void liveSearchSwitchesCommands();
    void stopThenContinueSelectedSearch();
    void thumbnailsRunOffersBigPictures();
    void reopenAndDeleteSearches();
    void refusalsWhileRunning();
    void closeAsksAndWritesBack();
    void addressBoxListsTheHistory();
    void viewToggles();
    void noMenuOfDockWindows();
    void viewStateIsTheTicks();

private:
    HttpTestServer m_server;
    TestSite::DepthSite m_depth;
    TestSite::ThumbnailGallery m_thumbs;
    TestSite::BigSite m_big;
};

void TestMainWindow::initTestCase()
{
    QVERIFY(m_server.start());
    TestSite site(m_server);
    m_depth = site.buildDepthSite();
    m_thumbs = site.buildThumbnailGallery();
    m_big = site.buildBigSite(QStringLiteral("/big"), 6, 40);
}

void TestMainWindow::startUp()
{
    Desktop d;
    // A history longer than the limit of 18: the oldest two stay out of the tree.
    QDir().mkpath(d.env.searchFolder());
    QList<HistoryEntry> entries;
    for (int i = 1; i <= 20; ++i)
        entries << HistoryEntry{stateIcon(i % 3, i % 2 ? StateFinished : StateStopped),
                                QStringLiteral("Search %1").arg(i)};
    QVERIFY(saveHistoryFile(d.env.searchFolder() + QStringLiteral("his.dat"), entries));
    QVERIFY(d.open());

    QCOMPARE(d.form->windowTitle(), QStringLiteral("Snapdredge-default.sit"));
    QCOMPARE(d.status()->statusText(), QStringLiteral("Finished"));
    QCOMPARE(d.status()->statusIcon(), 0);
    QCOMPARE(d.status()->panelText(1), QStringLiteral("0:0->0:0"));
    QCOMPARE(runCommands(d), IdleFinished);
    QVERIFY(!d.action("Getbigsizepictures1")->isEnabled());
    QVERIFY(!d.action("Add1")->isEnabled());
    QVERIFY(!d.action("Delete1")->isEnabled());

    // The folder chain of a first start.
    for (const char *sub : {"mysearch", "sites", "Favorites", "Pictures"})
        QVERIFY2(QFileInfo(d.env.workingFolder() + u'/' + QLatin1String(sub)).isDir(), sub);

    // The tree: "My Search" with the newest 18, then "Deleted"; each search with its state icon.
    QTreeWidget *tree = d.tree();
    QCOMPARE(tree->topLevelItemCount(), 2);
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("My Search"));
    QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("Deleted"));
    QCOMPARE(tree->topLevelItem(0)->childCount(), 18);
    QCOMPARE(tree->topLevelItem(0)->child(0)->text(0), QStringLiteral("Search 3"));
    QCOMPARE(tree->topLevelItem(0)->child(17)->text(0), QStringLiteral("Search 20"));
    QVERIFY(tree->topLevelItem(0)->isExpanded());
    QCOMPARE(d.form->history().selected(), -1);

    // Entries the layout hides are never shown; the Window menu neither.
    for (const char *name :
         {"Load1", "ok1", "Reload1", "Save1", "Saveas1", "Undo1", "Thumbnail1", "Displayallinformation1",
          "Whendownloading1", "Fullscreen1", "WebTree1", "GetURL1", "DownloadReport1", "Window1Entry"})
        QVERIFY2(d.action(name) && !d.action(name)->isVisible(), name);
    for (const char *name : {"ToolButton12", "ToolButton3", "ToolButton4"})
        QVERIFY2(!d.button(name)->isVisible(), name);
    QCOMPARE(d.button("ToolButton5")->toolTip(), QStringLiteral("Start to download"));
    QVERIFY(d.button("ToolButton16")->isChecked());
    QVERIFY(!d.button("ToolButton17")->isChecked());

    // The eight gauges: hidden, 30 pixels apart, 4 pixels into their panels.
    StatusPanelBar *bar = d.status();
    for (int slot = 1; slot <= StatusPanelBar::GaugeCount; ++slot) {
        SlotGauge *g = bar->gauge(slot);
        QVERIFY(g && !g->isVisible());
        QCOMPARE(g->geometry().left(), bar->panelRect(slot + 1).left() + 4);
        QCOMPARE(g->geometry().width(), 24);
        QCOMPARE(g->maximum(), 100);
    }
    QCOMPARE(bar->gauge(2)->geometry().left() - bar->gauge(1)->geometry().left(), 30);
}

void TestMainWindow::workingFolderCannotBeMade()
{
    TestEnv env;
    QFile blocker(env.dataHome() + QStringLiteral("/Brelmark"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TForm1 form;
    QString error;
    QVERIFY(!form.formCreate(&error));
    QCOMPARE(error, QStringLiteral("Cannot create ") + env.dataHome() + QStringLiteral("/Brelmark"));
    // Nothing was set up, so closing asks nothing.
    QVERIFY(form.close());
}

void TestMainWindow::liveSearchSwitchesCommands()
{
    Desktop d;
    QVERIFY(d.open());
    QSignalSpy statuses(d.status(), &StatusPanelBar::statusChanged);
    m_server.setResponseDelay(100);
    d.startFromUrlBar(m_depth.start);

    QCOMPARE(runCommands(d), Running);
    QCOMPARE(d.status()->statusText(), QStringLiteral("Thread1 connecting... "));
    QCOMPARE(d.status()->statusIcon(), 1);
    SlotGauge *first = d.status()->gauge(1);
    QVERIFY(first->isShown());
    QTRY_VERIFY(first->isVisible());
    QCOMPARE(first->toolTip(), m_depth.start);
    QCOMPARE(d.form->history().count(), 1);
    QCOMPARE(d.form->history().entry(0).icon, stateIcon(CrawlEngine::ModeAny, StateRunning));
    QCOMPARE(d.tree()->currentItem(), d.form->treeform()->searchNode(0));

    QTRY_VERIFY_WITH_TIMEOUT(d.status()->panelText(1) != u"0:0->0:0", RunTimeout);
    QVERIFY(d.waitForIdle());
    m_server.setResponseDelay(0);

    QStringList seen;
    for (const QList<QVariant> &s : std::as_const(statuses))
        seen << s.at(1).toString();
    QVERIFY2(seen.contains(u"Thread1 downloading.. "), qPrintable(seen.join(u'|')));
    QVERIFY(
        std::any_of(seen.begin(), seen.end(), [](const QString &t) { return t.endsWith(u" Analysing.."); }));
    QCOMPARE(d.status()->statusText(), QStringLiteral("Finished"));
    QCOMPARE(d.status()->statusIcon(), 0);
    QCOMPARE(runCommands(d), IdleFinished);
    // An any-picture run offers no big pictures, and a finished one no Continue.
    QVERIFY(!d.action("Getbigsizepictures1")->isEnabled());
    QVERIFY(!d.action("GetBigSizePictures2")->isEnabled());
    QVERIFY(d.action("Add1")->isEnabled());
    for (int slot = 1; slot <= StatusPanelBar::GaugeCount; ++slot)
        QVERIFY(!d.status()->gauge(slot)->isVisible());

    const RunCounters &c = d.engine()->counters();
    QVERIFY(c.picturesSaved > 0);
    QCOMPARE(d.status()->panelText(1), countersText(c));
    QVERIFY(d.status()->panelText(11).startsWith(hhmmss(c.elapsedSeconds)));
    QCOMPARE(d.form->history().entry(0).icon, stateIcon(CrawlEngine::ModeAny, StateFinished));
    QCOMPARE(d.form->history().entry(0).name, d.engine()->searchName());
    QCOMPARE(d.tree()->currentItem()->text(0), d.engine()->searchName());
    QCOMPARE(d.form->windowTitle(), d.engine()->searchName() + QStringLiteral("--Snapdredge-default.sit"));
}

void TestMainWindow::stopThenContinueSelectedSearch()
{
    Desktop d;
    QVERIFY(d.open());
    m_server.setResponseDelay(150);
    d.startFromUrlBar(m_big.start);
    QTRY_VERIFY_WITH_TIMEOUT(d.engine()->counters().picturesSaved >= 3, RunTimeout);

    QTest::mouseClick(d.button("ToolButton7"), Qt::LeftButton);
    QVERIFY(!d.engine()->isRunning());
    QCOMPARE(runCommands(d), IdleStopped);
    QCOMPARE(d.status()->statusText(), QStringLiteral("Finished"));
    QCOMPARE(d.form->history().entry(0).icon, stateIcon(CrawlEngine::ModeAny, StateStopped));
    const int savedAtStop = d.engine()->counters().picturesSaved;
    QVERIFY(d.engine()->counters().picturesPending > 0);

    // Continue acts on the search selected in the tree.
    QCOMPARE(d.form->history().selected(), 0);
    QTest::mouseClick(d.button("ToolButton10"), Qt::LeftButton);
    QCOMPARE(runCommands(d), Running);
    QCOMPARE(d.form->history().entry(0).icon, stateIcon(CrawlEngine::ModeAny, StateRunning));
    QTRY_VERIFY_WITH_TIMEOUT(d.engine()->counters().picturesSaved > savedAtStop, RunTimeout);
    d.action("Stop1")->trigger();
    m_server.setResponseDelay(0);
    QCOMPARE(runCommands(d), IdleStopped);

    // With "My Search" selected there is nothing to continue.
    QTest::mouseClick(d.tree()->viewport(), Qt::LeftButton, {},
                      d.tree()->visualItemRect(d.form->treeform()->mySearchNode()).center());
    QCOMPARE(d.form->history().selected(), -1);
    d.action("Continue1")->trigger();
    QVERIFY(!d.engine()->isRunning());
}

void TestMainWindow::thumbnailsRunOffersBigPictures()
{
    Desktop d;
    QVERIFY(d.open());
    d.find<QComboBox>("ComboBox1")->setEditText(m_thumbs.start);
    d.action("GetThumbnails2")->trigger();
    QCOMPARE(runCommands(d), Running);
    QVERIFY(d.waitForIdle());
    QVERIFY(d.engine()->counters().picturesSaved > 0);
    for (const char *name : {"Getbigsizepictures1", "GetBigSizePictures2"})
        QVERIFY2(d.action(name)->isEnabled(), name);
    QCOMPARE(d.form->history().entry(0).icon, stateIcon(CrawlEngine::ModeThumbnails, StateFinished));
}

void TestMainWindow::reopenAndDeleteSearches()
{
    Desktop d;
    QVERIFY(d.open());
    // Two searches, each with its own picture folder.
    d.form->settings().subdirectory = QStringLiteral("first");
    d.startFromUrlBar(m_depth.start);
    QVERIFY(d.waitForIdle());
    const QString firstCounters = d.status()->panelText(1);
    const QString firstName = d.engine()->searchName();
    d.form->settings().subdirectory = QStringLiteral("second");
    d.startFromUrlBar(m_thumbs.start);
    QVERIFY(d.waitForIdle());
    const QString secondName = d.engine()->searchName();
    QVERIFY(firstCounters != d.status()->panelText(1));
    QCOMPARE(d.form->history().count(), 2);

    // Reopening the first brings back its address, counters, caption and settings.
    d.clickSearch(0);
    QCOMPARE(d.form->history().current(), 0);
    QCOMPARE(d.find<QComboBox>("ComboBox1")->currentText(), m_depth.start);
    QCOMPARE(d.status()->panelText(1), firstCounters);
    QCOMPARE(d.form->windowTitle(), firstName + QStringLiteral("--Snapdredge-default.sit"));
    QCOMPARE(d.form->settings().subdirectory, QStringLiteral("first"));
    QCOMPARE(d.storedSetting(QStringLiteral("subdirectory")), QStringLiteral("first"));

    // Delete is offered while the tree is the active pane, and only then.
    QVERIFY(d.action("Delete1")->isEnabled());
    QVERIFY(d.action("Delete2")->isEnabled());
    QVERIFY(!d.action("Select1")->isEnabled());
    d.find<QComboBox>("ComboBox1")->setFocus();
    QCoreApplication::processEvents();
    QVERIFY(!d.action("Delete1")->isEnabled());
    QVERIFY(!d.action("Delete2")->isEnabled());

    // Deleting the first removes its file and pictures and opens the one after it.
    d.focusTree();
    d.action("Delete1")->trigger();
    QVERIFY(!QFile::exists(d.env.searchFolder() + firstName + QStringLiteral(".dat")));
    QVERIFY(QDir(d.env.workingFolder() + QStringLiteral("/Pictures/first")).entryList(QDir::Files).isEmpty());
    QCOMPARE(d.form->history().count(), 1);
    QCOMPARE(d.tree()->currentItem()->text(0), secondName);
    QCOMPARE(d.form->windowTitle(), secondName + QStringLiteral("--Snapdredge-default.sit"));
    QCOMPARE(loadHistoryFile(d.env.searchFolder() + QStringLiteral("his.dat"), 18).size(), 1);

    // Dropped on "My Search" nothing happens; dropped on "Deleted" the search goes.
    d.dropSelectedOn(d.form->treeform()->mySearchNode());
    QCOMPARE(d.form->history().count(), 1);
    d.dropSelectedOn(d.form->treeform()->deletedNode());
    QCOMPARE(d.form->history().count(), 0);
    QVERIFY(!QFile::exists(d.env.searchFolder() + secondName + QStringLiteral(".dat")));
    QCOMPARE(d.tree()->currentItem(), d.form->treeform()->mySearchNode());
    QCOMPARE(d.tree()->topLevelItemCount(), 2);
    // With the last search gone the window names no search and offers nothing to continue.
    QCOMPARE(d.form->windowTitle(), QStringLiteral("NoneTitle--Snapdredge-default.sit"));
    QVERIFY(!d.action("Continue1")->isEnabled());
}

void TestMainWindow::refusalsWhileRunning()
{
    Desktop d;
    QVERIFY(d.open());
    m_server.setResponseDelay(150);
    d.startFromUrlBar(m_big.start);
    QVERIFY(d.engine()->isRunning());

    QVERIFY(!d.form->close());
    QCOMPARE(d.boxes.last().text, QStringLiteral("Must stop the searching before exit."));
    QCOMPARE(d.boxes.last().icon, QMessageBox::Warning);
    QVERIFY(d.form->isVisible());

    QVERIFY(!d.form->treeform()->close());
    QCOMPARE(d.boxes.last().text, QStringLiteral("Can not close my search window when downloading!"));
    QVERIFY(d.form->treeform()->isVisible());
    d.boxes.clear();
    d.action("Mysearchhistory1")->trigger();
    QCOMPARE(d.boxes.texts(),
             QStringList{QStringLiteral("Can not close my search window when downloading!")});
    QVERIFY(d.form->treeform()->isVisible());
    QVERIFY(d.action("Mysearchhistory1")->isChecked());

    d.focusTree();
    d.action("Delete1")->trigger();
    QCOMPARE(d.boxes.last().text, QStringLiteral("Can not delete item when downloading!"));
    QCOMPARE(d.boxes.last().icon, QMessageBox::Warning);
    d.dropSelectedOn(d.form->treeform()->deletedNode());
    QCOMPARE(d.boxes.last().text, QStringLiteral("Can not delete my search item when downloading!"));
    QCOMPARE(d.form->history().count(), 1);

    // A second start is not possible while one runs.
    d.boxes.clear();
    d.find<QComboBox>("ComboBox1")->setEditText(m_depth.start);
    d.action("Getanypicture1")->trigger();
    QCOMPARE(d.form->history().count(), 1);
    QVERIFY(d.engine()->isRunning());
    QVERIFY(d.boxes.shown().isEmpty());
    d.button("ToolButton7")->click();
    m_server.setResponseDelay(0);

    // Refusals of the start checks come from the engine, shown as warnings.
    d.find<QComboBox>("ComboBox1")->setEditText(QString());
    d.button("ToolButton5")->click();
    QCOMPARE(d.boxes.last().icon, QMessageBox::Warning);
    QVERIFY(!d.boxes.last().text.isEmpty());
    QVERIFY(!d.engine()->isRunning());
}

void TestMainWindow::closeAsksAndWritesBack()
{
    Desktop d;
    QVERIFY(d.open());
    d.startFromUrlBar(m_depth.start);
    QVERIFY(d.waitForIdle());
    const QString name = d.engine()->searchName();
    d.form->treeform()->setFloating(false);

    d.boxes.setAnswer(QMessageBox::No);
    QVERIFY(!d.form->close());
    QCOMPARE(d.boxes.last().text, QStringLiteral("Do you want to exit ?"));
    QCOMPARE(d.boxes.last().icon, QMessageBox::Question);
    QVERIFY(d.form->isVisible());
    QCOMPARE(d.storedSetting(QStringLiteral("twidth")), QStringLiteral("0"));

    // With "clear all history after exit" the address and site histories go, the searches stay.
    d.form->settings().clearallafterexit = true;
    const QString sites = d.env.workingFolder() + QStringLiteral("/sites/");
    for (const char *file : {"urlhistory.dat", "sitehistory.txt"}) {
        QFile f(sites + QLatin1String(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

    // A change to the open search since its record was written survives the exit.
    d.form->settings().subdirectory = QStringLiteral("changed");
    d.form->search()->setModified(true);
    QSignalSpy exited(d.form.get(), &TForm1::exited);
    d.boxes.setAnswer(QMessageBox::Yes);
    QVERIFY(d.form->close());
    QCOMPARE(exited.size(), 1);

    SearchDatabase db;
    QVERIFY(db.open(d.env.searchFolder() + name + QStringLiteral(".dat")));
    QCOMPARE(SearchInformation::fromText(db.readSearchInformation()).subdirectory, QStringLiteral("changed"));
    QCOMPARE(loadHistoryFile(d.env.searchFolder() + QStringLiteral("his.dat"), 18).value(0).name, name);
    QVERIFY(!QFile::exists(sites + QStringLiteral("urlhistory.dat")));
    QVERIFY(!QFile::exists(sites + QStringLiteral("sitehistory.txt")));
    // The history window's place and size went into the settings.
    QVERIFY(d.storedSetting(QStringLiteral("twidth")).toInt() > 0);
    QVERIFY(d.storedSetting(QStringLiteral("theight")).toInt() > 0);
}

void TestMainWindow::addressBoxListsTheHistory()
{
    Desktop d;
    // The stored address differs from the one typed only in letter case.
    const QString stored = m_depth.start.toUpper();
    const QString sites = d.env.workingFolder() + QStringLiteral("/sites/");
    QVERIFY(QDir().mkpath(sites));
    {
        QFile f(sites + QStringLiteral("urlhistory.dat"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("2\r\n" + stored.toUtf8() + "\r\nhttp://old.example/\r\n");
    }
    const QStringList expected{QStringLiteral("http://old.example/"), stored};
    QVERIFY(d.open());
    auto *combo = d.find<QComboBox>("ComboBox1");
    QCOMPARE(combo->count(), 2);
    d.startFromUrlBar(m_depth.start);
    QVERIFY(d.waitForIdle());
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QCOMPARE(items, expected);
    QCOMPARE(combo->currentText(), m_depth.start);

    d.boxes.setAnswer(QMessageBox::Yes);
    QVERIFY(d.form->close());
    d.form.reset();
    QVERIFY(d.open());
    combo = d.find<QComboBox>("ComboBox1");
    items.clear();
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QCOMPARE(items, expected);
}

void TestMainWindow::viewToggles()
{
    Desktop d;
    QVERIFY(d.open());
    // A hidden bar gives its room to the rest of the window; shown again it
    // takes its own height back.
    QWidget *toolPanel = d.find<QWidget>("Panel2");
    QWidget *urlPanel = d.find<QWidget>("Panel4");
    QTRY_COMPARE(urlPanel->y(), 44);
    d.action("Standardbuttons1")->trigger();
    QVERIFY(!toolPanel->isVisible());
    QVERIFY(!d.action("Standardbuttons1")->isChecked());
    QTRY_COMPARE(urlPanel->y(), 0);
    d.startFromUrlBar(m_depth.start);
    QVERIFY(d.waitForIdle());
    d.action("Standardbuttons1")->trigger();
    QVERIFY(toolPanel->isVisible());
    QVERIFY(d.action("Standardbuttons1")->isChecked());
    QTRY_COMPARE(urlPanel->y(), 44);
    QCOMPARE(toolPanel->geometry(), QRect(0, 0, urlPanel->width(), 44));

    QWidget *statusBar = d.status();
    QWidget *central = d.form->centralWidget();
    const int ownHeight = statusBar->sizeHint().expandedTo(statusBar->minimumSize()).height();
    QCOMPARE(statusBar->height(), ownHeight);
    d.action("Statusbar2")->trigger();
    QVERIFY(!statusBar->isVisible());
    QVERIFY(!d.action("Statusbar2")->isChecked());
    QTRY_COMPARE(central->geometry().bottom(), d.form->rect().bottom());
    d.action("Statusbar2")->trigger();
    QVERIFY(statusBar->isVisible());
    QVERIFY(d.action("Statusbar2")->isChecked());
    QTRY_COMPARE(central->geometry().bottom(), d.form->rect().bottom() - ownHeight);
    QCOMPARE(statusBar->geometry().top(), central->geometry().bottom() + 1);
    QCOMPARE(statusBar->height(), ownHeight);

    d.action("List1")->trigger();
    QVERIFY(d.button("ToolButton17")->isChecked());
    QVERIFY(!d.button("ToolButton16")->isChecked());
    QVERIFY(!d.action("Thumbs1")->isChecked());
    QCOMPARE(d.storedSetting(QStringLiteral("a1")), QStringLiteral("0"));
    QTest::mouseClick(d.button("ToolButton16"), Qt::LeftButton);
    QVERIFY(d.action("Thumbs1")->isChecked());
    QCOMPARE(d.storedSetting(QStringLiteral("a1")), QStringLiteral("1"));

    d.action("Displaybasket1")->trigger();
    QVERIFY(!d.action("Displaybasket1")->isChecked());
    QCOMPARE(d.storedSetting(QStringLiteral("bwindow")), QStringLiteral("0"));

    // The history window closes and comes back anew, with nothing selected.
    QCOMPARE(d.form->history().selected(), 0);
    d.action("Mysearchhistory1")->trigger();
    QVERIFY(!d.form->treeform()->isVisible());
    QVERIFY(!d.action("Mysearchhistory1")->isChecked());
    d.action("Mysearchhistory1")->trigger();
    QVERIFY(d.form->treeform()->isVisible());
    QCOMPARE(d.tree()->topLevelItem(0)->childCount(), 1);
    QCOMPARE(d.form->history().selected(), -1);
    QVERIFY(!d.tree()->currentItem());
}

void TestMainWindow::noMenuOfDockWindows()
{
    // Qt's own show/hide menu of the dock windows would bypass the View
    // menu's ticks: a right click on a dock window's title or on the menu bar
    // opens nothing.
    Desktop d;
    QVERIFY(d.open());
    TTreeform *dock = d.form->treeform();
    QVERIFY(!dock->isFloating());
    QMenuBar *bar = d.form->menuBar();
    const struct
    {
        QWidget *widget;
        QPoint at;
    } places[] = {{dock, QPoint(dock->width() / 2, dock->widget()->geometry().top() / 2)},
                  {bar, QPoint(bar->width() - 4, bar->height() / 2)}};
    for (const auto &place : places) {
        QVERIFY(!place.widget->childAt(place.at));
        QContextMenuEvent click(QContextMenuEvent::Mouse, place.at, place.widget->mapToGlobal(place.at));
        QCoreApplication::sendEvent(place.widget, &click);
        QWidget *shown = QApplication::activePopupWidget();
        if (shown)
            shown->close();
        QVERIFY2(!shown, qPrintable(place.widget->objectName()));
    }
    QVERIFY(d.form->treeform()->isVisible());
    QVERIFY(d.action("Mysearchhistory1")->isChecked());
}

void TestMainWindow::viewStateIsTheTicks()
{
    Desktop d;
    QVERIFY(d.open());
    TForm1 &f = *d.form;
    QVERIFY(f.trackLatest() && f.picturePreview() && f.pictureWindowShown() && f.progressOnStatusBar() &&
            f.thumbnailView());

    d.action("Trackthelatestpicture1")->trigger();
    QVERIFY(!f.trackLatest());
    // The Picture window takes picture preview with it, not the other way round.
    d.action("Picture1")->trigger();
    QVERIFY(!f.pictureWindowShown());
    QVERIFY(!f.picturePreview());
    QVERIFY(!d.action("Whendownloading1")->isChecked());
    d.action("Picture1")->trigger();
    QVERIFY(f.pictureWindowShown() && f.picturePreview());
    d.action("Whendownloading1")->trigger();
    QVERIFY(!f.picturePreview());
    QVERIFY(f.pictureWindowShown());
    d.action("List1")->trigger();
    QVERIFY(!f.thumbnailView());
    d.action("Thumbs1")->trigger();
    QVERIFY(f.thumbnailView());

    // Without progress on the status bar a run shows no slot gauge.
    d.action("Progressonstatusbar1")->trigger();
    QVERIFY(!f.progressOnStatusBar());
    m_server.setResponseDelay(100);
    d.startFromUrlBar(m_depth.start);
    QVERIFY(d.engine()->isRunning());
    QVERIFY(!d.status()->gauge(1)->isVisible());
    QVERIFY(d.waitForIdle());
    m_server.setResponseDelay(0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
