#include "html/pagescanner.h"

#include "crawl/urlinfo.h"
#include "html/addressrules.h"
#include "settings/textrules.h"

#include <cstring>

namespace {

// Byte classes of the tokenizer: words are ASCII letters and digits only, so
// every byte from 128 up is a one-byte token of its own, whatever the charset.
enum ByteKind : unsigned char { OtherByte = 0, WordByte = 1, BlankByte = 2 };

struct ByteKinds
{
    unsigned char kind[256] = {};
    constexpr ByteKinds()
    {
        for (int c = 0; c < 256; ++c) {
            const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            const bool blank = c == 9 || c == 10 || c == 13 || c == 32;
            kind[c] = word ? WordByte : blank ? BlankByte : OtherByte;
        }
    }
};
constexpr ByteKinds byteKinds;

inline unsigned char kindOf(char c)
{
    return byteKinds.kind[static_cast<unsigned char>(c)];
}

struct Token
{
    enum Kind { End, Word, Other };
    Kind kind = End;
    qsizetype start = 0;
    qsizetype length = 0;

    bool isEnd() const { return kind == End; }
};

// A read position in the page. Tokens are views into the page, never copies.
struct Cursor
{
    const char *data = nullptr;
    qsizetype size = 0;
    qsizetype pos = 0;

    explicit Cursor(QByteArrayView text) : data(text.data()), size(text.size()) {}

    Token next()
    {
        while (pos < size && kindOf(data[pos]) == BlankByte)
            ++pos;
        Token t;
        if (pos >= size)
            return t;
        t.start = pos;
        if (kindOf(data[pos]) == WordByte) {
            ++pos;
            while (pos < size && kindOf(data[pos]) == WordByte)
                ++pos;
            t.kind = Token::Word;
        } else {
            ++pos;
            t.kind = Token::Other;
        }
        t.length = pos - t.start;
        return t;
    }

    bool is(const Token &t, char c) const { return t.kind == Token::Other && data[t.start] == c; }

    // `lower` is a lower-case ASCII name; words hold only letters and digits,
    // so setting bit 5 folds the case of letters and leaves digits alone.
    template <qsizetype N> bool isWord(const Token &t, const char (&lower)[N]) const
    {
        if (t.kind != Token::Word || t.length != N - 1)
            return false;
        for (qsizetype i = 0; i < N - 1; ++i) {
            if ((data[t.start + i] | 0x20) != lower[i])
                return false;
        }
        return true;
    }

    QByteArrayView view(const Token &t) const { return QByteArrayView(data + t.start, t.length); }

    // Moves to just after the next `c`, or to the end.
    bool skipPast(char c)
    {
        const void *hit = pos < size ? std::memchr(data + pos, c, size_t(size - pos)) : nullptr;
        if (!hit) {
            pos = size;
            return false;
        }
        pos = static_cast<const char *>(hit) - data + 1;
        return true;
    }

    // After an attribute name: true (and "=" consumed) when "=" follows; else
    // nothing is consumed, so the next token is still seen as a name or as ">".
    bool takeEquals()
    {
        const qsizetype saved = pos;
        const Token t = next();
        if (is(t, '='))
            return true;
        pos = saved;
        return false;
    }

    // An attribute value: quoted by " or ' (up to the same quote, or the end of
    // the page), or unquoted up to a blank or ">" (which stays to end the tag).
    QByteArrayView value()
    {
        while (pos < size && kindOf(data[pos]) == BlankByte)
            ++pos;
        if (pos >= size)
            return {};
        const char quote = data[pos];
        if (quote == '"' || quote == '\'') {
            const qsizetype start = pos + 1;
            const void *hit = start < size ? std::memchr(data + start, quote, size_t(size - start)) : nullptr;
            const qsizetype end = hit ? static_cast<const char *>(hit) - data : size;
            pos = hit ? end + 1 : size;
            return QByteArrayView(data + start, end - start);
        }
        const qsizetype start = pos;
        while (pos < size && data[pos] != '>' && kindOf(data[pos]) != BlankByte)
            ++pos;
        return QByteArrayView(data + start, pos - start);
    }
};

// Text of a page: UTF-8 when it is valid UTF-8, else one character per byte.
QString decodeBytes(QByteArrayView bytes)
{
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    return QString::fromLatin1(bytes);
}

void appendCodePoint(QString &out, char32_t cp)
{
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp > 0xFFFF) {
        out += QChar(QChar::highSurrogate(cp));
        out += QChar(QChar::lowSurrogate(cp));
    } else {
        out += QChar(char16_t(cp));
    }
}

// Longest reference body we decode ("#x" and digits, zeros in front allowed).
constexpr qsizetype maxReferenceLength = 32;

// Decodes the character references an address is commonly written with
// (&amp; &lt; &gt; &quot; &apos; &nbsp;, decimal and hexadecimal). Anything
// else that starts with "&" stays as written.
QString decodeReferences(const QString &text)
{
    if (!text.contains(u'&'))
        return text;
    static constexpr struct
    {
        QStringView name;
        char16_t ch;
    } named[] = {{u"amp", u'&'}, {u"AMP", u'&'},  {u"lt", u'<'},   {u"LT", u'<'},    {u"gt", u'>'},
                 {u"GT", u'>'},  {u"quot", u'"'}, {u"QUOT", u'"'}, {u"apos", u'\''}, {u"nbsp", 0xA0}};
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar ch = text[i];
        if (ch != u'&') {
            out += ch;
            ++i;
            continue;
        }
        // References are short; looking further for their ";" would make a value
        // full of "&" quadratic.
        const QStringView window =
            QStringView(text).sliced(i + 1, qMin<qsizetype>(n - i - 1, maxReferenceLength + 1));
        const qsizetype semicolon = window.indexOf(u';');
        const QStringView body = semicolon < 0 ? QStringView() : window.first(semicolon);
        bool decoded = false;
        if (body.size() >= 2 && body[0] == u'#') {
            const bool hex = body[1] == u'x' || body[1] == u'X';
            const QStringView digits = body.sliced(hex ? 2 : 1);
            char32_t cp = 0;
            bool ok = !digits.isEmpty();
            for (const QChar d : digits) {
                const char16_t c = d.unicode();
                int v = -1;
                if (c >= u'0' && c <= u'9')
                    v = c - u'0';
                else if (hex && c >= u'a' && c <= u'f')
                    v = c - u'a' + 10;
                else if (hex && c >= u'A' && c <= u'F')
                    v = c - u'A' + 10;
                if (v < 0) {
                    ok = false;
                    break;
                }
                // Anything past the last code point is as bad as the largest such number.
                cp = cp > 0x10FFFF ? cp : cp * (hex ? 16 : 10) + char32_t(v);
            }
            if (ok) {
                appendCodePoint(out, cp);
                decoded = true;
            }
        } else if (!body.isEmpty() && body.size() <= 4) {
            for (const auto &entry : named) {
                if (body == entry.name) {
                    out += QChar(entry.ch);
                    decoded = true;
                    break;
                }
            }
        }
        if (decoded) {
            i += body.size() + 2;
        } else {
            out += ch;
            ++i;
        }
    }
    return out;
}

// An attribute value as a reference a browser would fetch: decoded, without
// tabs and line breaks, without surrounding blanks and without its fragment.
QString referenceOf(QByteArrayView value)
{
    bool plain = true;
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80 || u < 0x20 || c == '&') {
            plain = false;
            break;
        }
    }
    QString text;
    if (plain && (value.isEmpty() || (value.front() != ' ' && value.back() != ' '))) {
        text = QString::fromLatin1(value);
    } else {
        const QString decoded = decodeReferences(decodeBytes(value));
        text.reserve(decoded.size());
        for (const QChar ch : decoded) {
            if (ch != u'\t' && ch != u'\n' && ch != u'\r')
                text += ch;
        }
        qsizetype b = 0;
        qsizetype e = text.size();
        while (b < e && text[b].unicode() <= 0x20)
            ++b;
        while (e > b && text[e - 1].unicode() <= 0x20)
            --e;
        text = text.sliced(b, e - b);
    }
    const qsizetype hash = text.indexOf(u'#');
    if (hash >= 0)
        text.truncate(hash);
    // "|" separates the fields of the urlinfo text the address goes into.
    text.replace(u'|', QStringLiteral("%7C"));
    return text;
}

// WIDTH and HEIGHT: a number, or 0 (absent, empty, "100%", ...).
int declaredSize(QByteArrayView value)
{
    if (value.isEmpty())
        return 0;
    if (value.size() <= 9) {
        int n = 0;
        bool digits = true;
        for (const char c : value) {
            if (c < '0' || c > '9') {
                digits = false;
                break;
            }
            n = n * 10 + (c - '0');
        }
        if (digits)
            return n;
    }
    return readInteger(decodeReferences(decodeBytes(value)));
}

// A link target is stored as written, inside the urlinfo text, so "**" (the
// mark of a link target there) must not appear in it.
QString protectLinkTarget(QString address)
{
    if (address.contains(u'*') && address.contains(u"**"))
        address.replace(u'*', QStringLiteral("%2A"));
    return address;
}

struct ImgTag
{
    QByteArrayView src;
    QByteArrayView width;
    QByteArrayView height;
};

// Titles longer than this are cut; more bytes than this cannot be needed for it.
constexpr qsizetype maxTitleLength = 200;
constexpr qsizetype maxTitleBytes = 4096;

// One scan over one page.
class PageScan
{
public:
    PageScan(QByteArrayView text, const QString &pageAddress, const ScanOptions &options, ScanResult &result)
        : m_c(text), m_pageAddress(pageAddress), m_options(options), m_result(result)
    {
        m_collectLinkText = options.thumbnailLinks && options.textLimitation && options.level == 1;
        if (m_collectLinkText) {
            for (const QString &w : options.includeList)
                m_include << w.toUtf8();
            for (const QString &w : options.excludeList)
                m_exclude << w.toUtf8();
        }
    }

    void run()
    {
        Cursor &c = m_c;
        while (c.skipPast('<')) {
            const Token name = c.next();
            if (name.kind != Token::Word)
                continue;
            if (c.isWord(name, "a"))
                readLink();
            else if (c.isWord(name, "img"))
                readPicture();
            else if (c.isWord(name, "frame"))
                readFrame();
            else if (c.isWord(name, "script"))
                skipScript();
            else if (c.isWord(name, "title"))
                readTitle(m_c, m_options, m_result);
        }
    }

    // Shared with the substring search, which reads titles on its way too.
    static void readTitle(Cursor &c, const ScanOptions &options, ScanResult &result)
    {
        const Token first = c.next();
        if (!c.is(first, '>')) {
            result.searchName = QStringLiteral("NoneTitle");
            return;
        }
        // The title's tokens joined without their blanks, up to the next tag,
        // which is left for the caller.
        QByteArray collected;
        const qsizetype start = c.pos;
        const void *hit = start < c.size ? std::memchr(c.data + start, '<', size_t(c.size - start)) : nullptr;
        const qsizetype end = hit ? static_cast<const char *>(hit) - c.data : c.size;
        c.pos = end;
        if (!options.namingPending)
            return;
        bool cut = false;
        for (qsizetype i = start; i < end; ++i) {
            if (kindOf(c.data[i]) == BlankByte)
                continue;
            if (collected.size() >= maxTitleBytes) {
                cut = true;
                break;
            }
            collected += c.data[i];
        }
        if (cut) {
            // Do not leave half a UTF-8 sequence at the cut.
            while (!collected.isEmpty() && (static_cast<unsigned char>(collected.back()) & 0xC0) == 0x80)
                collected.chop(1);
            if (!collected.isEmpty() && static_cast<unsigned char>(collected.back()) >= 0xC0)
                collected.chop(1);
        }
        QString title = decodeBytes(collected);
        if (title.size() > maxTitleLength) {
            qsizetype keep = maxTitleLength;
            if (title[keep - 1].isHighSurrogate())
                --keep;
            title.truncate(keep);
        }
        result.searchName = title;
    }

private:
    void readLink()
    {
        Cursor &c = m_c;
        QByteArrayView href;
        while (true) {
            const Token t = c.next();
            if (t.isEnd() || c.is(t, '>'))
                break;
            if (c.isWord(t, "href") && c.takeEquals())
                href = c.value();
        }

        ImgTag target;
        bool hasTarget = false;
        QByteArray linkText;
        if (m_options.thumbnailLinks) {
            // The link's content, up to its end tag (or the end of the page).
            while (true) {
                Token t;
                if (m_collectLinkText) {
                    t = c.next();
                } else if (c.skipPast('<')) {
                    t.kind = Token::Other;
                    t.start = c.pos - 1;
                    t.length = 1;
                }
                if (t.isEnd())
                    break;
                if (t.kind == Token::Word) {
                    linkText += ' ';
                    for (const char ch : c.view(t))
                        linkText += (ch >= 'a' && ch <= 'z') ? char(ch - 32) : ch;
                    continue;
                }
                if (!c.is(t, '<'))
                    continue;
                const Token tag = c.next();
                if (c.isWord(tag, "img")) {
                    target = readImgTag();
                    hasTarget = true;
                } else if (c.is(tag, '/')) {
                    if (c.isWord(c.next(), "a")) {
                        c.next();
                        break;
                    }
                }
            }
        }

        QString address = referenceOf(href);
        if (m_collectLinkText && !linkText.isEmpty()) {
            bool included = false;
            for (const QByteArray &w : m_include) {
                if (linkText.contains(w)) {
                    included = true;
                    break;
                }
            }
            bool excluded = false;
            for (const QByteArray &w : m_exclude) {
                if (linkText.contains(w)) {
                    excluded = true;
                    break;
                }
            }
            if (!included || excluded)
                address.clear();
        }
        if (address.isEmpty())
            return;

        const int level = m_options.level;
        const int addressKind = addressClass(address);
        if (addressKind == ClassPage) {
            if (m_options.thumbnailLinks && hasTarget) {
                const QString src = referenceOf(target.src);
                if (src.isEmpty() || level >= m_options.maxLevel || src.size() <= 6)
                    return;
                addThumbnail(src, target, address, addressKind);
            } else {
                if (level >= m_options.maxLevel || address.size() <= 5)
                    return;
                add(address, addressKind, 0, 0);
            }
        } else if (isPictureClass(addressKind)) {
            if (m_options.thumbnailLinks) {
                if (!hasTarget)
                    return;
                const QString src = referenceOf(target.src);
                if (src.isEmpty() || level > m_options.maxLevel || src.size() <= 5)
                    return;
                addThumbnail(src, target, address, addressKind);
            } else {
                add(address, addressKind, 0, 0);
            }
        }
    }

    ImgTag readImgTag()
    {
        Cursor &c = m_c;
        ImgTag tag;
        while (true) {
            const Token t = c.next();
            if (t.isEnd() || c.is(t, '>'))
                break;
            if (c.is(t, '<')) {
                // A tag without its ">" ends where the next one begins.
                --c.pos;
                break;
            }
            if (t.kind != Token::Word)
                continue;
            if (c.isWord(t, "src")) {
                if (c.takeEquals())
                    tag.src = c.value();
            } else if (c.isWord(t, "width")) {
                if (c.takeEquals())
                    tag.width = c.value();
            } else if (c.isWord(t, "height")) {
                if (c.takeEquals())
                    tag.height = c.value();
            }
        }
        return tag;
    }

    void readPicture()
    {
        const ImgTag tag = readImgTag();
        const QString src = referenceOf(tag.src);
        if (src.isEmpty())
            return;
        const int width = declaredSize(tag.width);
        const int height = declaredSize(tag.height);
        if (width < m_options.minWidth || height < m_options.minHeight)
            return;
        add(src, addressClass(src), width, height);
    }

    void readFrame()
    {
        Cursor &c = m_c;
        QByteArrayView src;
        while (true) {
            const Token t = c.next();
            if (t.isEnd() || c.is(t, '>'))
                break;
            if (c.isWord(t, "src") && c.takeEquals())
                src = c.value();
        }
        const QString address = referenceOf(src);
        if (address.isEmpty() || m_options.level >= m_options.maxLevel)
            return;
        // A frame holds a page, whatever its address looks like.
        add(address, ClassPage, 0, 0);
    }

    void skipScript()
    {
        Cursor &c = m_c;
        while (c.skipPast('<')) {
            if (!c.is(c.next(), '/'))
                continue;
            if (c.isWord(c.next(), "script"))
                return;
        }
    }

    void add(const QString &address, int addressKind, int width, int height)
    {
        urlinfo info;
        info.address = resolveAddress(m_pageAddress, address);
        if (info.address.isEmpty())
            return;
        info.referrer = m_pageAddress;
        info.addressClass = addressKind;
        info.width = width;
        info.height = height;
        append(info);
    }

    // The small picture is the address; the link around it is kept, as written,
    // as the link target that the big-picture pass follows later.
    void addThumbnail(const QString &src, const ImgTag &tag, const QString &linkAddress, int linkKind)
    {
        urlinfo info;
        info.address = resolveAddress(m_pageAddress, src);
        if (info.address.isEmpty())
            return;
        info.referrer = m_pageAddress;
        info.addressClass = addressClass(src);
        info.width = declaredSize(tag.width);
        info.height = declaredSize(tag.height);
        info.hasLinkTarget = true;
        info.linkAddress = protectLinkTarget(linkAddress);
        info.linkClass = linkKind;
        append(info);
    }

    void append(const urlinfo &info)
    {
        // An address of nothing but (Unicode) blanks has no text at all.
        if (m_options.maxFound > 0 && m_result.found.size() >= m_options.maxFound)
            return;
        QString text = info.toText();
        if (!text.isEmpty())
            m_result.found << text;
    }

    Cursor m_c;
    const QString &m_pageAddress;
    const ScanOptions &m_options;
    ScanResult &m_result;
    bool m_collectLinkText = false;
    QList<QByteArray> m_include;
    QList<QByteArray> m_exclude;
};

// Runs of ASCII letters and digits in a text.
template <typename Append> void forEachWord(const QString &text, Append append)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const char16_t c = text[i].unicode();
        if (c >= 128 || kindOf(char(c)) != WordByte) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < n && text[i].unicode() < 128 && kindOf(char(text[i].unicode())) == WordByte)
            ++i;
        append(QStringView(text).sliced(start, i - start));
    }
}

} // namespace

void PageScanner::scanPage(QByteArrayView text, const QString &pageAddress, const ScanOptions &options,
                           ScanResult &result)
{
    result.found.clear();
    PageScan scan(text, pageAddress, options, result);
    scan.run();
}

PageScanner::Range PageScanner::findSubstringRange(QByteArrayView page, const QString &substringsText,
                                                   const ScanOptions &options, ScanResult &titleResult)
{
    m_phraseWords.clear();
    forEachWord(substringsText, [this](QStringView w) { m_phraseWords << w.toLatin1(); });
    if (m_phraseWords.isEmpty())
        return {};

    Cursor c(page);
    qsizetype matched = 0;
    qsizetype start = 0;
    while (true) {
        const Token t = c.next();
        if (t.isEnd())
            return {};
        if (c.is(t, '<')) {
            const Token tag = c.next();
            if (c.isWord(tag, "title"))
                PageScan::readTitle(c, options, titleResult);
            else if (!tag.isEnd() && !c.is(tag, '>'))
                c.skipPast('>');
            continue;
        }
        if (t.kind != Token::Word)
            continue;
        if (c.view(t) != m_phraseWords[matched]) {
            // The word that broke a match is not tried as a first word again.
            matched = 0;
            continue;
        }
        if (matched == 0)
            start = t.start;
        if (++matched == m_phraseWords.size())
            break;
    }

    Range range;
    range.start = start + 1;
    range.end = c.pos + 1;
    // The range begins with the link the phrase belongs to.
    for (qsizetype i = start - 1; i >= 0; --i) {
        if (c.data[i] == '<' && i + 1 < c.size && (c.data[i + 1] | 0x20) == 'a') {
            range.start = i + 1;
            break;
        }
    }
    return range;
}

QStringList PageScanner::keywordWords(const QString &text)
{
    QStringList words;
    forEachWord(text, [&words](QStringView w) { words << w.toString(); });
    return words;
}
