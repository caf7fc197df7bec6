#include "cli/clicontext.h"
#include "cli/clihost.h"
#include "cli/clirun.h"
#include "cli/commands.h"
#include "crawl/crawlengine.h"
#include "sites/addresshistory.h"
#include "store/currentsearch.h"
#include "store/searchhistory.h"

namespace {

// Applies one option of `get` to the settings of this search; false on bad usage.
bool applyOption(Settings &s, const QString &option, const QString &value, QString *error)
{
    bool ok = true;
    const auto number = [&](int low, int high) {
        const int n = value.toInt(&ok);
        ok = ok && n >= low && n <= high;
        if (!ok)
            *error = QStringLiteral("%1 needs a number from %2 to %3").arg(option).arg(low).arg(high);
        return n;
    };
    if (option == u"--depth")
        s.max_level = number(1, 10);
    else if (option == u"--threads")
        s.thread_num = number(2, 8);
    else if (option == u"--min-size")
        s.size = number(0, 1000000);
    else if (option == u"--max-size")
        s.size1 = number(1, 1000000);
    else if (option == u"--min-width")
        s.width = number(0, 100000);
    else if (option == u"--min-height")
        s.height = number(0, 100000);
    else if (option == u"--timeout")
        s.timeout = number(1, 100000);
    else if (option == u"--subdir")
        s.subdirectory = value;
    else if (option == u"--agent")
        s.agent = value;
    else if (option == u"--url-include")
        s.urlIncludeText = value;
    else if (option == u"--substrings") {
        s.substrListbox = QStringList{value};
        s.substringsText = u' ' + value;
        s.substringsFlag = !value.isEmpty();
    } else {
        *error = QStringLiteral("unknown option %1").arg(option);
        return false;
    }
    return ok;
}

} // namespace

int cmdGet(const QStringList &args)
{
    CliContext context;
    if (!loadCliContext(context))
        return ExitFailure;
    Settings &s = context.settings;
    bool thumbnails = false;
    QString url;
    static const QStringList withValue = {
        QStringLiteral("--depth"),       QStringLiteral("--threads"),   QStringLiteral("--min-size"),
        QStringLiteral("--max-size"),    QStringLiteral("--min-width"), QStringLiteral("--min-height"),
        QStringLiteral("--subdir"),      QStringLiteral("--timeout"),   QStringLiteral("--agent"),
        QStringLiteral("--url-include"), QStringLiteral("--substrings")};
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == u"--thumbnails")
            thumbnails = true;
        else if (a == u"--original-names")
            s.save_mode = 0;
        else if (a == u"--stamped-names")
            s.save_mode = 1;
        else if (a == u"--all-urls")
            s.urllink = true;
        else if (a == u"--within-site")
            s.urllink = false;
        else if (a == u"--no-jpg")
            s.jpg = false;
        else if (a == u"--no-gif")
            s.gif = false;
        else if (withValue.contains(a)) {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("%1 needs a value").arg(a));
            QString error;
            if (!applyOption(s, a, args.at(++i), &error))
                return usageError(error);
        } else if (a.startsWith(u"--")) {
            return usageError(QStringLiteral("unknown option %1").arg(a));
        } else if (url.isEmpty()) {
            url = a;
        } else {
            return usageError(QStringLiteral("get takes one address"));
        }
    }
    if (url.isEmpty())
        return usageError(QStringLiteral("get needs an address"));

    SearchHistory history;
    history.load(context.folders.search + QStringLiteral("his.dat"), s.searchhisnum);
    CliHost host;
    CurrentSearch search(s, context.folders, history, host);
    search.setPersistSettings(false);
    // The desktop's address box lists what the command line started from too.
    AddressHistory addresses;
    addresses.load(context.folders.sites + AddressHistory::fileName(), s.urlhisnum);
    CrawlEngine engine(search, host);
    engine.setAddressHistory(&addresses);
    engine.setProgressOnStatusBar(false);
    return runSearchToEnd(
        engine, host, [&]() { return thumbnails ? engine.getThumbnails(url) : engine.getAnyPicture(url); });
}
