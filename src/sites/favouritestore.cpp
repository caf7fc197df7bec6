#include "sites/favouritestore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

const QString ForbiddenCharacters = QStringLiteral("\\/:*?<>|\"");
const QString UrlSuffix = QStringLiteral(".url");

bool isSafeComponent(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

// Recursive copy for a move that QDir::rename cannot do in one step (another
// file system). Leaves nothing behind when it fails half-way.
bool copyTree(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        const bool copied = entry.isDir() && !entry.isSymLink() ? copyTree(entry.filePath(), target)
                                                                : QFile::copy(entry.filePath(), target);
        if (!copied)
            return false;
    }
    return true;
}

} // namespace

FavouriteStore::FavouriteStore(const QString &favouritesFolder)
    : m_root(QDir::cleanPath(QDir(favouritesFolder).absolutePath()))
{
}

bool FavouriteStore::isInside(const QString &path) const
{
    const auto within = [](const QString &p, const QString &base) {
        return p == base || p.startsWith(base + QLatin1Char('/'));
    };
    if (!within(QDir::cleanPath(path), m_root))
        return false;
    // A symbolic link inside the tree could still lead out of it; check the
    // nearest existing ancestor once the links are resolved.
    const QString canonicalRoot = QFileInfo(m_root).canonicalFilePath();
    if (canonicalRoot.isEmpty())
        return true;
    QString existing = QDir::cleanPath(path);
    while (!QFileInfo::exists(existing) && existing != m_root)
        existing = QFileInfo(existing).path();
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    return !canonical.isEmpty() && within(canonical, canonicalRoot);
}

QString FavouriteStore::folderPath(const QString &folder) const
{
    if (folder.isEmpty())
        return m_root;
    const QStringList parts = folder.split(QLatin1Char('/'));
    for (const QString &part : parts) {
        if (!isSafeComponent(part))
            return {};
    }
    const QString path = m_root + QLatin1Char('/') + parts.join(QLatin1Char('/'));
    if (!isInside(path))
        return {};
    // A link back to the root must not let the root be moved or deleted.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!canonical.isEmpty() && canonical == QFileInfo(m_root).canonicalFilePath())
        return {};
    return path;
}

QString FavouriteStore::favouritePath(const QString &folder, const QString &caption) const
{
    const QString dir = folderPath(folder);
    if (dir.isEmpty() || !isSafeComponent(caption + UrlSuffix))
        return {};
    const QString path = dir + QLatin1Char('/') + caption + UrlSuffix;
    return isInside(path) ? path : QString();
}

QStringList FavouriteStore::subFolders(const QString &folder) const
{
    const QString dir = folderPath(folder);
    if (dir.isEmpty())
        return {};
    // The program this follows took names without an extension as folders, so
    // a dotted folder was missing and a plain file showed as a folder. We ask
    // the file system instead. Links are left out: they could lead outside.
    return QDir(dir).entryList(
        QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System | QDir::NoSymLinks, QDir::Unsorted);
}

QStringList FavouriteStore::favourites(const QString &folder) const
{
    const QString dir = folderPath(folder);
    if (dir.isEmpty())
        return {};
    QStringList captions;
    // Case-sensitive: the caption gets ".url" put back to find the file again.
    const QStringList files = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QString &file : files) {
        if (file.endsWith(UrlSuffix))
            captions.append(file.chopped(UrlSuffix.size()));
    }
    return captions;
}

QString FavouriteStore::cleanedFavouriteName(const QString &typedName)
{
    QString name = typedName;
    for (QChar &c : name) {
        if (ForbiddenCharacters.contains(c))
            c = QLatin1Char('-');
    }
    return name;
}

bool FavouriteStore::isValidFolderName(const QString &name)
{
    for (const QChar c : name) {
        if (ForbiddenCharacters.contains(c))
            return false;
    }
    return true;
}

QString FavouriteStore::folderNameWarning()
{
    return QStringLiteral("Search name can not include char \\ / : * \" < > | .");
}

QString FavouriteStore::subFolderWarning()
{
    return QStringLiteral("Can not copy a sub diretory to its parent directory!");
}

QByteArray FavouriteStore::favouriteContents(const QString &address)
{
    return "[InternetShortcut]\r\nURL=" + address.toUtf8() + "\r\n";
}

QString FavouriteStore::addressIn(const QByteArray &contents)
{
    QString text = QString::fromUtf8(contents);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.contains(QLatin1String("URL")))
            return line.mid(4);
    }
    return {};
}

FavouriteResult FavouriteStore::saveFavourite(const QString &folder, const QString &typedName,
                                              const QString &address) const
{
    const QString name = cleanedFavouriteName(typedName);
    if (name.isEmpty())
        return {false, QStringLiteral("The favorite needs a name."), {}};
    const QString path = favouritePath(folder, name);
    if (path.isEmpty())
        return {false, QStringLiteral("The favorite must stay in the favorites folder."), {}};
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {false, file.errorString(), {}};
    const QByteArray contents = favouriteContents(address);
    if (file.write(contents) != contents.size() || !file.flush())
        return {false, file.errorString(), {}};
    return {true, {}, name};
}

FavouriteResult FavouriteStore::readFavouriteFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {false, file.errorString(), {}};
    return {true, {}, addressIn(file.readAll())};
}

FavouriteResult FavouriteStore::readFavourite(const QString &folder, const QString &caption) const
{
    const QString path = favouritePath(folder, caption);
    if (path.isEmpty())
        return {false, QStringLiteral("The favorite must stay in the favorites folder."), {}};
    return readFavouriteFile(path);
}

FavouriteResult FavouriteStore::deleteFavourite(const QString &folder, const QString &caption) const
{
    const QString path = favouritePath(folder, caption);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    return {QFile::remove(path), {}, {}};
}

FavouriteResult FavouriteStore::newFolder(const QString &parent, const QString &name) const
{
    if (!isValidFolderName(name))
        return {false, folderNameWarning(), {}};
    if (!isSafeComponent(name))
        return {false, QStringLiteral("A folder can not be named \"%1\".").arg(name), {}};
    const QString dir = folderPath(parent);
    if (dir.isEmpty())
        return {false, QStringLiteral("The folder must stay in the favorites folder."), {}};
    if (subFolders(parent).contains(name))
        return {false, name + QStringLiteral(" has existed!"), {}};
    // The program says nothing when the folder cannot be made.
    return {QDir(dir).mkdir(name), {}, name};
}

FavouriteResult FavouriteStore::moveFolder(const QString &folder, const QString &destination) const
{
    if (folder.isEmpty())
        return {false, QStringLiteral("The Favorites folder can not be moved."), {}};
    const QString source = folderPath(folder);
    const QString target = folderPath(destination);
    if (source.isEmpty() || target.isEmpty())
        return {false, QStringLiteral("The folder must stay in the favorites folder."), {}};
    if (source == target)
        return {false, target + QStringLiteral(" are same!"), {}};
    // A plain text test, as the program has it: a sibling whose path begins
    // with the source's ("AB" next to "A") is refused too.
    if (target.contains(source))
        return {false, subFolderWarning(), {}};
    if (QFileInfo(source).path() == target)
        return {true, {}, {}};
    const QString name = QFileInfo(source).fileName();
    const QString moved = target + QLatin1Char('/') + name;
    if (QFileInfo::exists(moved))
        return {false, name + QStringLiteral(" has existed!"), {}};
    if (QDir().rename(source, moved))
        return {true, {}, {}};
    if (!copyTree(source, moved)) {
        QDir(moved).removeRecursively();
        return {false, QStringLiteral("%1 could not be moved to %2.").arg(source, target), {}};
    }
    QDir(source).removeRecursively();
    return {true, {}, {}};
}

FavouriteResult FavouriteStore::deleteFolder(const QString &folder) const
{
    if (folder.isEmpty())
        return {false, QStringLiteral("The Favorites folder can not be deleted."), {}};
    const QString path = folderPath(folder);
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return {};
    // Failures are ignored, as in the program; `ok` still tells the caller.
    return {QDir(path).removeRecursively(), {}, {}};
}
