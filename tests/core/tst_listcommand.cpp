#include "platform/settingsstore.h"
#include "settings/textrules.h"
#include "store/historyfile.h"
#include "store/searchdatabase.h"
#include "store/searchinformation.h"
#include "store/searchlock.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestListCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstStartBuildsFoldersAndSettings()
    {
        TestEnv env;
        const TestEnv::Result r = env.run({QStringLiteral("list")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.isEmpty());
        for (const char *folder : {"mysearch", "sites", "Favorites", "Pictures"})
            QVERIFY2(QFileInfo(env.workingFolder() + u'/' + QLatin1String(folder)).isDir(), folder);
        SettingsStore store;
        QCOMPARE(plainFromStorage(store.value(QStringLiteral("more"))), QStringLiteral("0|||0|||||0|0|"));
        QCOMPARE(store.value(QStringLiteral("searchhisnum")), QStringLiteral("18"));
    }

    void listsSearchesWithTheirCounters()
    {
        TestEnv env;
        QDir().mkpath(env.searchFolder());
        SearchInformation info;
        info.pagesPending = 3;
        info.picturesPending = 12;
        info.picturesSaved = 5;
        info.picturesFailed = 2;
        {
            SearchDatabase db;
            QVERIFY(db.create(env.searchFolder() + QStringLiteral("Gallery.dat")));
            QVERIFY(db.writeSearchInformation(info.toText()));
        }
        QVERIFY(saveHistoryFile(env.searchFolder() + QStringLiteral("his.dat"),
                                {{stateIcon(0, StateFinished), QStringLiteral("Gallery")},
                                 {stateIcon(1, StateStopped), QStringLiteral("Thumbs")},
                                 {stateIcon(2, StateRunning), QStringLiteral("Big")},
                                 {stateIcon(0, StateRunning), QStringLiteral("Cut")}}));
        // "Big" is run by a living process (this one holds its lock); "Cut"
        // says running, but its program died: it is stopped.
        SearchLock lock;
        QVERIFY(lock.take(env.searchFolder(), QStringLiteral("Big"), nullptr));
        const TestEnv::Result r = env.run({QStringLiteral("list")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QString::fromUtf8(r.out), QStringLiteral("Gallery\tany\tfinished\t3:12->5:2\n"
                                                          "Thumbs\tthumbnails\tstopped\t0:0->0:0\n"
                                                          "Big\tbig\trunning\t0:0->0:0\n"
                                                          "Cut\tany\tstopped\t0:0->0:0\n"));
    }

    void badUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown command") << QStringList{"frobnicate"};
        QTest::newRow("list with argument") << QStringList{"list", "x"};
        QTest::newRow("get without address") << QStringList{"get"};
        QTest::newRow("get with unknown option") << QStringList{"get", "--bogus", "http://127.0.0.1:1/"};
        QTest::newRow("get with bad threads") << QStringList{"get", "--threads", "9", "http://127.0.0.1:1/"};
        QTest::newRow("tick with bad row") << QStringList{"tick", "x", "zero"};
    }
    void badUsage()
    {
        QFETCH(QStringList, args);
        TestEnv env;
        const TestEnv::Result r = env.run(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains("Usage:"));
    }

    void brelmarkIsAFile()
    {
        TestEnv env;
        QFile file(env.dataHome() + QStringLiteral("/Brelmark"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const TestEnv::Result r = env.run({QStringLiteral("list")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromUtf8(r.err).trimmed(),
                 QStringLiteral("Cannot create ") + env.dataHome() + QStringLiteral("/Brelmark"));
    }
};

QTEST_GUILESS_MAIN(TestListCommand)
#include "tst_listcommand.moc"
