#pragma once

#include <QString>

// Address classes: what an address is fetched as.
enum AddressClass : int {
    ClassJpeg = 0,
    ClassGif = 1,
    ClassPage = 2,
    ClassOther = 3,
    ClassPng = 4,
};

inline bool isPictureClass(int addressClass)
{
    return addressClass == ClassJpeg || addressClass == ClassGif || addressClass == ClassPng;
}

// One found or queued address. Its one-line text form is how addresses are
// queued, stored in the link table and handed between the scanner and the crawl:
//   address|class|width|height|reserved|[**target|class|width|height|reserved|]*#referrer|
struct urlinfo
{
    QString referrer;
    QString address;
    int width = 0;
    int height = 0;
    int reserved = 0;
    int addressClass = ClassJpeg;
    bool hasLinkTarget = false;
    QString linkAddress;
    int linkWidth = 0;
    int linkHeight = 0;
    int linkReserved = 0;
    int linkClass = ClassJpeg;

    // Empty when the address is empty after trimming.
    QString toText() const;
    static urlinfo fromText(const QString &text);

    bool operator==(const urlinfo &) const = default;
};
