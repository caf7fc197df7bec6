#include "crawl/picturesaver.h"

#include "crawl/crawltexts.h"
#include "crawl/urlinfo.h"
#include "html/addressrules.h"
#include "settings/textrules.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QStorageInfo>

#include <algorithm>

namespace {

// Longest file name we write, in bytes (file systems allow 255; "(n)" may follow).
constexpr int FileNameLimit = 200;

QString typeExtension(int type)
{
    switch (type) {
    case ClassGif:
        return QStringLiteral(".gif");
    case ClassPng:
        return QStringLiteral(".png");
    default:
        return QStringLiteral(".jpg");
    }
}

const char *typeFormat(int type)
{
    switch (type) {
    case ClassGif:
        return "gif";
    case ClassPng:
        return "png";
    default:
        return "jpeg";
    }
}

// The end mark of each format, near the end of the body (some servers add a few bytes).
bool pictureIsWhole(int type, const QByteArray &body)
{
    const QByteArrayView tail = QByteArrayView(body).last(qMin<qsizetype>(body.size(), 64));
    switch (type) {
    case ClassGif:
        return tail.contains(char(0x3B));
    case ClassPng:
        return tail.contains("IEND");
    default:
        return tail.contains("\xFF\xD9");
    }
}

// Longer than 103 bytes, and no "HTML" (any case) starting in the first 100.
bool bodyLooksLikePicture(const QByteArray &body)
{
    if (body.size() <= 103)
        return false;
    for (qsizetype i = 0; i < 100; ++i) {
        if (qstrnicmp(body.constData() + i, 4, "HTML", 4) == 0)
            return false;
    }
    return true;
}

// Shortens a file name to the limit, keeping its extension, never inside a character.
QString shortenFileName(const QString &name)
{
    if (name.toUtf8().size() <= FileNameLimit)
        return name;
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString ext = dot > 0 && name.size() - dot <= 10 ? name.mid(dot) : QString();
    QString base = name.left(name.size() - ext.size());
    while (!base.isEmpty() && (base + ext).toUtf8().size() > FileNameLimit) {
        base.chop(1);
        if (!base.isEmpty() && base.back().isHighSurrogate())
            base.chop(1);
    }
    return base + ext;
}

} // namespace

int pictureFormatOf(QByteArrayView body)
{
    if (body.startsWith("\xFF\xD8\xFF"))
        return ClassJpeg;
    if (body.startsWith("\x89PNG\r\n\x1A\n"))
        return ClassPng;
    if (body.startsWith("GIF87a") || body.startsWith("GIF89a"))
        return ClassGif;
    return -1;
}

PictureCheck checkPictureBody(const QByteArray &body)
{
    PictureCheck check;
    if (!bodyLooksLikePicture(body))
        return check;
    const int type = pictureFormatOf(body);
    if (type < 0 || !pictureIsWhole(type, body))
        return check;
    // A header parse, not a decode of every picture.
    QBuffer buffer;
    buffer.setData(body);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, typeFormat(type));
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return check;
    check.type = type;
    check.size = size;
    return check;
}

QString pictureFileName(const QString &address, int type, int saveMode, const QDateTime &now)
{
    QString source = address.mid(address.lastIndexOf(u'/') + 1);
    if (std::all_of(source.cbegin(), source.cend(), [](QChar c) { return c == u'.' || c.isSpace(); }))
        source = QStringLiteral("picture") + typeExtension(type);
    QString name = saveMode == 1 ? timeStampedName(source, now) : source;
    name = shortenFileName(fileNameSafe(name));
    if (name.isEmpty() || name == u"." || name == u"..")
        name = QStringLiteral("picture") + typeExtension(type);
    return name;
}

PictureSaver::Result PictureSaver::save(const QString &address, const QByteArray &body, int saveMode,
                                        const QString &linkText)
{
    Result result;
    const PictureCheck check = checkPictureBody(body);
    if (check.type < 0)
        return result;

    const QString name = pictureFileName(address, check.type, saveMode, QDateTime::currentDateTime());
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString ext = dot > 0 ? name.mid(dot) : QString();
    QString fileName = name;
    QFile file;
    // Numbering goes on from the last number this run gave the name, so a
    // site whose pictures are all "image.jpg" does not try every taken name again.
    int &next = m_nextNumber[name];
    for (int n = qMax(2, next);; ++n) {
        file.setFileName(m_folder + fileName);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || !file.exists())
            break;
        fileName = base + u'(' + QString::number(n) + u')' + ext;
        next = n + 1;
    }
    // Only the name actually made is remembered: should the program die
    // before the row is in, Continue removes this file and no other.
    if (file.isOpen())
        m_db.setRunningFile(address, file.fileName());
    const bool written = file.isOpen() && file.write(body) == body.size() && file.flush();
    file.close();
    if (!written) {
        if (file.exists())
            file.remove();
        result.outcome = Outcome::WriteFailed;
        const QStorageInfo storage(m_folder);
        if (storage.isValid() && storage.bytesAvailable() < body.size() + 64 * 1024) {
            result.outcome = Outcome::DiskFull;
            result.message =
                QStringLiteral("The disk is full: the picture %1 could not be saved in %2. The search "
                               "was stopped; free some space and continue it.")
                    .arg(fileName, m_folder);
        }
        return result;
    }

    PictureRow &row = result.row;
    row.OriginalName = address.mid(address.lastIndexOf(u'/') + 1);
    row.WebDirectory = addressFolder(address);
    row.PictureName = fileName;
    row.DiskDirectory = m_folder;
    row.Size = int(body.size());
    row.Width = check.size.width();
    row.Height = check.size.height();
    row.Type = check.type;
    row.Checked = 0;

    m_db.database().begin();
    const bool recorded = m_db.appendPicture(row, linkText);
    if (recorded)
        m_db.finishRunning(address);
    m_db.database().commit();
    if (!recorded) {
        QFile::remove(m_folder + fileName);
        result.outcome = Outcome::RowFailed;
        return result;
    }
    result.outcome = Outcome::Saved;
    return result;
}
