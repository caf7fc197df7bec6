#include "support/testenv.h"
#include "support/testimages.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The command line against a server that is not ours: Python's http.server
// serving a folder.
class TestGetCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_site.isValid());
        const auto write = [this](const QString &name, const QByteArray &data) {
            QDir().mkpath(QFileInfo(m_site.filePath(name)).path());
            QFile f(m_site.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(data);
        };
        write(QStringLiteral("index.html"),
              "<html><head><title>Holiday 2026</title></head><body>\n"
              "<a href=\"beach.html\">Beach</a> <a href=\"photos/sunset.jpg\">Sunset</a>\n"
              "<img src=\"photos/harbour.png\" width=\"320\" height=\"200\"></body></html>\n");
        write(QStringLiteral("beach.html"),
              "<title>Beach</title><img src='photos/sand.gif'><img src=\"/photos/waves.jpg\">");
        write(QStringLiteral("photos/sunset.jpg"), TestImages::jpeg(320, 200, 1));
        write(QStringLiteral("photos/harbour.png"), TestImages::png(320, 200, 2));
        write(QStringLiteral("photos/sand.gif"), TestImages::gif(160, 100, 3));
        write(QStringLiteral("photos/waves.jpg"), TestImages::jpeg(320, 200, 4));

        m_server.setProgram(QStringLiteral("python3"));
        m_server.setArguments({QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"),
                               QStringLiteral("0"), QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                               QStringLiteral("--directory"), m_site.path()});
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start();
        if (!m_server.waitForStarted())
            QSKIP("python3 is not available");
        const QRegularExpression port(QStringLiteral("port (\\d+)"));
        QTRY_VERIFY_WITH_TIMEOUT(port.match(QString::fromUtf8(m_output += m_server.readAll())).hasMatch(),
                                 10000);
        m_base =
            QStringLiteral("http://127.0.0.1:%1/").arg(port.match(QString::fromUtf8(m_output)).captured(1));
    }
    void cleanupTestCase()
    {
        m_server.kill();
        m_server.waitForFinished();
    }

    void getThenShow()
    {
        TestEnv env;
        const TestEnv::Result get = env.run({QStringLiteral("get"), QStringLiteral("--original-names"),
                                             QStringLiteral("--subdir"), QStringLiteral("holiday"), m_base});
        QCOMPARE(get.exitCode, 0);
        QVERIFY2(get.err.contains("Saved 4, failed 0"), get.err.constData());
        const QString folder = env.workingFolder() + QStringLiteral("/Pictures/holiday/");
        QStringList files = QDir(folder).entryList(QDir::Files);
        files.sort();
        QCOMPARE(files, (QStringList{"harbour.png", "sand.gif", "sunset.jpg", "waves.jpg"}));

        // The search is named by its page title (words joined) and listed.
        QCOMPARE(QString::fromUtf8(env.run({QStringLiteral("list")}).out),
                 QStringLiteral("Holiday2026\tany\tfinished\t0:0->4:0\n"));
        const TestEnv::Result show = env.run({QStringLiteral("show"), QStringLiteral("Holiday2026")});
        QCOMPARE(show.exitCode, 0);
        const QStringList rows = QString::fromUtf8(show.out).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 4);
        QStringList harbour;
        for (const QString &row : rows) {
            if (row.contains(QStringLiteral("harbour.png")))
                harbour = row.split(u'\t');
        }
        QCOMPARE(harbour.mid(1, 4),
                 (QStringList{"harbour.png", m_base + QStringLiteral("photos/"), "harbour.png", folder}));
        QCOMPARE(harbour.mid(6), (QStringList{"320", "200", "4", "0"}));

        // The stored settings did not take the options of that one search.
        QFile settings(env.settingsFile());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        const QByteArray stored = settings.readAll();
        QVERIFY(!stored.contains("holiday"));
        QVERIFY(stored.contains("thread_num=6"));
        QCOMPARE(env.run({QStringLiteral("show"), QStringLiteral("Nothing")}).exitCode, 2);
    }

    void refusedStartExitsWithTwo()
    {
        TestEnv env;
        const TestEnv::Result r =
            env.run({QStringLiteral("get"), QStringLiteral("--subdir"), QStringLiteral("a:b"), m_base});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.startsWith("\"Subdirectory\" can not include char"));
        QCOMPARE(QString::fromUtf8(env.run({QStringLiteral("list")}).out), QString());
    }

    void unreachableStartPage()
    {
        TestEnv env;
        const TestEnv::Result r =
            env.run({QStringLiteral("get"), m_base + QStringLiteral("missing/page.html")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("The start page could not be fetched"), r.err.constData());
    }

private:
    QTemporaryDir m_site;
    QProcess m_server;
    QByteArray m_output;
    QString m_base;
};

QTEST_GUILESS_MAIN(TestGetCommand)
#include "tst_getcommand.moc"
