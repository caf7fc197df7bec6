#include "support/httptestserver.h"
#include "support/testenv.h"
#include "support/testimages.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray bigEndian32(quint32 value)
{
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = char(value >> (24 - 8 * i));
    return out;
}

// A good PNG with an iCCP chunk right after its header whose profile claims
// to be 16 bytes long: libpng drops the chunk with a warning and reads the
// picture all the same, as it does with the wrong sRGB profiles of many web pictures.
QByteArray pngWithBadProfile()
{
    QByteArray profile(132, '\0');
    profile[3] = 16;
    const QByteArray data = QByteArray("icc\0\0", 5) + qCompress(profile).mid(4); // zlib stream
    const QByteArray chunk = QByteArray("iCCP") + data;
    QByteArray png = TestImages::png(64, 48, 5);
    png.insert(8 + 25, bigEndian32(quint32(data.size())) + chunk + bigEndian32(crc32(chunk)));
    return png;
}

QStringList g_messages;

void recordMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    g_messages << message;
}

} // namespace

// `get` against a server that is not ours (Python's http.server serving a
// folder), and against ours where a test needs answers a folder cannot give.
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

    // The readers' complaints about a flawed PNG and a body that is no JPEG
    // stay off standard error; the crawl's own lines remain.
    void imageReaderWarningsAreQuiet()
    {
        const QByteArray png = pngWithBadProfile();
        {
            const QtMessageHandler testlib = qInstallMessageHandler(recordMessage);
            QBuffer buffer;
            buffer.setData(png);
            QImageReader reader(&buffer, "png");
            const QSize size = reader.size();
            qInstallMessageHandler(testlib);
            QCOMPARE(size, QSize(64, 48));
            QVERIFY2(g_messages.join(u'\n').contains(QStringLiteral("libpng warning: iCCP")),
                     qPrintable(g_messages.join(u'\n')));
        }
        HttpTestServer server;
        QVERIFY(server.start());
        HttpTestServer::Response page;
        page.body = "<html><head><title>Flawed</title></head><body>"
                    "<img src=\"/flawed/profile.png\"><img src=\"/flawed/broken.jpg\"></body></html>";
        server.setRoute(QStringLiteral("/flawed/index.html"), page);
        HttpTestServer::Response picture;
        picture.contentType = "image/png";
        picture.body = png;
        server.setRoute(QStringLiteral("/flawed/profile.png"), picture);
        picture.contentType = "image/jpeg";
        picture.body = "GIF87a" + QByteArray(300, 'x') + "\xFF\xD9";
        server.setRoute(QStringLiteral("/flawed/broken.jpg"), picture);

        TestEnv env;
        const TestEnv::Result r =
            env.run({QStringLiteral("get"), server.url(QStringLiteral("/flawed/index.html"))});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains("Saved 1, failed 1"), r.err.constData());
        for (const char *noise : {"libpng", "iCCP", "JPEG", "imageio"})
            QVERIFY2(!r.err.contains(noise), r.err.constData());

        // Stamped names by default: the date's slashes became dashes on disk.
        const QStringList files =
            QDir(env.workingFolder() + QStringLiteral("/Pictures/mypic")).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        QVERIFY2(
            QRegularExpression(QStringLiteral("^profile_\\d\\d-\\d\\d-\\d{4}_\\d\\d-\\d\\d-\\d\\d\\.png$"))
                .match(files.first())
                .hasMatch(),
            qPrintable(files.first()));
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
