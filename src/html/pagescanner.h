#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What a scan of one page may take, from the run and its settings.
struct ScanOptions
{
    int level = 1;    // depth of the page; the start page is 1
    int maxLevel = 2; // max_level: page links are followed only from pages below it
    int minWidth = 0; // width, height: declared size an IMG needs
    int minHeight = 0;
    bool thumbnailLinks = false; // a thumbnails run: an IMG inside a link is taken with the link
    bool textLimitation = false; // selecttext: link text must hold an include word and no exclude word
    QStringList includeList;     // upper-cased words
    QStringList excludeList;
    bool namingPending = false; // the page title will name the search
    int maxFound = 0;           // found addresses kept at most (0: all); later ones are dropped
};

struct ScanResult
{
    // One resolved urlinfo text per accepted address, in page order.
    QStringList found;
    // Set when a TITLE assigned the search name: "NoneTitle" for a TITLE tag with
    // attributes, else (only while naming is pending) the title's text with its
    // blanks left out, at most 200 characters.
    std::optional<QString> searchName;
};

// The one-pass scanner of fetched pages. It reads the page as a run of tokens
// (words of ASCII letters and digits, blanks, single other bytes) without
// building a tree or copying the page, and reacts only to A, IMG, FRAME, SCRIPT
// and TITLE. It never fails: any byte sequence is a page.
class PageScanner
{
public:
    // Fills result.found with what `text` (the page fetched from `pageAddress`)
    // offers, after the depth, size and link-text rules of `options`. A TITLE on
    // the page may set result.searchName; otherwise it is left as it was, so a
    // title read by findSubstringRange into the same result stays.
    void scanPage(QByteArrayView text, const QString &pageAddress, const ScanOptions &options,
                  ScanResult &result);

    // 1-based byte positions in a page; {0, 0} when nothing was found.
    struct Range
    {
        qsizetype start = 0;
        qsizetype end = 0;
    };
    // The part of `page` the user marked by a phrase of it: from the "<a" before
    // the phrase's first word to just after its last word. Words inside tags do
    // not count; a TITLE on the way is read into titleResult as scanPage would.
    Range findSubstringRange(QByteArrayView page, const QString &substringsText, const ScanOptions &options,
                             ScanResult &titleResult);

    // The words of a text as the scanner reads them: runs of ASCII letters and
    // digits; everything else only separates them.
    static QStringList keywordWords(const QString &text);

private:
    QList<QByteArray> m_phraseWords; // of the last substring search
};
