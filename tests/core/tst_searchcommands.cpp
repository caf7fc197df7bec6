#include "platform/workingfolders.h"
#include "store/searchlock.h"
#include "support/httptestserver.h"
#include "support/testenv.h"
#include "support/testsite.h"

#include <QDir>
#include <QFile>
#include <QTest>

// The commands that work on a stored search: tick, big, delete.
class TestSearchCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        TestSite site(m_server);
        m_thumbs = site.buildThumbnailGallery();
    }

    void tickThenBigPictures()
    {
        TestEnv env;
        QCOMPARE(env.run({QStringLiteral("get"), QStringLiteral("--thumbnails"),
                          QStringLiteral("--original-names"), m_thumbs.start})
                     .exitCode,
                 0);
        const QString name = QString::fromUtf8(env.run({QStringLiteral("list")}).out).section(u'\t', 0, 0);
        QVERIFY(!name.isEmpty());
        const auto rows = [&]() {
            return QString::fromUtf8(env.run({QStringLiteral("show"), name}).out)
                .split(u'\n', Qt::SkipEmptyParts);
        };

        // Nothing ticked: refused, the thumbnails stay.
        const TestEnv::Result refused = env.run({QStringLiteral("big"), name});
        QCOMPARE(refused.exitCode, 2);
        QVERIFY(refused.err.contains("Must select the thumbnails for downloading big size pictures."));

        // Tick the rows of the first and the third thumbnail (of those linked straight to their picture).
        QStringList wanted;
        QStringList ticks;
        const QStringList before = rows();
        for (const QString &row : before) {
            const QStringList f = row.split(u'\t');
            for (const auto &e : m_thumbs.entries) {
                if (e.thumbnail.url == f.at(2) + f.at(1) && e.viaPage.isEmpty() && wanted.size() < 2) {
                    ticks << f.at(0);
                    wanted << e.big.url;
                }
            }
        }
        QCOMPARE(wanted.size(), 2);
        QCOMPARE(env.run(QStringList{QStringLiteral("tick"), name} + ticks).exitCode, 0);
        QCOMPARE(env.run({QStringLiteral("tick"), name, QStringLiteral("999")}).exitCode, 2);
        int ticked = 0;
        for (const QString &row : rows())
            ticked += row.endsWith(QStringLiteral("\t1"));
        QCOMPARE(ticked, 2);

        QCOMPARE(env.run({QStringLiteral("big"), name}).exitCode, 0);
        QStringList got;
        for (const QString &row : rows()) {
            const QStringList f = row.split(u'\t');
            got << f.at(2) + f.at(1);
        }
        got.sort();
        wanted.sort();
        QCOMPARE(got, wanted);
        QVERIFY(QString::fromUtf8(env.run({QStringLiteral("list")}).out)
                    .contains(QStringLiteral("\tbig\tfinished\t")));
    }

    void deleteWithAndWithoutPictures_data()
    {
        QTest::addColumn<bool>("keep");
        QTest::newRow("pictures deleted") << false;
        QTest::newRow("pictures kept") << true;
    }
    void deleteWithAndWithoutPictures()
    {
        QFETCH(bool, keep);
        TestEnv env;
        QCOMPARE(env.run({QStringLiteral("get"), m_thumbs.start}).exitCode, 0);
        const QString name = QString::fromUtf8(env.run({QStringLiteral("list")}).out).section(u'\t', 0, 0);
        const QString folder = env.workingFolder() + QStringLiteral("/Pictures/mypic");
        const int files = int(QDir(folder).entryList(QDir::Files).size());
        QVERIFY(files > 0);
        QStringList args{QStringLiteral("delete"), name};
        if (keep)
            args << QStringLiteral("--keep-pictures");
        QCOMPARE(env.run(args).exitCode, 0);
        QCOMPARE(QString::fromUtf8(env.run({QStringLiteral("list")}).out), QString());
        QVERIFY(!QFile::exists(env.searchFolder() + name + QStringLiteral(".dat")));
        QCOMPARE(int(QDir(folder).entryList(QDir::Files).size()), keep ? files : 0);
        QCOMPARE(env.run({QStringLiteral("delete"), name}).exitCode, 2);
    }

    // A search is run by one program at a time; a start whose database
    // cannot be made fails (exit 1) and says why.
    void heldSearchesAndFailedStarts()
    {
        TestEnv env;
        QCOMPARE(env.run({QStringLiteral("get"), QStringLiteral("--thumbnails"), m_thumbs.start}).exitCode,
                 0);
        const QString name = QString::fromUtf8(env.run({QStringLiteral("list")}).out).section(u'\t', 0, 0);
        // Looking at a search runs nothing, so there is no progress to print.
        const TestEnv::Result shown = env.run({QStringLiteral("show"), name});
        QCOMPARE(shown.exitCode, 0);
        QCOMPARE(shown.err, QByteArray());
        {
            SearchLock otherProgram;
            QVERIFY(otherProgram.take(env.searchFolder(), name, nullptr));
            const TestEnv::Result held = env.run({QStringLiteral("continue"), name});
            QCOMPARE(held.exitCode, 2);
            QVERIFY2(held.err.contains("being run by another program"), held.err.constData());
            QCOMPARE(env.run({QStringLiteral("delete"), name}).exitCode, 2);
            QVERIFY(QFile::exists(env.searchFolder() + name + QStringLiteral(".dat")));
        }
        QCOMPARE(env.run({QStringLiteral("continue"), name}).exitCode, 0);

        // Something that is no file stands where the new search's database must go.
        QVERIFY(QDir().mkpath(env.searchFolder() + QStringLiteral("None.dat")));
        const TestEnv::Result failed = env.run({QStringLiteral("get"), m_thumbs.start});
        QCOMPARE(failed.exitCode, 1);
        QVERIFY2(failed.err.contains("Cannot create"), failed.err.constData());
        QVERIFY(QFileInfo(env.searchFolder() + QStringLiteral("None.dat")).isDir());
    }

    void parentFolders_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("parent");
        QTest::newRow("program folder") << "/opt/apps/Snapdredge/"
                                        << "/opt/apps/";
        QTest::newRow("one level") << "/opt/"
                                   << "/";
        QTest::newRow("root") << "/"
                              << "";
        QTest::newRow("drive root") << "C:/"
                                    << "";
        QTest::newRow("no trailing slash") << "/opt/apps"
                                           << "";
    }
    void parentFolders()
    {
        QFETCH(QString, folder);
        QFETCH(QString, parent);
        QCOMPARE(parentFolder(folder), parent);
        QCOMPARE(programFolder(QStringLiteral("/opt/apps/Snapdredge/snapdredge")),
                 QStringLiteral("/opt/apps/Snapdredge/"));
    }

private:
    HttpTestServer m_server;
    TestSite::ThumbnailGallery m_thumbs;
};

QTEST_GUILESS_MAIN(TestSearchCommands)
#include "tst_searchcommands.moc"
