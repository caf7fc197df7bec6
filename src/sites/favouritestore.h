#pragma once

#include <QString>
#include <QStringList>

// What a favourite or folder operation did. A refusal carries the text to show,
// or no text when the program stays silent about it. `value` is the cleaned
// favourite name after a save and the address after a read.
struct FavouriteResult
{
    bool ok = false;
    QString message;
    QString value;
};

// The favourites tree on disk: one ".url" Internet-shortcut file per
// favourite, in folders under the favourites folder. Folders are named by
// their path relative to that folder, the parts joined by "/"; "" is the root.
// Nothing handed in can reach outside the favourites folder.
class FavouriteStore
{
public:
    explicit FavouriteStore(const QString &favouritesFolder);

    QString root() const { return m_root; }

    // The absolute path of a folder, or an empty text for one that is not
    // inside the favourites folder.
    QString folderPath(const QString &folder) const;

    // The sub-folders and favourite captions (names without ".url") of a
    // folder, in the order the file system gives them.
    QStringList subFolders(const QString &folder) const;
    QStringList favourites(const QString &folder) const;

    // Writes folder/name.url, replacing a file of that name; the name is
    // cleaned first and the cleaned one comes back in `value`.
    FavouriteResult saveFavourite(const QString &folder, const QString &typedName,
                                  const QString &address) const;
    FavouriteResult readFavourite(const QString &folder, const QString &caption) const;
    static FavouriteResult readFavouriteFile(const QString &path);
    FavouriteResult deleteFavourite(const QString &folder, const QString &caption) const;

    FavouriteResult newFolder(const QString &parent, const QString &name) const;
    FavouriteResult moveFolder(const QString &folder, const QString &destination) const;
    FavouriteResult deleteFolder(const QString &folder) const;

    static QString cleanedFavouriteName(const QString &typedName);
    static bool isValidFolderName(const QString &name);
    // The address in a favourite file's contents; empty when no line has one.
    static QString addressIn(const QByteArray &contents);
    static QByteArray favouriteContents(const QString &address);

    static QString folderNameWarning();
    static QString subFolderWarning();

private:
    bool isInside(const QString &path) const;
    QString favouritePath(const QString &folder, const QString &caption) const;

    QString m_root;
};
