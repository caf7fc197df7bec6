#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Small text rules shared by the settings, the search database and the crawl.
// Positions are 1-based, as in the stored record layouts they read.

// Decimal text to a signed 32-bit integer; anything that is not a number reads as 0.
int readInteger(QStringView text);

// One "|"-terminated field of a packed record and the position just after its "|".
struct substrinfo
{
    QString text;
    int next = 0;
};

// Reads the field that starts at the 1-based position `pos`: the characters up
// to the next "|" (or the end). `next` is that "|"'s position + 1, or the
// length + 2 when no "|" follows. A position past the end gives an empty field.
substrinfo readField(const QString &text, int pos);

// Every byte b becomes 255 - b. Applying it twice gives back the input.
QByteArray byteComplement(QByteArray bytes);

// Stored form of a complemented text: its UTF-8 bytes complemented, each byte
// kept as one Latin-1 character so that the settings file and the database
// (both of which hold text) give back exactly these bytes.
QString complementForStorage(const QString &plain);
QString plainFromStorage(const QString &stored);

// Replaces what may not appear in a file or search name by "-": control
// characters 0..31 and 127, the characters 129..144 and 147..159, the double
// quote and * / : < > ? \ |.
QString fileNameSafe(const QString &text);
