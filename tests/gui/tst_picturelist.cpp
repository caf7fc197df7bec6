// The "List of Pictures" window driven as a user would: a search written to
// a private working folder, opened from the history, paged, ordered, ticked
// and thinned out; and a live search filling it.

#include "app/form1.h"
#include "crawl/crawlengine.h"
#include "messageboxanswerer.h"
#include "openmainwindow.h"
#include "store/currentsearch.h"
#include "store/gui/historytreeview.h"
#include "store/gui/treeform.h"
#include "store/historyfile.h"
#include "store/searchinformation.h"
#include "support/httptestserver.h"
#include "support/testenv.h"
#include "support/testimages.h"
#include "support/testsite.h"
#include "views/listviewform.h"
#include "views/picturedetailview.h"
#include "views/picturegridview.h"
#include "views/picturelistmodel.h"
#include "views/thumbnailloader.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

constexpr int RunTimeout = 60000;
const QString FolderA = QStringLiteral("http://s.test/a/");
const QString FolderB = QStringLiteral("http://s.test/b/");

// One search of `rows` pictures on disk and in the history. Picture i is
// "pic<i>.jpg" in web folder a (even i) or b (odd i); its size is a
// permutation of the row numbers, so that ordering by size moves rows; its
// link row is "link-<i>".
struct SearchFixture
{
    int rows = 0;
    int mode = 0;
    QStringList names; // picture names, any length
    bool missingLast = false;

    static SearchFixture of(int rows, int mode = 0)
    {
        SearchFixture f;
        f.rows = rows;
        f.mode = mode;
        return f;
    }
    static QString nameOf(int i) { return QStringLiteral("pic%1.jpg").arg(i, 2, 10, QLatin1Char('0')); }
    static int sizeOf(int i, int rows) { return 1000 + (i * 7) % rows; }

    bool write(const TestEnv &env, QString *folder) const
    {
        *folder = env.workingFolder() + QStringLiteral("/Pictures/pics/");
        if (!QDir().mkpath(*folder) || !QDir().mkpath(env.searchFolder()))
            return false;
        SearchDatabase db;
        if (!db.create(env.searchFolder() + QStringLiteral("Pics.dat")))
            return false;
        SearchInformation info;
        info.startAddress = QStringLiteral("http://s.test/");
        info.searchMode = mode;
        info.name = QStringLiteral("Pics");
        info.picturesSaved = rows;
        if (!db.writeSearchInformation(info.toText()))
            return false;
        const QByteArray jpeg = TestImages::jpeg(40, 30, 1);
        for (int i = 0; i < rows; ++i) {
            PictureRow row;
            row.PictureName = i < names.size() ? names.at(i) : nameOf(i);
            row.OriginalName = row.PictureName;
            row.WebDirectory = i % 2 ? FolderB : FolderA;
            row.DiskDirectory = *folder;
            row.Size = sizeOf(i, rows);
            row.Width = 40;
            row.Height = 30;
            if (!(missingLast && i == rows - 1)) {
                QFile file(row.path());
                if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size())
                    return false;
            }
            if (!db.appendPicture(row, QStringLiteral("link-%1").arg(i)))
                return false;
        }
        db.close();
        return saveHistoryFile(env.searchFolder() + QStringLiteral("his.dat"),
                               {HistoryEntry{stateIcon(mode, StateFinished), QStringLiteral("Pics")}});
    }
};

struct Desktop
{
    TestEnv env;
    std::unique_ptr<TForm1> form;
    MessageBoxAnswerer boxes;
    QString pictures;

    bool open() { return openMainWindow(form); }
    // Writes the search, opens the main window and opens the search from the tree.
    bool openSearch(const SearchFixture &fixture)
    {
        if (!fixture.write(env, &pictures) || !open())
            return false;
        HistoryTreeView *t = tree();
        const QRect r = t->visualItemRect(form->treeform()->searchNode(0));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, r.center());
        return form->search()->database().isOpen();
    }

    template <typename T> T *inList(const char *name) const
    {
        return list()->findChild<T *>(QString::fromLatin1(name));
    }
    TlistviewForm *list() const { return form->listviewForm(); }
    PictureListModel *model() const { return list()->model(); }
    HistoryTreeView *tree() const { return form->findChild<HistoryTreeView *>(QStringLiteral("TreeView1")); }
    QComboBox *pageBox() const { return inList<QComboBox>("ComboBox1"); }
    void click(const char *button) const { QTest::mouseClick(inList<QToolButton>(button), Qt::LeftButton); }
    QAction *action(const char *name) const { return form->findChild<QAction *>(QString::fromLatin1(name)); }
    QStringList pageNames() const
    {
        QStringList out;
        for (int r = 0; r < model()->rowCount(); ++r)
            out << model()->pictureRow(r).PictureName;
        return out;
    }
    // The user comes from the history window to the list: the Edit
    // commands act on the list then.
    void focusList() const
    {
        tree()->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        QWidget *view =
            list()->thumbnailsShown() ? static_cast<QWidget *>(list()->grid()) : list()->listView();
        view->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
    }
    TinyTable &pictureTable() const { return form->search()->database().TinyTableV1; }
    int checkedOf(const QString &pictureName) const
    {
        TinyTable &t = pictureTable();
        return t.findFirst(QStringLiteral("PictureName"), pictureName) ? t.fieldInt(QStringLiteral("Checked"))
                                                                       : -1;
    }
    QStringList tickedNames() const
    {
        QStringList out;
        TinyTable &t = pictureTable();
        for (bool more = t.first(); more; more = t.next()) {
            if (t.fieldInt(QStringLiteral("Checked")) == 1)
                out << t.fieldText(QStringLiteral("PictureName"));
        }
        return out;
    }
    QStringList namesIn(const QString &folder) const
    {
        QStringList out;
        TinyTable &t = pictureTable();
        for (bool more = t.first(); more; more = t.next()) {
            if (t.fieldText(QStringLiteral("WebDirectory")) == folder)
                out << t.fieldText(QStringLiteral("PictureName"));
        }
        return out;
    }
    void clickHeader(int column) const
    {
        QHeaderView *header = list()->listView()->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    void dropRowOn(int row, QTreeWidgetItem *target) const
    {
        std::unique_ptr<QMimeData> data(model()->mimeData({model()->index(row, 0)}));
        const QPoint at = tree()->visualItemRect(target).center();
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree()->viewport(), &enter);
        QDropEvent dropped(at, Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree()->viewport(), &dropped);
    }
};

} // namespace

class TestPictureList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void paging_data();
    void paging();
    void pageBoxRefusals_data();
    void pageBoxRefusals();
    void orderingByColumn();
    void tickingByMouseAndKey();
    void selectAllAcrossPages();
    void sameWebDirectory_data();
    void sameWebDirectory();
    void deleteKeepsRowsPaired_data();
    void deleteKeepsRowsPaired();
    void dropOnTree_data();
    void dropOnTree();
    void cellTexts_data();
    void cellTexts();
    void closeIsRefused();
    void savedPictureShowsOnLastPage_data();
    void savedPictureShowsOnLastPage();
    void userSelectionShowsPicture();
    void liveSearchFillsGrid_data();
    void liveSearchFillsGrid();

private:
    HttpTestServer m_server;
    TestSite::DepthSite m_depth;
};

void TestPictureList::initTestCase()
{
    QVERIFY(m_server.start());
    m_depth = TestSite(m_server).buildDepthSite();
}

void TestPictureList::paging_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("lastPageRows");
    QTest::newRow("30: one page") << 30 << 1 << 30;
    QTest::newRow("31: a page of one") << 31 << 2 << 1;
    QTest::newRow("60: two full pages") << 60 << 2 << 30;
}

void TestPictureList::paging()
{
    QFETCH(int, rows);
    QFETCH(int, pages);
    QFETCH(int, lastPageRows);
    Desktop d;
    QVERIFY(d.openSearch(SearchFixture::of(rows)));
    QCOMPARE(d.list()->pageCount(), pages);
    QCOMPARE(d.list()->currentPage(), 1);
    QCOMPARE(d.model()->rowCount(), 30);
    QCOMPARE(d.inList<QWidget>("Panel1")->isVisible(), pages > 1);
    QCOMPARE(d.pageBox()->count(), pages);
    QCOMPARE(d.pageBox()->itemText(pages - 1), QString::number(pages));
    QCOMPARE(d.pageBox()->currentText(), QStringLiteral("1"));

    // "<" on the first page rebuilds nothing.
    QSignalSpy resets(d.model(), &QAbstractItemModel::modelReset);
    d.click("ToolButton3");
    QCOMPARE(resets.size(), 0);

    d.click("ToolButton6");
    QCOMPARE(d.list()->currentPage(), pages);
    QCOMPARE(d.model()->rowCount(), lastPageRows);
    QCOMPARE(d.model()->pictureRow(lastPageRows - 1).PictureName, SearchFixture::nameOf(rows - 1));
    QCOMPARE(d.pageBox()->currentText(), QString::number(pages));
    // ">" on the last page neither.
    resets.clear();
    d.click("ToolButton4");
    QCOMPARE(resets.size(), 0);
    QCOMPARE(d.list()->currentPage(), pages);

    d.click("ToolButton1");
    QCOMPARE(d.list()->currentPage(), 1);
    QCOMPARE(d.model()->pictureRow(0).PictureName, SearchFixture::nameOf(0));
    if (pages > 1) {
        d.click("ToolButton4");
        QCOMPARE(d.list()->currentPage(), 2);
        QCOMPARE(d.model()->pictureRow(0).PictureName, SearchFixture::nameOf(30));
        d.click("ToolButton3");
        QCOMPARE(d.list()->currentPage(), 1);
    }
}

void TestPictureList::pageBoxRefusals_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("shown");
    QTest::newRow("zero") << QStringLiteral("0") << 2;
    QTest::newRow("not a number") << QStringLiteral("abc") << 2;
    QTest::newRow("past the last page") << QStringLiteral("3") << 2;
    QTest::newRow("a page") << QStringLiteral("1") << 1;
}

void TestPictureList::pageBoxRefusals()
{
    QFETCH(QString, typed);
    QFETCH(int, shown);
    Desktop d;
    QVERIFY(d.openSearch(SearchFixture::of(60)));
    d.click("ToolButton6");
    QCOMPARE(d.list()->currentPage(), 2);
    d.pageBox()->lineEdit()->clear();
    QTest::keyClicks(d.pageBox()->lineEdit(), typed);
    d.click("ToolButton7");
    QCOMPARE(d.list()->currentPage(), shown);
    QCOMPARE(d.pageBox()->currentText(), QString::number(shown));
    QCOMPARE(d.model()->pictureRow(0).PictureName, SearchFixture::nameOf((shown - 1) * 30));
}

void TestPictureList::orderingByColumn()
{
    Desktop d;
    QVERIFY(d.openSearch(SearchFixture::of(31)));
    d.form->showList();
    const auto sizes = [&d] {
        QList<int> out;
        for (int r = 0; r < d.model()->rowCount(); ++r)
            out << d.model()->pictureRow(r).Size;
        return out;
    };
    const auto hasImage = [&d](int column) {
        return d.model()->headerData(column, Qt::Horizontal, Qt::DecorationRole).isValid();
    };

    d.clickHeader(4);
    QCOMPARE(d.list()->indexName(), QStringLiteral("Listview1_SizeIndex"));
    QVERIFY(hasImage(4));
    QList<int> page = sizes();
    QCOMPARE(page.first(), 1000);
    QVERIFY(std::is_sorted(page.begin(), page.end()));

    // The second click orders it backwards, from the largest down.
    d.click("ToolButton6");
    d.clickHeader(4);
    QCOMPARE(d.list()->currentPage(), 1);
    QCOMPARE(d.list()->indexName(), QStringLiteral("Listview1_SizeIndexDescend"));
    QVERIFY(!hasImage(4));
    page = sizes();
    QCOMPARE(page.first(), 1030);
    QVERIFY(std::is_sorted(page.rbegin(), page.rend()));
    d.click("ToolButton6");
    QCOMPARE(sizes(), QList<int>{1000});

    // "Height" orders nothing: the same order from its first page.
    d.clickHeader(6);
    QCOMPARE(d.list()->currentPage(), 1);
    QCOMPARE(d.list()->indexName(), QStringLiteral("Listview1_SizeIndexDescend"));
    QCOMPARE(sizes().first(), 1030);
    for (int c = 0; c < PictureListModel::ColumnCount; ++c)
        QVERIFY(!hasImage(c));

    d.clickHeader(0);
    QCOMPARE(d.list()->indexName(), QStringLiteral("Listview1_OriginalNameIndex"));
    QCOMPARE(d.model()->pictureRow(0).PictureName, SearchFixture::nameOf(0));
}

void TestPictureList::tickingByMouseAndKey()
{
    Desktop d;
    QVERIFY(d.openSearch(SearchFixture::of(40, 1)));
    QVERIFY(d.list()->checkBoxMode());
    // Page 2 holds rows 30 to 39: a tick is stored at its place in the table.
    d.click("ToolButton4");
    PictureGridView *grid = d.list()->grid();
    QVERIFY(grid->isVisible());
    const QPoint square = grid->checkSquareOf(2).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, square);
    QCOMPARE(d.checkedOf(SearchFixture::nameOf(32)), 1);
    QVERIFY(d.model()->data(d.model()->index(2, 0), PictureListModel::TickedRole).toBool());
    QVERIFY(d.form->search()->isModified());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, square);
    QCOMPARE(d.checkedOf(SearchFixture::nameOf(32)), 0);
    // Elsewhere in the cell the tick stays.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(d.model()->index(3, 0)).center());
    QCOMPARE(d.checkedOf(SearchFixture::nameOf(33)), 0);
    QCOMPARE(d.list()->selectedIndex(), 3);

    // "S" in the detail list flips the selected row, the one the grid selected.
    d.form->showList();
    PictureDetailView *view = d.list()->listView();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_S);
    QCOMPARE(d.checkedOf(SearchFixture::nameOf(33)), 1);
    QTest::keyClick(view, Qt::Key_S);
    QCOMPARE(d.checkedOf(SearchFixture::nameOf(33)), 0);
    QCOMPARE(d.tickedNames(), QStringList());
}

void TestPictureList::selectAllAcrossPages()
{
    Desktop d;
    QVERIFY(d.openSearch(SearchFixture::of(60, 1)));
    d.focusList();
    QVERIFY(d.action("Selectallthumbnails1")->isEnabled());
    QVERIFY(!d.action("Delete1")->isEnabled());
    d.action("Selectallthumbnails1")->trigger();
    QCOMPARE(d.tickedNames().size(), 60);
    d.click("ToolButton4");
    for (int r = 0; r < d.model()->rowCount(); ++r)
        QVERIFY(d.model()->data(d.model()->index(r, 0), PictureListModel::TickedRole).toBool());
    d.action("Unselectall1")->trigger();
    QCOMPARE(d.tickedNames(), QStringList());
    d.click("ToolButton1");
    QVERIFY(!d.model()->data(d.model()->index(0, 0), PictureListModel::TickedRole).toBool());
}

void TestPictureList::sameWebDirectory_data()
{
    QTest::addColumn<bool>("thumbnails");
    QTest::newRow("in the grid") << true;
    // The commands act on the row selected in the list too.
    QTest::newRow("in the list") << false;
}

void TestPictureList::sameWebDirectory()
{
    QFETCH(bool, thumbnails);
    Desktop d;
    QVERIFY(d.openSearch(SearchFixture::of(40, 1)));
    if (!thumbnails)
        d.form->showList();
    d.focusList();
    d.list()->selectRow(1); // web folder b
    d.action("Selectallthumbnailsatsamewebdirectory1")->trigger();
    QStringList ticked = d.tickedNames();
    QCOMPARE(ticked, d.namesIn(FolderB));
    QCOMPARE(ticked.size(), 20);
    for (int r = 0; r < d.model()->rowCount(); ++r)
        QCOMPARE(d.model()->data(d.model()->index(r, 0), PictureListModel::TickedRole).toBool(), r % 2 == 1);

    d.list()->selectRow(4); // folder a
    d.action("Select1")->trigger();
    QCOMPARE(d.checkedOf(SearchFixture::nameOf(4)), 1);
    d.list()->selectRow(3); // folder b
    d.action("Unselectallthumbnailsatsamewebdirectory2")->trigger();
    QCOMPARE(d.tickedNames(), QStringList{SearchFixture::nameOf(4)});
    d.list()->selectRow(4);
    d.action("Unselect2")->trigger();
    QCOMPARE(d.tickedNames(), QStringList());
}

void TestPictureList::deleteKeepsRowsPaired_data()
{
    QTest::addColumn<bool>("bySizeDescending");
    QTest::newRow("the only picture of the last page") << false;
    QTest::newRow("the first of page 1, by size descending") << true;
}

void TestPictureList::deleteKeepsRowsPaired()
{
    QFETCH(bool, bySizeDescending);
    Desktop d;
    QVERIFY(d.openSearch(SearchFixture::of(31)));
    int victim = 30;
    if (bySizeDescending) {
        d.form->showList();
        d.clickHeader(4);
        d.clickHeader(4);
        // The largest size comes first.
        while (SearchFixture::sizeOf(victim, 31) != 1030)
            --victim;
        QCOMPARE(d.model()->pictureRow(0).PictureName, SearchFixture::nameOf(victim));
    } else {
        d.click("ToolButton6");
        QCOMPARE(d.model()->rowCount(), 1);
    }
    const QString file = d.model()->pictureRow(0).path();
    QVERIFY(QFile::exists(file));
    d.focusList();
    d.list()->selectRow(0);
    d.action("Delete1")->trigger();

    QVERIFY(!QFile::exists(file));
    SearchDatabase &db = d.form->search()->database();
    QCOMPARE(db.TinyTableV1.recordCount(), 30);
    QCOMPARE(db.TinyTable2.recordCount(), 30);
    QVERIFY(!db.TinyTableV1.contains(QStringLiteral("PictureName"), SearchFixture::nameOf(victim)));
    // The link row that went is the one of the deleted picture.
    QVERIFY(!db.TinyTable2.contains(QStringLiteral("UrlRef"), QStringLiteral("link-%1").arg(victim)));
    QVERIFY(db.TinyTable2.contains(QStringLiteral("UrlRef"),
                                   QStringLiteral("link-%1").arg(victim == 30 ? 29 : 30)));
    QCOMPARE(d.form->search()->state().counters.picturesSaved, 30);
    QVERIFY(d.form->search()->isModified());
    if (bySizeDescending) {
        QCOMPARE(d.model()->rowCount(), 29);
        QCOMPARE(d.list()->selectedIndex(), 0);
    } else {
        // The page selector was rebuilt: one page now, and it shows.
        QCOMPARE(d.list()->pageCount(), 1);
        QCOMPARE(d.list()->currentPage(), 1);
        QCOMPARE(d.model()->rowCount(), 30);
        QVERIFY(!d.inList<QWidget>("Panel1")->isVisible());
    }
}

void TestPictureList::dropOnTree_data()
{
    QTest::addColumn<bool>("onDeleted");
    QTest::newRow("on Deleted") << true;
    QTest::newRow("on My Search") << false;
}

void TestPictureList::dropOnTree()
{
    QFETCH(bool, onDeleted);
    Desktop d;
    QVERIFY(d.openSearch(SearchFixture::of(5)));
    const QString file = d.model()->pictureRow(2).path();
    d.dropRowOn(2, onDeleted ? d.form->treeform()->deletedNode() : d.form->treeform()->mySearchNode());
    QCOMPARE(QFile::exists(file), !onDeleted);
    QCOMPARE(d.form->search()->database().TinyTableV1.recordCount(), onDeleted ? 4 : 5);
    QCOMPARE(d.form->search()->database().TinyTable2.recordCount(), onDeleted ? 4 : 5);
    QCOMPARE(d.model()->rowCount(), onDeleted ? 4 : 5);
    // The search itself is never deleted by a picture.
    QCOMPARE(d.form->history().count(), 1);
}

void TestPictureList::cellTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("bottom");
    QTest::newRow("19 characters, whole")
        << QStringLiteral("abcdefghijklmno.jpg") << QStringLiteral("abcdefghijklmno.jpg");
    QTest::newRow("20 characters, shortened")
        << QStringLiteral("abcdefghijklmnop.jpg") << QStringLiteral("abcdef...klmnop.jpg");
}

void TestPictureList::cellTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, bottom);
    Desktop d;
    SearchFixture fixture = SearchFixture::of(2);
    fixture.names = {name, QStringLiteral("gone.jpg")};
    fixture.missingLast = true;
    QVERIFY(d.openSearch(fixture));
    const QModelIndex cell = d.model()->index(0, 0);
    QCOMPARE(cell.data(PictureListModel::BottomTextRole).toString(), bottom);
    QCOMPARE(cell.data(PictureListModel::InfoTextRole).toString(), QStringLiteral("40x30x24b"));
    // A file that is gone keeps its row, with a placeholder cell.
    const QModelIndex gone = d.model()->index(1, 0);
    QCOMPARE(gone.data(PictureListModel::InfoTextRole).toString(), QStringLiteral("0 x0 b"));
    QVERIFY(!gone.data(PictureListModel::RecognisedRole).toBool());
    // The visible cell's picture arrives from the decoding threads.
    QSignalSpy loaded(d.list()->loader(), &ThumbnailLoader::loaded);
    d.list()->grid()->viewport()->repaint();
    QTRY_VERIFY(loaded.contains(QVariantList{cell.data(PictureListModel::PathRole)}));
}

void TestPictureList::closeIsRefused()
{
    Desktop d;
    QVERIFY(d.open());
    QVERIFY(!d.list()->close());
    QCOMPARE(d.boxes.texts(), QStringList{QStringLiteral("You can not close this window!")});
    QVERIFY(d.list()->isVisible());
}

void TestPictureList::savedPictureShowsOnLastPage_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("lastPageRows");
    QTest::addColumn<int>("displays");
    // The new row is selected as the search's own choice: its picture is on show already.
    QTest::newRow("the new row opens page 2") << 30 << 1 << 0;
    // The jump to the last page selects its first row, which is shown.
    QTest::newRow("page 1 on show, page 2 grows") << 45 << 16 << 1;
}

void TestPictureList::savedPictureShowsOnLastPage()
{
    QFETCH(int, rows);
    QFETCH(int, lastPageRows);
    QFETCH(int, displays);
    Desktop d;
    QVERIFY(d.openSearch(SearchFixture::of(rows)));
    QTest::qWait(20);
    QCOMPARE(d.list()->currentPage(), 1);
    // As the crawl saves one more picture: its row first, then the views.
    PictureRow row;
    row.PictureName = QStringLiteral("new.jpg");
    row.DiskDirectory = d.pictures;
    QVERIFY(d.form->search()->database().appendPicture(row, QStringLiteral("link-new")));
    QSignalSpy requests(d.list(), &TlistviewForm::displayRequested);
    d.form->pictureSaved(row, rows + 1);
    QCOMPARE(d.list()->pageCount(), 2);
    QCOMPARE(d.list()->currentPage(), 2);
    QVERIFY(d.inList<QWidget>("Panel1")->isVisible());
    QCOMPARE(d.model()->rowCount(), lastPageRows);
    QCOMPARE(d.pageNames().last(), QStringLiteral("new.jpg"));
    // The newest row is selected at the tracking's pace.
    QTRY_COMPARE(d.list()->selectedIndex(), 0);
    QTest::qWait(20);
    QCOMPARE(requests.size(), displays);
}

void TestPictureList::userSelectionShowsPicture()
{
    Desktop d;
    QVERIFY(d.openSearch(SearchFixture::of(31)));
    d.form->showList();
    QTest::qWait(20);
    QSignalSpy displays(d.list(), &TlistviewForm::displayRequested);
    PictureDetailView *view = d.list()->listView();
    const QRect row3 = view->visualRect(d.model()->index(3, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row3.center());
    QCOMPARE(d.list()->selectedIndex(), 3);
    // Once, for the row finally selected, after the old row's unselection.
    QTRY_COMPARE(displays.size(), 1);
    QCOMPARE(displays.first().first().toString(), d.model()->pictureRow(3).path());
    QCOMPARE(d.form->activePane(), TForm1::Pane::PictureList);
    // Not a thumbnails search: Delete on, the tick commands off.
    QVERIFY(d.action("Delete1")->isEnabled());
    QVERIFY(!d.action("Select1")->isEnabled());
    QVERIFY(!d.action("Selectallthumbnails1")->isEnabled());
    // The grid shows the same selection.
    d.form->showThumbs();
    QVERIFY(d.list()->grid()->selectionModel()->isRowSelected(3, {}));
    QCOMPARE(d.list()->selectedIndex(), 3);
}

void TestPictureList::liveSearchFillsGrid_data()
{
    QTest::addColumn<bool>("track");
    QTest::newRow("tracking the latest picture") << true;
    QTest::newRow("not tracking") << false;
}

void TestPictureList::liveSearchFillsGrid()
{
    QFETCH(bool, track);
    Desktop d;
    QVERIFY(d.open());
    d.action("Trackthelatestpicture1")->setChecked(track);
    QSignalSpy displays(d.list(), &TlistviewForm::displayRequested);
    auto *combo = d.form->addressBox();
    combo->setEditText(m_depth.start);
    d.form->getAnyPicture();
    QVERIFY(QTest::qWaitFor([&d] { return !d.form->engine()->isRunning(); }, RunTimeout));

    const int saved = d.form->search()->database().TinyTableV1.recordCount();
    QVERIFY(saved > 0);
    const int pages = (saved - 1) / 30 + 1;
    QCOMPARE(d.list()->pageCount(), pages);
    QCOMPARE(d.model()->rowCount(), saved - (pages - 1) * 30);
    QCOMPARE(d.list()->pagePicturePaths().size(), d.model()->rowCount());
    for (const QString &path : d.list()->pagePicturePaths())
        QVERIFY2(QFile::exists(path), qPrintable(path));
    QCOMPARE(d.list()->selectedIndex(), track ? d.model()->rowCount() - 1 : -1);
    // The search's own selections never reload the picture.
    QCOMPARE(displays.size(), 0);
}

QTEST_MAIN(TestPictureList)
#include "tst_picturelist.moc"
