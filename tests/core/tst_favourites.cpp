#include "sites/favouritestore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), data.size());
}

} // namespace

class TestFavourites : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void saving();
    void savingReplacesWithoutAsking();
    void readRule_data();
    void readRule();
    void listing();
    void newFolder_data();
    void newFolder();
    void namesStayInside_data();
    void namesStayInside();
    void rootIsKept();
    void moveChecks_data();
    void moveChecks();
    void moveIntoCurrentParentDoesNothing();
    void realMoveKeepsFiles();
    void deleting();

private:
    QString path(const QString &relative) const { return m_dir->path() + QLatin1Char('/') + relative; }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFavourites::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestFavourites::saving()
{
    FavouriteStore store(m_dir->path());
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("Art/Old")));
    const FavouriteResult r =
        store.saveFavourite(QStringLiteral("Art/Old"), QStringLiteral("a:b?c\\d/e*f<g>h|i\"j"),
                            QStringLiteral("http://example.com/x?y=1"));
    QVERIFY(r.ok);
    QCOMPARE(r.value, QStringLiteral("a-b-c-d-e-f-g-h-i-j"));
    QCOMPARE(readAll(path(QStringLiteral("Art/Old/a-b-c-d-e-f-g-h-i-j.url"))),
             QByteArray("[InternetShortcut]\r\nURL=http://example.com/x?y=1\r\n"));
    QCOMPARE(store.favourites(QStringLiteral("Art/Old")), QStringList{r.value});
    const FavouriteResult back = store.readFavourite(QStringLiteral("Art/Old"), r.value);
    QVERIFY(back.ok);
    QCOMPARE(back.value, QStringLiteral("http://example.com/x?y=1"));
}

void TestFavourites::savingReplacesWithoutAsking()
{
    FavouriteStore store(m_dir->path());
    QVERIFY(store.saveFavourite({}, QStringLiteral("Cats"), QStringLiteral("http://a.example/")).ok);
    QVERIFY(store.saveFavourite({}, QStringLiteral("Cats"), QStringLiteral("http://b.example/")).ok);
    QCOMPARE(readAll(path(QStringLiteral("Cats.url"))),
             QByteArray("[InternetShortcut]\r\nURL=http://b.example/\r\n"));
    QCOMPARE(store.favourites({}), QStringList{QStringLiteral("Cats")});
}

void TestFavourites::readRule_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("address");

    QTest::newRow("no URL line") << QByteArray("[InternetShortcut]\r\nurl=http://x/\r\n") << QString();
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("first of two") << QByteArray("[InternetShortcut]\r\nURL=http://a/\r\nURL=http://b/\r\n")
                                  << QStringLiteral("http://a/");
    // The line is cut at its fifth character wherever "URL" was found in it.
    QTest::newRow("mid-line") << QByteArray("[X]\r\nBaseURL=http://c/\r\n")
                              << QStringLiteral("URL=http://c/");
    QTest::newRow("LF only") << QByteArray("[InternetShortcut]\nURL=http://d/\n")
                             << QStringLiteral("http://d/");
    QTest::newRow("no line end") << QByteArray("URL=http://e/") << QStringLiteral("http://e/");
}

void TestFavourites::readRule()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, address);
    writeAll(path(QStringLiteral("f.url")), contents);
    const FavouriteResult r = FavouriteStore(m_dir->path()).readFavourite({}, QStringLiteral("f"));
    QVERIFY(r.ok);
    QCOMPARE(r.value, address);
}

void TestFavourites::listing()
{
    QDir root(m_dir->path());
    QVERIFY(root.mkdir(QStringLiteral("v1.2")));
    QVERIFY(root.mkdir(QStringLiteral("Plain")));
    QVERIFY(root.mkdir(QStringLiteral("x.url")));
    writeAll(path(QStringLiteral("README")), "not a folder");
    writeAll(path(QStringLiteral("Dogs.url")), "URL=http://dogs/");
    writeAll(path(QStringLiteral("notes.txt")), "URL=http://no/");
    writeAll(path(QStringLiteral("Upper.URL")), "URL=http://no/");

    FavouriteStore store(m_dir->path());
    QStringList folders = store.subFolders({});
    folders.sort();
    QCOMPARE(folders,
             (QStringList{QStringLiteral("Plain"), QStringLiteral("v1.2"), QStringLiteral("x.url")}));
    QCOMPARE(store.favourites({}), QStringList{QStringLiteral("Dogs")});
    QVERIFY(store.subFolders(QStringLiteral("v1.2")).isEmpty());
    QVERIFY(store.subFolders(QStringLiteral("Missing")).isEmpty());
}

void TestFavourites::newFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("message");

    const QString badName = QStringLiteral("Search name can not include char \\ / : * \" < > | .");
    QTest::newRow("new") << QStringLiteral("Fresh") << true << QString();
    QTest::newRow("dotted") << QStringLiteral("v2.0") << true << QString();
    QTest::newRow("existing") << QStringLiteral("Old") << false << QStringLiteral("Old has existed!");
    QTest::newRow("slash") << QStringLiteral("a/b") << false << badName;
    QTest::newRow("backslash") << QStringLiteral("a\\b") << false << badName;
    QTest::newRow("quote") << QStringLiteral("a\"b") << false << badName;
    QTest::newRow("question mark") << QStringLiteral("a?") << false << badName;
    QTest::newRow("dot dot") << QStringLiteral("..") << false
                             << QStringLiteral("A folder can not be named \"..\".");
    QTest::newRow("dot") << QStringLiteral(".") << false
                         << QStringLiteral("A folder can not be named \".\".");
}

void TestFavourites::newFolder()
{
    QFETCH(QString, name);
    QFETCH(bool, ok);
    QFETCH(QString, message);
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("Art/Old")));
    FavouriteStore store(m_dir->path());
    const QStringList before = store.subFolders(QStringLiteral("Art"));

    const FavouriteResult r = store.newFolder(QStringLiteral("Art"), name);
    QCOMPARE(r.ok, ok);
    QCOMPARE(r.message, message);
    if (ok) {
        QVERIFY(QFileInfo(path(QStringLiteral("Art/") + name)).isDir());
        QCOMPARE(store.subFolders(QStringLiteral("Art")).size(), before.size() + 1);
    } else {
        QCOMPARE(store.subFolders(QStringLiteral("Art")), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("Art")});
    }
}

void TestFavourites::namesStayInside_data()
{
    QTest::addColumn<QString>("folder");

    QTest::newRow("dot dot") << QStringLiteral("..");
    QTest::newRow("dot") << QStringLiteral(".");
    QTest::newRow("inner dot dot") << QStringLiteral("A/../..");
    QTest::newRow("absolute") << QStringLiteral("/tmp");
    QTest::newRow("trailing slash") << QStringLiteral("A/");
    QTest::newRow("backslash") << QStringLiteral("A\\B");
    QTest::newRow("link out") << QStringLiteral("Out");
    QTest::newRow("link to root") << QStringLiteral("Loop");
}

void TestFavourites::namesStayInside()
{
    QFETCH(QString, folder);
    QTemporaryDir outside;
    QVERIFY(outside.isValid());
    writeAll(outside.path() + QStringLiteral("/keep.url"), "URL=http://keep/");
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("A/B")));
    QVERIFY(QFile::link(outside.path(), path(QStringLiteral("Out"))));
    QVERIFY(QFile::link(m_dir->path(), path(QStringLiteral("Loop"))));
    writeAll(path(QStringLiteral("A/B/mine.url")), "URL=http://mine/");

    FavouriteStore store(m_dir->path());
    QVERIFY(store.folderPath(folder).isEmpty());
    QVERIFY(!store.saveFavourite(folder, QStringLiteral("x"), QStringLiteral("http://x/")).ok);
    QVERIFY(!store.newFolder(folder, QStringLiteral("N")).ok);
    QVERIFY(!store.deleteFolder(folder).ok);
    QVERIFY(!store.moveFolder(folder, QStringLiteral("A")).ok);
    QVERIFY(!store.moveFolder(QStringLiteral("A/B"), folder).ok);
    QVERIFY(!store.deleteFavourite(folder, QStringLiteral("keep")).ok);
    QVERIFY(!store.readFavourite(folder, QStringLiteral("keep")).ok);
    QVERIFY(!store.deleteFavourite(QStringLiteral("A"), QStringLiteral("../../Out/keep")).ok);

    QVERIFY(QFile::exists(outside.path() + QStringLiteral("/keep.url")));
    QVERIFY(QFile::exists(path(QStringLiteral("A/B/mine.url"))));
    QCOMPARE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("keep.url")});
}

void TestFavourites::rootIsKept()
{
    writeAll(path(QStringLiteral("top.url")), "URL=http://top/");
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("A")));
    FavouriteStore store(m_dir->path());

    const FavouriteResult moved = store.moveFolder({}, QStringLiteral("A"));
    QVERIFY(!moved.ok);
    QVERIFY(!moved.message.isEmpty());
    const FavouriteResult deleted = store.deleteFolder({});
    QVERIFY(!deleted.ok);
    QVERIFY(!deleted.message.isEmpty());
    QVERIFY(QFile::exists(path(QStringLiteral("top.url"))));
    QVERIFY(QFileInfo(path(QStringLiteral("A"))).isDir());
}

void TestFavourites::moveChecks_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("message");

    const QString sub = QStringLiteral("Can not copy a sub diretory to its parent directory!");
    QTest::newRow("into own sub-folder") << QStringLiteral("A") << QStringLiteral("A/B") << sub;
    QTest::newRow("into deeper sub-folder") << QStringLiteral("A") << QStringLiteral("A/B/C") << sub;
    // The program's test is on the text of the paths, so a sibling whose path
    // starts with the source's path is refused the same way.
    QTest::newRow("into sibling AB") << QStringLiteral("A") << QStringLiteral("AB") << sub;
    QTest::newRow("onto itself") << QStringLiteral("A") << QStringLiteral("A")
                                 << QStringLiteral("%1/A are same!");
}

void TestFavourites::moveChecks()
{
    QFETCH(QString, source);
    QFETCH(QString, destination);
    QFETCH(QString, message);
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("A/B/C")));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("AB")));
    writeAll(path(QStringLiteral("A/a.url")), "URL=http://a/");

    FavouriteStore store(m_dir->path());
    const FavouriteResult r = store.moveFolder(source, destination);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, message.contains(QLatin1String("%1")) ? message.arg(store.root()) : message);
    QVERIFY(QFile::exists(path(QStringLiteral("A/a.url"))));
    QVERIFY(QFileInfo(path(QStringLiteral("A/B/C"))).isDir());
    QVERIFY(store.subFolders(QStringLiteral("AB")).isEmpty());
}

void TestFavourites::moveIntoCurrentParentDoesNothing()
{
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("P/A")));
    writeAll(path(QStringLiteral("P/A/a.url")), "URL=http://a/");
    FavouriteStore store(m_dir->path());

    const FavouriteResult r = store.moveFolder(QStringLiteral("P/A"), QStringLiteral("P"));
    QVERIFY(r.ok);
    QVERIFY(r.message.isEmpty());
    QCOMPARE(store.subFolders(QStringLiteral("P")), QStringList{QStringLiteral("A")});
    QVERIFY(QFile::exists(path(QStringLiteral("P/A/a.url"))));
}

void TestFavourites::realMoveKeepsFiles()
{
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("A/Inner")));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Z")));
    writeAll(path(QStringLiteral("A/a.url")), "[InternetShortcut]\r\nURL=http://a/\r\n");
    writeAll(path(QStringLiteral("A/Inner/b.url")), "[InternetShortcut]\r\nURL=http://b/\r\n");
    FavouriteStore store(m_dir->path());

    const FavouriteResult r = store.moveFolder(QStringLiteral("A"), QStringLiteral("Z"));
    QVERIFY(r.ok);
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("A"))));
    QCOMPARE(store.favourites(QStringLiteral("Z/A")), QStringList{QStringLiteral("a")});
    QCOMPARE(store.readFavourite(QStringLiteral("Z/A/Inner"), QStringLiteral("b")).value,
             QStringLiteral("http://b/"));

    // Moving back up to the root works as well; a name taken there is refused.
    QVERIFY(store.moveFolder(QStringLiteral("Z/A"), {}).ok);
    QVERIFY(QFile::exists(path(QStringLiteral("A/Inner/b.url"))));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("Z/A")));
    const FavouriteResult taken = store.moveFolder(QStringLiteral("A"), QStringLiteral("Z"));
    QVERIFY(!taken.ok);
    QCOMPARE(taken.message, QStringLiteral("A has existed!"));
    QVERIFY(QFile::exists(path(QStringLiteral("A/a.url"))));
}

void TestFavourites::deleting()
{
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("A/B")));
    writeAll(path(QStringLiteral("A/B/b.url")), "URL=http://b/");
    writeAll(path(QStringLiteral("A/a.url")), "URL=http://a/");
    writeAll(path(QStringLiteral("A/keep.url")), "URL=http://keep/");
    FavouriteStore store(m_dir->path());

    QVERIFY(store.deleteFavourite(QStringLiteral("A"), QStringLiteral("a")).ok);
    QCOMPARE(store.favourites(QStringLiteral("A")), QStringList{QStringLiteral("keep")});
    QVERIFY(!store.deleteFavourite(QStringLiteral("A"), QStringLiteral("a")).ok);
    QVERIFY(store.deleteFolder(QStringLiteral("A/B")).ok);
    QVERIFY(store.subFolders(QStringLiteral("A")).isEmpty());
    QVERIFY(QFile::exists(path(QStringLiteral("A/keep.url"))));
}

QTEST_GUILESS_MAIN(TestFavourites)
#include "tst_favourites.moc"
