#include "crawl/crawltexts.h"
#include "crawl/picturesaver.h"
#include "crawl/urlinfo.h"
#include "store/runcounters.h"
#include "store/searchnaming.h"

#include <QDateTime>
#include <QTest>

class TestCrawlTexts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void counters()
    {
        RunCounters c;
        c.pagesPending = 3;
        c.picturesPending = 12;
        c.picturesSaved = 5;
        c.picturesFailed = 2;
        QCOMPARE(countersText(c), QStringLiteral("3:12->5:2"));
    }

    void times_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("pictures");
        QTest::addColumn<int>("saved");
        QTest::addColumn<int>("failed");
        QTest::addColumn<int>("elapsed");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing saved yet") << 0 << 10 << 0 << 3 << 60 << "";
        QTest::newRow("elapsed") << 0 << 0 << 1 << 0 << 125 << "00:02:05|00:00:00";
        QTest::newRow("hundred hours") << 0 << 0 << 1 << 0 << 360000 << "100:00:00|00:00:00";
        QTest::newRow("estimate") << 0 << 10 << 5 << 0 << 60 << "00:01:00|00:02:00";
        QTest::newRow("failures count a tenth") << 2 << 8 << 4 << 10 << 50 << "00:00:50|00:01:40";
    }
    void times()
    {
        QFETCH(int, pages);
        QFETCH(int, pictures);
        QFETCH(int, saved);
        QFETCH(int, failed);
        QFETCH(int, elapsed);
        QFETCH(QString, text);
        RunCounters c;
        c.pagesPending = pages;
        c.picturesPending = pictures;
        c.picturesSaved = saved;
        c.picturesFailed = failed;
        c.elapsedSeconds = elapsed;
        QCOMPARE(timesText(c), text);
    }

    void speed()
    {
        QCOMPARE(speedText(2047), QStringLiteral("1 k/s"));
        QCOMPARE(speedText(0), QStringLiteral("0 k/s"));
    }

    void uniqueNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("unique");
        QTest::newRow("free") << "Gallery" << QStringList{} << "Gallery";
        QTest::newRow("second") << "Gallery" << QStringList{"Gallery"} << "Gallery(2)";
        QTest::newRow("third") << "Gallery" << QStringList{"Gallery", "Gallery(2)"} << "Gallery(3)";
        QTest::newRow("empty") << "  " << QStringList{} << "NoneTitle";
        QTest::newRow("unsafe characters") << "a: b?" << QStringList{} << "a- b-";
        QTest::newRow("own parentheses") << "Pics (old)" << QStringList{"Pics (old)"} << "Pics (old)(2)";
        QTest::newRow("case matters") << "gallery" << QStringList{"Gallery"} << "gallery";
    }
    void uniqueNames()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, taken);
        QFETCH(QString, unique);
        QCOMPARE(uniqueSearchName(name, taken), unique);
    }

    // stamped: the name as the stamp leaves it; stored: the file name the
    // saver gives the picture in the default naming mode.
    void stampedNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stamped");
        QTest::addColumn<QString>("stored");
        QTest::newRow("jpg") << "rose.jpg"
                             << "rose_09/12/2026_20-11-05.jpg"
                             << "rose_09-12-2026_20-11-05.jpg";
        QTest::newRow("jpeg keeps its extension") << "picture.jpeg"
                                                  << "picture_09/12/2026_20-11-05.jpeg"
                                                  << "picture_09-12-2026_20-11-05.jpeg";
        QTest::newRow("short") << "a.jpg"
                               << "a_09/12/2026_20-11-05.jpg"
                               << "a_09-12-2026_20-11-05.jpg";
        QTest::newRow("query string") << "show?id=7.gif"
                                      << "show?id=7_09/12/2026_20-11-05.gif"
                                      << "show-id=7_09-12-2026_20-11-05.gif";
    }
    void stampedNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, stamped);
        QFETCH(QString, stored);
        const QDateTime when(QDate(2026, 12, 9), QTime(20, 11, 5));
        QCOMPARE(timeStampedName(name, when), stamped);
        // What the saver names the file of a picture at that address.
        QCOMPARE(pictureFileName(QStringLiteral("http://s.test/pics/") + name, ClassJpeg, 1, when), stored);
    }

    void shortDisplayNames()
    {
        QCOMPARE(shortDisplayName(QStringLiteral("a_very_long_file_name_here.jpg")),
                 QStringLiteral("a_very...e_here.jpg"));
        QCOMPARE(shortDisplayName(QStringLiteral("short_name_19_c.jpg")),
                 QStringLiteral("short_name_19_c.jpg"));
    }
};

QTEST_GUILESS_MAIN(TestCrawlTexts)
#include "tst_crawltexts.moc"
