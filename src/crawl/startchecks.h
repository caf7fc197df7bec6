#pragma once

#include <QString>

// The refusals of a start, in the words the user sees.
namespace StartText {
extern const QString MustInputSubdirectory;
extern const QString BadSubdirectory;
extern const QString MustInputUrl;
extern const QString MustSelectThumbnails;
} // namespace StartText

// Why a picture sub-folder name cannot be used (one of the texts above), or
// empty. A name is a single folder inside the pictures root: no separators,
// no characters file systems refuse, not "." or "..".
QString subdirectoryProblem(const QString &subdirectory);
