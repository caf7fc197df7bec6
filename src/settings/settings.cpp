#include "settings/settings.h"

#include "html/pagescanner.h"
#include "platform/settingsstore.h"
#include "settings/textrules.h"

namespace {

QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// Reads one value; a missing (or empty) one gets its default written back.
QString readOrDefault(SettingsStore &store, const QString &name, const QString &fallback)
{
    QString text = store.value(name);
    if (text.isEmpty()) {
        store.setValue(name, fallback);
        text = fallback;
    }
    return text;
}

int readInt(SettingsStore &store, const QString &name, int fallback)
{
    return readInteger(readOrDefault(store, name, QString::number(fallback)));
}

// A flag that is on only for the exact text "1".
bool readOnFlag(SettingsStore &store, const QString &name, bool fallback)
{
    return readOrDefault(store, name, flagText(fallback)) == u"1";
}

// A flag that is off only for the exact text "0".
bool readOffFlag(SettingsStore &store, const QString &name, bool fallback)
{
    return readOrDefault(store, name, flagText(fallback)) != u"0";
}

int readGeometry(SettingsStore &store, const QString &name)
{
    const QString text = store.value(name);
    if (text.isEmpty() || text == u"0") {
        store.setValue(name, QStringLiteral("0"));
        return 0;
    }
    return readInteger(text);
}

} // namespace

QString SearchSettings::defaultAgent()
{
    return QStringLiteral("Snapdredge-Web Picture Harvester");
}

QString Settings::picturesRootFor(const QString &workingFolder)
{
    // The folder start-up creates; file names on this system are case-sensitive.
    return workingFolder + QStringLiteral("/Pictures");
}

void Settings::loadSearchSettings(SettingsStore &store, const QString &workingFolder)
{
    picturesRoot = picturesRootFor(workingFolder);
    root_directory = readOrDefault(store, QStringLiteral("root_directory"), picturesRoot);

    save_mode = readOrDefault(store, QStringLiteral("save_mode"), QStringLiteral("1")) == u"0" ? 0 : 1;
    max_level = readInt(store, QStringLiteral("max_level"), 2);
    thread_num = readInt(store, QStringLiteral("thread_num"), 6);
    // Fewer than two connections cannot run a search; more than eight is not offered.
    if (thread_num < 2)
        thread_num = 2;
    if (thread_num > 8)
        thread_num = 8;
    size = readInt(store, QStringLiteral("size"), 0);
    size1 = readInt(store, QStringLiteral("size1"), 300);
    width = readInt(store, QStringLiteral("width"), 0);
    height = readInt(store, QStringLiteral("height"), 0);
    url_number = readInt(store, QStringLiteral("url_number"), 30);
    timeout = readInt(store, QStringLiteral("timeout"), 300);
    gif = readOnFlag(store, QStringLiteral("gif"), true);
    jpg = readOnFlag(store, QStringLiteral("jpg"), true);

    QString more = store.value(QStringLiteral("more"));
    if (more.isEmpty()) {
        more = complementForStorage(defaultMoreText());
        store.setValue(QStringLiteral("more"), more);
    }
    setMoreText(plainFromStorage(more));

    urllink = readOnFlag(store, QStringLiteral("urllink"), true);
    selecttext = readOnFlag(store, QStringLiteral("selecttext"), false);
    includestext = store.value(QStringLiteral("includestext"));
    notincludestext = store.value(QStringLiteral("notincludestext"));
    subdirectory = store.value(QStringLiteral("subdirectory"));
    if (subdirectory.isEmpty())
        subdirectory = QStringLiteral("mypic");
    extendedlevel = readInt(store, QStringLiteral("extendedlevel"), 0);
    ispicfirst = readOffFlag(store, QStringLiteral("ispicfirst"), true);
    ismultithreaddb = readOnFlag(store, QStringLiteral("ismultithreaddb"), true);
    store.sync();
}

void Settings::loadWindowSettings(SettingsStore &store)
{
    // Held to what Options offers: a limit of 0 from a damaged or hand-edited
    // file would make every new search delete the oldest one, and every new
    // address push out the last.
    urlhisnum = qBound(6, readInt(store, QStringLiteral("urlhisnum"), 10), 30);
    searchhisnum = qBound(10, readInt(store, QStringLiteral("searchhisnum"), 18), 30);
    sitehisnum = qBound(6, readInt(store, QStringLiteral("sitehisnum"), 6), 10);
    clearallafterexit = readOnFlag(store, QStringLiteral("clearallafterexit"), false);
    isdeletethumb = readOnFlag(store, QStringLiteral("isdeletethumb"), true);
    isdeletepic = readOnFlag(store, QStringLiteral("isdeletepic"), true);
    isshowoption = readOnFlag(store, QStringLiteral("isshowoption"), false);
    ttop = readGeometry(store, QStringLiteral("ttop"));
    tleft = readGeometry(store, QStringLiteral("tleft"));
    theight = readGeometry(store, QStringLiteral("theight"));
    twidth = readGeometry(store, QStringLiteral("twidth"));
    ltop = readGeometry(store, QStringLiteral("ltop"));
    lleft = readGeometry(store, QStringLiteral("lleft"));
    lheight = readGeometry(store, QStringLiteral("lheight"));
    lwidth = readGeometry(store, QStringLiteral("lwidth"));
    ptop = readGeometry(store, QStringLiteral("ptop"));
    pleft = readGeometry(store, QStringLiteral("pleft"));
    pheight = readGeometry(store, QStringLiteral("pheight"));
    pwidth = readGeometry(store, QStringLiteral("pwidth"));
    bwindow = readOnFlag(store, QStringLiteral("bwindow"), true);
    tw = readInt(store, QStringLiteral("tw"), 100);
    th = readInt(store, QStringLiteral("th"), 100);
    a1 = readOnFlag(store, QStringLiteral("a1"), true);
    a2 = readOnFlag(store, QStringLiteral("a2"), true);
    a3 = readInt(store, QStringLiteral("a3"), 30);
    agent = readOrDefault(store, QStringLiteral("agent"), defaultAgent());
    searchservice = readOrDefault(store, QStringLiteral("searchservice"), defaultSearchService());
    store.sync();
}

QString Settings::moreText() const
{
    return packedLoginProxy() + QString::number(reservedNumber) + u'|' + flagText(reservedFlag) + u'|';
}

void Settings::setMoreText(const QString &text)
{
    substrinfo f = readField(text, unpackLoginProxy(text));
    reservedNumber = readInteger(f.text);
    f = readField(text, f.next);
    reservedFlag = f.text == u"1";
}

void Settings::writeSearchValues(SettingsStore &store, bool withPriority) const
{
    store.setValue(QStringLiteral("root_directory"), picturesRoot);
    store.setValue(QStringLiteral("save_mode"), flagText(save_mode == 1));
    store.setValue(QStringLiteral("max_level"), QString::number(max_level));
    store.setValue(QStringLiteral("thread_num"), QString::number(thread_num));
    store.setValue(QStringLiteral("size"), QString::number(size));
    store.setValue(QStringLiteral("size1"), QString::number(size1));
    store.setValue(QStringLiteral("width"), QString::number(width));
    store.setValue(QStringLiteral("height"), QString::number(height));
    store.setValue(QStringLiteral("url_number"), QString::number(url_number));
    store.setValue(QStringLiteral("timeout"), QString::number(timeout));
    store.setValue(QStringLiteral("gif"), flagText(gif));
    store.setValue(QStringLiteral("jpg"), flagText(jpg));
    store.setValue(QStringLiteral("more"), complementForStorage(moreText()));
    store.setValue(QStringLiteral("urllink"), flagText(urllink));
    store.setValue(QStringLiteral("selecttext"), flagText(selecttext));
    store.setValue(QStringLiteral("includestext"), includestext);
    store.setValue(QStringLiteral("notincludestext"), notincludestext);
    store.setValue(QStringLiteral("subdirectory"), subdirectory);
    store.setValue(QStringLiteral("extendedlevel"), QString::number(extendedlevel));
    if (withPriority) {
        store.setValue(QStringLiteral("ispicfirst"), flagText(ispicfirst));
        store.setValue(QStringLiteral("ismultithreaddb"), flagText(ismultithreaddb));
    }
    store.sync();
}

void Settings::writeWindowValues(SettingsStore &store, bool withGeometry) const
{
    store.setValue(QStringLiteral("urlhisnum"), QString::number(urlhisnum));
    store.setValue(QStringLiteral("searchhisnum"), QString::number(searchhisnum));
    store.setValue(QStringLiteral("sitehisnum"), QString::number(sitehisnum));
    store.setValue(QStringLiteral("clearallafterexit"), flagText(clearallafterexit));
    store.setValue(QStringLiteral("isdeletethumb"), flagText(isdeletethumb));
    store.setValue(QStringLiteral("isdeletepic"), flagText(isdeletepic));
    store.setValue(QStringLiteral("isshowoption"), flagText(isshowoption));
    if (withGeometry) {
        const struct
        {
            const char *name;
            int value;
        } geometry[] = {{"ttop", ttop}, {"tleft", tleft}, {"theight", theight}, {"twidth", twidth},
                        {"ltop", ltop}, {"lleft", lleft}, {"lheight", lheight}, {"lwidth", lwidth},
                        {"ptop", ptop}, {"pleft", pleft}, {"pheight", pheight}, {"pwidth", pwidth}};
        for (const auto &g : geometry)
            store.setValue(QString::fromLatin1(g.name), QString::number(g.value));
        store.setValue(QStringLiteral("bwindow"), flagText(bwindow));
    }
    store.setValue(QStringLiteral("tw"), QString::number(tw));
    store.setValue(QStringLiteral("th"), QString::number(th));
    store.setValue(QStringLiteral("a1"), flagText(a1));
    store.setValue(QStringLiteral("a2"), flagText(a2));
    store.setValue(QStringLiteral("a3"), QString::number(a3));
    store.setValue(QStringLiteral("agent"), agent);
    store.setValue(QStringLiteral("searchservice"), searchservice);
    store.sync();
}

void Settings::saveSearchSettings(SettingsStore &store) const
{
    writeSearchValues(store, true);
}

void Settings::saveWindowSettings(SettingsStore &store) const
{
    writeWindowValues(store, true);
}

void Settings::saveSearchSettingsFromOptions(SettingsStore &store) const
{
    writeSearchValues(store, false);
}

void Settings::saveWindowSettingsFromOptions(SettingsStore &store) const
{
    writeWindowValues(store, false);
}

void Settings::rebuildKeywordLists()
{
    // Keywords are words as the page scanner reads them, compared against
    // upper-cased link text.
    const auto split = [](const QString &text) {
        QStringList words = PageScanner::keywordWords(text);
        for (QString &w : words)
            w = w.toUpper();
        return words;
    };
    includelist = split(includestext);
    excludelist = split(notincludestext);
}

void Settings::buildKeywordLists()
{
    if (selecttext)
        rebuildKeywordLists();
}

void Settings::setSubstrings(const QStringList &lines)
{
    substrListbox = lines;
    substringsText.clear();
    // An empty line still adds its blank, so the text keeps the lines' places.
    for (const QString &line : lines)
        substringsText += u' ' + line;
    substringsFlag = !lines.isEmpty();
}
