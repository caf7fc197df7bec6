#pragma once

#include "store/searchdatabase.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QSize>
#include <QString>

// The picture format the bytes themselves say (ClassJpeg, ClassGif or
// ClassPng), by their signature; -1 for anything else. The bytes decide, not
// the Content-Type or the name: servers send PNGs under .jpg names.
int pictureFormatOf(QByteArrayView body);

// A body the saver takes: long enough, no HTML near its start, a picture
// format whose header reads and whose end mark is there (a cut transfer
// lacks it). Type is the format, or -1 when the body is refused.
struct PictureCheck
{
    int type = -1;
    QSize size;
};
PictureCheck checkPictureBody(const QByteArray &body);

// The name a picture is saved under: the address after its last "/", time
// stamped in save mode 1, made file-name-safe and short enough for any file
// system; "picture.<ext>" when nothing usable is left.
QString pictureFileName(const QString &address, int type, int saveMode, const QDateTime &now);

// Writes a fetched picture into the picture folder and records it: the
// picture row with its link row, and the end of its running row, in one
// transaction. A file is never replaced: a second picture of one name gets
// name(2).ext, name(3).ext …
class PictureSaver
{
public:
    enum class Outcome { Saved, NotAPicture, WriteFailed, DiskFull, RowFailed };
    struct Result
    {
        Outcome outcome = Outcome::NotAPicture;
        PictureRow row;
        QString message; // for DiskFull
    };

    PictureSaver(SearchDatabase &db, const QString &folder) : m_db(db), m_folder(folder) {}

    Result save(const QString &address, const QByteArray &body, int saveMode, const QString &linkText);

private:
    SearchDatabase &m_db;
    QString m_folder;
    QHash<QString, int> m_nextNumber;
};
