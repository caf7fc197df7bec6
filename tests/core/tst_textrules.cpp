#include "crawl/urlinfo.h"
#include "settings/textrules.h"

#include <QTest>

class TestTextRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void integerReader_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "42" << 42;
        QTest::newRow("negative") << "-20" << -20;
        QTest::newRow("not a number") << "abc" << 0;
        QTest::newRow("trailing garbage") << "12px" << 0;
        QTest::newRow("percent") << "100%" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("too big for 32 bits") << "3000000000" << 0;
        QTest::newRow("blanks around") << " 7 " << 7;
    }
    void integerReader()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(readInteger(text), value);
    }

    void fieldReader_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pos");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("next");
        QTest::newRow("first") << "ab|cd|" << 1 << "ab" << 4;
        QTest::newRow("second") << "ab|cd|" << 4 << "cd" << 7;
        QTest::newRow("empty field") << "||x|" << 2 << "" << 3;
        QTest::newRow("no bar follows") << "ab|cd" << 4 << "cd" << 7;
        QTest::newRow("past the end") << "ab|" << 9 << "" << 5;
    }
    void fieldReader()
    {
        QFETCH(QString, text);
        QFETCH(int, pos);
        QFETCH(QString, field);
        QFETCH(int, next);
        const substrinfo r = readField(text, pos);
        QCOMPARE(r.text, field);
        QCOMPARE(r.next, next);
    }

    void byteComplementIsAnInvolution()
    {
        const QByteArray c = byteComplement("0|");
        QCOMPARE(quint8(c.at(0)), quint8(207));
        QCOMPARE(quint8(c.at(1)), quint8(131));
        QCOMPARE(byteComplement(c), QByteArray("0|"));
        // Stored form round-trips texts outside ASCII too.
        const QString text = QStringLiteral("1|Jürgen|pässwörd|0|||||0|0|");
        QCOMPARE(plainFromStorage(complementForStorage(text)), text);
    }

    void fileNameSafe_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("safe");
        QTest::newRow("forbidden characters") << "a:b?c*d\"e<f>g|h\\i/j"
                                              << "a-b-c-d-e-f-g-h-i-j";
        QTest::newRow("control characters") << QString::fromUtf16(u"a\tb\x7f"
                                                                  "c")
                                            << "a-b-c";
        QTest::newRow("upper controls replaced") << QString(QChar(0x81)) + QChar(0x93) << "--";
        QTest::newRow("kept") << QString(QChar(0x80)) + QChar(0x91) + QChar(0xe9) + QStringLiteral(" x.jpg")
                              << QString(QChar(0x80)) + QChar(0x91) + QChar(0xe9) + QStringLiteral(" x.jpg");
    }
    void fileNameSafe()
    {
        QFETCH(QString, text);
        QFETCH(QString, safe);
        QCOMPARE(::fileNameSafe(text), safe);
    }

    void urlinfoText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("cls");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("hasLink");
        QTest::addColumn<QString>("link");
        QTest::addColumn<int>("linkClass");
        QTest::addColumn<QString>("referrer");
        QTest::newRow("plain") << "http://h/a.jpg|0|80|60|0|*#http://h/|"
                               << "http://h/a.jpg" << 0 << 80 << false << "" << 0 << "http://h/";
        QTest::newRow("thumbnail") << "http://h/t.jpg|0|80|0|0|**http://h/big.jpg|0|0|0|0|*#http://h/p.htm|"
                                   << "http://h/t.jpg" << 0 << 80 << true << "http://h/big.jpg" << 0
                                   << "http://h/p.htm";
        QTest::newRow("placeholder") << "http://h/d/*#bbb.html|"
                                     << "http://h/d/*#bbb.html" << 0 << 0 << false << "" << 0 << "bbb.html";
        QTest::newRow("bad numbers") << "x|page|w|h|r|*#|"
                                     << "x" << 0 << 0 << false << "" << 0 << "";
    }
    void urlinfoText()
    {
        QFETCH(QString, text);
        QFETCH(QString, address);
        QFETCH(int, cls);
        QFETCH(int, width);
        QFETCH(bool, hasLink);
        QFETCH(QString, link);
        QFETCH(int, linkClass);
        QFETCH(QString, referrer);
        const urlinfo info = urlinfo::fromText(text);
        QCOMPARE(info.address, address);
        QCOMPARE(info.addressClass, cls);
        QCOMPARE(info.width, width);
        QCOMPARE(info.hasLinkTarget, hasLink);
        QCOMPARE(info.linkAddress, link);
        QCOMPARE(info.linkClass, linkClass);
        QCOMPARE(info.referrer, referrer);
    }

    void urlinfoRoundTrip()
    {
        urlinfo info;
        info.referrer = QStringLiteral("http://h/gallery.htm");
        info.address = QStringLiteral("http://h/t/small1.jpg");
        info.width = 80;
        info.height = 60;
        info.addressClass = ClassJpeg;
        info.hasLinkTarget = true;
        info.linkAddress = QStringLiteral("big1.htm");
        info.linkClass = ClassPage;
        const QString text = info.toText();
        QCOMPARE(text, QStringLiteral(
                           "http://h/t/small1.jpg|0|80|60|0|**big1.htm|2|0|0|0|*#http://h/gallery.htm|"));
        QCOMPARE(urlinfo::fromText(text), info);

        urlinfo empty;
        empty.address = QStringLiteral("   ");
        QVERIFY(empty.toText().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTextRules)
#include "tst_textrules.moc"
