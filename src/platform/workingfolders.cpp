#include "platform/workingfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool ensureFolder(const QString &path, QString *error)
{
    QFileInfo info(path);
    if (info.isDir())
        return true;
    if (!info.exists() && QDir().mkdir(path)) {
        return true;
    }
    if (error)
        *error = QStringLiteral("Cannot create ") + path;
    return false;
}

} // namespace

WorkingFolders WorkingFolders::forDataFolder(const QString &appData)
{
    WorkingFolders f;
    f.appData = appData;
    f.working = appData + QStringLiteral("/Brelmark") + QStringLiteral("/Snapdredge");
    f.sites = f.working + QStringLiteral("/sites/");
    f.search = f.working + QStringLiteral("/mysearch/");
    f.favorites = f.working + QStringLiteral("/Favorites");
    f.pictures = f.working + QStringLiteral("/Pictures");
    return f;
}

bool WorkingFolders::build(WorkingFolders &folders, QString *error)
{
    const QString appData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (appData.isEmpty()) {
        if (error)
            *error = QStringLiteral("Could not determine My Documents path");
        return false;
    }
    // The data folder itself normally exists; on a fresh account it may not.
    QDir().mkpath(appData);
    folders = forDataFolder(appData);
    if (!ensureFolder(appData + QStringLiteral("/Brelmark"), error) || !ensureFolder(folders.working, error))
        return false;
    if (!ensureFolder(folders.search, error) || !ensureFolder(folders.sites, error))
        return false;
    // Search databases hold passwords of the searches that used a login.
    QFile::setPermissions(folders.search, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return ensureFolder(folders.favorites, error) && ensureFolder(folders.pictures, error);
}

QString programFolder(const QString &executablePath)
{
    return QFileInfo(executablePath).absolutePath() + u'/';
}

QString parentFolder(const QString &folder)
{
    if (folder.size() < 2 || !folder.endsWith(u'/'))
        return {};
    if (folder.at(folder.size() - 2) == u':')
        return {};
    const qsizetype slash = folder.lastIndexOf(u'/', folder.size() - 2);
    if (slash < 0)
        return {};
    return folder.left(slash + 1);
}
