#include "crawl/urlinfo.h"
#include "html/pagescanner.h"
#include "settings/settings.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

const QString pageAddress = QStringLiteral("http://h/a/page.htm");

// The urlinfo text the scanner gives for a plain record found on pageAddress.
QString record(const QString &address, int addressClass, int width = 0, int height = 0)
{
    urlinfo info;
    info.referrer = pageAddress;
    info.address = address;
    info.addressClass = addressClass;
    info.width = width;
    info.height = height;
    return info.toText();
}

QString thumbnail(const QString &address, int width, int height, const QString &link, int linkClass)
{
    urlinfo info;
    info.referrer = pageAddress;
    info.address = address;
    info.addressClass = ClassJpeg;
    info.width = width;
    info.height = height;
    info.hasLinkTarget = true;
    info.linkAddress = link;
    info.linkClass = linkClass;
    return info.toText();
}

QStringList scan(const QByteArray &html, const ScanOptions &options)
{
    PageScanner scanner;
    ScanResult result;
    scanner.scanPage(html, pageAddress, options, result);
    return result.found;
}

ScanOptions at(int level, int maxLevel = 2, bool thumbnails = false)
{
    ScanOptions o;
    o.level = level;
    o.maxLevel = maxLevel;
    o.thumbnailLinks = thumbnails;
    return o;
}

} // namespace

class TestPageScanner : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void linksAndFrames_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<int>("level");
        QTest::addColumn<QStringList>("found");
        const QStringList none;
        QTest::newRow("picture link at the last level")
            << QByteArray("<a href=photos/a.jpg>x</a>") << 2
            << QStringList{record("http://h/a/photos/a.jpg", ClassJpeg)};
        QTest::newRow("page link at the last level") << QByteArray("<a href=next.htm>x</a>") << 2 << none;
        QTest::newRow("page link of five characters") << QByteArray("<a href=x.htm>x</a>") << 1 << none;
        QTest::newRow("page link of six characters")
            << QByteArray("<a href=xx.htm>x</a>") << 1 << QStringList{record("http://h/a/xx.htm", ClassPage)};
        QTest::newRow("other class never") << QByteArray("<a href=setup.exe>x</a>") << 1 << none;
        QTest::newRow("link without href") << QByteArray("<a name=top>x</a>") << 1 << none;
        QTest::newRow("fragment only") << QByteArray("<a href=\"#top-of-page\">x</a>") << 1 << none;
        QTest::newRow("fragment dropped") << QByteArray("<a href=\"more.htm#top\">x</a>") << 1
                                          << QStringList{record("http://h/a/more.htm", ClassPage)};
        QTest::newRow("names in any case")
            << QByteArray("<A HREF=\"big.JPG\">x</A><ImG sRc=\"b.gif\">") << 1
            << QStringList{record("http://h/a/big.JPG", ClassJpeg), record("http://h/a/b.gif", ClassGif)};
        QTest::newRow("blanks around the equals sign") << QByteArray("<a href = \"ab.jpg\" >") << 1
                                                       << QStringList{record("http://h/a/ab.jpg", ClassJpeg)};
        QTest::newRow("quoted frame is a page") << QByteArray("<frame name=x src=\"left.htm\">") << 1
                                                << QStringList{record("http://h/a/left.htm", ClassPage)};
        QTest::newRow("frame of any address is a page")
            << QByteArray("<frame src=\"a.jpg\">") << 1 << QStringList{record("http://h/a/a.jpg", ClassPage)};
        QTest::newRow("frame at the last level") << QByteArray("<frame src=\"left.htm\">") << 2 << none;
        QTest::newRow("iframe and area give nothing")
            << QByteArray("<iframe src=\"in.htm\"></iframe><area href=\"map.htm\">") << 1 << none;
        QTest::newRow("picture at any depth")
            << QByteArray("<img src=deep.png>") << 7 << QStringList{record("http://h/a/deep.png", ClassPng)};
        QTest::newRow("resolved against the page")
            << QByteArray("<a href=\"?page=2\">2</a><a href=\"../up.htm\">u</a><a href=\"//k/x.jpg\">k</a>")
            << 1
            << QStringList{record("http://h/a/page.htm?page=2", ClassPage),
                           record("http://h/up.htm", ClassPage), record("http://k/x.jpg", ClassJpeg)};
        QTest::newRow("unclosed quote runs to the end")
            << QByteArray("<a href=\"next.htm") << 1 << QStringList{record("http://h/a/next.htm", ClassPage)};
        QTest::newRow("tag without end at the end of the page") << QByteArray("<img src=") << 1 << none;
    }
    void linksAndFrames()
    {
        QFETCH(QByteArray, html);
        QFETCH(int, level);
        QFETCH(QStringList, found);
        QCOMPARE(scan(html, at(level)), found);
    }

    // Quoting and character references, as a browser reads attribute values.
    void attributeValues_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("single-quoted img")
            << QByteArray("<img src='a.jpg'>") << QStringList{record("http://h/a/a.jpg", ClassJpeg)};
        QTest::newRow("single-quoted frame")
            << QByteArray("<frame src='left.htm'>") << QStringList{record("http://h/a/left.htm", ClassPage)};
        QTest::newRow("single-quoted link")
            << QByteArray("<a href='big.jpg'>x</a>") << QStringList{record("http://h/a/big.jpg", ClassJpeg)};
        QTest::newRow("double quote inside single quotes")
            << QByteArray("<img src='say\"hi.jpg'>")
            << QStringList{record("http://h/a/say%22hi.jpg", ClassJpeg)};
        QTest::newRow("blank kept in a quoted value")
            << QByteArray("<img src=\"my pic.jpg\">")
            << QStringList{record("http://h/a/my pic.jpg", ClassJpeg)};
        QTest::newRow("blanks around a quoted value cut")
            << QByteArray("<img src=\" a.jpg\n\">") << QStringList{record("http://h/a/a.jpg", ClassJpeg)};
        QTest::newRow("two unquoted frames in a row")
            << QByteArray("<frame src=left.htm><frame src=main.htm>")
            << QStringList{record("http://h/a/left.htm", ClassPage),
                           record("http://h/a/main.htm", ClassPage)};
        QTest::newRow("two unquoted images in a row")
            << QByteArray("<img src=a.jpg><img src=b.jpg>")
            << QStringList{record("http://h/a/a.jpg", ClassJpeg), record("http://h/a/b.jpg", ClassJpeg)};
        QTest::newRow("img ends at the next tag")
            << QByteArray("<img src=\"a.jpg\" <img src=\"b.jpg\">")
            << QStringList{record("http://h/a/a.jpg", ClassJpeg), record("http://h/a/b.jpg", ClassJpeg)};
        QTest::newRow("ampersand by name") << QByteArray("<a href=\"show.php?a=1&amp;b=2\">x</a>")
                                           << QStringList{record("http://h/a/show.php?a=1&b=2", ClassPage)};
        QTest::newRow("ampersand by number") << QByteArray("<img src=\"a&#38;b&#x26;c.jpg\">")
                                             << QStringList{record("http://h/a/a&b&c.jpg", ClassJpeg)};
        QTest::newRow("other named references")
            << QByteArray("<img src=\"&quot;&apos;&lt;&gt;&nbsp;.jpg\">")
            << QStringList{record(QString::fromUtf8("http://h/a/%22'%3C%3E\xc2\xa0.jpg"), ClassJpeg)};
        QTest::newRow("unknown reference kept")
            << QByteArray("<a href=\"p.php?x=1&copy=2&y\">x</a>")
            << QStringList{record("http://h/a/p.php?x=1&copy=2&y", ClassPage)};
        QTest::newRow("UTF-8 address")
            << QByteArray("<img src=\"caf\xc3\xa9.jpg\">")
            << QStringList{record(QString::fromUtf8("http://h/a/caf\xc3\xa9.jpg"), ClassJpeg)};
        QTest::newRow("Latin-1 address")
            << QByteArray("<img src=\"caf\xe9.jpg\">")
            << QStringList{record(QString::fromUtf8("http://h/a/caf\xc3\xa9.jpg"), ClassJpeg)};
        QTest::newRow("bar encoded") << QByteArray("<img src=\"a|b.jpg\">")
                                     << QStringList{record("http://h/a/a%7Cb.jpg", ClassJpeg)};
    }
    void attributeValues()
    {
        QFETCH(QByteArray, html);
        QFETCH(QStringList, found);
        QCOMPARE(scan(html, at(1)), found);
    }

    void pictureSizes_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<int>("minWidth");
        QTest::addColumn<int>("minHeight");
        QTest::addColumn<QStringList>("found");
        const QByteArray sized("<img src=a.jpg width=50 height=\"40\">");
        QTest::newRow("below the minimum width") << sized << 60 << 0 << QStringList();
        QTest::newRow("below the minimum height") << sized << 0 << 41 << QStringList();
        QTest::newRow("exactly the minimum")
            << sized << 50 << 40 << QStringList{record("http://h/a/a.jpg", ClassJpeg, 50, 40)};
        QTest::newRow("no sizes, no minimum")
            << QByteArray("<img src=a.jpg>") << 0 << 0 << QStringList{record("http://h/a/a.jpg", ClassJpeg)};
        QTest::newRow("no sizes, any minimum") << QByteArray("<img src=a.jpg>") << 1 << 0 << QStringList();
        QTest::newRow("percent is no size")
            << QByteArray("<img src=a.jpg width=\"100%\" height=90>") << 1 << 0 << QStringList();
        QTest::newRow("size by character reference")
            << QByteArray("<img src=a.jpg width=\"&#49;20\" height=\" 90 \">") << 100 << 90
            << QStringList{record("http://h/a/a.jpg", ClassJpeg, 120, 90)};
    }
    void pictureSizes()
    {
        QFETCH(QByteArray, html);
        QFETCH(int, minWidth);
        QFETCH(int, minHeight);
        QFETCH(QStringList, found);
        ScanOptions o = at(1);
        o.minWidth = minWidth;
        o.minHeight = minHeight;
        QCOMPARE(scan(html, o), found);
    }

    void thumbnailLinks_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<int>("level");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("picture behind a thumbnail")
            << QByteArray("<a href=big1.jpg><img src=\"t/small1.jpg\" width=80></a>") << 1
            << QStringList{thumbnail("http://h/a/t/small1.jpg", 80, 0, "big1.jpg", ClassJpeg)};
        QTest::newRow("page behind a thumbnail")
            << QByteArray("<a href=\"../show.php?id=7&amp;s=1\"><b><img src=t/s7.jpg height=60></b></a>") << 1
            << QStringList{thumbnail("http://h/a/t/s7.jpg", 0, 60, "../show.php?id=7&s=1", ClassPage)};
        QTest::newRow("page behind a thumbnail at the last level")
            << QByteArray("<a href=show.htm><img src=t/s7.jpg></a>") << 2 << QStringList();
        QTest::newRow("picture behind a thumbnail at the last level")
            << QByteArray("<a href=b.jpg><img src=t/s7.jpg></a>") << 2
            << QStringList{thumbnail("http://h/a/t/s7.jpg", 0, 0, "b.jpg", ClassJpeg)};
        QTest::newRow("picture behind a thumbnail beyond the last level")
            << QByteArray("<a href=b.jpg><img src=t/s7.jpg></a>") << 3 << QStringList();
        QTest::newRow("six-character thumbnail of a page")
            << QByteArray("<a href=show.htm><img src=ab.jpg></a>") << 1 << QStringList();
        QTest::newRow("six-character thumbnail of a picture")
            << QByteArray("<a href=b.jpg><img src=ab.jpg></a>") << 1
            << QStringList{thumbnail("http://h/a/ab.jpg", 0, 0, "b.jpg", ClassJpeg)};
        QTest::newRow("picture link without thumbnail")
            << QByteArray("<a href=b.jpg>big</a>") << 1 << QStringList();
        QTest::newRow("page link without thumbnail") << QByteArray("<a href=next.htm>next</a>") << 1
                                                     << QStringList{record("http://h/a/next.htm", ClassPage)};
        QTest::newRow("later picture in a link wins")
            << QByteArray("<a href=b.jpg><img src=t/one.jpg><img src=t/two.jpg></a>") << 1
            << QStringList{thumbnail("http://h/a/t/two.jpg", 0, 0, "b.jpg", ClassJpeg)};
        QTest::newRow("unclosed link takes the rest of the page")
            << QByteArray("<a href=b.jpg><img src=t/one.jpg><a href=c.jpg>x</b><img src=t/two.jpg>") << 1
            << QStringList{thumbnail("http://h/a/t/two.jpg", 0, 0, "b.jpg", ClassJpeg)};
        QTest::newRow("plain pictures still taken")
            << QByteArray("<a href=b.jpg><img src=t/one.jpg></a><img src=logo.gif>") << 1
            << QStringList{thumbnail("http://h/a/t/one.jpg", 0, 0, "b.jpg", ClassJpeg),
                           record("http://h/a/logo.gif", ClassGif)};
        QTest::newRow("link target cannot fake a link mark")
            << QByteArray("<a href=\"x**y.jpg\"><img src=t/one.jpg></a>") << 1
            << QStringList{thumbnail("http://h/a/t/one.jpg", 0, 0, "x%2A%2Ay.jpg", ClassJpeg)};
    }
    void thumbnailLinks()
    {
        QFETCH(QByteArray, html);
        QFETCH(int, level);
        QFETCH(QStringList, found);
        const QStringList result = scan(html, at(level, 2, true));
        QCOMPARE(result, found);
        // What the crawl reads back is what was found.
        for (const QString &text : result)
            QCOMPARE(urlinfo::fromText(text).toText(), text);
    }

    void textLimitation_data()
    {
        QTest::addColumn<QString>("include");
        QTest::addColumn<QString>("exclude");
        QTest::addColumn<int>("level");
        QTest::addColumn<QStringList>("kept"); // link targets of the records found
        QTest::newRow("include word") << "sun"
                                      << "" << 1 << QStringList{"beach.jpg", "image.jpg"};
        QTest::newRow("exclude word") << "sun"
                                      << "beach" << 1 << QStringList{"image.jpg"};
        QTest::newRow("no include words") << ""
                                          << "" << 1 << QStringList{"image.jpg"};
        QTest::newRow("only on the first page")
            << ""
            << "" << 2 << QStringList{"beach.jpg", "mount.jpg", "image.jpg"};
    }
    void textLimitation()
    {
        QFETCH(QString, include);
        QFETCH(QString, exclude);
        QFETCH(int, level);
        QFETCH(QStringList, kept);
        const QByteArray html = "<a href=beach.jpg><img src=t/beach.jpg>Sunset <i>beach</i></a>"
                                "<a href=mount.jpg><img src=t/mount.jpg>Mountains</a>"
                                "<a href=image.jpg><img src=t/image.jpg></a>";
        Settings settings;
        settings.includestext = include;
        settings.notincludestext = exclude;
        settings.rebuildKeywordLists();
        ScanOptions o = at(level, 3, true);
        o.textLimitation = true;
        o.includeList = settings.includelist;
        o.excludeList = settings.excludelist;
        QStringList targets;
        for (const QString &text : scan(html, o))
            targets << urlinfo::fromText(text).linkAddress;
        QCOMPARE(targets, kept);
    }

    void scriptsAndComments()
    {
        const QByteArray html =
            "<script>document.write('<a href=\"inscript.htm\">x</a><img src=\"in.jpg\">');"
            "if (a < b) c = '</b>';</script>"
            "<!-- <a href=\"comment.htm\">old</a> -->"
            "<img src=after.jpg>"
            "<SCRIPT>x = '<img src=\"never.jpg\">'</ Script >"
            "<img src=last.gif>"
            "<script>unclosed; <img src=\"gone.jpg\">";
        QCOMPARE(scan(html, at(1)), (QStringList{record("http://h/a/comment.htm", ClassPage),
                                                 record("http://h/a/after.jpg", ClassJpeg),
                                                 record("http://h/a/last.gif", ClassGif)}));
    }

    void title_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<bool>("named");
        QTest::addColumn<QString>("name");
        QTest::newRow("words joined") << QByteArray("<title>My Photos</title>") << true << true << "MyPhotos";
        QTest::newRow("punctuation kept")
            << QByteArray("<TITLE>\n Sea - 2024 (1)\n</TITLE>") << true << true << "Sea-2024(1)";
        QTest::newRow("not pending") << QByteArray("<title>My Photos</title>") << false << false << "";
        QTest::newRow("attribute") << QByteArray("<title lang=en>My Photos</title>") << true << true
                                   << "NoneTitle";
        QTest::newRow("attribute, not pending")
            << QByteArray("<title id=t>x</title>") << false << true << "NoneTitle";
        QTest::newRow("empty") << QByteArray("<title></title>") << true << true << "";
        QTest::newRow("none") << QByteArray("<p>no title</p>") << true << false << "";
        QTest::newRow("UTF-8") << QByteArray("<title>Caf\xc3\xa9 Noir</title>") << true << true
                               << QString::fromUtf8("Caf\xc3\xa9Noir");
        QTest::newRow("Latin-1") << QByteArray("<title>Caf\xe9 Noir</title>") << true << true
                                 << QString::fromUtf8("Caf\xc3\xa9Noir");
        QTest::newRow("cut to 200") << "<title>" + QByteArray(250, 'x') + "</title>" << true << true
                                    << QString(200, u'x');
        QTest::newRow("unterminated") << QByteArray("<title>Open end") << true << true << "Openend";
        QTest::newRow("later title wins")
            << QByteArray("<title>One</title><title>Two</title>") << true << true << "Two";
    }
    void title()
    {
        QFETCH(QByteArray, html);
        QFETCH(bool, pending);
        QFETCH(bool, named);
        QFETCH(QString, name);
        PageScanner scanner;
        ScanOptions o;
        o.namingPending = pending;
        ScanResult result;
        scanner.scanPage(html, pageAddress, o, result);
        QCOMPARE(result.searchName.has_value(), named);
        if (named)
            QCOMPARE(*result.searchName, name);
    }

    // A page may hold a million picture tags: what one page gives is bounded,
    // and a title after them still names the search.
    void foundAddressesAreBounded()
    {
        QByteArray html;
        for (int i = 0; i < 300; ++i)
            html += "<img src=\"p" + QByteArray::number(i) + ".jpg\">";
        html += "<title>Late</title>";
        ScanOptions o;
        o.maxFound = 100;
        o.namingPending = true;
        ScanResult result;
        PageScanner().scanPage(html, QStringLiteral("http://h/a/page.htm"), o, result);
        QCOMPARE(result.found.size(), 100);
        QCOMPARE(result.found.last(), record("http://h/a/p99.jpg", ClassJpeg));
        QCOMPARE(result.searchName.value_or(QString()), QStringLiteral("Late"));
    }

    void linkRightAfterTitleFound()
    {
        // A broken title must not hide the tag that ends it.
        QCOMPARE(scan("<title>Gallery<a href=\"page2.htm\">2</a>", at(1)),
                 QStringList{record("http://h/a/page2.htm", ClassPage)});
    }

    void substringRange_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("substrings");
        QTest::addColumn<QByteArray>("from"); // the range starts at this text, or nothing found
        QTest::addColumn<QByteArray>("upTo"); // and ends just after this text
        const QByteArray page = "<p>Gallery</p><A HREF=\"p2.htm\">Next Page</A> more";
        QTest::newRow("phrase of a link")
            << page << " Next Page " << QByteArray("<A HREF") << QByteArray("Page");
        QTest::newRow("punctuation between words") << QByteArray("<a href=x>Next, page!</a>") << "Next page"
                                                   << QByteArray("<a href") << QByteArray("page");
        QTest::newRow("a broken match starts over with the next word")
            << QByteArray("<a href=x>Next Next Page</a>") << "Next Page" << QByteArray() << QByteArray();
        QTest::newRow("case matters") << page << "next page" << QByteArray() << QByteArray();
        QTest::newRow("words inside tags do not count")
            << QByteArray("<a title=\"Next Page\" href=x>Other</a>") << "Next Page" << QByteArray()
            << QByteArray();
        QTest::newRow("no words") << page << " , " << QByteArray() << QByteArray();
        QTest::newRow("no link before")
            << QByteArray("Next Page") << "Next Page" << QByteArray("Next") << QByteArray("Page");
        QTest::newRow("last word at the very end")
            << QByteArray("<a href=x>a;b") << "a b" << QByteArray("<a") << QByteArray("b");
    }
    void substringRange()
    {
        QFETCH(QByteArray, page);
        QFETCH(QString, substrings);
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, upTo);
        PageScanner scanner;
        ScanResult titleResult;
        const PageScanner::Range range =
            scanner.findSubstringRange(page, substrings, ScanOptions(), titleResult);
        if (from.isEmpty()) {
            QCOMPARE(range.start, 0);
            QCOMPARE(range.end, 0);
            return;
        }
        QCOMPARE(range.start, page.indexOf(from) + 1);
        QCOMPARE(range.end, page.lastIndexOf(upTo) + upTo.size() + 1);
    }

    void substringSearchReadsTheTitle()
    {
        PageScanner scanner;
        ScanOptions o;
        o.namingPending = true;
        ScanResult titleResult;
        const QByteArray page = "<title>Big Cats</title><a href=lions.htm>Lions</a>";
        const PageScanner::Range range = scanner.findSubstringRange(page, "Lions", o, titleResult);
        QCOMPARE(range.start, page.indexOf("<a") + 1);
        QCOMPARE(titleResult.searchName, std::optional<QString>(QStringLiteral("BigCats")));

        // The crawl scans the range into the same result: the title stays.
        scanner.scanPage(QByteArrayView(page).sliced(range.start - 1, range.end - range.start), pageAddress,
                         o, titleResult);
        QCOMPARE(titleResult.found, QStringList{record("http://h/a/lions.htm", ClassPage)});
        QCOMPARE(titleResult.searchName, std::optional<QString>(QStringLiteral("BigCats")));
    }

    void keywordWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QStringList>("keywords"); // as Settings keeps them
        QTest::newRow("comma") << "flower, garden" << QStringList{"flower", "garden"}
                               << QStringList{"FLOWER", "GARDEN"};
        QTest::newRow("no blank") << "sun,beach" << QStringList{"sun", "beach"}
                                  << QStringList{"SUN", "BEACH"};
        QTest::newRow("hyphen splits") << "e-mail" << QStringList{"e", "mail"} << QStringList{"E", "MAIL"};
        QTest::newRow("accented letter splits")
            << QString::fromUtf8("\xc3\x85lesund fjord") << QStringList{"lesund", "fjord"}
            << QStringList{"LESUND", "FJORD"};
        QTest::newRow("last word kept whole")
            << "red green2" << QStringList{"red", "green2"} << QStringList{"RED", "GREEN2"};
        QTest::newRow("nothing") << " ,; " << QStringList() << QStringList();
    }
    void keywordWords()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QFETCH(QStringList, keywords);
        QCOMPARE(PageScanner::keywordWords(text), words);
        Settings settings;
        settings.includestext = text;
        settings.notincludestext = text;
        settings.rebuildKeywordLists();
        QCOMPARE(settings.includelist, keywords);
        QCOMPARE(settings.excludelist, keywords);
    }

    // Pages built to make a careless scanner quadratic: each is a few megabytes,
    // so anything worse than linear would take minutes rather than milliseconds.
    void hostilePagesStayLinear_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<bool>("thumbnails");
        QTest::addColumn<QString>("substrings");
        QTest::newRow("unclosed links") << QByteArray("<a href=x.jpg>word ").repeated(200000) << true << "";
        QTest::newRow("unclosed links with images")
            << QByteArray("<a href=b.jpg><img src=t/s.jpg ").repeated(150000) << true << "";
        QTest::newRow("opening brackets") << QByteArray(4000000, '<') << false << "";
        QTest::newRow("unclosed quotes") << QByteArray("<img src=\"").repeated(400000) << false << "";
        QTest::newRow("unclosed script")
            << "<script>" + QByteArray("</ scrip <").repeated(400000) << false << "";
        QTest::newRow("unclosed title") << "<title>" + QByteArray("x ").repeated(2000000) << false << "";
        QTest::newRow("near-miss phrase")
            << QByteArray("a a a a b ").repeated(400000) << false << "a a a a a";
        QTest::newRow("phrase far from any link")
            << QByteArray("x ").repeated(2000000) + "end" << false << "end";
    }
    void hostilePagesStayLinear()
    {
        QFETCH(QByteArray, html);
        QFETCH(bool, thumbnails);
        QFETCH(QString, substrings);
        PageScanner scanner;
        ScanOptions o = at(1, 2, thumbnails);
        o.textLimitation = true;
        o.includeList = QStringList{"WORD"};
        o.namingPending = true;
        ScanResult result;
        QElapsedTimer timer;
        timer.start();
        if (substrings.isEmpty())
            scanner.scanPage(html, pageAddress, o, result);
        else
            scanner.findSubstringRange(html, substrings, o, result);
        QVERIFY2(timer.elapsed() < 20000, QByteArray::number(timer.elapsed()).constData());
        if (result.searchName)
            QVERIFY(result.searchName->size() <= 200);
    }
};

QTEST_GUILESS_MAIN(TestPageScanner)
#include "tst_pagescanner.moc"
