#pragma once

#include <QString>
#include <QStringView>

// The text rules that turn what a page refers to into addresses we can fetch,
// and decide what an address is fetched as. They run once per found link, so
// they stay cheap: no state, no allocation beyond the result.

// The folder part of an address: up to and including the last "/" of its path
// (before any "?"). "http://h" gives "http://h/"; an address without "/" gives "".
// Also the web folder a saved picture is recorded under.
QString addressFolder(QStringView address);

// Resolves `reference` the way a browser would before fetching it: relative to
// `base` (the address of the page the reference was found on, or a folder),
// with "..", ".", protocol-relative and query-only references, fragments
// dropped. The reference may be a whole urlinfo text: only its leading address
// (up to the first "|") is resolved, the rest is kept as it is. A leading
// address that begins with "*#" (the placeholder link of a picture that has no
// link of its own) is put after the folder of `base` unchanged.
// The result stays readable (a blank stays a blank); it is percent-encoded only
// when it is fetched. A reference that cannot form an address gives "".
QString resolveAddress(QStringView base, QStringView reference);

// The same resolution done by QUrl for every input, without the shortcuts
// resolveAddress takes for plain file names and plain absolute addresses.
// resolveAddress must always agree with it; tests and the fuzz target check that.
QString resolveAddressGeneral(QStringView base, QStringView reference);

// What an address is fetched as (AddressClass in crawl/urlinfo.h), by its ending:
// any "?" makes it a page; then jpg/jpeg, gif, png, htm/html, a final "/",
// .exe/.mpg/mpeg (other); anything else is a page.
int addressClass(QStringView address);

// The typed start address made fetchable: "http://" in front when it has no
// scheme (a scheme it has is kept, in lower case), and a "/" after a bare host
// or a path that names a folder.
QString normaliseStartAddress(QStringView text);

// The address without "user:password@" before its host (for a Referer).
QString withoutUserInfo(const QString &address);

// Scheme and host with their "/" ("http://h/" for "http://h/a/b.htm"), what
// "within the web" compares against.
QString siteRoot(QStringView address);

// `folder` ends with "/".
QString pathJoin(QStringView folder, QStringView fileName);

// The text after the last "/"; the whole path when it has none.
QString fileNameOfPath(QStringView path);

// The Content-Length of a block of response header lines (the name in any case,
// blanks after the colon or none); 0 when it is missing or not a number.
int contentLength(QStringView headerText);
