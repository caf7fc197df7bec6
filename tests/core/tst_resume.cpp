#include "crawl/urlinfo.h"
#include "store/searchinformation.h"
#include "support/crawlharness.h"
#include "support/httptestserver.h"
#include "support/testimages.h"
#include "support/testsite.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <csignal>
#include <sqlite3.h>

namespace {

// name -> content hash of every file in a folder.
QMap<QString, QByteArray> filesOf(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files)) {
        QFile f(info.filePath());
        f.open(QIODevice::ReadOnly);
        files.insert(info.fileName(), QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1));
    }
    return files;
}

QStringList pictureRows(const QString &dbPath)
{
    SearchDatabase db;
    if (!db.open(dbPath))
        return {QStringLiteral("cannot open")};
    QStringList rows;
    for (bool ok = db.TinyTableV1.first(); ok; ok = db.TinyTableV1.next()) {
        const PictureRow r = PictureRow::fromTable(db.TinyTableV1);
        rows << r.WebDirectory + r.OriginalName + u' ' + r.PictureName + u' ' + QString::number(r.Size);
    }
    rows.sort();
    return rows;
}

QString integrity(const QString &dbPath)
{
    sqlite3 *db = nullptr;
    QString result;
    if (sqlite3_open_v2(QFile::encodeName(dbPath).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
        if (st && sqlite3_step(st) == SQLITE_ROW)
            result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return result;
}

// The one search in the history of an environment.
QString onlySearch(const TestEnv &env)
{
    const QStringList lines =
        QString::fromUtf8(env.run({QStringLiteral("list")}).out).split(u'\n', Qt::SkipEmptyParts);
    return lines.size() == 1 ? lines.first().section(u'\t', 0, 0) : QString();
}

} // namespace

class TestResume : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        TestSite site(m_server);
        m_big = site.buildBigSite(QStringLiteral("/big"), 4, 24);
        m_thumbs = site.buildThumbnailGallery();
    }

    void stopPutsRunningWorkBack()
    {
        m_server.setResponseDelay(150);
        CrawlHarness h;
        h.settings.thread_num = 4;
        h.settings.size1 = 10000;
        QSignalSpy finished(h.engine.get(), &CrawlEngine::finished);
        QVERIFY(h.engine->getAnyPicture(m_big.start));
        // Wait until the start page's links are queued and four pictures are on their way.
        SearchDatabase &db = h.engine->database();
        QTRY_VERIFY_WITH_TIMEOUT(
            db.isOpen() && db.TinyTableR.recordCount() == 4 && db.TinyTable7.recordCount() > 0, 20000);
        const int queuedBefore = db.TinyTable7.recordCount() + db.TinyTable1.recordCount();
        const int runningBefore = db.TinyTableR.recordCount();
        QCOMPARE(runningBefore, 4);
        const RunCounters before = h.engine->counters();
        h.engine->stop();
        m_server.setResponseDelay(0);
        QCOMPARE(finished.size(), 1);
        QVERIFY(h.host.lastStopped);
        QCOMPARE(db.TinyTable7.recordCount() + db.TinyTable1.recordCount(), queuedBefore + 4);
        QCOMPARE(db.TinyTableR.recordCount(), 0);
        QCOMPARE(h.engine->counters().picturesPending, before.picturesPending);
        QVERIFY(h.host.group(CommandGroup::Continue));
        QCOMPARE(h.history.entry(h.history.selected()).icon, stateIcon(0, StateStopped));

        // Continue hands out the rest and completes the search.
        QVERIFY(h.run([&]() { return h.engine->continueRun(); }));
        QVERIFY(!h.host.lastStopped);
        QStringList expected = m_big.thumbnails + m_big.bigPictures;
        expected.sort();
        QCOMPARE(h.savedAddresses(), expected);
        QCOMPARE(h.engine->counters().picturesPending, 0);
        QCOMPARE(h.history.entry(h.history.selected()).icon, stateIcon(0, StateFinished));
    }

    void continueWithNothingLeftFinishes()
    {
        CrawlHarness h;
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(m_thumbs.start); }));
        const int saved = h.engine->counters().picturesSaved;
        QVERIFY(h.run([&]() { return h.engine->continueRun(); }, 5000));
        QCOMPARE(h.engine->counters().picturesSaved, saved);
        QVERIFY(!h.engine->isRunning());
    }

    void bigPicturePass_data()
    {
        QTest::addColumn<int>("extendedLevel");
        QTest::newRow("pages not followed") << 0;
        QTest::newRow("pages followed") << 1;
    }
    void bigPicturePass()
    {
        QFETCH(int, extendedLevel);
        CrawlHarness h;
        h.settings.extendedlevel = extendedLevel;
        QVERIFY(h.run([&]() { return h.engine->getThumbnails(m_thumbs.start); }));
        SearchDatabase &db = h.engine->database();

        // Nothing ticked: refused, nothing changes.
        const int rows = db.TinyTableV1.recordCount();
        QVERIFY(!h.engine->getBigPictures(h.engine->startAddress()));
        QCOMPARE(h.host.warnings,
                 QStringList{"Must select the thumbnails for downloading big size pictures."});
        QCOMPARE(db.TinyTableV1.recordCount(), rows);

        // Tick every thumbnail whose link leads somewhere; remember where.
        QStringList expected;
        QHash<QString, QPair<QByteArray, QString>> thumbFiles; // path -> bytes, address
        bool link = db.TinyTable2.first();
        for (bool ok = db.TinyTableV1.first(); ok && link;
             ok = db.TinyTableV1.next(), link = db.TinyTable2.next()) {
            const PictureRow row = PictureRow::fromTable(db.TinyTableV1);
            QFile thumb(row.path());
            QVERIFY(thumb.open(QIODevice::ReadOnly));
            thumbFiles.insert(row.path(), {thumb.readAll(), row.WebDirectory + row.OriginalName});
            for (const auto &e : m_thumbs.entries) {
                if (e.thumbnail.url != row.WebDirectory + row.OriginalName)
                    continue;
                QVERIFY(db.TinyTableV1.setField(QStringLiteral("Checked"), 1));
                if (e.viaPage.isEmpty() || extendedLevel > 0)
                    expected << e.big.url;
            }
        }
        expected.sort();
        QVERIFY(h.run([&]() { return h.engine->getBigPictures(h.engine->startAddress()); }));
        QCOMPARE(h.engine->mode(), int(CrawlEngine::ModeBig));
        QStringList saved = h.savedAddresses();
        if (extendedLevel > 0) {
            // Pages behind thumbnails are scanned: their own pictures come too; the big ones must be there.
            for (const QString &big : expected)
                QVERIFY2(saved.contains(big), qPrintable(big));
        } else {
            QCOMPARE(saved, expected);
        }
        // The thumbnails' files are gone. A file of that name now holds another
        // picture, or the same thumbnail fetched again from a page behind it,
        // which then has a row of its own.
        QSet<QString> refetched;
        for (bool ok = db.TinyTableV1.first(); ok; ok = db.TinyTableV1.next()) {
            const PictureRow row = PictureRow::fromTable(db.TinyTableV1);
            refetched.insert(row.path() + u' ' + row.WebDirectory + row.OriginalName);
        }
        for (auto it = thumbFiles.cbegin(); it != thumbFiles.cend(); ++it) {
            QFile file(it.key());
            if (file.open(QIODevice::ReadOnly) && file.readAll() == it.value().first)
                QVERIFY2(refetched.contains(it.key() + u' ' + it.value().second), qPrintable(it.key()));
        }
        QCOMPARE(h.history.entry(h.history.selected()).icon, stateIcon(2, StateFinished));
        const SearchInformation info = SearchInformation::fromText(db.readSearchInformation());
        QCOMPARE(info.searchMode, 2);
    }

    void bigPicturePassMendsLostScheme()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        const QString big = server.url(QStringLiteral("/big.jpg"));
        HttpTestServer::Response page;
        // The markup lost the "h" of the link's scheme.
        page.body = "<title>T</title><a href=\"" + big.mid(1).toUtf8() + "\"><img src=\"thumb.jpg\"></a>";
        server.setRoute(QStringLiteral("/index.html"), page);
        HttpTestServer::Response pic;
        pic.contentType = "image/jpeg";
        pic.body = TestImages::jpeg(40, 30, 1);
        server.setRoute(QStringLiteral("/thumb.jpg"), pic);
        pic.body = TestImages::jpegOfSize(30000, 2);
        server.setRoute(QStringLiteral("/big.jpg"), pic);
        CrawlHarness h;
        QVERIFY(h.run([&]() { return h.engine->getThumbnails(server.url(QStringLiteral("/index.html"))); }));
        SearchDatabase &db = h.engine->database();
        QVERIFY(db.TinyTableV1.first());
        QCOMPARE(urlinfo::fromText((db.TinyTable2.first(), db.TinyTable2.fieldText(QStringLiteral("UrlRef"))))
                     .address,
                 big.mid(1));
        QVERIFY(db.TinyTableV1.setField(QStringLiteral("Checked"), 1));
        QVERIFY(h.run([&]() { return h.engine->getBigPictures(h.engine->startAddress()); }));
        QCOMPARE(h.savedAddresses(), QStringList{big});
    }

    void interruptWithCtrlC()
    {
        TestEnv env;
        m_server.setResponseDelay(200);
        QProcess get;
        get.setProcessEnvironment(env.environment());
        m_server.clearLog();
        get.start(QStringLiteral(SNAPDREDGE_BINARY),
                  {QStringLiteral("get"), QStringLiteral("--threads"), QStringLiteral("4"),
                   QStringLiteral("--max-size"), QStringLiteral("10000"), QStringLiteral("--original-names"),
                   m_big.start});
        QVERIFY(get.waitForStarted());
        // The start page, then four pictures in flight.
        QTRY_VERIFY_WITH_TIMEOUT(m_server.requests().size() >= 5, 20000);
        ::kill(pid_t(get.processId()), SIGINT);
        QVERIFY(get.waitForFinished(20000));
        m_server.setResponseDelay(0);
        QCOMPARE(get.exitCode(), 130);
        const QString name = onlySearch(env);
        QVERIFY(!name.isEmpty());
        QVERIFY(
            QString::fromUtf8(env.run({QStringLiteral("list")}).out).contains(QStringLiteral("\tstopped\t")));

        const TestEnv::Result resumed = env.run({QStringLiteral("continue"), name});
        QCOMPARE(resumed.exitCode, 0);
        QVERIFY(QString::fromUtf8(env.run({QStringLiteral("list")}).out)
                    .contains(QStringLiteral("\tfinished\t")));
        QCOMPARE(pictureRows(env.searchFolder() + name + QStringLiteral(".dat")).size(),
                 m_big.thumbnails.size() + m_big.bigPictures.size());
    }

    void killedRunsContinueToTheSameResult()
    {
        const QStringList args = {QStringLiteral("get"),
                                  QStringLiteral("--threads"),
                                  QStringLiteral("3"),
                                  QStringLiteral("--max-size"),
                                  QStringLiteral("10000"),
                                  QStringLiteral("--original-names"),
                                  m_big.start};
        // The run as it goes without interruption.
        TestEnv whole;
        QCOMPARE(whole.run(args).exitCode, 0);
        const QString wholeName = onlySearch(whole);
        const QStringList expectedRows =
            pictureRows(whole.searchFolder() + wholeName + QStringLiteral(".dat"));
        const QMap<QString, QByteArray> expectedFiles =
            filesOf(whole.workingFolder() + QStringLiteral("/Pictures/mypic"));
        QCOMPARE(expectedRows.size(), m_big.thumbnails.size() + m_big.bigPictures.size());

        // The same run killed at several points, each time continued.
        TestEnv env;
        m_server.setResponseDelay(15);
        int killed = 0;
        for (const int afterRequests : {1, 5, 12, 20, 30}) {
            QProcess p;
            p.setProcessEnvironment(env.environment());
            m_server.clearLog();
            const QString name = onlySearch(env);
            p.start(QStringLiteral(SNAPDREDGE_BINARY),
                    name.isEmpty() ? args : QStringList{QStringLiteral("continue"), name});
            QVERIFY(p.waitForStarted());
            QElapsedTimer t;
            t.start();
            while (m_server.requests().size() < afterRequests && p.state() == QProcess::Running &&
                   t.elapsed() < 20000)
                QTest::qWait(2);
            if (p.state() == QProcess::Running) {
                ::kill(pid_t(p.processId()), SIGKILL);
                ++killed;
            }
            p.waitForFinished(20000);
        }
        m_server.setResponseDelay(0);
        QVERIFY(killed >= 3);
        const QString name = onlySearch(env);
        QCOMPARE(env.run({QStringLiteral("continue"), name}).exitCode, 0);
        const QString db = env.searchFolder() + name + QStringLiteral(".dat");
        QCOMPARE(integrity(db), QStringLiteral("ok"));
        QCOMPARE(pictureRows(db), expectedRows);
        QCOMPARE(filesOf(env.workingFolder() + QStringLiteral("/Pictures/mypic")), expectedFiles);
    }

    void fullDiskStopsAndContinues()
    {
        if (::geteuid() != 0)
            QSKIP("mounting a small file system needs root");
        TestEnv env;
        const QString folder = env.workingFolder() + QStringLiteral("/Pictures/mypic");
        QVERIFY(QDir().mkpath(folder));
        QProcess mount;
        mount.start(QStringLiteral("mount"),
                    {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                     QStringLiteral("size=600k"), QStringLiteral("tmpfs"), folder});
        if (!mount.waitForFinished() || mount.exitCode() != 0)
            QSKIP("cannot mount a small file system here");
        const auto unmount = qScopeGuard([&]() { QProcess::execute(QStringLiteral("umount"), {folder}); });

        const TestEnv::Result full = env.run(
            {QStringLiteral("get"), QStringLiteral("--max-size"), QStringLiteral("10000"), m_big.start});
        QCOMPARE(full.exitCode, 1);
        QVERIFY2(full.err.contains("The disk is full"), full.err.constData());
        const QString name = onlySearch(env);
        QVERIFY(
            QString::fromUtf8(env.run({QStringLiteral("list")}).out).contains(QStringLiteral("\tstopped\t")));

        // Space comes back: move the saved pictures away, continue.
        const QString elsewhere = env.root() + QStringLiteral("/saved");
        QDir().mkpath(elsewhere);
        for (const QString &file : QDir(folder).entryList(QDir::Files))
            QFile::rename(folder + u'/' + file, elsewhere + u'/' + file);
        QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-o"), QStringLiteral("remount,size=64m"), folder});
        const TestEnv::Result resumed = env.run({QStringLiteral("continue"), name});
        QCOMPARE(resumed.exitCode, 0);
        QVERIFY(QString::fromUtf8(env.run({QStringLiteral("list")}).out)
                    .contains(QStringLiteral("\tfinished\t")));
    }

private:
    HttpTestServer m_server;
    TestSite::BigSite m_big;
    TestSite::ThumbnailGallery m_thumbs;
};

QTEST_GUILESS_MAIN(TestResume)
#include "tst_resume.moc"
