#pragma once

#include <QDateTime>
#include <QString>

// The speed read-out: "N k/s" for the bytes of the last second.
QString speedText(qint64 bytesInSecond);
// A picture's name with the time of saving before its extension:
// "name_dd/MM/yyyy_HH-mm-ss.ext" (the saver makes it file-name-safe).
QString timeStampedName(const QString &name, const QDateTime &when);
// A file name short enough for a thumbnail's caption: the first 6 and the
// last 10 characters around "..." once it has 20 characters or more.
QString shortDisplayName(const QString &name);
