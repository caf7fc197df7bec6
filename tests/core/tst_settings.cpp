#include "platform/settingsstore.h"
#include "settings/settings.h"
#include "settings/textrules.h"
#include "support/testenv.h"

#include <QFile>
#include <QTest>

namespace {

const QString kWork = QStringLiteral("/w/Brelmark/Snapdredge");

// Loads both groups from a store that holds exactly `values`.
Settings loadWith(const QList<QPair<QString, QString>> &values)
{
    {
        SettingsStore store;
        for (const auto &v : values)
            store.setValue(v.first, v.second);
    }
    Settings s;
    SettingsStore store;
    s.loadSearchSettings(store, kWork);
    s.loadWindowSettings(store);
    return s;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_env = std::make_unique<TestEnv>(); }
    void cleanup() { m_env.reset(); }

    void firstStartWritesEveryDefault()
    {
        Settings s = loadWith({});
        QCOMPARE(s.subdirectory, QStringLiteral("mypic"));
        QCOMPARE(s.thread_num, 6);
        QCOMPARE(s.picturesRoot, kWork + QStringLiteral("/Pictures"));
        QVERIFY(!s.login && !s.proxy);

        SettingsStore store;
        const QStringList written = {"root_directory",
                                     "save_mode",
                                     "max_level",
                                     "thread_num",
                                     "size",
                                     "size1",
                                     "width",
                                     "height",
                                     "url_number",
                                     "timeout",
                                     "gif",
                                     "jpg",
                                     "more",
                                     "urllink",
                                     "selecttext",
                                     "extendedlevel",
                                     "ispicfirst",
                                     "ismultithreaddb",
                                     "urlhisnum",
                                     "searchhisnum",
                                     "sitehisnum",
                                     "clearallafterexit",
                                     "isdeletethumb",
                                     "isdeletepic",
                                     "isshowoption",
                                     "ttop",
                                     "tleft",
                                     "theight",
                                     "twidth",
                                     "ltop",
                                     "lleft",
                                     "lheight",
                                     "lwidth",
                                     "ptop",
                                     "pleft",
                                     "pheight",
                                     "pwidth",
                                     "bwindow",
                                     "tw",
                                     "th",
                                     "a1",
                                     "a2",
                                     "a3",
                                     "agent",
                                     "searchservice"};
        for (const QString &name : written)
            QVERIFY2(!store.value(name).isEmpty(), qPrintable(name));
        for (const char *name : {"includestext", "notincludestext", "subdirectory"})
            QVERIFY2(store.value(QString::fromLatin1(name)).isEmpty(), name);
        QCOMPARE(plainFromStorage(store.value(QStringLiteral("more"))), QStringLiteral("0|||0|||||0|0|"));
        QCOMPARE(store.value(QStringLiteral("root_directory")), kWork + QStringLiteral("/Pictures"));
        QCOMPARE(store.value(QStringLiteral("thread_num")), QStringLiteral("6"));

        QFile file(m_env->settingsFile());
        QVERIFY(file.exists());
        QCOMPARE(file.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    }

    void readingRules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("value");
        QTest::newRow("thread_num 0") << "thread_num"
                                      << "0"
                                      << "thread_num" << 2;
        QTest::newRow("thread_num text") << "thread_num"
                                         << "abc"
                                         << "thread_num" << 2;
        QTest::newRow("thread_num 1") << "thread_num"
                                      << "1"
                                      << "thread_num" << 2;
        QTest::newRow("thread_num negative") << "thread_num"
                                             << "-3"
                                             << "thread_num" << 2;
        QTest::newRow("thread_num 12") << "thread_num"
                                       << "12"
                                       << "thread_num" << 8;
        QTest::newRow("thread_num 5") << "thread_num"
                                      << "5"
                                      << "thread_num" << 5;
        QTest::newRow("max_level text") << "max_level"
                                        << "x"
                                        << "max_level" << 0;
        QTest::newRow("save_mode 0") << "save_mode"
                                     << "0"
                                     << "save_mode" << 0;
        QTest::newRow("save_mode other") << "save_mode"
                                         << "yes"
                                         << "save_mode" << 1;
        QTest::newRow("ispicfirst 0") << "ispicfirst"
                                      << "0"
                                      << "ispicfirst" << 0;
        QTest::newRow("ispicfirst other") << "ispicfirst"
                                          << "x"
                                          << "ispicfirst" << 1;
        QTest::newRow("gif only 1 is on") << "gif"
                                          << "yes"
                                          << "gif" << 0;
        QTest::newRow("ttop negative") << "ttop"
                                       << "-20"
                                       << "ttop" << -20;
        QTest::newRow("a3") << "a3"
                            << "50"
                            << "a3" << 50;
        QTest::newRow("searchhisnum 0") << "searchhisnum"
                                        << "0"
                                        << "searchhisnum" << 10;
        QTest::newRow("searchhisnum text") << "searchhisnum"
                                           << "many"
                                           << "searchhisnum" << 10;
        QTest::newRow("searchhisnum 100") << "searchhisnum"
                                          << "100"
                                          << "searchhisnum" << 30;
        QTest::newRow("searchhisnum 25") << "searchhisnum"
                                         << "25"
                                         << "searchhisnum" << 25;
        QTest::newRow("urlhisnum 0") << "urlhisnum"
                                     << "0"
                                     << "urlhisnum" << 6;
        QTest::newRow("urlhisnum 31") << "urlhisnum"
                                      << "31"
                                      << "urlhisnum" << 30;
        QTest::newRow("sitehisnum -1") << "sitehisnum"
                                       << "-1"
                                       << "sitehisnum" << 6;
        QTest::newRow("sitehisnum 11") << "sitehisnum"
                                       << "11"
                                       << "sitehisnum" << 10;
    }
    void readingRules()
    {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QFETCH(QString, field);
        QFETCH(int, value);
        const Settings s = loadWith({{name, stored}});
        const QHash<QString, int> fields = {{QStringLiteral("thread_num"), s.thread_num},
                                            {QStringLiteral("max_level"), s.max_level},
                                            {QStringLiteral("save_mode"), s.save_mode},
                                            {QStringLiteral("ispicfirst"), s.ispicfirst},
                                            {QStringLiteral("gif"), s.gif},
                                            {QStringLiteral("ttop"), s.ttop},
                                            {QStringLiteral("a3"), s.a3},
                                            {QStringLiteral("searchhisnum"), s.searchhisnum},
                                            {QStringLiteral("urlhisnum"), s.urlhisnum},
                                            {QStringLiteral("sitehisnum"), s.sitehisnum}};
        QCOMPARE(fields.value(field), value);
    }

    void geometryZeroIsRewritten()
    {
        loadWith({{QStringLiteral("ltop"), QStringLiteral("0")}});
        SettingsStore store;
        QCOMPARE(store.value(QStringLiteral("ltop")), QStringLiteral("0"));
    }

    void picturesRootIgnoresStoredRoot()
    {
        const Settings s = loadWith({{QStringLiteral("root_directory"), QStringLiteral("/elsewhere")}});
        QCOMPARE(s.picturesRoot, kWork + QStringLiteral("/Pictures"));
    }

    // The picture search service is the user's choice and outlives the start.
    void searchServiceRoundTrip()
    {
        Settings s = loadWith({});
        QCOMPARE(s.searchservice, Settings::defaultSearchService());
        {
            SettingsStore store;
            QCOMPARE(store.value(QStringLiteral("searchservice")), Settings::defaultSearchService());
        }
        s.searchservice = QStringLiteral("https://pictures.example.net/find?q=");
        {
            SettingsStore store;
            s.saveWindowSettingsFromOptions(store);
        }
        QCOMPARE(loadWith({}).searchservice, QStringLiteral("https://pictures.example.net/find?q="));
    }

    void moreRoundTripAndSplit()
    {
        Settings s = loadWith({});
        s.login = true;
        s.loginUser = QStringLiteral("ann");
        s.loginPassword = QStringLiteral("secret");
        s.proxy = true;
        s.proxyAddress = QStringLiteral("proxy.local");
        s.proxyPort = QStringLiteral("8080");
        s.reservedNumber = 7;
        {
            SettingsStore store;
            s.saveSearchSettings(store);
            QVERIFY(!store.value(QStringLiteral("more")).contains(QStringLiteral("secret")));
        }
        Settings back = loadWith({});
        QCOMPARE(back.moreText(), s.moreText());
        QCOMPARE(back.loginPassword, QStringLiteral("secret"));
        QCOMPARE(back.reservedNumber, 7);

        // A "|" inside the user name splits it at the next start.
        s.loginUser = QStringLiteral("a|b");
        {
            SettingsStore store;
            s.saveSearchSettings(store);
        }
        back = loadWith({});
        QCOMPARE(back.loginUser, QStringLiteral("a"));
        QCOMPARE(back.loginPassword, QStringLiteral("b"));
        QVERIFY(back.proxy); // "secret" is now the proxy flag: not "0", so on
        QCOMPARE(back.proxyAddress, QStringLiteral("1"));
    }

    void shortMoreReadsMissingFieldsAsEmpty()
    {
        const Settings s = loadWith({{QStringLiteral("more"), complementForStorage(QStringLiteral("0|u|"))}});
        QVERIFY(!s.login);
        QCOMPARE(s.loginUser, QStringLiteral("u"));
        QVERIFY(s.proxy); // an empty proxy flag reads as on
        QVERIFY(!s.reservedFlag);
        QCOMPARE(s.reservedNumber, 0);
    }

    void flagsRoundTrip()
    {
        Settings s = loadWith({});
        s.ispicfirst = false;
        s.ismultithreaddb = false;
        s.save_mode = 0;
        s.a1 = false;
        s.ttop = 33;
        {
            SettingsStore store;
            s.saveSearchSettings(store);
            s.saveWindowSettings(store);
        }
        const Settings back = loadWith({});
        QVERIFY(!back.ispicfirst);
        QVERIFY(!back.ismultithreaddb);
        QCOMPARE(back.save_mode, 0);
        QVERIFY(!back.a1);
        QCOMPARE(back.ttop, 33);
    }

    void narrowWritersLeaveTheirExceptions()
    {
        Settings s = loadWith({});
        s.ispicfirst = false;
        s.ttop = 99;
        s.bwindow = false;
        s.size = 5;
        s.tw = 120;
        {
            SettingsStore store;
            s.saveSearchSettingsFromOptions(store);
            s.saveWindowSettingsFromOptions(store);
        }
        const Settings back = loadWith({});
        QVERIFY(back.ispicfirst);
        QCOMPARE(back.ttop, 0);
        QVERIFY(back.bwindow);
        QCOMPARE(back.size, 5);
        QCOMPARE(back.tw, 120);
    }

private:
    std::unique_ptr<TestEnv> m_env;
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
