// Serves a generated test site, or a folder, on 127.0.0.1 until killed: for
// looking at the program by hand and for screenshots.

#include "support/httptestserver.h"
#include "support/testsite.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMimeDatabase>
#include <QSocketNotifier>
#include <QUrl>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPair[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPair[1], &c, 1);
}

// Ctrl-C and kill end the event loop, so the server shuts down properly and
// the temporary certificate folder goes away.
void quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPair) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPair[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

void printLine(const QString &text)
{
    std::fputs(qUtf8Printable(text + u'\n'), stdout);
    std::fflush(stdout);
}

QByteArray listing(const QString &urlPath, const QDir &dir)
{
    QString html =
        QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title></head>\n"
                       "<body><h1>%1</h1>\n<ul>\n")
            .arg(urlPath.toHtmlEscaped());
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::DirsFirst | QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName() + (entry.isDir() ? QStringLiteral("/") : QString());
        html += QStringLiteral("<li><a href=\"%1\">%2</a>\n")
                    .arg(QString::fromUtf8(QUrl::toPercentEncoding(name, "/")), name.toHtmlEscaped());
    }
    html += QStringLiteral("</ul></body></html>\n");
    return html.toUtf8();
}

// Reads the whole folder into routes once: simple, and fine for the folders
// of pictures this is meant for.
int serveFolder(HttpTestServer &server, const QString &root)
{
    const QDir top(root);
    if (!top.exists())
        return -1;
    QMimeDatabase mimes;
    int files = 0;
    QStringList folders{top.absolutePath()};
    QDirIterator it(top.absolutePath(), QDir::AllEntries | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isDir()) {
            folders.append(info.absoluteFilePath());
            continue;
        }
        QFile file(info.absoluteFilePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        HttpTestServer::Response r;
        r.contentType = mimes.mimeTypeForFile(info).name().toUtf8();
        r.body = file.readAll();
        server.setRoute(u'/' + top.relativeFilePath(info.absoluteFilePath()), r);
        ++files;
    }
    for (const QString &folder : std::as_const(folders)) {
        QString urlPath = u'/' + top.relativeFilePath(folder);
        if (urlPath == QStringLiteral("/."))
            urlPath = QStringLiteral("/");
        if (!urlPath.endsWith(u'/'))
            urlPath += u'/';
        const QDir dir(folder);
        HttpTestServer::Response r;
        if (dir.exists(QStringLiteral("index.html"))) {
            QFile index(dir.filePath(QStringLiteral("index.html")));
            if (index.open(QIODevice::ReadOnly))
                r.body = index.readAll();
        } else {
            r.body = listing(urlPath, dir);
        }
        server.setRoute(urlPath, r);
        if (urlPath != QStringLiteral("/"))
            server.setRedirect(urlPath.chopped(1), urlPath, 301);
    }
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sd_testserver"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves a generated test site (or a folder) on 127.0.0.1 until killed.\n"
                       "Prints the base address on the first line, then the start page."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port to listen on (default: any)."),
                                        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption dirOption(QStringLiteral("dir"),
                                       QStringLiteral("Serve this folder instead of a site."),
                                       QStringLiteral("PATH"));
    const QCommandLineOption siteOption(
        QStringLiteral("site"),
        QStringLiteral("gallery (all small sites, the default), depth, thumbs, frames, bad or big "
                       "(about 20 pages and 1200 pictures)."),
        QStringLiteral("NAME"), QStringLiteral("gallery"));
    const QCommandLineOption delayOption(QStringLiteral("delay-ms"),
                                         QStringLiteral("Delay every answer by this many milliseconds."),
                                         QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption tlsOption(
        QStringLiteral("tls"), QStringLiteral("Also serve HTTPS on another port; prints the CA file to "
                                              "give the program as SNAPDREDGE_CA_CERTIFICATES."));
    parser.addOptions({portOption, dirOption, siteOption, delayOption, tlsOption});
    parser.process(app);
    quitOnSignals(app);

    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    bool delayOk = false;
    const int delay = parser.value(delayOption).toInt(&delayOk);
    if (!portOk || port > 65535 || !delayOk || delay < 0) {
        std::fputs("sd_testserver: --port and --delay-ms take a number\n", stderr);
        return 2;
    }

    HttpTestServer server;
    if (!server.start(quint16(port))) {
        std::fprintf(stderr, "sd_testserver: cannot listen: %s\n", qUtf8Printable(server.errorString()));
        return 1;
    }

    QString start;
    if (parser.isSet(dirOption)) {
        const int files = serveFolder(server, parser.value(dirOption));
        if (files < 0) {
            std::fprintf(stderr, "sd_testserver: no such folder: %s\n",
                         qUtf8Printable(parser.value(dirOption)));
            return 2;
        }
        start = server.url(QStringLiteral("/"));
    } else {
        TestSite site(server);
        const QString name = parser.value(siteOption);
        if (name == QStringLiteral("gallery"))
            start = site.buildGallery();
        else if (name == QStringLiteral("depth"))
            start = site.buildDepthSite().start;
        else if (name == QStringLiteral("thumbs"))
            start = site.buildThumbnailGallery().start;
        else if (name == QStringLiteral("frames"))
            start = site.buildFrameSite().start;
        else if (name == QStringLiteral("bad"))
            start = site.buildBadSite().start;
        else if (name == QStringLiteral("big"))
            start = site.buildBigSite().start;
        else {
            std::fprintf(stderr, "sd_testserver: unknown site: %s\n", qUtf8Printable(name));
            return 2;
        }
        // Typing just the address should land on the site.
        server.setRedirect(QStringLiteral("/"), QUrl(start).path(), 302);
    }
    server.setResponseDelay(delay);

    printLine(server.baseUrl());
    printLine(QStringLiteral("start: ") + start);
    if (parser.isSet(tlsOption)) {
        if (!server.startTls()) {
            std::fprintf(stderr, "sd_testserver: no HTTPS: %s\n", qUtf8Printable(server.errorString()));
            return 1;
        }
        printLine(QStringLiteral("https: ") + server.tlsBaseUrl());
        printLine(QStringLiteral("ca: ") + server.caCertificatePath());
    }
    return app.exec();
}
