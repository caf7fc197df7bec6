#include "crawl/urlinfo.h"
#include "platform/httpcli.h"
#include "store/searchinformation.h"
#include "support/crawlharness.h"
#include "support/httptestserver.h"
#include "support/testimages.h"
#include "support/testsite.h"

#include "store/historyfile.h"
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTest>

class TestCrawl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        QVERIFY(m_server.startTls());
        TestSite site(m_server);
        m_depth = site.buildDepthSite();
        m_thumbs = site.buildThumbnailGallery();
        m_frames = site.buildFrameSite();
        m_bad = site.buildBadSite(QStringLiteral("/bad"), 1200);
    }

    void depthLimits_data()
    {
        QTest::addColumn<int>("maxLevel");
        QTest::newRow("1") << 1;
        QTest::newRow("2") << 2;
        QTest::newRow("3") << 3;
    }
    void depthLimits()
    {
        QFETCH(int, maxLevel);
        CrawlHarness h;
        h.settings.max_level = maxLevel;
        h.settings.thread_num = 3;
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(m_depth.start); }));
        QCOMPARE(h.savedAddresses(), m_depth.pictures(maxLevel));

        const RunCounters c = h.engine->counters();
        QCOMPARE(c.picturesSaved, int(m_depth.pictures(maxLevel).size()));
        QCOMPARE(c.picturesFailed, 0);
        QCOMPARE(c.picturesPending, 0);
        QCOMPARE(c.pagesPending, 0);
        QCOMPARE(h.host.counters, QStringLiteral("0:0->%1:0").arg(c.picturesSaved));

        // The search took the page title (its words joined) as its name; its database holds the run.
        QCOMPARE(h.engine->searchName(), QStringLiteral("GalleryHome"));
        QCOMPARE(h.history.count(), 1);
        QCOMPARE(h.history.entry(0),
                 (HistoryEntry{stateIcon(0, StateFinished), QStringLiteral("GalleryHome")}));
        QVERIFY(QFile::exists(h.folders.search + QStringLiteral("GalleryHome.dat")));
        QVERIFY(!QFile::exists(h.folders.search + QStringLiteral("None.dat")));
        SearchDatabase &db = h.engine->database();
        QCOMPARE(db.TinyTable1.recordCount(), 0);
        QCOMPARE(db.TinyTable7.recordCount(), 0);
        QCOMPARE(db.TinyTableR.recordCount(), 0);
        QCOMPARE(db.TinyTable2.recordCount(), db.TinyTableV1.recordCount());
        QStringList visited = h.column(db.TinyTable9, QStringLiteral("Url"));
        visited.removeDuplicates();
        QStringList expectedPages = m_depth.pageUrls(maxLevel);
        expectedPages.removeOne(m_depth.start); // the start page is not recorded as visited
        QStringList visitedPages = visited;
        visitedPages.removeOne(m_depth.start);
        QCOMPARE(visitedPages, expectedPages);
        const SearchInformation info = SearchInformation::fromText(db.readSearchInformation());
        QCOMPARE(info.picturesSaved, c.picturesSaved);
        QCOMPARE(info.startAddress, m_depth.start);
        QCOMPARE(info.name, QStringLiteral("GalleryHome"));

        // Every file is on disk as received, and every row names its own file.
        QSet<QString> files;
        for (bool ok = db.TinyTableV1.first(); ok; ok = db.TinyTableV1.next()) {
            const PictureRow row = PictureRow::fromTable(db.TinyTableV1);
            QVERIFY2(QFile::exists(row.path()), qPrintable(row.path()));
            QCOMPARE(QFileInfo(row.path()).size(), qint64(row.Size));
            QVERIFY(!files.contains(row.path()));
            files.insert(row.path());
            QCOMPARE(QImageReader(row.path()).size(), QSize(row.Width, row.Height));
        }
        QCOMPARE(h.host.statuses.last(), QStringLiteral("0 Finished"));
        QVERIFY(h.host.group(CommandGroup::Run));
        QVERIFY(!h.host.group(CommandGroup::Stop));
        QVERIFY(!h.host.group(CommandGroup::Continue));
        QVERIFY(!h.host.group(CommandGroup::BigPictures));
    }

    void thumbnailsRecordTheirLinks()
    {
        CrawlHarness h;
        h.settings.size = 7;
        h.settings.width = 30;
        QVERIFY(h.run([&]() { return h.engine->getThumbnails(m_thumbs.start); }));
        const QStringList saved =
            h.engine->database().TinyTableV1.recordCount() ? h.savedAddresses() : QStringList();
        for (const QString &thumb : m_thumbs.thumbnails())
            QVERIFY2(saved.contains(thumb), qPrintable(thumb));
        for (const QString &big : m_thumbs.bigPictures())
            QVERIFY2(!saved.contains(big), qPrintable(big));
        // Each thumbnail's link row leads to its big picture (or the page showing it).
        SearchDatabase &db = h.engine->database();
        QHash<QString, QString> links;
        bool link = db.TinyTable2.first();
        for (bool ok = db.TinyTableV1.first(); ok && link;
             ok = db.TinyTableV1.next(), link = db.TinyTable2.next()) {
            const PictureRow row = PictureRow::fromTable(db.TinyTableV1);
            links.insert(row.WebDirectory + row.OriginalName,
                         urlinfo::fromText(db.TinyTable2.fieldText(QStringLiteral("UrlRef"))).address);
            QVERIFY(row.Size <= 10 * 1024);
        }
        for (const auto &e : m_thumbs.entries)
            QCOMPARE(links.value(e.thumbnail.url), e.viaPage.isEmpty() ? e.big.url : e.viaPage);
        // The run's own limits are gone again; the big-picture pass is offered.
        QCOMPARE(h.settings.size, 7);
        QCOMPARE(h.settings.width, 30);
        QVERIFY(h.host.group(CommandGroup::BigPictures));
        QVERIFY(h.host.checkBoxes);
        QCOMPARE(h.history.entry(0).icon, stateIcon(1, StateFinished));
    }

    void framesAreFollowed()
    {
        CrawlHarness h;
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(m_frames.start); }));
        QCOMPARE(h.savedAddresses(), m_frames.pictures());
    }

    void misbehavingServers()
    {
        CrawlHarness h;
        h.settings.timeout = 20;
        h.settings.thread_num = 8;
        h.settings.save_mode = 0;
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(m_bad.start); }, 90000));
        QStringList expected = {m_bad.slowHeaders, m_bad.trickle, m_bad.noContentLength, m_bad.oddHeaders};
        for (const auto &r : m_bad.redirects) {
            if (r.hops <= 5)
                expected << r.start;
        }
        expected.sort();
        QCOMPARE(h.savedAddresses(), expected);
        const RunCounters c = h.engine->counters();
        QCOMPARE(c.picturesPending, 0);
        QCOMPARE(c.picturesSaved + c.picturesFailed, int(m_bad.links.size()));
        // Nothing that failed left a file behind.
        QDir folder(h.engine->pictureFolder());
        QCOMPARE(folder.entryList(QDir::Files).size(), expected.size());
        QCOMPARE(h.engine->database().TinyTableR.recordCount(), 0);
    }

    void silentServersTimeOut()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        HttpTestServer::Response page;
        page.body = "<title>Quiet</title><img src=\"silent.jpg\"><a href=\"silent.html\">more</a>";
        server.setRoute(QStringLiteral("/index.html"), page);
        HttpTestServer::Response silent;
        silent.contentType = "image/jpeg";
        silent.silentAfterHeaders = true;
        server.setRoute(QStringLiteral("/silent.jpg"), silent);
        silent.contentType = "text/html";
        server.setRoute(QStringLiteral("/silent.html"), silent);
        CrawlHarness h;
        h.settings.timeout = 2;
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(server.url(QStringLiteral("/index.html"))); }));
        const RunCounters c = h.engine->counters();
        // The picture counts as failed; the page only leaves the pages pending.
        QCOMPARE(c.picturesFailed, 1);
        QCOMPARE(c.picturesSaved, 0);
        QCOMPARE(c.pagesPending, 0);
        QCOMPARE(h.host.counters, QStringLiteral("0:0->0:1"));
    }

    void sameNameNeverOverwrites()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        HttpTestServer::Response page;
        page.body = "<title>Twins</title><img src=\"a/rose.jpg\"><img src=\"b/rose.jpg\">"
                    "<img src=\"e/anim.gif\"><a href=\"generated/\">a picture made on request</a>";
        server.setRoute(QStringLiteral("/index.html"), page);
        HttpTestServer::Response pic;
        pic.contentType = "image/jpeg";
        pic.body = TestImages::jpeg(64, 48, 1);
        server.setRoute(QStringLiteral("/a/rose.jpg"), pic);
        pic.body = TestImages::jpeg(64, 48, 2);
        server.setRoute(QStringLiteral("/b/rose.jpg"), pic);
        // An address without a file name that answers with a picture.
        server.setRoute(QStringLiteral("/generated/"), pic);
        pic.contentType = "image/gif";
        pic.body = TestImages::animatedGif(40, 30, 4);
        server.setRoute(QStringLiteral("/e/anim.gif"), pic);

        CrawlHarness h;
        h.settings.save_mode = 0;
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(server.url(QStringLiteral("/index.html"))); }));
        QCOMPARE(h.engine->counters().picturesSaved, 4);
        QStringList names = h.column(h.engine->database().TinyTableV1, QStringLiteral("PictureName"));
        names.sort();
        QCOMPARE(names, (QStringList{"anim.gif", "picture.jpg", "rose(2).jpg", "rose.jpg"}));
        // Bytes are written as received: the animation keeps both frames.
        QFile anim(h.engine->pictureFolder() + QStringLiteral("anim.gif"));
        QVERIFY(anim.open(QIODevice::ReadOnly));
        QCOMPARE(anim.readAll(), pic.body);
        QCOMPARE(QImageReader(h.engine->pictureFolder() + QStringLiteral("anim.gif")).imageCount(), 2);
    }

    void oddAddressesAreQueued()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        const QString longName = QString(1500, u'x') + QStringLiteral(".jpg");
        HttpTestServer::Response page;
        page.body = "<title>Odd</title><img src=\"it's,a.jpg\"><img src=\"" + longName.toUtf8() +
                    "\"><img src=\"my pic.jpg\"><a href=\"p&amp;q.jpg\">x</a>";
        server.setRoute(QStringLiteral("/index.html"), page);
        HttpTestServer::Response pic;
        pic.contentType = "image/jpeg";
        pic.body = TestImages::jpeg(64, 48, 5);
        for (const QString &p : {QStringLiteral("/it's,a.jpg"), u'/' + longName,
                                 QStringLiteral("/my pic.jpg"), QStringLiteral("/p&q.jpg")})
            server.setRoute(p, pic);
        CrawlHarness h;
        h.settings.save_mode = 0;
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(server.url(QStringLiteral("/index.html"))); }));
        QCOMPARE(h.engine->counters().picturesSaved, 4);
        QCOMPARE(h.engine->counters().picturesFailed, 0);
    }

    void sizeLimitsWithoutContentLength()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        HttpTestServer::Response page;
        page.body = "<title>Sizes</title><img src=\"small.jpg\"><img src=\"big.jpg\"><img src=\"huge.jpg\">";
        server.setRoute(QStringLiteral("/index.html"), page);
        HttpTestServer::Response pic;
        pic.contentType = "image/jpeg";
        pic.contentLength = false;
        pic.body = TestImages::jpegOfSize(3000, 7);
        server.setRoute(QStringLiteral("/small.jpg"), pic);
        pic.body = TestImages::jpegOfSize(40 * 1024, 8);
        server.setRoute(QStringLiteral("/big.jpg"), pic);
        pic.endless = true;
        server.setRoute(QStringLiteral("/huge.jpg"), pic);
        CrawlHarness h;
        h.settings.size1 = 200; // the endless one passes this without a Content-Length
        QVERIFY(h.run([&]() { return h.engine->getThumbnails(server.url(QStringLiteral("/index.html"))); }));
        // Thumbnails are at most 10 KB: the 40 KB picture and the endless one fail.
        QCOMPARE(h.savedAddresses(), QStringList{server.url(QStringLiteral("/small.jpg"))});
        QCOMPARE(h.engine->counters().picturesFailed, 2);
    }

    void withinTheWebComparesTheStart()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        HttpTestServer::Response page;
        const QString other = QStringLiteral("http://localhost:%1/x/").arg(server.port()) + server.baseUrl();
        page.body = "<title>Root</title><a href=\"inner.html\">in</a><a href=\"" + other.toUtf8() +
                    "/p.html\">out</a>";
        server.setRoute(QStringLiteral("/index.html"), page);
        CrawlHarness h;
        h.settings.urllink = false;
        h.settings.substringsFlag = true; // pages are queued only with substrings in this mode
        h.settings.substringsText.clear();
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(server.url(QStringLiteral("/index.html"))); }));
        QCOMPARE(server.requestCount(QStringLiteral("/inner.html")), 1);
        QCOMPARE(server.requestCount(QStringLiteral("/x/") + server.baseUrl() + QStringLiteral("/p.html")),
                 0);
    }

    void https()
    {
        HttpCli::addTrustedCertificates(m_server.caCertificatePath());
        CrawlHarness h;
        const QString start = m_server.tlsUrl(m_depth.start.mid(m_server.baseUrl().size()));
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(start); }));
        QCOMPARE(h.engine->counters().picturesSaved, int(m_depth.pictures(2).size()));
        QVERIFY(h.engine->startAddress().startsWith(QStringLiteral("https://")));

        // A site that moves to https is followed there.
        HttpTestServer server;
        QVERIFY(server.start());
        QVERIFY(server.startTls());
        HttpCli::addTrustedCertificates(server.caCertificatePath());
        HttpTestServer::Response page;
        page.body = "<title>Moved</title><img src=\"pic.jpg\">";
        server.setRoute(QStringLiteral("/secure/index.html"), page);
        HttpTestServer::Response pic;
        pic.contentType = "image/jpeg";
        pic.body = TestImages::jpeg(64, 48, 9);
        server.setRoute(QStringLiteral("/secure/pic.jpg"), pic);
        server.setRedirect(QStringLiteral("/index.html"), server.tlsUrl(QStringLiteral("/secure/index.html")),
                           301);
        CrawlHarness moved;
        QVERIFY(moved.run(
            [&]() { return moved.engine->getAnyPicture(server.url(QStringLiteral("/index.html"))); }));
        QCOMPARE(moved.engine->counters().picturesSaved, 1);
    }

    void loginGoesOnlyToTheStartHost()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        server.setBasicAuth(QStringLiteral("/private"), QStringLiteral("ann"), QStringLiteral("secret"));
        HttpTestServer::Response page;
        const QString elsewhere = QStringLiteral("http://localhost:%1/private/b.jpg").arg(server.port());
        page.body = "<title>Private</title><img src=\"a.jpg\"><img src=\"" + elsewhere.toUtf8() + "\">";
        server.setRoute(QStringLiteral("/private/index.html"), page);
        HttpTestServer::Response pic;
        pic.contentType = "image/jpeg";
        pic.body = TestImages::jpeg(64, 48, 10);
        server.setRoute(QStringLiteral("/private/a.jpg"), pic);
        server.setRoute(QStringLiteral("/private/b.jpg"), pic);
        CrawlHarness h;
        h.settings.login = true;
        h.settings.loginUser = QStringLiteral("ann");
        h.settings.loginPassword = QStringLiteral("secret");
        QVERIFY(h.run(
            [&]() { return h.engine->getAnyPicture(server.url(QStringLiteral("/private/index.html"))); }));
        QCOMPARE(h.savedAddresses(), QStringList{server.url(QStringLiteral("/private/a.jpg"))});
        for (const HttpTestServer::Request &r : server.requests()) {
            if (r.header("Host").startsWith("localhost"))
                QVERIFY(r.header("Authorization").isEmpty());
        }
    }

    void substringsSelectThePartOfTheFirstPage_data()
    {
        QTest::addColumn<QString>("substrings");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("saved");
        QTest::addColumn<bool>("asked");
        QTest::newRow("phrase found") << "Holiday pictures" << true << 1 << false;
        QTest::newRow("not found, keep them") << "Nothing like this" << false << 0 << true;
        QTest::newRow("not found, clear them") << "Nothing like this" << true << 2 << true;
    }
    void substringsSelectThePartOfTheFirstPage()
    {
        QFETCH(QString, substrings);
        QFETCH(bool, answer);
        QFETCH(int, saved);
        QFETCH(bool, asked);
        HttpTestServer server;
        QVERIFY(server.start());
        HttpTestServer::Response page;
        page.body = "<title>Mixed</title><p><img src=\"ads/banner.jpg\"></p>"
                    "<div><a href=\"holiday.html\">Holiday pictures</a></div>";
        server.setRoute(QStringLiteral("/index.html"), page);
        page.body = "<title>Holiday</title><img src=\"beach.jpg\">";
        server.setRoute(QStringLiteral("/holiday.html"), page);
        HttpTestServer::Response pic;
        pic.contentType = "image/jpeg";
        pic.body = TestImages::jpeg(64, 48, 11);
        server.setRoute(QStringLiteral("/ads/banner.jpg"), pic);
        server.setRoute(QStringLiteral("/beach.jpg"), pic);

        CrawlHarness h;
        h.settings.substringsText = u' ' + substrings;
        h.settings.substrListbox = {substrings};
        h.settings.substringsFlag = true;
        h.settings.max_level = 1; // raised to 2: substrings select links to follow
        h.host.answer = answer;
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(server.url(QStringLiteral("/index.html"))); }));
        QCOMPARE(h.settings.max_level, 2);
        QCOMPARE(h.host.questions.size(), asked ? 1 : 0);
        QCOMPARE(h.engine->counters().picturesSaved, saved);
        QCOMPARE(server.requestCount(QStringLiteral("/ads/banner.jpg")), saved == 2 ? 1 : 0);
        if (asked && answer)
            QVERIFY(h.settings.substringsText.isEmpty());
    }

    void historyKeepsItsLimit()
    {
        CrawlHarness h;
        h.settings.searchhisnum = 2;
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(m_frames.start); }));
        // Mark the first search's database to see that it goes.
        QVERIFY(h.engine->database().TinyTable9.append({QStringLiteral("marker")}));
        for (int i = 0; i < 2; ++i)
            QVERIFY(h.run([&]() { return h.engine->getAnyPicture(m_frames.start); }));
        // The oldest search went when the third came; its name was free again.
        QCOMPARE(h.history.count(), 2);
        QCOMPARE(h.history.entry(0).name, QStringLiteral("Frames(2)"));
        QCOMPARE(h.history.entry(1).name, QStringLiteral("Frames"));
        QVERIFY(!h.engine->database().TinyTable9.contains(QStringLiteral("Url"), QStringLiteral("marker")));
        QCOMPARE(loadHistoryFile(h.folders.search + QStringLiteral("his.dat"), 18), h.history.entries());
    }

    void picturesGoBeforePages_data()
    {
        QTest::addColumn<bool>("picturesFirst");
        QTest::newRow("pictures first") << true;
        QTest::newRow("one page always") << false;
    }
    void picturesGoBeforePages()
    {
        QFETCH(bool, picturesFirst);
        CrawlHarness h;
        h.settings.ispicfirst = picturesFirst;
        h.settings.thread_num = 2;
        m_server.clearLog();
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(m_depth.start); }));
        // Right after the start page: with pictures first, a page is fetched
        // only once no picture waits; otherwise a page goes out at once.
        const QList<HttpTestServer::Request> requests = m_server.requests();
        QVERIFY(requests.size() > 3);
        const bool secondIsPage = requests.at(1).pathAndQuery.endsWith(QStringLiteral(".html"));
        QCOMPARE(secondIsPage, !picturesFirst);
    }

    void refusedStarts_data()
    {
        QTest::addColumn<QString>("subdir");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("warning");
        const QString badSubdir = QStringLiteral("\"Subdirectory\" can not include char \\ / : * \" < > | . "
                                                 "You should input character \"a\", \"b\" etc "
                                                 "in \"Subdirectory\" on URL bar rather than input "
                                                 "\"c:\\a\", \"c:\\b\". Do not try to input the full "
                                                 "name of a directory into \"Subdirectory\". ");
        QTest::newRow("empty subdirectory")
            << ""
            << "http://127.0.0.1:1/"
            << "Must input subdirectory name, such as \"a\", \"b\" or \"c\" etc into \"Save To\".";
        QTest::newRow("slash") << "a/b"
                               << "" << badSubdir;
        QTest::newRow("dot dot") << ".."
                                 << "http://127.0.0.1:1/" << badSubdir;
        QTest::newRow("no address") << "pics"
                                    << "   "
                                    << "Must input URL.";
    }
    void refusedStarts()
    {
        QFETCH(QString, subdir);
        QFETCH(QString, address);
        QFETCH(QString, warning);
        // The refusal of a bad sub-folder is exactly its 227 characters, ending in a blank.
        if (warning.startsWith(u'"'))
            QVERIFY(warning.size() == 227 && warning.endsWith(QStringLiteral(". ")));
        CrawlHarness h;
        h.settings.subdirectory = subdir;
        QVERIFY(!h.engine->getThumbnails(address));
        QCOMPARE(h.host.warnings, QStringList{warning});
        QVERIFY(!h.engine->isRunning());
        QCOMPARE(h.history.count(), 0);
        QCOMPARE(h.settings.size, 0); // the thumbnails limits did not stay behind
        QCOMPARE(h.search->state().mode, 0);
        QVERIFY(!h.host.checkBoxes);
    }

private:
    HttpTestServer m_server;
    TestSite::DepthSite m_depth;
    TestSite::ThumbnailGallery m_thumbs;
    TestSite::FrameSite m_frames;
    TestSite::BadSite m_bad;
};

QTEST_GUILESS_MAIN(TestCrawl)
#include "tst_crawl.moc"
