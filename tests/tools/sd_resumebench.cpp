// How long a stopped search with many queued addresses takes to hand out its
// first request when it is continued: the database's share of a resume.
// Usage: sd_resumebench FOLDER COUNT
#include "crawl/urlinfo.h"
#include "store/historyfile.h"
#include "store/searchdatabase.h"
#include "store/searchinformation.h"
#include "support/httptestserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <cstdio>

namespace {

// Makes a stopped search named `name` whose picture queue holds `count` addresses.
void makeSearch(const QString &data, const QString &name, int count, const QString &base)
{
    const QString search = data + QStringLiteral("/Brelmark/Snapdredge/mysearch/");
    QDir().mkpath(search);
    SearchDatabase db;
    db.create(search + name + QStringLiteral(".dat"));
    db.database().begin();
    for (int i = 0; i < count; ++i) {
        urlinfo info;
        info.address = base + QStringLiteral("/pics/%1.jpg").arg(i, 6, 10, QLatin1Char('0'));
        info.referrer = base + QStringLiteral("/index.html");
        db.TinyTable7.append({info.address, info.toText()});
    }
    db.database().commit();
    SearchInformation record;
    record.startAddress = base + QStringLiteral("/index.html");
    record.subdirectory = QStringLiteral("resume");
    record.name = name;
    record.picturesPending = count;
    db.writeSearchInformation(record.toText());
    saveHistoryFile(search + QStringLiteral("his.dat"), {{stateIcon(0, StateStopped), name}});
}

// Milliseconds from starting `snapdredge continue` to the server seeing its first request.
qint64 timeToFirstRequest(const QString &data, const QString &name, HttpTestServer &server)
{
    server.clearLog();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), data + QStringLiteral("/config"));
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(SNAPDREDGE_BINARY), {QStringLiteral("continue"), name});
    p.waitForStarted();
    while (server.requests().isEmpty() && t.elapsed() < 60000)
        QThread::usleep(200);
    const qint64 ms = t.elapsed();
    p.kill();
    p.waitForFinished();
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 3) {
        std::fprintf(stderr, "usage: sd_resumebench FOLDER COUNT\n");
        return 2;
    }
    const QString folder = app.arguments().at(1);
    const int count = app.arguments().at(2).toInt();
    HttpTestServer server;
    server.start();
    server.setResponseDelay(60000); // nothing is answered: only the first request counts

    QElapsedTimer t;
    t.start();
    makeSearch(folder + QStringLiteral("/big"), QStringLiteral("Many"), count, server.baseUrl());
    const qint64 made = t.elapsed();
    makeSearch(folder + QStringLiteral("/small"), QStringLiteral("One"), 1, server.baseUrl());
    qint64 many = 0;
    qint64 one = 0;
    for (int i = 0; i < 3; ++i) { // the best of three, as the disk cache warms
        const qint64 a = timeToFirstRequest(folder + QStringLiteral("/big"), QStringLiteral("Many"), server);
        const qint64 b = timeToFirstRequest(folder + QStringLiteral("/small"), QStringLiteral("One"), server);
        many = i == 0 ? a : qMin(many, a);
        one = i == 0 ? b : qMin(one, b);
    }
    std::printf("queued %d addresses in %lld ms\n", count, static_cast<long long>(made));
    std::printf("first request after continue: %lld ms with %d queued, %lld ms with 1 queued\n",
                static_cast<long long>(many), count, static_cast<long long>(one));
    return 0;
}
