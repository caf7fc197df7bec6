#include "app/wallpaper.h"

#include "platform/settingsstore.h"

#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

const QString BackgroundSchema = QStringLiteral("org.gnome.desktop.background");

bool runGsettings(const QString &program, const QStringList &args, QByteArray *out = nullptr)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (out)
        *out = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

QString Wallpaper::bitmapPath(const QString &workingFolder)
{
    return workingFolder + QStringLiteral("/Wallpaper.bmp");
}

bool Wallpaper::apply(const QString &picturePath, const QString &style, const QString &workingFolder,
                      QString *problem)
{
    const QByteArray format = picturePath.right(3).compare(u"JPG", Qt::CaseInsensitive) == 0 ? "jpeg" : "gif";
    QImageReader reader(picturePath, format);
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull()) {
        if (problem)
            *problem = reader.errorString();
        return false;
    }
    const QString target = bitmapPath(workingFolder);
    if (!image.convertToFormat(QImage::Format_RGB32).save(target, "BMP")) {
        if (problem)
            *problem = QStringLiteral("Cannot create ") + target;
        return false;
    }
    SettingsStore desktop(QStringLiteral("desktop"));
    desktop.setValue(QStringLiteral("Wallpaper"), target);
    desktop.setValue(QStringLiteral("TileWallpaper"), style);
    desktop.sync();
    return true;
}

bool Wallpaper::clear()
{
    SettingsStore desktop(QStringLiteral("desktop"));
    desktop.setValue(QStringLiteral("Wallpaper"), QString());
    desktop.setValue(QStringLiteral("TileWallpaper"), QString());
    return desktop.sync();
}

void Wallpaper::refreshDesktop()
{
    const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (gsettings.isEmpty())
        return;
    QByteArray writable;
    if (!runGsettings(gsettings,
                      {QStringLiteral("writable"), BackgroundSchema, QStringLiteral("picture-uri")},
                      &writable) ||
        !writable.trimmed().startsWith("true"))
        return;
    const SettingsStore desktop(QStringLiteral("desktop"));
    const QString file = desktop.value(QStringLiteral("Wallpaper"));
    const QString style = desktop.value(QStringLiteral("TileWallpaper"));
    const QString uri = file.isEmpty() ? QString() : QUrl::fromLocalFile(file).toString();
    QString options = QStringLiteral("none");
    if (!file.isEmpty())
        options = style == u"1"   ? QStringLiteral("wallpaper")
                  : style == u"2" ? QStringLiteral("stretched")
                                  : QStringLiteral("centered");
    runGsettings(gsettings, {QStringLiteral("set"), BackgroundSchema, QStringLiteral("picture-uri"), uri});
    runGsettings(gsettings,
                 {QStringLiteral("set"), BackgroundSchema, QStringLiteral("picture-options"), options});
}
