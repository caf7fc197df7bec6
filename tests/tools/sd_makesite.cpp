// Writes a gallery site into a folder, for benchmarks against other
// harvesters served by an ordinary web server:
//   index.html -> page-NNN.html (pages) -> per page, thumbnails (2-8 KB JPEGs)
//   wrapped in links to their big pictures (40-300 KB JPEGs).
// Every picture has a name and content of its own.
#include "support/testimages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cmath>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: sd_makesite FOLDER PAGES PICTURES_PER_PAGE\n");
        return 2;
    }
    const QString root = args.at(1);
    const int pages = args.at(2).toInt();
    const int perPage = args.at(3).toInt();
    QDir().mkpath(root);

    QList<QByteArray> big;
    for (int i = 0; i < 12; ++i)
        big.append(TestImages::jpegOfSize(qsizetype(40 * 1024 * std::pow(7.5, i / 11.0)), 700 + i));
    QList<QByteArray> thumbs;
    for (int i = 0; i < 16; ++i)
        thumbs.append(TestImages::jpeg(100 + 8 * (i % 5), 75 + 6 * (i % 4), 800 + i, 80));

    const auto write = [](const QString &path, const QByteArray &data) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::exit(1);
        }
    };
    QByteArray index = "<html><head><title>Benchmark gallery</title></head><body><h1>Gallery</h1><ul>\n";
    int n = 0;
    for (int p = 1; p <= pages; ++p) {
        const QByteArray name = QStringLiteral("page-%1.html").arg(p, 3, 10, QLatin1Char('0')).toUtf8();
        index += "<li><a href=\"" + name + "\">Page " + QByteArray::number(p) + "</a>\n";
        const QString folder = QStringLiteral("p%1").arg(p, 3, 10, QLatin1Char('0'));
        QDir(root).mkpath(folder);
        QByteArray html = "<html><head><title>Page " + QByteArray::number(p) +
                          "</title><script>var x = '<a href=\"nothing.html\">';</script></head><body>\n"
                          "<!-- navigation --><p><a href=\"index.html\">Home</a></p>\n<div class=\"grid\">\n";
        for (int i = 0; i < perPage; ++i, ++n) {
            const QByteArray stem =
                (folder + QStringLiteral("/pic-%1").arg(n, 6, 10, QLatin1Char('0'))).toUtf8();
            const QByteArray tag = "picture " + QByteArray::number(n);
            write(root + u'/' + QString::fromUtf8(stem) + QStringLiteral("-t.jpg"),
                  TestImages::withComment(thumbs.at(n % thumbs.size()), tag));
            write(root + u'/' + QString::fromUtf8(stem) + QStringLiteral(".jpg"),
                  TestImages::withComment(big.at((n * 7) % big.size()), tag));
            html += "<div class=\"cell\"><a href=\"" + stem + ".jpg\"><img src=\"" + stem +
                    "-t.jpg\" width=\"120\" height=\"90\" alt=\"Picture " + QByteArray::number(n) +
                    "\"></a></div>\n";
        }
        html += "</div></body></html>\n";
        write(root + u'/' + QString::fromUtf8(name), html);
    }
    index += "</ul></body></html>\n";
    write(root + QStringLiteral("/index.html"), index);
    std::printf("%d pages, %d pictures\n", pages, 2 * n);
    return 0;
}
