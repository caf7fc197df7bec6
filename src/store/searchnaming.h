#pragma once

#include <QString>
#include <QStringList>

// A search is named after its first page's title, and the name is also the
// base of its files in the search folder: "<name>.dat" with its "-wal" and
// "-shm" logs and "<name>.lock". The longest of these must fit a file
// system's 255 bytes, so a name keeps at most this many bytes.
constexpr int SearchNameByteLimit = 240;

// `text` cut to at most `bytes` bytes of UTF-8, never inside a character.
QString cutToBytes(const QString &text, int bytes);

// The name a search gets: trimmed, "NoneTitle" when empty, made file-name-safe,
// cut to the byte limit, and made unique against `taken` by "(2)", "(3)" …
// (a name already ending in "(n)" counts on from n).
QString uniqueSearchName(QString name, const QStringList &taken);
