#include "crawl/urlinfo.h"
#include "html/addressrules.h"

#include <QTest>

class TestAddressRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void folder_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("folder");
        QTest::newRow("page") << "http://h/dir/page.htm"
                              << "http://h/dir/";
        QTest::newRow("host only") << "http://h"
                                   << "http://h/";
        QTest::newRow("folder") << "http://h/dir/"
                                << "http://h/dir/";
        QTest::newRow("slash in the query") << "http://h/cgi/show?img=a/b.jpg"
                                            << "http://h/cgi/";
        QTest::newRow("query after the host") << "http://h?x=1"
                                              << "http://";
        QTest::newRow("no slash") << "page.htm"
                                  << "";
    }
    void folder()
    {
        QFETCH(QString, address);
        QFETCH(QString, folder);
        QCOMPARE(addressFolder(address), folder);
    }

    void resolve_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("resolved");
        const QString page = QStringLiteral("http://h/a/b/page.htm");
        QTest::newRow("file name") << page << "pic.jpg"
                                   << "http://h/a/b/pic.jpg";
        QTest::newRow("root-relative") << page << "/img/pic.jpg"
                                       << "http://h/img/pic.jpg";
        QTest::newRow("one up") << page << "../pic.jpg"
                                << "http://h/a/pic.jpg";
        QTest::newRow("two up") << page << "../../pic.jpg"
                                << "http://h/pic.jpg";
        QTest::newRow("never above the root") << page << "../../../../pic.jpg"
                                              << "http://h/pic.jpg";
        QTest::newRow("up from the root") << "http://h/"
                                          << "../x.htm"
                                          << "http://h/x.htm";
        QTest::newRow("dot") << page << "./pic.jpg"
                             << "http://h/a/b/pic.jpg";
        QTest::newRow("dots inside") << page << "x/./y/../pic.jpg"
                                     << "http://h/a/b/x/pic.jpg";
        QTest::newRow("query goes to the page") << page << "?page=2"
                                                << "http://h/a/b/page.htm?page=2";
        QTest::newRow("query against a folder") << "http://h/a/b/"
                                                << "?page=2"
                                                << "http://h/a/b/?page=2";
        QTest::newRow("fragment dropped") << page << "pic.htm#top"
                                          << "http://h/a/b/pic.htm";
        QTest::newRow("fragment only") << page << "#top" << page;
        QTest::newRow("protocol-relative") << "http://h/a/"
                                           << "//k/x.jpg"
                                           << "http://k/x.jpg";
        QTest::newRow("protocol-relative keeps https") << "https://h/a/"
                                                       << "//k/x.jpg"
                                                       << "https://k/x.jpg";
        QTest::newRow("absolute") << page << "http://k/x.jpg"
                                  << "http://k/x.jpg";
        QTest::newRow("absolute https") << page << "https://k/x.jpg"
                                        << "https://k/x.jpg";
        QTest::newRow("upper-case scheme") << "http://h/a/"
                                           << "HTTP://k/x.jpg"
                                           << "http://k/x.jpg";
        QTest::newRow("upper-case host") << page << "http://K.Example/x.jpg"
                                         << "http://k.example/x.jpg";
        QTest::newRow("host without path") << page << "http://k"
                                           << "http://k/";
        QTest::newRow("www is relative") << page << "www.k/x.jpg"
                                         << "http://h/a/b/www.k/x.jpg";
        QTest::newRow("blank kept") << page << "my pic.jpg"
                                    << "http://h/a/b/my pic.jpg";
        QTest::newRow("encoded blank made readable") << page << "my%20pic.jpg"
                                                     << "http://h/a/b/my pic.jpg";
        QTest::newRow("non-ASCII kept") << page << QString::fromUtf8("caf\xc3\xa9.jpg")
                                        << QString::fromUtf8("http://h/a/b/caf\xc3\xa9.jpg");
        QTest::newRow("surrounding blanks cut") << page << "  pic.jpg\n"
                                                << "http://h/a/b/pic.jpg";
        QTest::newRow("line break inside dropped") << page << "pi\nc.jpg"
                                                   << "http://h/a/b/pic.jpg";
        QTest::newRow("port kept") << page << "http://k:8080/x.jpg"
                                   << "http://k:8080/x.jpg";
        QTest::newRow("bad host") << page << "http://a..b/x.jpg"
                                  << "";
        // "**" would read as the start of a link target in the urlinfo text.
        QTest::newRow("double star encoded") << page << "a**b.jpg"
                                             << "http://h/a/b/a%2A%2Ab.jpg";
        QTest::newRow("trailing encoded blank stays encoded") << page << "pic%20"
                                                              << "http://h/a/b/pic%20";
    }
    void resolve()
    {
        QFETCH(QString, base);
        QFETCH(QString, reference);
        QFETCH(QString, resolved);
        QCOMPARE(resolveAddress(base, reference), resolved);
        QCOMPARE(resolveAddressGeneral(base, reference), resolved);
    }

    void resolveUrlinfoText_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("resolved");
        QTest::newRow("only the leading address")
            << "http://h/a/b/page.htm"
            << "t/s.jpg|0|80|60|0|**../big.htm|2|0|0|0|*#http://h/a/b/page.htm|"
            << "http://h/a/b/t/s.jpg|0|80|60|0|**../big.htm|2|0|0|0|*#http://h/a/b/page.htm|";
        QTest::newRow("through QUrl") << "http://h/a/b/page.htm"
                                      << "../big.jpg|0|0|0|0|*#http://h/x/|"
                                      << "http://h/a/big.jpg|0|0|0|0|*#http://h/x/|";
        QTest::newRow("placeholder against a page") << "http://h/a/b/page.htm?x=1"
                                                    << "*#bbb.html|"
                                                    << "http://h/a/b/*#bbb.html|";
        QTest::newRow("placeholder against a folder") << "http://h/a/"
                                                      << "*#bbb.html|"
                                                      << "http://h/a/*#bbb.html|";
    }
    void resolveUrlinfoText()
    {
        QFETCH(QString, base);
        QFETCH(QString, text);
        QFETCH(QString, resolved);
        QCOMPARE(resolveAddress(base, text), resolved);
    }

    void placeholderReadsBackAsPictureOfTheFolder()
    {
        const urlinfo info = urlinfo::fromText(resolveAddress(u"http://h/a/p.htm", u"*#bbb.html|"));
        QCOMPARE(info.address, QStringLiteral("http://h/a/*#bbb.html"));
        QCOMPARE(info.referrer, QStringLiteral("bbb.html"));
        QVERIFY(!info.hasLinkTarget);
    }

    // The shortcut for plain file names and plain absolute addresses must give
    // exactly what QUrl gives; every base is tried with every reference, so the
    // near misses of the shortcut (upper case, dots, colons, ports, IDNA, IPv4,
    // encoded characters) meet both kinds of base.
    void shortcutAgreesWithQUrl()
    {
        const QStringList bases = {
            "http://h/a/b/page.htm",
            "http://h/a/b/",
            "https://www.example.com/gallery/index.php?cat=3&p=2",
            "http://h",
            "http://h/",
            "http://H/a/",
            "http://h:8080/a/",
            "http://xn--bcher-kva.de/a/",
            "http://127.1/a/",
            "http://a-b.c9/x y/p.htm",
            "http://h/a/./b/",
            "http://h/a/b/p.htm#frag",
            "http://h//a//",
            "not an address",
            "",
        };
        const QStringList references = {
            "pic.jpg",
            "t/small.jpg",
            "show.php?id=1&x=a/../b",
            "/img/pic.jpg",
            "//k/x.jpg",
            "?page=2",
            "../pic.jpg",
            "./pic.jpg",
            "...jpg",
            ".hidden/x",
            "a/..b/c",
            "a/.",
            "a/..",
            "a:b/c",
            "a/b:c",
            "p.php?u=http://k/x",
            "my pic.jpg",
            "a%41b.jpg",
            "a%2fb",
            "x'y(z)!$*+,;=@~.jpg",
            "a**b",
            "http://k/x.jpg",
            "https://k/",
            "http://k",
            "http://K/x",
            "http://k:80/x",
            "http://user@k/x",
            "http://k./x",
            "http://-k/x",
            "http://1.2.3.4/x",
            "http://k.0x1/x",
            "http://xn--bcher-kva.de/",
            "http://a.b-c.d/x?y=/../z",
            "http://k/a/../b",
            "http://k/a//b",
            "http://k/x?",
            "http://k/x y",
            "mailto:x@k",
            "HTTP:x",
            "http:x",
            "a?b#c",
            "",
        };
        for (const QString &base : bases) {
            for (const QString &reference : references) {
                const QByteArray what = (base + QStringLiteral(" + ") + reference).toUtf8();
                QVERIFY2(resolveAddress(base, reference) == resolveAddressGeneral(base, reference),
                         what.constData());
            }
        }
    }

    void addressClass_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("expected");
        QTest::newRow("JPG upper case") << "photo.JPG" << int(ClassJpeg);
        QTest::newRow("jpeg") << "photo.jpeg" << int(ClassJpeg);
        QTest::newRow("no dot needed") << "http://h/imagejpg" << int(ClassJpeg);
        QTest::newRow("gif") << "anim.gif" << int(ClassGif);
        QTest::newRow("png") << "logo.png" << int(ClassPng);
        QTest::newRow("html") << "index.html" << int(ClassPage);
        QTest::newRow("folder") << "http://h/dir/" << int(ClassPage);
        QTest::newRow("exe") << "setup.exe" << int(ClassOther);
        QTest::newRow("mpeg") << "clip.mpeg" << int(ClassOther);
        QTest::newRow("mpg") << "clip.mpg" << int(ClassOther);
        QTest::newRow("avi is a page") << "movie.avi" << int(ClassPage);
        QTest::newRow("no extension") << "http://h/view" << int(ClassPage);
        QTest::newRow("question mark decides first") << "show.php?id=1.jpg" << int(ClassPage);
        QTest::newRow("query after a picture") << "image.jpg?w=100" << int(ClassPage);
        QTest::newRow("empty") << "" << int(ClassPage);
    }
    void addressClass()
    {
        QFETCH(QString, address);
        QFETCH(int, expected);
        QCOMPARE(::addressClass(address), expected);
    }

    void normaliseStartAddress_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("normalised");
        QTest::newRow("no scheme") << "www.h"
                                   << "http://www.h/";
        QTest::newRow("folder gets its slash") << "http://h/gallery"
                                               << "http://h/gallery/";
        QTest::newRow("file unchanged") << "http://h/a.htm"
                                        << "http://h/a.htm";
        QTest::newRow("query unchanged") << "http://h/cgi?id=3"
                                         << "http://h/cgi?id=3";
        QTest::newRow("https kept") << "https://h/"
                                    << "https://h/";
        QTest::newRow("https host gets its slash") << "https://h"
                                                   << "https://h/";
        QTest::newRow("upper-case scheme lowered") << "HTTP://H"
                                                   << "http://H/";
        QTest::newRow("blanks around") << "  h/pics  "
                                       << "http://h/pics/";
        QTest::newRow("host and port without scheme") << "localhost:8080/x.htm"
                                                      << "http://localhost:8080/x.htm";
    }
    void normaliseStartAddress()
    {
        QFETCH(QString, typed);
        QFETCH(QString, normalised);
        QCOMPARE(::normaliseStartAddress(typed), normalised);
    }

    void siteRoot_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("root");
        QTest::newRow("page") << "http://h/a/b.htm"
                              << "http://h/";
        QTest::newRow("https") << "https://h/a/"
                               << "https://h/";
        QTest::newRow("host without slash") << "http://h"
                                            << "http://";
        QTest::newRow("no scheme") << "h/a/b"
                                   << "h/";
        QTest::newRow("no slash at all") << "h"
                                         << "h";
        QTest::newRow("empty") << ""
                               << "";
    }
    void siteRoot()
    {
        QFETCH(QString, address);
        QFETCH(QString, root);
        QCOMPARE(::siteRoot(address), root);
    }

    void paths()
    {
        QCOMPARE(pathJoin(u"/pics/mypic/", u"a.jpg"), QStringLiteral("/pics/mypic/a.jpg"));
        QCOMPARE(fileNameOfPath(u"/sites/h.sit"), QStringLiteral("h.sit"));
        QCOMPARE(fileNameOfPath(u"h.sit"), QStringLiteral("h.sit"));
        QCOMPARE(fileNameOfPath(u"/sites/"), QString());
    }

    void contentLength_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<int>("length");
        QTest::newRow("usual") << "HTTP/1.1 200 OKContent-Length: 5120Content-Type: image/jpeg" << 5120;
        QTest::newRow("no blank after the colon") << "Content-Length:5120" << 5120;
        QTest::newRow("lower case, several blanks") << "content-length:   42\r\n" << 42;
        QTest::newRow("blank before the colon") << "CONTENT-LENGTH : 7" << 7;
        QTest::newRow("missing") << "HTTP/1.1 200 OKContent-Type: text/html" << 0;
        QTest::newRow("name without colon skipped") << "X-Content-Length-Hint: 1Content-Length: 9" << 9;
        QTest::newRow("not a number") << "Content-Length: none" << 0;
        QTest::newRow("beyond 32 bits") << "Content-Length: 99999999999" << 0;
    }
    void contentLength()
    {
        QFETCH(QString, header);
        QFETCH(int, length);
        QCOMPARE(::contentLength(header), length);
    }
};

QTEST_GUILESS_MAIN(TestAddressRules)
#include "tst_addressrules.moc"
