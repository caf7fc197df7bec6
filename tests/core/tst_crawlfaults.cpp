// Runs against sites shaped like the ones that showed faults in real use:
// same-named pictures in several folders, pictures under the wrong name,
// archives among the links, long titles, and the state a refused or a second
// start must leave.

#include "platform/settingsstore.h"
#include "store/searchinformation.h"
#include "support/crawlharness.h"
#include "support/httptestserver.h"
#include "support/testimages.h"
#include "support/testsite.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace {

HttpTestServer::Response page(const QByteArray &body)
{
    HttpTestServer::Response r;
    r.body = body;
    return r;
}

HttpTestServer::Response picture(const QByteArray &body, const QByteArray &type)
{
    HttpTestServer::Response r;
    r.contentType = type;
    r.body = body;
    return r;
}

QByteArray md5(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
}

} // namespace

class TestCrawlFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        TestSite site(m_server);
        m_depth = site.buildDepthSite();
        m_thumbs = site.buildThumbnailGallery();
        buildDocumentationSite();
    }

    // Within the site, three levels deep: every picture once, byte for byte,
    // the archive's answer cut at its header, nothing outside the site fetched.
    void documentationSite()
    {
        CrawlHarness h;
        h.settings.urllink = false; // Within The Web, no substrings
        h.settings.max_level = 3;
        h.settings.save_mode = 0;
        m_server.clearLog();
        const qint64 sentBefore = m_server.bytesSent();
        QVERIFY(h.run(
            [&]() { return h.engine->getAnyPicture(m_server.url(QStringLiteral("/doc/index.html"))); }));
        const qint64 sent = m_server.bytesSent() - sentBefore;

        QStringList expected = m_docPictures.keys();
        expected.sort();
        QCOMPARE(h.savedAddresses(), expected);
        SearchDatabase &db = h.engine->database();
        for (bool ok = db.TinyTableV1.first(); ok; ok = db.TinyTableV1.next()) {
            const PictureRow row = PictureRow::fromTable(db.TinyTableV1);
            const QString address = row.WebDirectory + row.OriginalName;
            QFile file(row.path());
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(md5(file.readAll()), md5(m_docPictures.value(address)));
            // The PNG sent as image/jpeg under a .jpg name is a PNG.
            QCOMPARE(row.Type, address.endsWith(u"photo.jpg") ? 4 : (address.endsWith(u".png") ? 4 : 0));
        }
        QCOMPARE(h.engine->counters().picturesFailed, 0);
        // The deepest page (level 4) is beyond the limit; the outside page never asked for.
        QCOMPARE(m_server.requestCount(QStringLiteral("/doc/a/b/deep.html")), 1);
        QCOMPARE(m_server.requestCount(QStringLiteral("/doc/a/b/c/deeper.html")), 0);
        QCOMPARE(m_server.requestCount(QStringLiteral("/elsewhere/page.html")), 0);
        QCOMPARE(m_server.requestCount(QStringLiteral("/doc/files/manual.zip")), 1);
        QCOMPARE(m_server.requestCount(QStringLiteral("/doc/files/intro.mp4")), 1);
        // 2 × 24 MB of archive and video were on offer.
        QVERIFY2(sent < 6 * 1024 * 1024, qPrintable(QString::number(sent)));
        QCOMPARE(h.engine->counters().pagesPending, 0);
    }

    // A start with a title of 120 characters of three bytes each: the search
    // is made, named within the file system's limit, and keeps its pictures.
    void longTitle()
    {
        const QString title(120, QChar(0x5199));
        m_server.setRoute(QStringLiteral("/cjk/index.html"), page("<html><head><title>" + title.toUtf8() +
                                                                  "</title></head><body>"
                                                                  "<img src=\"a.jpg\"></body></html>"));
        m_server.setRoute(QStringLiteral("/cjk/a.jpg"), picture(TestImages::jpeg(80, 60), "image/jpeg"));
        CrawlHarness h;
        QVERIFY(h.run(
            [&]() { return h.engine->getAnyPicture(m_server.url(QStringLiteral("/cjk/index.html"))); }));
        QCOMPARE(h.engine->counters().picturesSaved, 1);
        const QString name = h.engine->searchName();
        QCOMPARE(name, QString(80, QChar(0x5199)));
        QCOMPARE(h.history.entry(0).name, name);
        QVERIFY(QFile::exists(h.folders.search + name + QStringLiteral(".dat")));
        QVERIFY(!QFile::exists(h.folders.search + QStringLiteral("None.dat")));
        QCOMPARE(h.engine->database().TinyTableV1.recordCount(), 1);
    }

    // The second search of a program whose first page has no title is not
    // named after the first search's title.
    void secondSearchWithoutTitle()
    {
        m_server.setRoute(QStringLiteral("/untitled/index.html"),
                          page("<html><body><p>none</p></body></html>"));
        CrawlHarness h;
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(m_depth.start); }));
        QCOMPARE(h.engine->searchName(), QStringLiteral("GalleryHome"));
        QVERIFY(h.run(
            [&]() { return h.engine->getAnyPicture(m_server.url(QStringLiteral("/untitled/index.html"))); }));
        QCOMPARE(h.engine->searchName(), QStringLiteral("NoneTitle"));
        QCOMPARE(h.history.count(), 2);
    }

    // A refused start changes nothing: a stopped thumbnails search stays one.
    void refusedStartChangesNothing()
    {
        CrawlHarness h;
        h.settings.size = 7;
        QVERIFY(h.run([&]() { return h.engine->getThumbnails(m_thumbs.start); }));
        const OpenSearchState before = h.search->state();
        QVERIFY(!h.engine->getAnyPicture(QStringLiteral("   ")));
        QCOMPARE(h.host.warnings.last(), QStringLiteral("Must input URL."));
        QCOMPARE(h.search->state().mode, 1);
        QCOMPARE(h.search->state().thumbnailLink, before.thumbnailLink);
        QCOMPARE(h.search->state().startAddress, before.startAddress);
        QCOMPARE(h.settings.size, 7);
    }

    // A thumbnails run keeps the user's limits in the stored settings and in
    // its record, also when it raises the depth for its substrings.
    void thumbnailsKeepTheUsersLimits()
    {
        CrawlHarness h;
        h.settings.size = 7;
        h.settings.width = 33;
        h.settings.max_level = 1;
        h.settings.substrListbox = QStringList{QStringLiteral("Thumbnail")};
        h.settings.substringsText = QStringLiteral(" Thumbnail");
        h.settings.substringsFlag = true;
        h.host.answer = true;
        QVERIFY(h.run([&]() { return h.engine->getThumbnails(m_thumbs.start); }));
        SettingsStore store;
        QCOMPARE(store.value(QStringLiteral("size")), QStringLiteral("7"));
        QCOMPARE(store.value(QStringLiteral("width")), QStringLiteral("33"));
        QCOMPARE(store.value(QStringLiteral("max_level")), QStringLiteral("2"));
        const SearchInformation info =
            SearchInformation::fromText(h.engine->database().readSearchInformation());
        QCOMPARE(info.size, 7);
        QCOMPARE(info.width, 33);
    }

    // A new start writes the open search's record before it changes anything.
    void newStartWritesBackTheOpenSearchFirst()
    {
        CrawlHarness h;
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(m_depth.start); }));
        const QString first = h.engine->searchName();
        h.search->setModified(true);
        QVERIFY(h.run([&]() { return h.engine->getThumbnails(m_thumbs.start); }));
        SearchDatabase db;
        QVERIFY(db.open(h.folders.search + first + QStringLiteral(".dat")));
        const SearchInformation info = SearchInformation::fromText(db.readSearchInformation());
        QCOMPARE(info.startAddress, m_depth.start);
        QCOMPARE(info.searchMode, 0);
    }

    // Continue checks the sub-folder it takes from the record as a start does.
    void continueChecksTheSubfolder()
    {
        CrawlHarness h;
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(m_depth.start); }));
        SearchInformation info = SearchInformation::fromText(h.engine->database().readSearchInformation());
        info.subdirectory = QStringLiteral("../outside");
        QVERIFY(h.engine->database().writeSearchInformation(info.toText()));
        h.engine->database().close();
        h.search->select(0);
        QVERIFY(!h.engine->continueRun());
        QVERIFY(h.host.warnings.last().startsWith(QStringLiteral("\"Subdirectory\" can not include char")));
        QVERIFY(!QFile::exists(h.settings.picturesRoot + QStringLiteral("/../outside")));
    }

    // Credentials typed into the start address never go out in a Referer.
    void refererWithoutUserInformation()
    {
        CrawlHarness h;
        m_server.clearLog();
        QString start = m_depth.start;
        start.replace(QStringLiteral("http://"), QStringLiteral("http://ann:secret@"));
        QVERIFY(h.run([&]() { return h.engine->getAnyPicture(start); }));
        QVERIFY(h.engine->counters().picturesSaved > 0);
        int withReferer = 0;
        for (const HttpTestServer::Request &r : m_server.requests()) {
            const QByteArray referer = r.header("Referer");
            withReferer += !referer.isEmpty();
            QVERIFY2(!referer.contains("secret") && !referer.contains('@'), referer.constData());
        }
        QVERIFY(withReferer > 0);
    }

    // Switching the progress gauges off during a run hides them at once, and
    // none shows again.
    void progressOffHidesTheGauges()
    {
        CrawlHarness h;
        m_server.setResponseDelay(60);
        QSignalSpy finished(h.engine.get(), &CrawlEngine::finished);
        QVERIFY(h.engine->getAnyPicture(m_depth.start));
        QTRY_VERIFY_WITH_TIMEOUT(h.host.visibleGauges() > 0, 10000);
        h.engine->setProgressOnStatusBar(false);
        QCOMPARE(h.host.visibleGauges(), 0);
        const int shownBefore = h.host.gaugeShows;
        QVERIFY(finished.wait(60000));
        m_server.setResponseDelay(0);
        QCOMPARE(h.host.gaugeShows, shownBefore);
        QCOMPARE(h.host.visibleGauges(), 0);
    }

private:
    // Folders of a manual: menu pictures of one name in two folders (one of
    // them on four pages), a PNG named photo.jpg sent as image/jpeg, links to
    // an archive and a video, and links no harvester can follow.
    void buildDocumentationSite()
    {
        const auto add = [this](const QString &path, const QByteArray &body, const QByteArray &type) {
            m_server.setRoute(path, picture(body, type));
            m_docPictures.insert(m_server.url(path), body);
        };
        add(QStringLiteral("/doc/images/menus/image/rotate.png"), TestImages::png(24, 24, 1), "image/png");
        add(QStringLiteral("/doc/images/menus/layer/rotate.png"), TestImages::png(24, 24, 2), "image/png");
        add(QStringLiteral("/doc/images/photo.jpg"), TestImages::png(300, 200, 3), "image/jpeg");
        add(QStringLiteral("/doc/a/shot.jpg"), TestImages::jpeg(200, 100, 4), "image/jpeg");
        add(QStringLiteral("/doc/a/b/deepshot.jpg"), TestImages::jpeg(120, 90, 5), "image/jpeg");
        m_server.setRoute(QStringLiteral("/doc/a/b/c/deepest.jpg"),
                          picture(TestImages::jpeg(50, 50, 6), "image/jpeg"));

        HttpTestServer::Response archive;
        archive.contentType = "application/zip";
        archive.body = QByteArray(24 * 1024 * 1024, 'Z');
        m_server.setRoute(QStringLiteral("/doc/files/manual.zip"), archive);
        archive.contentType = "video/mp4";
        m_server.setRoute(QStringLiteral("/doc/files/intro.mp4"), archive);

        m_server.setRoute(QStringLiteral("/doc/index.html"),
                          page("<html><head><title>Manual</title></head><body>"
                               "<img src=\"images/menus/image/rotate.png\"><img src=\"images/photo.jpg\">"
                               "<a href=\"layers1.html\">1</a><a href=\"layers2.html\">2</a>"
                               "<a href=\"a/tools.html\">tools</a>"
                               "<a href=\"files/manual.zip\">zip</a><a href=\"files/intro.mp4\">video</a>"
                               "<a href=\"mailto:docs@example.org\">mail</a>"
                               "<a href=\"javascript:void(0)\">js</a>"
                               "<a href=\"ftp://127.0.0.1:1/pub/\">ftp</a>"
                               "<a href=\"" +
                               m_server.url(QStringLiteral("/elsewhere/page.html"))
                                   .replace(QStringLiteral("127.0.0.1"), QStringLiteral("localhost"))
                                   .toUtf8() +
                               "\">outside</a></body></html>"));
        const QByteArray layerPicture = "<img src=\"images/menus/layer/rotate.png\">";
        for (const char *name : {"layers1.html", "layers2.html"})
            m_server.setRoute(QStringLiteral("/doc/") + QLatin1String(name),
                              page("<title>Layers</title>" + layerPicture + "<a href=\"index.html\">up</a>"));
        m_server.setRoute(QStringLiteral("/doc/a/tools.html"),
                          page("<title>Tools</title><img src=\"../images/menus/layer/rotate.png\">"
                               "<img src=\"shot.jpg\"><a href=\"b/deep.html\">deep</a>"));
        m_server.setRoute(QStringLiteral("/doc/a/b/deep.html"),
                          page("<title>Deep</title><img src=\"../../images/menus/layer/rotate.png\">"
                               "<img src=\"deepshot.jpg\"><a href=\"c/deeper.html\">deeper</a>"));
        m_server.setRoute(QStringLiteral("/doc/a/b/c/deeper.html"),
                          page("<title>Deeper</title><img src=\"deepest.jpg\">"));
    }

    HttpTestServer m_server;
    TestSite::DepthSite m_depth;
    TestSite::ThumbnailGallery m_thumbs;
    QHash<QString, QByteArray> m_docPictures;
};

QTEST_GUILESS_MAIN(TestCrawlFaults)
#include "tst_crawlfaults.moc"
