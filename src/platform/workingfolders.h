#pragma once

#include <QString>

// The folders Snapdredge keeps its data in, all under the user's data folder:
//   <data>/Brelmark/Snapdredge            working folder
//                             /mysearch/  search databases and his.dat
//                             /sites/     address and site history
//                             /Favorites  favourites tree
//                             /Pictures   pictures root
struct WorkingFolders
{
    QString appData;
    QString working;
    QString sites;  // ends with "/"
    QString search; // ends with "/"
    QString favorites;
    QString pictures;

    // Builds the chain, creating what is missing. On failure returns false and
    // sets `error` to "Could not determine My Documents path" or "Cannot create "
    // followed by the path that could not be made.
    static bool build(WorkingFolders &folders, QString *error);

    // Folder texts derived without touching the disk (for a given data folder).
    static WorkingFolders forDataFolder(const QString &appData);
};

// The folder of the running program, ending in "/".
QString programFolder(const QString &executablePath);

// The folder above a folder that ends in "/": the text up to and including the
// "/" before its last folder name; empty for the root folder.
QString parentFolder(const QString &folder);
