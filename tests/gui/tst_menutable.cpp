// The main window as built, against the tables of its commands: every entry
// of the main menu, the pop-up menus and the tool bar in its place, with its
// text, its state at start and the command group that switches it.

#include "app/form1.h"
#include "openmainwindow.h"
#include "support/testenv.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <memory>
#include <optional>

using Group = std::optional<CommandGroup>;
Q_DECLARE_METATYPE(Group)

namespace {

using G = CommandGroup;
const Group None;

// A main window of its own, set up as at start: each case switches groups.
struct Window
{
    TestEnv env;
    std::unique_ptr<TForm1> form;

    bool open() { return openMainWindow(form); }
};

// The groups that turn the control off, each switched off in turn with all
// the others on.
QList<int> switchedBy(CommandStates &commands, const std::function<bool()> &enabled)
{
    constexpr int Groups = int(CommandGroup::DisplayAllInformation) + 1;
    QList<int> found;
    for (int g = 0; g < Groups; ++g) {
        for (int other = 0; other < Groups; ++other)
            commands.set(CommandGroup(other), true);
        const bool before = enabled();
        commands.set(CommandGroup(g), false);
        if (before && !enabled())
            found << g;
    }
    return found;
}

QList<int> groupList(Group group)
{
    return group ? QList<int>{int(*group)} : QList<int>{};
}

// The words of a state as the tables write it: hidden, disabled (off at
// start), ticked, checkable (not ticked), grouped (one of an exclusive set),
// menu (opens a submenu), dropdown (drops down PopupMenu1).
QStringList stateWords(const QString &state)
{
    static const QStringList known = {QStringLiteral("hidden"),  QStringLiteral("disabled"),
                                      QStringLiteral("ticked"),  QStringLiteral("checkable"),
                                      QStringLiteral("grouped"), QStringLiteral("menu"),
                                      QStringLiteral("dropdown")};
    const QStringList words = state.split(u' ', Qt::SkipEmptyParts);
    for (const QString &w : words) {
        if (!known.contains(w))
            qFatal("unknown state word %s", qPrintable(w));
    }
    return words;
}

void entry(const char *place, int position, const char *name, const char *text, const char *state = "",
           Group group = None)
{
    QTest::addRow("%s %d %s", place, position, name)
        << QString::fromLatin1(place) << position << QString::fromLatin1(name) << QString::fromLatin1(text)
        << QString::fromLatin1(state) << group;
}

void separator(const char *place, int position, const char *state = "")
{
    entry(place, position, "-", "-", state);
}

void button(int position, const char *name, const char *hint, const char *state = "", Group group = None,
            const char *caption = "")
{
    QTest::addRow("%d %s", position, name)
        << position << QString::fromLatin1(name) << QString::fromLatin1(hint) << QString::fromLatin1(caption)
        << QString::fromLatin1(state) << group;
}

} // namespace

class TestMenuTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuEntries_data();
    void menuEntries();
    void toolButtons_data();
    void toolButtons();
    void nothingElse_data();
    void nothingElse();
};

void TestMenuTable::menuEntries_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("state");
    QTest::addColumn<Group>("group");

    entry("MainMenu1", 0, "Web1Entry", "&Web ", "menu");
    entry("MainMenu1", 1, "Edit1Entry", "&Edit ", "menu");
    entry("MainMenu1", 2, "Download1Entry", "&Download", "menu");
    entry("MainMenu1", 3, "View1Entry", "&View", "menu");
    entry("MainMenu1", 4, "Tools1Entry", "&Tools", "menu");
    entry("MainMenu1", 5, "Favorites1Entry", "&Favorites", "menu");
    entry("MainMenu1", 6, "Window1Entry", "&Window", "menu hidden");
    entry("MainMenu1", 7, "Help1Entry", "&Help", "menu");

    entry("Web1", 0, "Load1", "&Load", "hidden", G::SiteCommands);
    entry("Web1", 1, "ok1", "ok", "hidden");
    entry("Web1", 2, "Reload1", "&Reload", "menu hidden disabled", G::SiteCommands);
    entry("Web1", 3, "Save1", "&Save", "hidden", G::SiteCommands);
    entry("Web1", 4, "Saveas1", "Save &as", "hidden", G::SiteCommands);
    separator("Web1", 5, "hidden");
    entry("Web1", 6, "Exit1", "&Exit");

    entry("Edit1", 0, "Undo1", "Undo", "hidden");
    separator("Edit1", 1, "hidden");
    entry("Edit1", 2, "Delete1", "&Delete", "", G::Delete);
    separator("Edit1", 3);
    entry("Edit1", 4, "Select1", "&Select", "", G::Select);
    entry("Edit1", 5, "Unselect1", "&Unselect", "", G::Unselect);
    separator("Edit1", 6);
    entry("Edit1", 7, "Selectallthumbnailsatsamewebdirectory1",
          "Select all thumbnails at &same web directory", "", G::SelectByFolder);
    entry("Edit1", 8, "Unselectallthumbnailsatsamewebdirectory1",
          "Unselect all thumbnails at sa&me web directory", "", G::UnselectByFolder);
    separator("Edit1", 9);
    entry("Edit1", 10, "Selectallthumbnails1", "Select &all thumbnails ", "", G::SelectAll);
    entry("Edit1", 11, "Unselectallthumbnails1", "U&nselect all thumbnails ", "", G::UnselectAll);

    entry("Download1", 0, "Run1", "&Run", "menu", G::Run);
    entry("Run1Menu", 0, "Getanypicture1", "Get &any picture");
    entry("Run1Menu", 1, "Getthumbnails1", "Get &thumbnails");
    entry("Run1Menu", 2, "Getbigsizepictures1", "Get &big size pictures", "disabled", G::BigPictures);
    entry("Download1", 1, "Continue1", "&Continue", "disabled", G::Continue);
    entry("Download1", 2, "Stop1", "S&top", "disabled", G::Stop);
    separator("Download1", 3, "hidden");
    entry("Download1", 4, "Searchintheworld1", "&Search in the world", "", G::CompanionSearch);
    entry("Download1", 5, "Downloadpicturesfromnewsgroups1", "&Download pictures from newsgroups");

    entry("View1", 0, "Standardbuttons1", "&Standard buttons", "ticked");
    entry("View1", 1, "URLbar1", "&URL bar", "ticked");
    entry("View1", 2, "Statusbar2", "St&atus bar", "ticked");
    separator("View1", 3);
    entry("View1", 4, "Progressonstatusbar1", "Pr&ogress on status bar", "ticked");
    separator("View1", 5);
    entry("View1", 6, "Picture1", "&Picture", "ticked");
    entry("View1", 7, "Mysearchhistory1", "&My search history", "ticked");
    entry("View1", 8, "Thumbnail1", "&Thumbnail", "ticked hidden");
    // Off while a search runs, on when it ends.
    entry("View1", 9, "Displayallinformation1", "Display all &information", "ticked hidden",
          G::DisplayAllInformation);
    entry("View1", 10, "Whendownloading1", "When &downloading", "ticked hidden");
    separator("View1", 11);
    entry("View1", 12, "Bestfit1", "&Best fit");
    entry("View1", 13, "Trackthelatestpicture1", "&Track the latest picture", "ticked");
    entry("View1", 14, "Fullscreen1", "&Full screen", "hidden");
    separator("View1", 15);
    entry("View1", 16, "Displaybasket1", "&Display basket", "ticked");
    entry("View1", 17, "Folder1", "F&older");
    entry("View1", 18, "WebTree1", "&Web Tree", "hidden");
    separator("View1", 19);
    // The view-style group ticks one of the two.
    entry("View1", 20, "Thumbs1", "Thumbs", "ticked");
    entry("View1", 21, "List1", "List", "checkable");

    entry("Tools1", 0, "Substringseditor1", "&Substrings editor");
    entry("Tools1", 1, "SearchOption1", "Search O&ption", "", G::Options);
    entry("Tools1", 2, "GetURL1", "&Get URL", "hidden");
    entry("Tools1", 3, "SetWaterpall1", "Set &Waterpall", "menu");
    entry("SetWaterpall1Menu", 0, "Centered1", "&Centered");
    entry("SetWaterpall1Menu", 1, "Titled1", "&Titled");
    entry("SetWaterpall1Menu", 2, "Arrange1", "Arrang&e");
    separator("SetWaterpall1Menu", 3);
    entry("SetWaterpall1Menu", 4, "Clear1", "Clea&r");
    entry("Tools1", 4, "DownloadReport1", "Download &Report", "hidden disabled");
    separator("Tools1", 5);
    entry("Tools1", 6, "Options1", "&Options", "", G::Options);

    entry("Favorites1", 0, "Add1", "&Add", "disabled", G::AddFavourite);
    entry("Favorites1", 1, "Organize1", "&Organize");
    separator("Favorites1", 2);
    entry("Favorites1", 3, "Getfromfavorites1", "&Get from favorites");

    // Ticking one unticks the other; the start ticks "&Horizontal".
    entry("Window1", 0, "Horizontal1", "&Horizontal", "ticked grouped");
    entry("Window1", 1, "Vertical1", "&Vertical", "checkable grouped");

    entry("Help1", 0, "Contents1", "&Contents");
    separator("Help1", 1, "hidden");
    entry("Help1", 2, "Homepage1", "&Homepage");
    entry("Help1", 3, "About1", "&About");

    entry("PopupMenu1", 0, "GetAnyPictures1", "Get &Any Pictures");
    entry("PopupMenu1", 1, "GetThumbnails2", "Get &Thumbnails");
    entry("PopupMenu1", 2, "GetBigSizePictures2", "Get &Big Size Pictures", "disabled", G::BigPictures);

    entry("PopupMenu2", 0, "Delete2", "&Delete", "", G::Delete);
    separator("PopupMenu2", 1);
    entry("PopupMenu2", 2, "Select2", "&Select", "", G::Select);
    entry("PopupMenu2", 3, "Unselect2", "&Unselect", "", G::Unselect);
    separator("PopupMenu2", 4);
    entry("PopupMenu2", 5, "Selectallthumbnailsatsamewebdirectory2",
          "S&elect all thumbnails at &same web directory", "", G::SelectByFolder);
    entry("PopupMenu2", 6, "Unselectallthumbnailsatsamewebdirectory2",
          "Unselect all thumbnails at sa&me web directory", "", G::UnselectByFolder);
    separator("PopupMenu2", 7);
    entry("PopupMenu2", 8, "Selectall1", "Select &all", "", G::SelectAll);
    entry("PopupMenu2", 9, "Unselectall1", "U&nselect all", "", G::UnselectAll);
}

void TestMenuTable::menuEntries()
{
    QFETCH(QString, place);
    QFETCH(int, position);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, state);
    QFETCH(Group, group);
    const QStringList words = stateWords(state);

    Window w;
    QVERIFY(w.open());
    auto *holder = w.form->findChild<QWidget *>(place);
    QVERIFY(holder);
    const QList<QAction *> actions = holder->actions();
    QVERIFY(position < actions.size());
    QAction *action = actions.at(position);
    QCOMPARE(action->isVisible(), !words.contains(u"hidden"));
    QCOMPARE(action->isSeparator(), text == u"-");
    if (action->isSeparator())
        return;

    QCOMPARE(action->objectName(), name);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->isCheckable(), words.contains(u"ticked") || words.contains(u"checkable"));
    QCOMPARE(action->isChecked(), words.contains(u"ticked"));
    QCOMPARE(action->menu() != nullptr, words.contains(u"menu"));
    QCOMPARE(action->actionGroup() && action->actionGroup()->isExclusive(), words.contains(u"grouped"));
    // A hidden action reports itself off whatever its group says; shown,
    // it tells.
    action->setVisible(true);
    if (words.contains(u"disabled"))
        QVERIFY(!action->isEnabled());
    QCOMPARE(switchedBy(w.form->commands(), [action] { return action->isEnabled(); }), groupList(group));
}

void TestMenuTable::toolButtons_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("state");
    QTest::addColumn<Group>("group");

    button(0, "ToolButton5", "Start to download", "dropdown", G::Run);
    button(1, "ToolButton10", "Continue downloading", "disabled", G::Continue);
    button(2, "ToolButton7", "Stop downloading", "disabled", G::Stop);
    button(3, "-", "-");
    button(4, "ToolButton1", "Set the option", "", G::Options);
    button(5, "-", "-");
    button(6, "ToolButton9", "View the picture in full screen");
    button(7, "ToolButton2", "Best fit");
    button(8, "-", "-");
    button(9, "ToolButton16", "View as the thumbnails", "ticked grouped");
    button(10, "ToolButton17", "View in the detail", "checkable grouped");
    button(11, "-", "-");
    button(12, "ToolButton12", "Sightfinder", "hidden", G::CompanionSearch);
    button(13, "ToolButton3", "Open a web site", "hidden", G::SiteCommands, "Load");
    button(14, "ToolButton4", "Save a web site", "hidden", G::SiteCommands, "Save");
}

void TestMenuTable::toolButtons()
{
    QFETCH(int, position);
    QFETCH(QString, name);
    QFETCH(QString, hint);
    QFETCH(QString, caption);
    QFETCH(QString, state);
    QFETCH(Group, group);
    const QStringList words = stateWords(state);

    Window w;
    QVERIFY(w.open());
    auto *bar = w.form->findChild<QToolBar *>(QStringLiteral("ToolBar1"));
    QVERIFY(bar);
    const QList<QAction *> actions = bar->actions();
    QVERIFY(position < actions.size());
    QAction *action = actions.at(position);
    QCOMPARE(action->isSeparator(), name == u"-");
    if (action->isSeparator())
        return;

    auto *tool = qobject_cast<QToolButton *>(bar->widgetForAction(action));
    QVERIFY(tool);
    QCOMPARE(tool->objectName(), name);
    QCOMPARE(tool->toolTip(), hint);
    QCOMPARE(tool->text(), caption);
    QCOMPARE(tool->isVisible(), !words.contains(u"hidden"));
    QCOMPARE(tool->isCheckable(), words.contains(u"ticked") || words.contains(u"checkable"));
    QCOMPARE(tool->isChecked(), words.contains(u"ticked"));
    QCOMPARE(tool->autoExclusive(), words.contains(u"grouped"));
    if (words.contains(u"disabled"))
        QVERIFY(!tool->isEnabled());
    if (words.contains(u"dropdown")) {
        auto *popup = w.form->findChild<QMenu *>(QStringLiteral("PopupMenu1"));
        QCOMPARE(tool->menu(), popup);
        QCOMPARE(tool->popupMode(), QToolButton::MenuButtonPopup);
        // A right click on the button opens the same menu.
        const QPoint at(8, tool->height() / 2);
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, tool->mapToGlobal(at));
        QCoreApplication::sendEvent(tool, &click);
        QWidget *shown = QApplication::activePopupWidget();
        if (shown)
            shown->close();
        QCOMPARE(shown, popup);
    } else {
        QVERIFY(!tool->menu());
    }
    QCOMPARE(switchedBy(w.form->commands(), [tool] { return tool->isEnabled(); }), groupList(group));
}

void TestMenuTable::nothingElse_data()
{
    // What the rows above do not name must not be there either.
    QTest::addColumn<QString>("place");
    QTest::addColumn<int>("count");
    const struct
    {
        const char *place;
        int count;
    } places[] = {{"MainMenu1", 8},   {"Web1", 7},     {"Edit1", 12}, {"Download1", 6},
                  {"Run1Menu", 3},    {"View1", 22},   {"Tools1", 7}, {"SetWaterpall1Menu", 5},
                  {"Favorites1", 4},  {"Window1", 2},  {"Help1", 4},  {"PopupMenu1", 3},
                  {"PopupMenu2", 10}, {"ToolBar1", 15}};
    for (const auto &p : places)
        QTest::newRow(p.place) << QString::fromLatin1(p.place) << p.count;
}

void TestMenuTable::nothingElse()
{
    QFETCH(QString, place);
    QFETCH(int, count);
    Window w;
    QVERIFY(w.open());
    auto *holder = w.form->findChild<QWidget *>(place);
    QVERIFY(holder);
    QCOMPARE(holder->actions().size(), count);
}

QTEST_MAIN(TestMenuTable)
#include "tst_menutable.moc"
