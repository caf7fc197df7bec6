#include "store/searchinformation.h"

#include "settings/settings.h"
#include "settings/textrules.h"

namespace {

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// Reads line after line; past the end every line is empty.
class LineReader
{
public:
    explicit LineReader(const QString &text) : m_text(text) {}
    QString next()
    {
        if (m_pos >= m_text.size()) {
            m_pastEnd = true;
            return {};
        }
        qsizetype lf = m_text.indexOf(u'\n', m_pos);
        if (lf < 0)
            lf = m_text.size();
        QString line = m_text.mid(m_pos, lf - m_pos);
        m_pos = lf + 1;
        return line;
    }

    // A line was asked for after the text had ended.
    bool pastEnd() const { return m_pastEnd; }

private:
    const QString &m_text;
    bool m_pastEnd = false;
    qsizetype m_pos = 0;
};

} // namespace

QString SearchInformation::toText() const
{
    QStringList lines;
    lines << startAddress << subdirectory << QString::number(substrings.size());
    lines += substrings;
    lines << u'-' + urlIncludeText << QString::number(wholePageScan) << QString::number(pagesPending)
          << QString::number(picturesPending) << QString::number(picturesSaved)
          << QString::number(picturesFailed) << QString::number(elapsedSeconds) << QString::number(searchMode)
          << flag(thumbnailLink) << name << rootDirectory << flag(save_mode == 1)
          << u'-' + QString::number(extendedlevel) << QString::number(max_level) << QString::number(size)
          << QString::number(width) << QString::number(height) << QString::number(url_number)
          << QString::number(timeout) << flag(gif) << flag(jpg);
    const QChar bar = u'|';
    const QString connection = packedLoginProxy() + flag(urllink) + bar + flag(selecttext) + bar;
    lines << complementForStorage(connection) << includestext << notincludestext;
    lines << QString::number(size1) << QString::number(thread_num) << agent;
    return lines.join(u'\n') + u'\n';
}

SearchInformation SearchInformation::fromText(const QString &text, int currentExtendedLevel)
{
    SearchInformation info;
    LineReader in(text);
    info.startAddress = in.next();
    info.subdirectory = in.next();
    const int count = readInteger(in.next());
    for (int i = 0; i < count; ++i)
        info.substrings << in.next();
    QString line = in.next();
    if (line.startsWith(u'-')) {
        info.urlIncludeText = line.mid(1);
        line = in.next();
    }
    info.wholePageScan = readInteger(line);
    info.pagesPending = readInteger(in.next());
    info.picturesPending = readInteger(in.next());
    info.picturesSaved = readInteger(in.next());
    info.picturesFailed = readInteger(in.next());
    info.elapsedSeconds = readInteger(in.next());
    info.searchMode = readInteger(in.next());
    info.thumbnailLink = in.next() != u"0";
    info.name = in.next().trimmed();
    info.rootDirectory = in.next();
    info.save_mode = in.next() == u"0" ? 0 : 1;
    line = in.next();
    info.extendedlevel = currentExtendedLevel;
    if (line.startsWith(u'-')) {
        info.extendedlevel = readInteger(QStringView(line).mid(1));
        line = in.next();
    }
    info.max_level = readInteger(line);
    info.size = readInteger(in.next());
    info.width = readInteger(in.next());
    info.height = readInteger(in.next());
    info.url_number = readInteger(in.next());
    info.timeout = readInteger(in.next());
    info.gif = in.next() == u"1";
    info.jpg = in.next() == u"1";
    const QString connection = plainFromStorage(in.next());
    info.readable = !text.isEmpty() && !in.pastEnd();
    substrinfo f = readField(connection, info.unpackLoginProxy(connection));
    info.urllink = f.text != u"0";
    f = readField(connection, f.next);
    info.selecttext = f.text != u"0";
    info.includestext = in.next();
    info.notincludestext = in.next();
    info.size1 = readInteger(in.next());
    info.thread_num = readInteger(in.next());
    info.agent = in.next();
    return info;
}

void SearchInformation::takeSettings(const Settings &s)
{
    static_cast<SearchSettings &>(*this) = s;
    substrings = s.substrListbox;
    urlIncludeText = s.urlIncludeText;
    rootDirectory = s.picturesRoot;
}

void SearchInformation::giveSettings(Settings &s) const
{
    const SearchSettings before = s;
    static_cast<SearchSettings &>(s) = *this;
    // Records older than these three lines leave the current values.
    if (size1 <= 0)
        s.size1 = before.size1;
    if (thread_num < 2 || thread_num > 8)
        s.thread_num = before.thread_num;
    if (agent.isEmpty())
        s.agent = before.agent;
    s.setSubstrings(substrings);
    s.urlIncludeText = urlIncludeText;
}
