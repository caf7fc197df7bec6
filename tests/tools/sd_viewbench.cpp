// Opening a big search in the desktop program: a search of COUNT pictures of
// 1 to 5 megapixels, PAGE pictures a page. Prints the time to the first
// screen of thumbnails, the time until the page is listed, the longest time
// the GUI thread stayed away from its event loop, and the same for paging on.
// Usage: sd_viewbench FOLDER [COUNT] [PAGE]   (XDG homes are made in FOLDER)
#include "app/form1.h"
#include "store/currentsearch.h"
#include "store/historyfile.h"
#include "store/searchinformation.h"
#include "views/listviewform.h"
#include "views/picturegridview.h"
#include "views/thumbnailloader.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSet>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace {

// Distinct pictures, each hard-linked under many names: the decoder works
// as for distinct files, the disk holds only these.
QStringList makePictures(const QString &folder, int distinct)
{
    QStringList files;
    for (int i = 0; i < distinct; ++i) {
        const int megapixels = 1 + i % 5;
        const int width = int(1000 * std::sqrt(megapixels * 4.0 / 3.0));
        QImage image(width, width * 3 / 4, QImage::Format_RGB32);
        QPainter p(&image);
        p.fillRect(image.rect(), QColor::fromHsv((i * 37) % 360, 160, 200));
        for (int k = 0; k < 40; ++k)
            p.fillRect((k * 97 * (i + 1)) % width, (k * 53) % (width * 3 / 4), width / 8, width / 10,
                       QColor::fromHsv((k * 29 + i * 11) % 360, 200, 150));
        p.end();
        const QString path = folder + QStringLiteral("/source%1.jpg").arg(i);
        QImageWriter writer(path, "jpeg");
        writer.setQuality(85);
        writer.write(image);
        files << path;
    }
    return files;
}

// The longest gap between turns of the event loop, watched by a 0 ms timer.
class StallWatch : public QObject
{
public:
    StallWatch()
    {
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, [this]() {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
    }
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
        m_timer.start();
    }
    double longestMs() const { return m_longest / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

int visibleCells(PictureGridView *grid)
{
    int n = 0;
    const QRect area = grid->viewport()->rect();
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        n += grid->visualRect(grid->model()->index(row, 0)).intersects(area);
    return n;
}

// Runs `action` and waits until every visible cell has come back from the decoder.
void timePage(TlistviewForm *list, const char *what, const std::function<void()> &action)
{
    StallWatch stall;
    QSet<QString> loaded;
    const auto c = QObject::connect(list->loader(), &ThumbnailLoader::loaded, list,
                                    [&](const QString &path) { loaded.insert(path); });
    QElapsedTimer timer;
    stall.start();
    timer.start();
    action();
    const double listed = timer.nsecsElapsed() / 1e6;
    const QStringList paths = list->pagePicturePaths();
    const auto firstScreenDone = [&]() {
        const int visible = visibleCells(list->grid());
        if (visible == 0)
            return false;
        for (int i = 0; i < visible && i < paths.size(); ++i) {
            if (!loaded.contains(paths.at(i)))
                return false;
        }
        return true;
    };
    while (!firstScreenDone() && timer.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double firstScreen = timer.nsecsElapsed() / 1e6;
    QObject::disconnect(c);
    std::printf("%s: page listed %.0f ms, first screen of %d thumbnails %.0f ms, longest stall %.0f ms\n",
                what, listed, visibleCells(list->grid()), firstScreen, stall.longestMs());
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: sd_viewbench FOLDER [COUNT] [PAGE]\n");
        return 2;
    }
    const QString top = QString::fromLocal8Bit(argv[1]);
    const int count = argc > 2 ? std::atoi(argv[2]) : 10000;
    const int page = argc > 3 ? std::atoi(argv[3]) : 500;
    qputenv("XDG_DATA_HOME", (top + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (top + QStringLiteral("/config")).toLocal8Bit());
    QApplication::setApplicationName(QStringLiteral("Snapdredge"));
    QApplication::setOrganizationName(QStringLiteral("Brelmark"));

    const QString search = top + QStringLiteral("/data/Brelmark/Snapdredge/mysearch/");
    const QString pictures = top + QStringLiteral("/data/Brelmark/Snapdredge/Pictures/photos/");
    if (!QFile::exists(search + QStringLiteral("Photos.dat"))) {
        QDir().mkpath(search);
        QDir().mkpath(pictures);
        std::printf("making %d pictures...\n", count);
        const QStringList sources = makePictures(top, 24);
        SearchDatabase db;
        db.create(search + QStringLiteral("Photos.dat"));
        db.database().begin();
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("photo%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
            ::link(QFile::encodeName(sources.at(i % sources.size())).constData(),
                   QFile::encodeName(pictures + name).constData());
            PictureRow row;
            row.OriginalName = name;
            row.WebDirectory = QStringLiteral("http://photos.test/album%1/").arg(i / 100);
            row.PictureName = name;
            row.DiskDirectory = pictures;
            row.Size = int(QFileInfo(pictures + name).size());
            const QSize size = QImageReader(pictures + name).size();
            row.Width = size.width();
            row.Height = size.height();
            db.appendPicture(row, row.WebDirectory + QStringLiteral("*#bbb.html|"));
        }
        db.database().commit();
        SearchInformation info;
        info.startAddress = QStringLiteral("http://photos.test/");
        info.subdirectory = QStringLiteral("photos");
        info.name = QStringLiteral("Photos");
        info.picturesSaved = count;
        db.writeSearchInformation(info.toText());
        saveHistoryFile(search + QStringLiteral("his.dat"),
                        {{stateIcon(0, StateFinished), QStringLiteral("Photos")}});
    }

    TForm1 form;
    QString error;
    if (!form.formCreate(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    form.settings().a3 = page;
    form.settings().a1 = true;
    form.createToolWindows();
    form.resize(1280, 900);
    form.show();
    QCoreApplication::processEvents();
    TlistviewForm *list = form.listviewForm();
    timePage(list, "open", [&]() { form.search()->select(0); });
    timePage(list, "next page", [&]() { list->showPage(TlistviewForm::Page::Next); });
    form.setExitWithoutAsking(true);
    return 0;
}
