#include "html/addressrules.h"

#include "crawl/urlinfo.h"
#include "settings/textrules.h"

#include <QUrl>

namespace {

// Characters that QUrl keeps exactly as written in a path or a query. An
// address made only of these (and of a plain host) needs no QUrl at all.
constexpr bool isPlainChar(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
           c == u'.' || c == u'_' || c == u'~' || c == u'!' || c == u'$' || c == u'&' || c == u'\'' ||
           c == u'(' || c == u')' || c == u'*' || c == u'+' || c == u',' || c == u';' || c == u'=' ||
           c == u'@' || c == u'/' || c == u'?' || c == u':' || c == u' ';
}

struct PlainTable
{
    bool plain[128] = {};
    constexpr PlainTable()
    {
        for (int c = 0; c < 128; ++c)
            plain[c] = isPlainChar(char16_t(c));
    }
};
constexpr PlainTable plainTable;

inline bool plainChar(char16_t c)
{
    return c < 128 && plainTable.plain[c];
}

QString concat(QStringView a, QStringView b)
{
    QString out;
    out.reserve(a.size() + b.size());
    out.append(a);
    out.append(b);
    return out;
}

inline char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

inline bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

inline bool isAsciiDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// True when one "/"-separated segment of [begin, end) is "." or "..": QUrl
// would remove it, so such a path is left to QUrl.
bool hasDotSegment(QStringView path)
{
    qsizetype segStart = 0;
    const qsizetype n = path.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i == n || path[i] == u'/') {
            const qsizetype len = i - segStart;
            if ((len == 1 && path[segStart] == u'.') ||
                (len == 2 && path[segStart] == u'.' && path[segStart + 1] == u'.'))
                return true;
            segStart = i + 1;
        }
    }
    return false;
}

// A host QUrl keeps as written: lower-case letters, digits and inner hyphens in
// non-empty labels of at most 63 characters, no IDNA ("xn--") label, and a
// last label that begins with a letter (so no IPv4 form, which QUrl rewrites).
bool isPlainHost(QStringView host)
{
    if (host.isEmpty())
        return false;
    qsizetype labelStart = 0;
    const qsizetype n = host.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i < n && host[i] != u'.') {
            const char16_t c = host[i].unicode();
            if (!((c >= u'a' && c <= u'z') || isAsciiDigit(c) || c == u'-'))
                return false;
            continue;
        }
        const qsizetype len = i - labelStart;
        if (len == 0 || len > 63 || host[labelStart] == u'-' || host[i - 1] == u'-')
            return false;
        if (len >= 4 && host[labelStart] == u'x' && host[labelStart + 1] == u'n' &&
            host[labelStart + 2] == u'-' && host[labelStart + 3] == u'-')
            return false;
        if (i == n && !(host[labelStart] >= u'a' && host[labelStart] <= u'z'))
            return false;
        labelStart = i + 1;
    }
    return true;
}

// An absolute http(s) address that QUrl would give back unchanged: lower-case
// scheme, plain host without port or user, a path, plain characters only and
// no dot segments. `pathStart` is the index of the path's first "/".
bool isPlainAbsolute(QStringView s, qsizetype &pathStart)
{
    qsizetype hostStart = 0;
    if (s.startsWith(u"http://"))
        hostStart = 7;
    else if (s.startsWith(u"https://"))
        hostStart = 8;
    else
        return false;
    const qsizetype slash = s.indexOf(u'/', hostStart);
    if (slash < 0 || !isPlainHost(s.sliced(hostStart, slash - hostStart)))
        return false;
    qsizetype query = -1;
    for (qsizetype i = slash; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (!plainChar(c))
            return false;
        if (c == u'?' && query < 0)
            query = i;
    }
    if (hasDotSegment(s.sliced(slash, (query < 0 ? s.size() : query) - slash)))
        return false;
    pathStart = slash;
    return true;
}

// A relative reference that is a plain path (with an optional query): no scheme,
// no authority, no dot segments, plain characters only.
bool isPlainRelative(QStringView r)
{
    if (r.isEmpty() || r[0] == u'?' || r.startsWith(u"//"))
        return false;
    qsizetype query = -1;
    bool sawSlash = false;
    for (qsizetype i = 0; i < r.size(); ++i) {
        const char16_t c = r[i].unicode();
        if (!plainChar(c))
            return false;
        if (c == u'?' && query < 0)
            query = i;
        if (c == u'/')
            sawSlash = true;
        // A colon in the first segment would make the text before it a scheme.
        if (c == u':' && !sawSlash && query < 0)
            return false;
    }
    return !hasDotSegment(r.first(query < 0 ? r.size() : query));
}

inline bool hasOuterBlank(QStringView s)
{
    return !s.isEmpty() && (s.front().unicode() <= 0x20 || s.back().unicode() <= 0x20);
}

// What a browser does to an address before it parses it: tabs and line breaks
// vanish, leading and trailing control characters and blanks are cut.
QString cleanAddress(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (const QChar ch : s) {
        const char16_t c = ch.unicode();
        if (c != u'\t' && c != u'\n' && c != u'\r')
            out += ch;
    }
    qsizetype b = 0;
    qsizetype e = out.size();
    while (b < e && out[b].unicode() <= 0x20)
        ++b;
    while (e > b && out[e - 1].unicode() <= 0x20)
        --e;
    return out.sliced(b, e - b);
}

// Resolution of a clean (see cleanAddress) base and reference through QUrl.
QString resolveWithQUrl(const QString &base, const QString &reference)
{
    const QUrl baseUrl(base, QUrl::TolerantMode);
    const QUrl relative(reference, QUrl::TolerantMode);
    QUrl url = baseUrl.resolved(relative);
    if (!url.isValid())
        return {};
    // A browser never sends the fragment.
    url.setFragment(QString());
    const QString scheme = url.scheme();
    if ((scheme == u"http" || scheme == u"https") && !url.host().isEmpty() && url.path().isEmpty())
        url.setPath(QStringLiteral("/"));
    return url.toString();
}

// Keeps a resolved address from breaking the urlinfo text it goes into: "**"
// marks a link target there, so its stars are encoded; and a blank or control
// character at either end would be lost to the first trim, so it is encoded too.
void protectForUrlinfo(QString &address)
{
    if (address.contains(u'*') && address.contains(u"**"))
        address.replace(u'*', QStringLiteral("%2A"));
    if (!hasOuterBlank(address))
        return;
    const auto encoded = [](QChar ch) {
        return QStringLiteral("%%1").arg(ch.unicode(), 2, 16, QLatin1Char('0')).toUpper();
    };
    qsizetype b = 0;
    while (b < address.size() && address[b].unicode() <= 0x20)
        ++b;
    qsizetype e = address.size();
    while (e > b && address[e - 1].unicode() <= 0x20)
        --e;
    QString out;
    for (qsizetype i = 0; i < b; ++i)
        out += encoded(address[i]);
    out += QStringView(address).sliced(b, e - b);
    for (qsizetype i = e; i < address.size(); ++i)
        out += encoded(address[i]);
    address = out;
}

QString resolveBare(QStringView base, QStringView reference, bool allowShortcut)
{
    if (allowShortcut && !hasOuterBlank(reference) && !hasOuterBlank(base)) {
        qsizetype pathStart = 0;
        if (isPlainAbsolute(reference, pathStart))
            return reference.toString();
        if (isPlainRelative(reference) && isPlainAbsolute(base, pathStart)) {
            if (reference[0] == u'/')
                return concat(base.first(pathStart), reference);
            qsizetype pathEnd = base.indexOf(u'?', pathStart);
            if (pathEnd < 0)
                pathEnd = base.size();
            const qsizetype lastSlash = base.first(pathEnd).lastIndexOf(u'/');
            return concat(base.first(lastSlash + 1), reference);
        }
    }
    return resolveWithQUrl(cleanAddress(base), cleanAddress(reference));
}

QString resolve(QStringView base, QStringView reference, bool allowShortcut)
{
    const qsizetype bar = reference.indexOf(u'|');
    const QStringView lead = bar < 0 ? reference : reference.first(bar);
    if (lead.startsWith(u"*#"))
        return addressFolder(base).append(reference);
    QString resolved = resolveBare(base, lead, allowShortcut);
    if (resolved.isEmpty())
        return {};
    protectForUrlinfo(resolved);
    if (bar >= 0)
        resolved += reference.sliced(bar);
    return resolved;
}

bool endsWithNoCase(QStringView s, QStringView upperSuffix)
{
    const qsizetype n = upperSuffix.size();
    if (s.size() < n)
        return false;
    const QStringView tail = s.last(n);
    for (qsizetype i = 0; i < n; ++i) {
        char16_t c = tail[i].unicode();
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - 32);
        if (c != upperSuffix[i].unicode())
            return false;
    }
    return true;
}

} // namespace

QString addressFolder(QStringView address)
{
    const qsizetype query = address.indexOf(u'?');
    if (query >= 0) {
        const QStringView before = address.first(query);
        return before.first(before.lastIndexOf(u'/') + 1).toString();
    }
    if (address.endsWith(u'/'))
        return address.toString();
    const qsizetype last = address.lastIndexOf(u'/');
    if (last < 0)
        return {};
    if (last > 0 && address[last - 1] == u'/')
        return concat(address, u"/");
    return address.first(last + 1).toString();
}

QString resolveAddress(QStringView base, QStringView reference)
{
    return resolve(base, reference, true);
}

QString resolveAddressGeneral(QStringView base, QStringView reference)
{
    return resolve(base, reference, false);
}

int addressClass(QStringView address)
{
    if (address.contains(u'?'))
        return ClassPage;
    if (endsWithNoCase(address, u"JPG") || endsWithNoCase(address, u"JPEG"))
        return ClassJpeg;
    if (endsWithNoCase(address, u"GIF"))
        return ClassGif;
    if (endsWithNoCase(address, u"PNG"))
        return ClassPng;
    if (endsWithNoCase(address, u"HTM") || endsWithNoCase(address, u"TML"))
        return ClassPage;
    if (address.endsWith(u'/'))
        return ClassPage;
    if (endsWithNoCase(address, u".EXE") || endsWithNoCase(address, u".MPG") ||
        endsWithNoCase(address, u"MPEG"))
        return ClassOther;
    return ClassPage;
}

QString normaliseStartAddress(QStringView text)
{
    QString address = text.trimmed().toString();
    // A scheme is letters (then letters, digits, "+", "-", ".") before "://".
    qsizetype schemeEnd = -1;
    if (!address.isEmpty() && isAsciiLetter(address[0].unicode())) {
        qsizetype i = 1;
        while (i < address.size()) {
            const char16_t c = address[i].unicode();
            if (!(isAsciiLetter(c) || isAsciiDigit(c) || c == u'+' || c == u'-' || c == u'.'))
                break;
            ++i;
        }
        if (QStringView(address).sliced(i).startsWith(u"://"))
            schemeEnd = i;
    }
    if (schemeEnd < 0) {
        address.prepend(QStringLiteral("http://"));
    } else {
        for (qsizetype i = 0; i < schemeEnd; ++i)
            address[i] = QChar(asciiLower(address[i].unicode()));
    }
    if (address.endsWith(u'/'))
        return address;
    const qsizetype last = address.lastIndexOf(u'/');
    if (last > 0 && address[last - 1] == u'/')
        return concat(address, u"/");
    const QStringView after = QStringView(address).sliced(last + 1);
    if (after.contains(u'.') || after.contains(u'?'))
        return address;
    return concat(address, u"/");
}

QString siteRoot(QStringView address)
{
    const qsizetype p = address.indexOf(u"//");
    if (p < 0) {
        if (address.isEmpty())
            return {};
        const QStringView rest = address.sliced(1);
        const qsizetype q = rest.indexOf(u'/');
        return concat(address.first(1), q < 0 ? QStringView() : rest.first(q + 1));
    }
    const QStringView after = address.sliced(p + 2);
    const qsizetype q = after.indexOf(u'/');
    return concat(address.first(p + 2), q < 0 ? QStringView() : after.first(q + 1));
}

QString pathJoin(QStringView folder, QStringView fileName)
{
    return concat(folder, fileName);
}

QString fileNameOfPath(QStringView path)
{
    return path.sliced(path.lastIndexOf(u'/') + 1).toString();
}

int contentLength(QStringView headerText)
{
    static constexpr QStringView name = u"Content-Length";
    qsizetype from = 0;
    while (true) {
        const qsizetype at = headerText.indexOf(name, from, Qt::CaseInsensitive);
        if (at < 0)
            return 0;
        qsizetype i = at + name.size();
        while (i < headerText.size() && (headerText[i] == u' ' || headerText[i] == u'\t'))
            ++i;
        // The name alone, without its colon, is some other text (such as a value).
        if (i >= headerText.size() || headerText[i] != u':') {
            from = at + 1;
            continue;
        }
        ++i;
        while (i < headerText.size() && (headerText[i] == u' ' || headerText[i] == u'\t'))
            ++i;
        qsizetype digitsEnd = i;
        while (digitsEnd < headerText.size() && isAsciiDigit(headerText[digitsEnd].unicode()))
            ++digitsEnd;
        return readInteger(headerText.sliced(i, digitsEnd - i));
    }
}

QString withoutUserInfo(const QString &address)
{
    const qsizetype scheme = address.indexOf(QLatin1String("://"));
    if (scheme < 0)
        return address;
    const qsizetype hostStart = scheme + 3;
    qsizetype hostEnd = address.size();
    for (qsizetype i = hostStart; i < address.size(); ++i) {
        const QChar c = address.at(i);
        if (c == u'/' || c == u'?' || c == u'#') {
            hostEnd = i;
            break;
        }
    }
    const qsizetype at = address.lastIndexOf(u'@', hostEnd - 1);
    if (at < hostStart)
        return address;
    return address.left(hostStart) + address.mid(at + 1);
}
