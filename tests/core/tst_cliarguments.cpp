#include "cli/cli.h"
#include "support/testenv.h"

#include <QLoggingCategory>
#include <QProcess>
#include <QTest>

#include <sys/resource.h>

#include <vector>

namespace {

struct Outcome
{
    bool crashed = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the built program where no Qt platform plugin can load: a desktop
// start then ends at once in Qt's own abort, which tells it apart from any
// exit of the command line.
Outcome runWithoutDisplay(const TestEnv &env, const QStringList &args)
{
    QProcess process;
    QProcessEnvironment environment = env.environment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("nowhere"));
    process.setProcessEnvironment(environment);
    // No core file for the expected abort.
    process.setChildProcessModifier([]() {
        const rlimit none = {0, 0};
        setrlimit(RLIMIT_CORE, &none);
    });
    process.start(QStringLiteral(SNAPDREDGE_BINARY), args);
    Outcome o;
    if (!process.waitForStarted())
        return o;
    process.closeWriteChannel();
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return o;
    }
    o.crashed = process.exitStatus() == QProcess::CrashExit;
    o.exitCode = o.crashed ? -1 : process.exitCode();
    o.out = process.readAllStandardOutput();
    o.err = process.readAllStandardError();
    return o;
}

QList<QString> g_passedOn;

void recordMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    g_passedOn << message;
}

} // namespace

class TestCliArguments : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // commandLine false: the desktop program starts (status unused).
    // out: what standard output starts with; empty means nothing on it.
    void firstArgument_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("commandLine");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        const QByteArray usage = "Usage:\n  snapdredge  ";
        const QByteArray version = "snapdredge " SNAPDREDGE_VERSION "\n";

        QTest::newRow("nothing") << QStringList{} << false << 0 << QByteArray();
        QTest::newRow("-platform") << QStringList{"-platform", "nowhere"} << false << 0 << QByteArray();
        QTest::newRow("--platform") << QStringList{"--platform", "nowhere"} << false << 0 << QByteArray();
        QTest::newRow("-style") << QStringList{"-style", "fusion"} << false << 0 << QByteArray();
        QTest::newRow("-style=") << QStringList{"-style=fusion"} << false << 0 << QByteArray();
        QTest::newRow("-qwindowgeometry")
            << QStringList{"-qwindowgeometry", "640x480"} << false << 0 << QByteArray();
        QTest::newRow("-display") << QStringList{"-display", ":99"} << false << 0 << QByteArray();
        QTest::newRow("-geometry") << QStringList{"-geometry", "640x480"} << false << 0 << QByteArray();
        QTest::newRow("-reverse then a command")
            << QStringList{"-reverse", "list"} << false << 0 << QByteArray();

        QTest::newRow("--help") << QStringList{"--help"} << true << 0 << usage;
        QTest::newRow("-h") << QStringList{"-h"} << true << 0 << usage;
        QTest::newRow("help") << QStringList{"help"} << true << 0 << usage;
        QTest::newRow("--version") << QStringList{"--version"} << true << 0 << version;
        QTest::newRow("get --help") << QStringList{"get", "--help"} << true << 0
                                    << QByteArray("Usage:\n  snapdredge get [OPTIONS] URL");
        QTest::newRow("get URL -h") << QStringList{"get", "http://127.0.0.1:9/", "-h"} << true << 0
                                    << QByteArray("Usage:\n  snapdredge get [OPTIONS] URL");
        QTest::newRow("delete -h") << QStringList{"delete", "-h"} << true << 0
                                   << QByteArray("Usage:\n  snapdredge delete NAME");

        QTest::newRow("--bogus") << QStringList{"--bogus"} << true << 2 << QByteArray();
        QTest::newRow("-x") << QStringList{"-x"} << true << 2 << QByteArray();
        QTest::newRow("lone dash") << QStringList{"-"} << true << 2 << QByteArray();
        QTest::newRow("near a Qt option") << QStringList{"--styles"} << true << 2 << QByteArray();
        QTest::newRow("unknown option then a command")
            << QStringList{"--bogus", "list"} << true << 2 << QByteArray();
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << true << 2 << QByteArray();
    }
    void firstArgument()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, commandLine);
        QFETCH(int, status);
        QFETCH(QByteArray, out);

        std::vector<QByteArray> bytes{QByteArray("snapdredge")};
        for (const QString &a : args)
            bytes.push_back(a.toUtf8());
        std::vector<char *> argv;
        for (QByteArray &b : bytes)
            argv.push_back(b.data());
        argv.push_back(nullptr);
        QCOMPARE(isCommandLine(int(bytes.size()), argv.data()), commandLine);

        TestEnv env;
        const Outcome o = runWithoutDisplay(env, args);
        if (!commandLine) {
            QVERIFY2(o.crashed && o.err.contains("platform plugin"), o.err.constData());
            return;
        }
        QVERIFY2(!o.crashed, o.err.constData());
        QCOMPARE(o.exitCode, status);
        if (out.isEmpty())
            QCOMPARE(o.out, QByteArray());
        else
            QVERIFY2(o.out.startsWith(out), o.out.constData());
        if (status == 0) {
            QCOMPARE(o.err, QByteArray());
        } else {
            QVERIFY2(o.err.startsWith("snapdredge: "), o.err.constData());
            QVERIFY2(o.err.contains("\nUsage:\n"), o.err.constData());
        }
    }

    void imageReaderMessagesAreDropped()
    {
        const QtMessageHandler testlib = qInstallMessageHandler(recordMessage);
        installImageMessageFilter();
        const QLoggingCategory jpeg("qt.gui.imageio.jpeg");
        const QLoggingCategory imageio("qt.gui.imageio");
        const QLoggingCategory network("qt.network.ssl");
        qCWarning(jpeg, "Not a JPEG file: starts with 0x47 0x49");
        qCWarning(imageio, "libpng warning: iCCP: known incorrect sRGB profile");
        qWarning("libpng warning: iCCP: known incorrect sRGB profile");
        qWarning("a warning of our own");
        qCWarning(network, "a warning of another part of Qt");
        qCritical("libpng is mentioned, not quoted");
        qInstallMessageHandler(testlib);
        QCOMPARE(g_passedOn, (QList<QString>{"a warning of our own", "a warning of another part of Qt",
                                             "libpng is mentioned, not quoted"}));
    }
};

QTEST_GUILESS_MAIN(TestCliArguments)
#include "tst_cliarguments.moc"
