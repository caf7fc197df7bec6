#include "testsite.h"

#include "httptestserver.h"
#include "testimages.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

QByteArray contentTypeOf(const QByteArray &type)
{
    if (type == "jpg")
        return "image/jpeg";
    return "image/" + type;
}

QStringList sortedUnique(QStringList list)
{
    list.sort();
    list.removeDuplicates();
    return list;
}

QStringList urlsOf(const QList<TestSite::Picture> &pictures)
{
    QStringList urls;
    for (const TestSite::Picture &p : pictures)
        urls.append(p.url);
    return urls;
}

} // namespace

QStringList TestSite::DepthSite::pageUrls(int maxDepth) const
{
    QStringList urls;
    for (const Page &page : pages) {
        if (page.depth <= maxDepth)
            urls.append(page.url);
    }
    return sortedUnique(urls);
}

QStringList TestSite::DepthSite::images(int maxDepth) const
{
    QStringList urls;
    for (const Page &page : pages) {
        if (page.depth <= maxDepth)
            urls += urlsOf(page.images);
    }
    return sortedUnique(urls);
}

QStringList TestSite::DepthSite::linked(int maxDepth) const
{
    QStringList urls;
    for (const Page &page : pages) {
        if (page.depth <= maxDepth)
            urls += urlsOf(page.linked);
    }
    return sortedUnique(urls);
}

QStringList TestSite::DepthSite::pictures(int maxDepth) const
{
    return sortedUnique(images(maxDepth) + linked(maxDepth));
}

QStringList TestSite::ThumbnailGallery::thumbnails() const
{
    QStringList urls;
    for (const Entry &e : entries)
        urls.append(e.thumbnail.url);
    return urls;
}

QStringList TestSite::ThumbnailGallery::bigPictures() const
{
    QStringList urls;
    for (const Entry &e : entries)
        urls.append(e.big.url);
    return urls;
}

QStringList TestSite::FrameSite::pictures() const
{
    QStringList urls;
    for (const Page &page : frames)
        urls += urlsOf(page.images) + urlsOf(page.linked);
    return sortedUnique(urls);
}

TestSite::TestSite(HttpTestServer &server, const QString &prefix, Scheme scheme)
    : m_server(server), m_prefix(prefix), m_scheme(scheme)
{
    while (m_prefix.endsWith(u'/'))
        m_prefix.chop(1);
}

QString TestSite::path(const QString &p) const
{
    return m_prefix + p;
}

QString TestSite::url(const QString &p) const
{
    return absolute(path(p));
}

QString TestSite::absolute(const QString &fullPath) const
{
    return m_scheme == Https ? m_server.tlsUrl(fullPath) : m_server.url(fullPath);
}

TestSite::Picture TestSite::addPicture(const QString &fullPath, const QByteArray &body,
                                       const QByteArray &type, QSize size)
{
    HttpTestServer::Response r;
    r.contentType = contentTypeOf(type);
    r.body = body;
    m_server.setRoute(fullPath, r);
    return Picture{absolute(fullPath), fullPath, type, body, size};
}

void TestSite::addPage(const QString &fullPath, const QString &title, const QString &body)
{
    HttpTestServer::Response r;
    r.contentType = "text/html; charset=utf-8";
    r.body = QStringLiteral(
                 "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>%1</title>\n</head>\n"
                 "<body>\n%2</body>\n</html>\n")
                 .arg(title.toHtmlEscaped(), body)
                 .toUtf8();
    m_server.setRoute(fullPath, r);
}

TestSite::DepthSite TestSite::buildDepthSite(const QString &folder)
{
    const QString f = path(folder);
    auto jpg = [&](const QString &p, int seed) {
        return addPicture(f + p, TestImages::jpeg(320, 240, seed), "jpg", QSize(320, 240));
    };
    auto gif = [&](const QString &p, int seed) {
        return addPicture(f + p, TestImages::gif(160, 120, seed), "gif", QSize(160, 120));
    };
    auto png = [&](const QString &p, int seed) {
        return addPicture(f + p, TestImages::png(200, 150, seed), "png", QSize(200, 150));
    };
    auto bigJpg = [&](const QString &p, int seed) {
        QSize size;
        const QByteArray body = TestImages::jpegOfSize(30000 + 2000 * seed, seed, &size);
        return addPicture(f + p, body, "jpg", size);
    };
    auto at = [&](const QString &p) { return absolute(f + p); };

    DepthSite site;
    site.start = at(QStringLiteral("/index.html"));

    Page home{site.start, QStringLiteral("Gallery Home"), 1, {}, {}, {}};
    home.images = {jpg(QStringLiteral("/img/home.jpg"), 1), gif(QStringLiteral("/img/home.gif"), 2),
                   png(QStringLiteral("/img/home.png"), 3)};
    home.linked = {bigJpg(QStringLiteral("/img/home-big.jpg"), 4)};
    home.pageLinks = {at(QStringLiteral("/a/page-a.html")), at(QStringLiteral("/b/page-b.html"))};
    addPage(f + "/index.html", home.title,
            "<h1>Gallery Home</h1>\n"
            "<p><img src=\"img/home.jpg\" alt=\"home\" width=\"320\" height=\"240\">\n"
            "<IMG SRC='" +
                f +
                "/img/home.gif'>\n"
                "<img src=" +
                home.images[2].url +
                "></p>\n"
                "<p><a href=\"img/home-big.jpg\">The big one</a></p>\n"
                "<ul>\n<li><A HREF=\"a/page-a.html\">Page A</A>\n"
                "<li><a href='" +
                f + "/b/page-b.html'>Page B</a>\n</ul>\n");

    Page pageA{at(QStringLiteral("/a/page-a.html")), QStringLiteral("Page A"), 2, {}, {}, {}};
    pageA.images = {jpg(QStringLiteral("/a/a1.jpg"), 11), gif(QStringLiteral("/a/a1.gif"), 12),
                    png(QStringLiteral("/a/a1.png"), 13)};
    pageA.linked = {addPicture(f + "/a/a1-big.png", TestImages::png(640, 480, 14), "png", QSize(640, 480))};
    pageA.pageLinks = {at(QStringLiteral("/a/deep/page-c.html")), site.start};
    addPage(f + "/a/page-a.html", pageA.title,
            "<h1>Page A</h1>\n"
            "<img src=\"a1.jpg\"><img src=\"./a1.gif\"><img src=\"" +
                pageA.images[2].url +
                "\">\n"
                "<p><a href=\"a1-big.png\"><b>Big PNG</b></a>\n"
                "<p><a href=\"deep/page-c.html\">Deeper</a> | <a href=\"../index.html\">Home</a>\n");

    Page pageB{at(QStringLiteral("/b/page-b.html")), QStringLiteral("Page B"), 2, {}, {}, {}};
    pageB.images = {jpg(QStringLiteral("/b/b1.jpg"), 21), home.images[0],
                    gif(QStringLiteral("/b/b1.gif"), 22)};
    pageB.linked = {bigJpg(QStringLiteral("/b/b1-big.jpg"), 23)};
    pageB.pageLinks = {at(QStringLiteral("/b/page-d.html"))};
    addPage(f + "/b/page-b.html", pageB.title,
            "<h1>Page B</h1>\n"
            "<table><tr><td><img src='b1.jpg'></td><td><img src='../img/home.jpg'></td>"
            "<td><img src='b1.gif'></td></tr></table>\n"
            "<a href=\"" +
                pageB.linked[0].url +
                "\">Big JPEG</a>\n"
                "<a href=page-d.html>Page D</a>\n");

    Page pageC{at(QStringLiteral("/a/deep/page-c.html")), QStringLiteral("Page C"), 3, {}, {}, {}};
    pageC.images = {jpg(QStringLiteral("/a/deep/c1.jpg"), 31), png(QStringLiteral("/a/deep/c1.png"), 32)};
    pageC.linked = {
        addPicture(f + "/a/deep/c1-big.gif", TestImages::gif(320, 240, 33), "gif", QSize(320, 240))};
    pageC.pageLinks = {at(QStringLiteral("/a/deep/page-e.html")), pageA.url};
    addPage(f + "/a/deep/page-c.html", pageC.title,
            "<h1>Page C</h1>\n"
            "<img src=\"c1.jpg\"> <img src=\"" +
                f +
                "/a/deep/c1.png\">\n"
                "<a href=\"c1-big.gif\">Big GIF</a>\n"
                "<a href=\"page-e.html\">Even deeper</a> <a href=\"../page-a.html\">Up</a>\n");

    Page pageD{at(QStringLiteral("/b/page-d.html")), QStringLiteral("Page D"), 3, {}, {}, {}};
    pageD.images = {jpg(QStringLiteral("/b/d1.jpg"), 41), gif(QStringLiteral("/b/d1.gif"), 42)};
    pageD.linked = {bigJpg(QStringLiteral("/b/d1-big.jpg"), 43)};
    pageD.pageLinks = {site.start};
    addPage(f + "/b/page-d.html", pageD.title,
            "<h1>Page D</h1>\n"
            "<img src=\"d1.jpg\"><img src=\"d1.gif\">\n"
            "<a href=\"d1-big.jpg\">Big JPEG</a> <a href=\"../index.html#top\">Top</a>\n");

    Page pageE{at(QStringLiteral("/a/deep/page-e.html")), QStringLiteral("Page E"), 4, {}, {}, {}};
    pageE.images = {jpg(QStringLiteral("/a/deep/e1.jpg"), 51), gif(QStringLiteral("/a/deep/e1.gif"), 52),
                    png(QStringLiteral("/a/deep/e1.png"), 53)};
    pageE.linked = {bigJpg(QStringLiteral("/a/deep/e1-big.jpg"), 54)};
    addPage(f + "/a/deep/page-e.html", pageE.title,
            "<h1>Page E</h1>\n"
            "<img src=\"e1.jpg\"><img src=\"e1.gif\"><img src=\"e1.png\">\n"
            "<a href=\"e1-big.jpg\">Big JPEG</a>\n");

    site.pages = {home, pageA, pageB, pageC, pageD, pageE};
    return site;
}

TestSite::ThumbnailGallery TestSite::buildThumbnailGallery(const QString &folder)
{
    const QString f = path(folder);
    ThumbnailGallery gallery;
    gallery.start = absolute(f + "/index.html");
    gallery.logo = addPicture(f + "/logo.gif", TestImages::gif(88, 31, 60), "gif", QSize(88, 31));

    QString html = QStringLiteral("<img src=\"logo.gif\" alt=\"logo\">\n<h1>Thumbnails</h1>\n<p>\n");
    for (int i = 1; i <= 6; ++i) {
        const QString n = QString::number(i);
        ThumbnailGallery::Entry entry;
        entry.thumbnail = addPicture(f + "/t/thumb-" + n + ".jpg", TestImages::jpeg(120, 90, 60 + i, 70),
                                     "jpg", QSize(120, 90));
        QSize size;
        const QByteArray big = TestImages::jpegOfSize(22000 + 7000 * i, 70 + i, &size);
        entry.big = addPicture(f + "/pics/big-" + n + ".jpg", big, "jpg", size);
        QString target = QStringLiteral("pics/big-") + n + ".jpg";
        // The last two go through a page of their own, as many galleries do.
        if (i > 4) {
            target = QStringLiteral("show-") + n + ".html";
            entry.viaPage = absolute(f + "/" + target);
            addPage(f + "/" + target, QStringLiteral("Picture ") + n,
                    "<a href=\"index.html\">Back</a><br>\n<img src=\"pics/big-" + n + ".jpg\">\n");
        }
        html += "<a href=\"" + target + "\"><img src=\"t/thumb-" + n +
                ".jpg\" width=120 height=90 border=0></a>\n";
        gallery.entries.append(entry);
    }
    html += QStringLiteral("</p>\n");
    addPage(f + "/index.html", QStringLiteral("Thumbnails"), html);
    return gallery;
}

TestSite::FrameSite TestSite::buildFrameSite(const QString &folder)
{
    const QString f = path(folder);
    FrameSite site;
    site.start = absolute(f + "/index.html");
    HttpTestServer::Response frameset;
    frameset.body = QStringLiteral("<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Frameset//EN\">\n"
                                   "<html><head><title>Frames</title></head>\n"
                                   "<frameset cols=\"30%,*\">\n"
                                   "<frame src=\"left.html\" name=\"nav\">\n"
                                   "<FRAME SRC=\"right.html\" NAME=\"main\">\n"
                                   "<noframes><body>This page uses frames.</body></noframes>\n"
                                   "</frameset></html>\n")
                        .toUtf8();
    m_server.setRoute(f + "/index.html", frameset);

    Page left{absolute(f + "/left.html"), QStringLiteral("Left"), 2, {}, {}, {}};
    left.images = {addPicture(f + "/left1.jpg", TestImages::jpeg(200, 150, 81), "jpg", QSize(200, 150)),
                   addPicture(f + "/left2.gif", TestImages::gif(100, 80, 82), "gif", QSize(100, 80))};
    addPage(f + "/left.html", left.title,
            QStringLiteral("<img src=\"left1.jpg\"><br><img src=\"left2.gif\">\n"));

    Page right{absolute(f + "/right.html"), QStringLiteral("Right"), 2, {}, {}, {}};
    right.images = {addPicture(f + "/right1.jpg", TestImages::jpeg(400, 300, 83), "jpg", QSize(400, 300)),
                    addPicture(f + "/right2.png", TestImages::png(300, 200, 84), "png", QSize(300, 200))};
    QSize size;
    const QByteArray big = TestImages::jpegOfSize(45000, 85, &size);
    right.linked = {addPicture(f + "/right-big.jpg", big, "jpg", size)};
    addPage(f + "/right.html", right.title,
            QStringLiteral("<img src=\"right1.jpg\"> <img src=\"right2.png\">\n"
                           "<p><a href=\"right-big.jpg\">Big</a>\n"));
    site.frames = {left, right};
    return site;
}

TestSite::BadSite TestSite::buildBadSite(const QString &folder, int slowHeaderMs)
{
    const QString f = path(folder);
    BadSite site;
    site.start = absolute(f + "/index.html");
    site.slowHeaderMs = slowHeaderMs;
    QString html = QStringLiteral("<h1>Misbehaving pictures</h1>\n<ul>\n");
    auto link = [&](const QString &name, const QString &label) {
        html += "<li><a href=\"" + name + "\">" + label + "</a>\n";
        site.links.append(absolute(f + "/" + name));
        return site.links.last();
    };
    // Serves body at name with the given answer and records the picture.
    auto serve = [&](const QString &name, HttpTestServer::Response r, const QByteArray &type, QSize size) {
        m_server.setRoute(f + "/" + name, r);
        site.pictures.append(Picture{absolute(f + "/" + name), f + "/" + name, type, r.body, size});
    };
    auto jpegAnswer = [](const QByteArray &body) {
        HttpTestServer::Response r;
        r.contentType = "image/jpeg";
        r.body = body;
        return r;
    };

    site.notFound = link(QStringLiteral("missing.jpg"), QStringLiteral("Not found"));

    {
        HttpTestServer::Response r = jpegAnswer(TestImages::jpeg(320, 240, 91));
        r.contentType = "text/html";
        serve(QStringLiteral("served-as-html.jpg"), r, "jpg", QSize(320, 240));
        site.servedAsHtml =
            link(QStringLiteral("served-as-html.jpg"), QStringLiteral("JPEG sent as text/html"));
    }

    for (const int hops : {1, 2, 5, 6}) {
        const QString stem = QStringLiteral("redirect%1-").arg(hops);
        auto hop = [&](int i) { return stem + QString::number(i) + ".jpg"; };
        const QString target = stem + "target.jpg";
        for (int i = 0; i < hops; ++i) {
            const QString next = i + 1 == hops ? target : hop(i + 1);
            // One hop of the two-hop chain sends a relative Location, as
            // some servers do.
            const QString location = hops == 2 && i == 1 ? next : f + "/" + next;
            m_server.setRedirect(f + "/" + hop(i), location, i % 2 == 0 ? 301 : 302);
        }
        serve(target, jpegAnswer(TestImages::jpeg(320, 240, 100 + hops)), "jpg", QSize(320, 240));
        BadSite::Redirect redirect;
        redirect.start = link(hop(0), QStringLiteral("%1 redirects").arg(hops));
        redirect.final = absolute(f + "/" + target);
        redirect.hops = hops;
        site.redirects.append(redirect);
    }

    {
        HttpTestServer::Response r = jpegAnswer(TestImages::jpeg(320, 240, 92));
        r.headerDelayMs = slowHeaderMs;
        serve(QStringLiteral("slow-headers.jpg"), r, "jpg", QSize(320, 240));
        site.slowHeaders = link(QStringLiteral("slow-headers.jpg"), QStringLiteral("Slow headers"));
    }
    {
        QSize size;
        HttpTestServer::Response r = jpegAnswer(TestImages::jpegOfSize(20 * 1024, 93, &size));
        r.trickleBytes = 1024;
        r.trickleIntervalMs = 50;
        serve(QStringLiteral("trickle.jpg"), r, "jpg", size);
        site.trickle = link(QStringLiteral("trickle.jpg"), QStringLiteral("Trickle"));
    }
    {
        HttpTestServer::Response r = jpegAnswer(TestImages::jpeg(320, 240, 94));
        r.contentLength = false;
        serve(QStringLiteral("no-length.jpg"), r, "jpg", QSize(320, 240));
        site.noContentLength = link(QStringLiteral("no-length.jpg"), QStringLiteral("No Content-Length"));
    }
    {
        HttpTestServer::Response r = jpegAnswer(TestImages::jpeg(320, 240, 95));
        r.endless = true;
        m_server.setRoute(f + "/endless.jpg", r);
        site.endless = link(QStringLiteral("endless.jpg"), QStringLiteral("Endless"));
    }
    {
        HttpTestServer::Response r;
        r.contentType = "image/jpeg";
        r.body = "<html><head><title>Error</title></head><body><h1>Error</h1>"
                 "<p>The picture you asked for is not available.</p></body></html>\n";
        m_server.setRoute(f + "/error-page.jpg", r);
        site.errorPageAsJpeg = link(QStringLiteral("error-page.jpg"), QStringLiteral("Error page as JPEG"));
    }
    {
        HttpTestServer::Response r;
        r.contentType = "image/gif";
        r.body = TestImages::tinyGif();
        serve(QStringLiteral("tiny.gif"), r, "gif", QSize(1, 1));
        site.tiny = link(QStringLiteral("tiny.gif"), QStringLiteral("Tiny"));
    }
    {
        QSize size;
        HttpTestServer::Response r = jpegAnswer(TestImages::jpegOfSize(5120, 96, &size));
        r.rawHeaderBlock = "HTTP/1.1 200 OK\r\n"
                           "content-type:image/jpeg; charset=x\r\n"
                           "Content-Length:5120\r\n"
                           "\r\n";
        serve(QStringLiteral("odd-headers.jpg"), r, "jpg", size);
        site.oddHeaders = link(QStringLiteral("odd-headers.jpg"), QStringLiteral("Odd headers"));
    }

    html += QStringLiteral("</ul>\n");
    addPage(f + "/index.html", QStringLiteral("Misbehaving pictures"), html);
    return site;
}

TestSite::BigSite TestSite::buildBigSite(const QString &folder, int pageCount, int picturesPerPage)
{
    const QString f = path(folder);
    BigSite site;
    site.start = absolute(f + "/index.html");

    // Encoding a thousand noise pictures would take a while: a few dozen
    // bases, each served many times with a distinct comment, look the same
    // to a client.
    QList<QByteArray> bigBases;
    for (int i = 0; i < 16; ++i) {
        const double kb = 25 * std::pow(16.0, i / 15.0);
        bigBases.append(TestImages::jpegOfSize(qsizetype(kb * 1024), 500 + i));
    }
    QList<QByteArray> thumbBases;
    for (int i = 0; i < 24; ++i)
        thumbBases.append(TestImages::jpeg(120 + 8 * (i % 5), 90 + 6 * (i % 4), 600 + i, 70));

    const int perPage = qMax(1, picturesPerPage / 2);
    QString index = QStringLiteral("<h1>Big gallery</h1>\n<ol>\n");
    for (int p = 1; p <= pageCount; ++p) {
        const QString name = QStringLiteral("page-%1.html").arg(p, 2, 10, QLatin1Char('0'));
        site.pages.append(absolute(f + "/" + name));
        index += "<li><a href=\"" + name + "\">Page " + QString::number(p) + "</a>\n";
        QString html = QStringLiteral("<h1>Page %1</h1>\n<p>").arg(p);
        if (p > 1)
            html +=
                QStringLiteral("<a href=\"page-%1.html\">Previous</a> ").arg(p - 1, 2, 10, QLatin1Char('0'));
        if (p < pageCount)
            html += QStringLiteral("<a href=\"page-%1.html\">Next</a>").arg(p + 1, 2, 10, QLatin1Char('0'));
        html += QStringLiteral("</p>\n<p>\n");
        for (int i = 0; i < perPage; ++i) {
            const int n = (p - 1) * perPage + i;
            const QByteArray tag = "picture " + QByteArray::number(n);
            const QString stem = QStringLiteral("p%1/pic-%2").arg(p).arg(n, 5, 10, QLatin1Char('0'));
            HttpTestServer::Response r;
            r.contentType = "image/jpeg";
            r.body = TestImages::withComment(thumbBases.at(n % thumbBases.size()), tag);
            m_server.setRoute(f + "/" + stem + "-t.jpg", r);
            r.body = TestImages::withComment(bigBases.at((n * 7) % bigBases.size()), tag);
            m_server.setRoute(f + "/" + stem + ".jpg", r);
            site.thumbnails.append(absolute(f + "/" + stem + "-t.jpg"));
            site.bigPictures.append(absolute(f + "/" + stem + ".jpg"));
            html += "<a href=\"" + stem + ".jpg\"><img src=\"" + stem + "-t.jpg\" alt=\"" +
                    QString::number(n) + "\"></a>\n";
        }
        html += QStringLiteral("</p>\n");
        addPage(f + "/" + name, QStringLiteral("Big gallery, page %1").arg(p), html);
    }
    index += QStringLiteral("</ol>\n");
    addPage(f + "/index.html", QStringLiteral("Big gallery"), index);
    return site;
}

QString TestSite::buildGallery()
{
    const DepthSite depth = buildDepthSite();
    const ThumbnailGallery thumbs = buildThumbnailGallery();
    const FrameSite frames = buildFrameSite();
    const BadSite bad = buildBadSite();
    addPage(path(QStringLiteral("/index.html")), QStringLiteral("Snapdredge test sites"),
            "<h1>Snapdredge test sites</h1>\n<ul>\n"
            "<li><a href=\"" +
                depth.start +
                "\">Pages at several depths</a>\n"
                "<li><a href=\"" +
                thumbs.start +
                "\">Thumbnail gallery</a>\n"
                "<li><a href=\"" +
                frames.start +
                "\">Frames</a>\n"
                "<li><a href=\"" +
                bad.start + "\">Misbehaving pictures</a>\n</ul>\n");
    return url(QStringLiteral("/index.html"));
}
