#include "sites/addresshistory.h"
#include "sites/sitehistory.h"
#include "support/httptestserver.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

QStringList numbered(int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QStringLiteral("http://site%1.example/").arg(i);
    return out;
}

QByteArray fileFor(const QStringList &addresses)
{
    QByteArray data = QByteArray::number(addresses.size()) + "\r\n";
    for (const QString &a : addresses)
        data += a.toUtf8() + "\r\n";
    return data;
}

} // namespace

// The address history file and its rules, the site history file, and the
// command line adding to the same address history as the desktop.
class TestSiteHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(m_dir.isValid()); }
    void cleanup()
    {
        QFile::remove(path());
        QFile::remove(sitePath());
    }

    void elevenAddressesKeepTheTenNewest()
    {
        AddressHistory history;
        history.load(path(), 10);
        QVERIFY(history.addresses().isEmpty());
        for (const QString &a : numbered(1, 11))
            history.remember(a, 10);
        QCOMPARE(history.addresses(), numbered(2, 11));
        QCOMPARE(readAll(path()), fileFor(numbered(2, 11)));

        // A restart keeps all ten.
        AddressHistory reloaded;
        reloaded.load(path(), 10);
        QCOMPARE(reloaded.addresses(), numbered(2, 11));
    }

    void rememberMovesAStoredAddress_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("expected");
        const QString a = QStringLiteral("http://a.example/Pics/");
        const QString b = QStringLiteral("http://b.example/");
        const QString c = QStringLiteral("http://c.example/");
        QTest::newRow("stored address") << b << QStringList{a, c, b};
        QTest::newRow("other letter case keeps the stored text")
            << QStringLiteral("HTTP://A.example/pics/") << QStringList{b, c, a};
        QTest::newRow("newest changes nothing") << c << QStringList{a, b, c};
        QTest::newRow("new address") << QStringLiteral("http://d.example/")
                                     << QStringList{a, b, c, QStringLiteral("http://d.example/")};
    }
    void rememberMovesAStoredAddress()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        writeAll(path(), "3\r\nhttp://a.example/Pics/\r\nhttp://b.example/\r\nhttp://c.example/\r\n");
        AddressHistory history;
        history.load(path(), 10);
        QSignalSpy changed(&history, &AddressHistory::changed);
        QFile::remove(path());
        history.remember(typed, 10);
        QCOMPARE(history.addresses(), expected);
        // Rewritten every time, even when nothing moved.
        QCOMPARE(readAll(path()), fileFor(expected));
        QVERIFY(!changed.isEmpty());
    }

    void loadRules_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("count not a number") << QByteArray("abc\r\nhttp://a.example/\r\n") << QStringList();
        QTest::newRow("count zero") << QByteArray("0\r\nhttp://a.example/\r\n") << QStringList();
        QTest::newRow("missing lines are empty")
            << QByteArray("3\r\nhttp://a.example/\r\n")
            << QStringList{u"http://a.example/"_qs, QString(), QString()};
        QTest::newRow("more than the limit keeps the newest") << fileFor(numbered(1, 12)) << numbered(3, 12);
        QTest::newRow("bare LF lines") << QByteArray("2\nhttp://a.example/\nhttp://b.example/\n")
                                       << QStringList{u"http://a.example/"_qs, u"http://b.example/"_qs};
    }
    void loadRules()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, expected);
        writeAll(path(), file);
        AddressHistory history;
        history.load(path(), 10);
        QCOMPARE(history.addresses(), expected);
    }

    void siteHistoryDropsBlankLines()
    {
        writeAll(sitePath(), "/home/u/a.sit\r\n\r\n   \r\n\t/home/u/b.sit \r\n\n");
        SiteHistory history;
        history.load(sitePath());
        QCOMPARE(history.paths(), (QStringList{u"/home/u/a.sit"_qs, u"/home/u/b.sit"_qs}));
    }

    void missingSiteHistoryIsCreatedEmpty()
    {
        QVERIFY(!QFile::exists(sitePath()));
        SiteHistory history;
        history.load(sitePath());
        QVERIFY(history.paths().isEmpty());
        QVERIFY(QFile::exists(sitePath()));
        QCOMPARE(QFileInfo(sitePath()).size(), 0);
    }

    void getCommandRemembersItsAddress()
    {
        HttpTestServer server;
        QVERIFY(server.start());
        HttpTestServer::Response page;
        page.body = "<html><head><title>Empty</title></head><body>nothing</body></html>";
        server.setRoute(QStringLiteral("/one/index.html"), page);
        server.setRoute(QStringLiteral("/two/index.html"), page);
        const QString one = server.url(QStringLiteral("/one/index.html"));
        const QString two = server.url(QStringLiteral("/two/index.html"));

        TestEnv env;
        for (const QString &address : {one, two}) {
            const TestEnv::Result r = env.run({QStringLiteral("get"), address});
            QVERIFY2(r.exitCode == 0, r.err.constData());
        }
        const QString file = env.workingFolder() + QStringLiteral("/sites/urlhistory.dat");
        QCOMPARE(readAll(file), fileFor({one, two}));
    }

private:
    QString path() const { return m_dir.filePath(QStringLiteral("urlhistory.dat")); }
    QString sitePath() const { return m_dir.filePath(QStringLiteral("sitehistory.txt")); }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestSiteHistory)
#include "tst_sitehistory.moc"
