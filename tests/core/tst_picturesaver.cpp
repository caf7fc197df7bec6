#include "crawl/picturesaver.h"
#include "crawl/urlinfo.h"
#include "support/testimages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPictureSaver : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formats_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("type");
        QTest::newRow("jpeg") << TestImages::jpeg(40, 30) << int(ClassJpeg);
        QTest::newRow("png") << TestImages::png(40, 30) << int(ClassPng);
        QTest::newRow("gif") << TestImages::gif(40, 30) << int(ClassGif);
        QTest::newRow("html") << QByteArray("<html><body>no</body></html>").repeated(10) << -1;
        QTest::newRow("zip") << QByteArray("PK\x03\x04").append(QByteArray(200, 'x')) << -1;
        QTest::newRow("empty") << QByteArray() << -1;
    }
    void formats()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, type);
        QCOMPARE(pictureFormatOf(body), type);
        QCOMPARE(checkPictureBody(body).type, type);
    }

    void cutPicturesAreRefused()
    {
        for (const QByteArray &whole :
             {TestImages::jpeg(60, 40), TestImages::png(60, 40), TestImages::gif(60, 40)})
            QCOMPARE(checkPictureBody(whole.left(whole.size() * 2 / 3)).type, -1);
    }

    // A PNG under a .jpg name (and a JPEG under .png) is saved, as what it is.
    void theBytesDecideTheType()
    {
        QTemporaryDir dir;
        SearchDatabase db;
        QVERIFY(db.create(dir.filePath(QStringLiteral("s.dat"))));
        const QString folder = dir.path() + u'/';
        PictureSaver saver(db, folder);
        const QByteArray png = TestImages::png(50, 20);
        const PictureSaver::Result r = saver.save(QStringLiteral("http://s.test/img/rotate.jpg"), png, 0, {});
        QCOMPARE(r.outcome, PictureSaver::Outcome::Saved);
        QCOMPARE(r.row.Type, int(ClassPng));
        QCOMPARE(r.row.PictureName, QStringLiteral("rotate.jpg"));
        QCOMPARE(QSize(r.row.Width, r.row.Height), QSize(50, 20));
        QFile file(folder + QStringLiteral("rotate.jpg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), png);
        const PictureSaver::Result notPicture =
            saver.save(QStringLiteral("http://s.test/img/x.jpg"), QByteArray(500, 'x'), 0, {});
        QCOMPARE(notPicture.outcome, PictureSaver::Outcome::NotAPicture);
        QVERIFY(!QFile::exists(folder + QStringLiteral("x.jpg")));
    }

    // A clash never replaces a file. A program that died while a picture of
    // the same name was being written leaves a running row naming a file:
    // Continue removes that file only when no picture row owns it.
    void clashesAndContinueKeepEarlierPictures()
    {
        QTemporaryDir dir;
        SearchDatabase db;
        QVERIFY(db.create(dir.filePath(QStringLiteral("s.dat"))));
        const QString folder = dir.path() + u'/';
        PictureSaver saver(db, folder);
        const QByteArray first = TestImages::jpeg(30, 30, 1);
        QCOMPARE(saver.save(QStringLiteral("http://s.test/a/image.jpg"), first, 0, {}).outcome,
                 PictureSaver::Outcome::Saved);
        const PictureSaver::Result second =
            saver.save(QStringLiteral("http://s.test/b/image.jpg"), TestImages::jpeg(30, 30, 2), 0, {});
        QCOMPARE(second.row.PictureName, QStringLiteral("image(2).jpg"));

        const QString address = QStringLiteral("http://s.test/c/image.jpg");
        QFile orphan(folder + QStringLiteral("image(3).jpg"));
        QVERIFY(orphan.open(QIODevice::WriteOnly));
        orphan.close();
        QVERIFY(db.TinyTableR.append({address, QString(), 0, 0, folder + QStringLiteral("image.jpg")}));
        QVERIFY(db.TinyTableR.append({address, QString(), 0, 0, folder + QStringLiteral("image(3).jpg")}));
        QCOMPARE(db.requeueRunning(), 2);
        QFile kept(folder + QStringLiteral("image.jpg"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), first);
        QVERIFY(QFile::exists(folder + QStringLiteral("image(2).jpg")));
        QVERIFY(!QFile::exists(folder + QStringLiteral("image(3).jpg")));
    }

    void savedLookupCoversEveryFolder()
    {
        QTemporaryDir dir;
        SearchDatabase db;
        QVERIFY(db.create(dir.filePath(QStringLiteral("s.dat"))));
        PictureSaver saver(db, dir.path() + u'/');
        for (const char *folder : {"image/", "layer/", "select/"}) {
            const QString address =
                QStringLiteral("http://s.test/menus/") + QLatin1String(folder) + QStringLiteral("rotate.png");
            QVERIFY(!db.hasSavedPicture(QStringLiteral("http://s.test/menus/") + QLatin1String(folder),
                                        QStringLiteral("rotate.png")));
            QCOMPARE(saver.save(address, TestImages::png(20, 20), 0, {}).outcome,
                     PictureSaver::Outcome::Saved);
        }
        for (const char *folder : {"image/", "layer/", "select/"})
            QVERIFY(db.hasSavedPicture(QStringLiteral("http://s.test/menus/") + QLatin1String(folder),
                                       QStringLiteral("rotate.png")));
        QVERIFY(
            !db.hasSavedPicture(QStringLiteral("http://s.test/menus/other/"), QStringLiteral("rotate.png")));
    }

    void names_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("saveMode");
        QTest::addColumn<QString>("name");
        QTest::newRow("original") << "http://s.test/a/rose.jpg" << 0 << "rose.jpg";
        // The stamp's date separators become "-": the name stored on disk.
        QTest::newRow("stamped") << "http://s.test/a/rose.jpg" << 1 << "rose_09-12-2026_20-11-05.jpg";
        QTest::newRow("stamped jpeg")
            << "http://s.test/a/picture.jpeg" << 1 << "picture_09-12-2026_20-11-05.jpeg";
        QTest::newRow("nameless") << "http://s.test/a/" << 0 << "picture.png";
        QTest::newRow("query kept, made safe") << "http://s.test/a/p.php?id=1" << 0 << "p.php-id=1";
    }
    void names()
    {
        QFETCH(QString, address);
        QFETCH(int, saveMode);
        QFETCH(QString, name);
        const QDateTime when(QDate(2026, 12, 9), QTime(20, 11, 5));
        QCOMPARE(pictureFileName(address, ClassPng, saveMode, when), name);
    }
};

QTEST_GUILESS_MAIN(TestPictureSaver)
#include "tst_picturesaver.moc"
