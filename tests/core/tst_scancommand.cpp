#include "support/testenv.h"

#include <QSettings>
#include <QTest>

namespace {

const QString pageUrl = QStringLiteral("http://example.com/gallery/index.htm");

QString fixture(const char *name)
{
    return QStringLiteral(SNAPDREDGE_TEST_DATA) + u'/' + QLatin1String(name);
}

// The lines `scan` prints: one urlinfo text per address found on pageUrl, then the title.
QString lines(const QStringList &records, const QString &title)
{
    QString out;
    for (const QString &r : records)
        out += r + QStringLiteral("*#") + pageUrl + QStringLiteral("|\n");
    return out + QStringLiteral("title: ") + title + u'\n';
}

void storeSettings(const TestEnv &env, const QList<std::pair<QString, QString>> &values)
{
    QSettings ini(env.settingsFile(), QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Snapdredge"));
    for (const auto &[name, value] : values)
        ini.setValue(name, value);
}

} // namespace

class TestScanCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void scansSavedPages_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("output");
        const QString g = QStringLiteral("http://example.com/gallery/");
        QTest::newRow("gallery, any picture")
            << QStringList{"--url", pageUrl, fixture("scan_thumbnails.html")}
            << lines({g + "photos/beach1.jpg|0|0|0|0|", g + "thumbs/beach1.jpg|0|120|90|0|",
                      g + "photos/beach2.jpg|0|0|0|0|", g + "thumbs/beach2.jpg|0|120|90|0|",
                      g + "view.php?id=3&size=big|2|0|0|0|", g + "thumbs/dune3.jpg|0|120|90|0|",
                      g + "gallery2.htm|2|0|0|0|", "http://example.com/index.html|2|0|0|0|",
                      g + "images/logo.gif|1|40|20|0|"},
                     "SummerGallery");
        QTest::newRow("gallery, thumbnails")
            << QStringList{"--thumbnails", "--url", pageUrl, fixture("scan_thumbnails.html")}
            << lines({g + "thumbs/beach1.jpg|0|120|90|0|**photos/beach1.jpg|0|0|0|0|",
                      g + "thumbs/beach2.jpg|0|120|90|0|**photos/beach2.jpg|0|0|0|0|",
                      g + "thumbs/dune3.jpg|0|120|90|0|**view.php?id=3&size=big|2|0|0|0|",
                      g + "gallery2.htm|2|0|0|0|", "http://example.com/index.html|2|0|0|0|",
                      g + "images/logo.gif|1|40|20|0|"},
                     "SummerGallery");
        QTest::newRow("frameset") << QStringList{"--url", pageUrl, fixture("scan_frameset.html")}
                                  << lines({g + "menu.htm|2|0|0|0|", g + "main.htm|2|0|0|0|",
                                            "http://example.com/shared/footer page.htm|2|0|0|0|"},
                                           "NoneTitle");
        QTest::newRow("frameset at the last level")
            << QStringList{"--level", "2", "--url", pageUrl, fixture("scan_frameset.html")}
            << lines({}, "NoneTitle");
        QTest::newRow("scripts and comments")
            << QStringList{"--url", pageUrl, fixture("scan_script.html")}
            << lines({g + "old/archive.htm|2|0|0|0|", "https://cdn.example.net/pics/hero.png|4|0|0|0|",
                      g + "inline.jpg|0|0|0|0|"},
                     "Scriptsandcomments");
    }
    void scansSavedPages()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, output);
        TestEnv env;
        const TestEnv::Result r = env.run(QStringList{"scan"} + args);
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QString::fromUtf8(r.out), output);
    }

    void usesStoredSettings()
    {
        TestEnv env;
        storeSettings(env, {{"width", "100"}, {"selecttext", "1"}, {"includestext", "next, other"}});
        const QString g = QStringLiteral("http://example.com/gallery/");

        // Any picture: the stored minimum width drops the logo; text limitation
        // only works on thumbnail runs.
        TestEnv::Result r = env.run({"scan", "--url", pageUrl, fixture("scan_thumbnails.html")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(!r.out.contains("logo.gif"));
        QVERIFY(r.out.contains("index.html"));

        // Thumbnails: any declared size, and of the text links only the one
        // whose text holds an include word.
        r = env.run({"scan", "--thumbnails", "--url", pageUrl, fixture("scan_thumbnails.html")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QString::fromUtf8(r.out),
                 lines({g + "thumbs/beach1.jpg|0|120|90|0|**photos/beach1.jpg|0|0|0|0|",
                        g + "thumbs/beach2.jpg|0|120|90|0|**photos/beach2.jpg|0|0|0|0|",
                        g + "thumbs/dune3.jpg|0|120|90|0|**view.php?id=3&size=big|2|0|0|0|",
                        g + "gallery2.htm|2|0|0|0|", g + "images/logo.gif|1|40|20|0|"},
                       "SummerGallery"));
    }

    void badUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        const QString file = fixture("scan_script.html");
        QTest::newRow("no url") << QStringList{file};
        QTest::newRow("url without value") << QStringList{file, "--url"};
        QTest::newRow("relative url") << QStringList{"--url", "example.com/x.htm", file};
        QTest::newRow("no file") << QStringList{"--url", pageUrl};
        QTest::newRow("two files") << QStringList{"--url", pageUrl, file, file};
        QTest::newRow("level not a number") << QStringList{"--url", pageUrl, "--level", "two", file};
        QTest::newRow("level zero") << QStringList{"--url", pageUrl, "--level", "0", file};
        QTest::newRow("unknown option") << QStringList{"--url", pageUrl, "--deep", file};
    }
    void badUsage()
    {
        QFETCH(QStringList, args);
        TestEnv env;
        const TestEnv::Result r = env.run(QStringList{"scan"} + args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.contains("Usage:"));
    }

    void unreadableFile()
    {
        TestEnv env;
        const QString missing = env.root() + QStringLiteral("/no-such-page.html");
        const TestEnv::Result r = env.run({"scan", "--url", pageUrl, missing});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.contains(missing.toUtf8()));
    }
};

QTEST_GUILESS_MAIN(TestScanCommand)
#include "tst_scancommand.moc"
