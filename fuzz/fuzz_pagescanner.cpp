// Feeds arbitrary bytes to the page scanner, the substring search and the
// address rules, and checks what must hold for any input: no crash, no
// sanitizer report, found records that read back as written, ranges inside
// the page, and the resolution shortcut agreeing with QUrl.
#include "crawl/urlinfo.h"
#include "html/addressrules.h"
#include "html/pagescanner.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what, const QString &detail)
{
    std::fprintf(stderr, "%s: %s\n", what, detail.toUtf8().constData());
    std::abort();
}

void checkResolution(const QString &base, const QString &reference)
{
    const QString quick = resolveAddress(base, reference);
    const QString general = resolveAddressGeneral(base, reference);
    if (quick != general)
        fail("shortcut and QUrl differ", base + QStringLiteral(" + ") + reference + QStringLiteral(" -> ") +
                                             quick + QStringLiteral(" / ") + general);
    const int addressKind = addressClass(quick);
    if (addressKind < ClassJpeg || addressKind > ClassPng)
        fail("address class out of range", quick);
}

// A referrer that itself holds the urlinfo separators cannot read back.
bool isCleanReferrer(const QString &address)
{
    return !address.contains(u'|') && !address.contains(u'*');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    ScanOptions options;
    options.level = in.ConsumeIntegralInRange(1, 4);
    options.maxLevel = in.ConsumeIntegralInRange(1, 4);
    options.minWidth = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 200) : 0;
    options.minHeight = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 200) : 0;
    options.textLimitation = in.ConsumeBool();
    options.namingPending = in.ConsumeBool();
    const bool plainPage = in.ConsumeBool();
    const std::string pageAddressBytes = in.ConsumeRandomLengthString(200);
    const std::string keywordBytes = in.ConsumeRandomLengthString(100);
    const std::string substringBytes = in.ConsumeRandomLengthString(100);
    const std::string referenceBytes = in.ConsumeRandomLengthString(300);
    const std::string page = in.ConsumeRemainingBytesAsString();

    const QString pageAddress =
        plainPage ? QStringLiteral("http://h.example/a/b/page.htm")
                  : QString::fromUtf8(pageAddressBytes.data(), qsizetype(pageAddressBytes.size()));
    const QString keywords = QString::fromUtf8(keywordBytes.data(), qsizetype(keywordBytes.size()));
    for (const QString &w : PageScanner::keywordWords(keywords))
        options.includeList << w.toUpper();
    if (!options.includeList.isEmpty())
        options.excludeList << options.includeList.takeLast();

    PageScanner scanner;
    const QByteArrayView pageBytes(page.data(), qsizetype(page.size()));
    for (const bool thumbnails : {false, true}) {
        options.thumbnailLinks = thumbnails;
        ScanResult result;
        scanner.scanPage(pageBytes, pageAddress, options, result);
        for (const QString &text : std::as_const(result.found)) {
            if (text.isEmpty())
                fail("empty record", pageAddress);
            if (!isCleanReferrer(pageAddress))
                continue;
            const urlinfo info = urlinfo::fromText(text);
            if (info.toText() != text)
                fail("record does not read back", text + QStringLiteral(" -> ") + info.toText());
            if (info.hasLinkTarget && !thumbnails)
                fail("link target outside a thumbnail run", text);
        }
        if (result.searchName && result.searchName->size() > 200)
            fail("title too long", *result.searchName);
    }

    const QString substrings = QString::fromUtf8(substringBytes.data(), qsizetype(substringBytes.size()));
    ScanResult titleResult;
    const PageScanner::Range range = scanner.findSubstringRange(pageBytes, substrings, options, titleResult);
    const bool none = range.start == 0 && range.end == 0;
    if (!none && !(range.start >= 1 && range.start < range.end && range.end <= pageBytes.size() + 1))
        fail("range outside the page", QString::number(range.start) + u',' + QString::number(range.end));
    if (!none) {
        ScanResult part;
        scanner.scanPage(pageBytes.sliced(range.start - 1, range.end - range.start), pageAddress, options,
                         part);
    }

    // Resolution, on its own and on what the page holds between quotes and blanks.
    const QString reference = QString::fromUtf8(referenceBytes.data(), qsizetype(referenceBytes.size()));
    checkResolution(pageAddress, reference);
    checkResolution(QStringLiteral("https://www.example.com/x/y/"), reference);
    int pieces = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= pageBytes.size() && pieces < 16; ++i) {
        if (i < pageBytes.size() && pageBytes[i] != '"' && pageBytes[i] != '\'' && pageBytes[i] != ' ' &&
            pageBytes[i] != '\n' && pageBytes[i] != '>')
            continue;
        if (i > start) {
            const QString piece = QString::fromUtf8(pageBytes.sliced(start, i - start));
            checkResolution(pageAddress, piece);
            checkResolution(QStringLiteral("http://h.example/a/b/page.htm?q=1"), piece);
            ++pieces;
        }
        start = i + 1;
    }

    // A urlinfo text reads back the same from its second round on.
    const QString text = QString::fromUtf8(pageBytes.first(qMin<qsizetype>(pageBytes.size(), 400)));
    const QString once = urlinfo::fromText(text).toText();
    const QString twice = urlinfo::fromText(once).toText();
    if (once != twice)
        fail("urlinfo text not stable",
             text + QStringLiteral(" -> ") + once + QStringLiteral(" -> ") + twice);
    return 0;
}
