// Our own icon drawings and the wallpaper command.

#include "app/appicons.h"
#include "app/wallpaper.h"
#include "platform/settingsstore.h"
#include "support/testenv.h"
#include "support/testimages.h"
#include <QSvgRenderer>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

int paintedPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0;
    }
    return count;
}

QImage rendered(const QIcon &icon, QIcon::Mode mode = QIcon::Normal)
{
    return icon.pixmap(QSize(32, 32), mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestIconsAndWallpaper : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyDrawingShows();
    void stateIconsDiffer();
    void wallpaper_data();
    void wallpaper();
    void wallpaperClear();
};

void TestIconsAndWallpaper::everyDrawingShows()
{
    // Asking for one icon registers the compiled-in drawings.
    QVERIFY(!AppIcons::programIcon().isNull());
    QDirIterator it(QStringLiteral(":/icons"), {QStringLiteral("*.svg")});
    int files = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        ++files;
        QSvgRenderer svg(path);
        QVERIFY2(svg.isValid(), qPrintable(path));
        QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        svg.render(&painter, QRectF(0, 0, 32, 32));
        painter.end();
        // A drawing that lost most of its shapes would show as a speck.
        QVERIFY2(paintedPixels(image) > 32, qPrintable(path));
    }
    QVERIFY(files >= 30);
}

void TestIconsAndWallpaper::stateIconsDiffer()
{
    QList<QImage> seen;
    for (int index = 12; index <= 20; ++index) {
        const QImage image = rendered(AppIcons::historyIcon(index));
        QVERIFY(paintedPixels(image) > 100);
        QVERIFY2(!seen.contains(image), qPrintable(QString::number(index)));
        seen << image;
    }
    // A disabled command's icon is grey.
    const QImage disabled = rendered(AppIcons::ours(QStringLiteral("stop")), QIcon::Disabled);
    for (int y = 0; y < disabled.height(); ++y) {
        for (int x = 0; x < disabled.width(); ++x) {
            const QColor c = disabled.pixelColor(x, y);
            QVERIFY(c.red() == c.green() && c.green() == c.blue());
        }
    }
}

void TestIconsAndWallpaper::wallpaper_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("applied");
    QTest::newRow("jpg") << "photo.jpg" << TestImages::jpeg(64, 48) << true;
    QTest::newRow("JPG") << "PHOTO.JPG" << TestImages::jpeg(64, 48) << true;
    QTest::newRow("gif") << "anim.gif" << TestImages::gif(64, 48) << true;
    // Anything not named .jpg is read as GIF: a PNG or a .jpeg leaves the wallpaper alone.
    QTest::newRow("png") << "picture.png" << TestImages::png(64, 48) << false;
    QTest::newRow("jpeg name") << "photo.jpeg" << TestImages::jpeg(64, 48) << false;
    QTest::newRow("damaged") << "broken.jpg" << QByteArray("not a picture") << false;
}

void TestIconsAndWallpaper::wallpaper()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, applied);
    TestEnv env;
    QDir().mkpath(env.workingFolder());
    const QString picture = env.root() + u'/' + name;
    QFile file(picture);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    QString problem;
    QCOMPARE(Wallpaper::apply(picture, QStringLiteral("1"), env.workingFolder(), &problem), applied);
    const QString bitmap = Wallpaper::bitmapPath(env.workingFolder());
    const SettingsStore desktop(QStringLiteral("desktop"));
    if (applied) {
        QCOMPARE(QImage(bitmap).size(), QSize(64, 48));
        QCOMPARE(desktop.value(QStringLiteral("Wallpaper")), bitmap);
        QCOMPARE(desktop.value(QStringLiteral("TileWallpaper")), QStringLiteral("1"));
    } else {
        QVERIFY(!problem.isEmpty());
        QVERIFY(!QFile::exists(bitmap));
        QVERIFY(desktop.value(QStringLiteral("Wallpaper")).isEmpty());
    }
}

void TestIconsAndWallpaper::wallpaperClear()
{
    TestEnv env;
    QDir().mkpath(env.workingFolder());
    const QString picture = env.root() + QStringLiteral("/photo.jpg");
    QFile file(picture);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(TestImages::jpeg(32, 32));
    file.close();
    QVERIFY(Wallpaper::apply(picture, QStringLiteral("0"), env.workingFolder(), nullptr));
    QVERIFY(Wallpaper::clear());
    const SettingsStore desktop(QStringLiteral("desktop"));
    QVERIFY(desktop.value(QStringLiteral("Wallpaper")).isEmpty());
    QVERIFY(desktop.value(QStringLiteral("TileWallpaper")).isEmpty());
}

QTEST_MAIN(TestIconsAndWallpaper)
#include "tst_iconsandwallpaper.moc"
