#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

class HttpTestServer;

// Builds generated web sites into a started HttpTestServer, every path under
// one prefix (so several sites can share a server), and tells what a crawl of
// them should find. Addresses are absolute ("http://127.0.0.1:PORT/...").
// The pages link in the ways real pages do: relative, root-relative and
// absolute addresses, upper- and lower-case tags, quoted and bare attributes.
class TestSite
{
public:
    struct Picture
    {
        QString url;
        QString path;    // on the server, prefix included
        QByteArray type; // "jpg", "gif" or "png"
        QByteArray body;
        QSize size;
    };

    struct Page
    {
        QString url;
        QString title;
        int depth = 1;         // the start page is 1
        QList<Picture> images; // IMG tags
        QList<Picture> linked; // A tags pointing straight at a picture
        QStringList pageLinks; // A tags pointing at pages (absolute)
    };

    // index.html "Gallery Home" (depth 1) -> two pages (depth 2) -> two
    // pages (depth 3) -> one page (depth 4), each with IMG pictures of every
    // type and an A link to a picture; some pages link back up, and one
    // picture appears on two pages.
    struct DepthSite
    {
        QString start;
        QList<Page> pages;
        // Unique addresses, sorted, of the pages with depth <= maxDepth.
        QStringList pageUrls(int maxDepth) const;
        QStringList images(int maxDepth) const;
        QStringList linked(int maxDepth) const;
        QStringList pictures(int maxDepth) const; // images + linked
    };

    // A page of thumbnails: each A wraps an IMG thumbnail (a JPEG under
    // 10 KB) and points at the big picture (a JPEG over 20 KB), directly or
    // through a page that shows it. The page also has a logo IMG outside any A.
    struct ThumbnailGallery
    {
        struct Entry
        {
            Picture thumbnail;
            Picture big;
            QString viaPage; // empty when the A points at the big picture itself
        };
        QString start;
        QList<Entry> entries;
        Picture logo;
        QStringList thumbnails() const;
        QStringList bigPictures() const;
    };

    // A FRAMESET page whose two FRAME pages hold the pictures.
    struct FrameSite
    {
        QString start;
        QList<Page> frames; // depth 2
        QStringList pictures() const;
    };

    // Misbehaving answers: index.html with an A link to each of these.
    struct BadSite
    {
        struct Redirect
        {
            QString start;
            QString final; // the picture at the end of the chain
            int hops = 0;
        };
        QString start;
        QString notFound;          // 404 with an HTML body
        QString servedAsHtml;      // a real JPEG with Content-Type text/html
        QList<Redirect> redirects; // 1, 2 and 5 hops (work), 6 hops (too many)
        QString slowHeaders;       // a JPEG whose answer starts after slowHeaderMs
        QString trickle;           // a 20 KB JPEG in 1 KB pieces every 50 ms
        QString noContentLength;   // a JPEG ended by closing the connection
        QString endless;           // image/jpeg that never ends
        QString errorPageAsJpeg;   // 200, image/jpeg, body an HTML error page
        QString tiny;              // a valid 35-byte GIF
        QString oddHeaders;        // "content-type:image/jpeg; charset=x" and "Content-Length:5120"
        QList<Picture> pictures;   // the real pictures behind the working cases
        QStringList links;         // every A target of index.html, in page order
        int slowHeaderMs = 0;
    };

    // Realistic volume for looking at the program by hand: an index linking
    // to `pageCount` pages, each with picturesPerPage / 2 thumbnails (JPEGs of
    // 2-5 KB) in A tags pointing at big JPEGs of 25-400 KB.
    struct BigSite
    {
        QString start;
        QStringList pages;
        QStringList thumbnails;
        QStringList bigPictures;
    };

    enum Scheme { Http, Https };
    // With Https, every address (expected ones and absolute links in the
    // pages) names the server's TLS listener, which must be started first.
    // Both listeners serve the same routes, so give such a site a prefix of
    // its own.
    TestSite(HttpTestServer &server, const QString &prefix = QString(), Scheme scheme = Http);

    // The builders put their pages under prefix + folder.
    DepthSite buildDepthSite(const QString &folder = QStringLiteral("/depth"));
    ThumbnailGallery buildThumbnailGallery(const QString &folder = QStringLiteral("/thumbs"));
    FrameSite buildFrameSite(const QString &folder = QStringLiteral("/frames"));
    BadSite buildBadSite(const QString &folder = QStringLiteral("/bad"), int slowHeaderMs = 1500);
    BigSite buildBigSite(const QString &folder = QStringLiteral("/big"), int pageCount = 20,
                         int picturesPerPage = 60);
    // All four small sites and a home page (prefix + "/index.html") linking
    // to their start pages; returns its address.
    QString buildGallery();

    QString url(const QString &path) const;          // path under the prefix
    QString absolute(const QString &fullPath) const; // on the listener of the scheme
    QString path(const QString &path) const;         // prefix + path

private:
    // Both take the full server path.
    Picture addPicture(const QString &fullPath, const QByteArray &body, const QByteArray &type, QSize size);
    void addPage(const QString &fullPath, const QString &title, const QString &body);

    HttpTestServer &m_server;
    QString m_prefix;
    Scheme m_scheme;
};
