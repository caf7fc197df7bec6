#include "cli/clicontext.h"
#include "cli/clihost.h"
#include "cli/clirun.h"
#include "cli/commands.h"
#include "crawl/crawlengine.h"
#include "store/currentsearch.h"
#include "store/searchhistory.h"

#include <QSet>

namespace {

// Everything a command on one stored search needs: settings, history, engine.
struct StoredSearch
{
    CliContext context;
    SearchHistory history;
    CliHost host;
    std::unique_ptr<CurrentSearch> search;
    std::unique_ptr<CrawlEngine> engine;
    int index = -1;

    // Prints the reason and gives the exit status when the search cannot be had.
    // `readOnly`: only looks at the search; the stored settings stay as they are
    // (opening a search otherwise makes its settings the current ones, as the history window does).
    // `needDatabase` off: a search whose file is gone can still be had (to delete it).
    int open(const QString &name, bool readOnly = false, bool needDatabase = true)
    {
        if (!loadCliContext(context))
            return ExitFailure;
        history.load(context.folders.search + QStringLiteral("his.dat"), context.settings.searchhisnum);
        index = history.indexOf(name);
        if (index < 0) {
            printErr(QStringLiteral("There is no search named \"%1\" in the history.").arg(name));
            return ExitUsage;
        }
        search = std::make_unique<CurrentSearch>(context.settings, context.folders, history, host);
        search->setPersistSettings(!readOnly);
        engine = std::make_unique<CrawlEngine>(*search, host);
        engine->setProgressOnStatusBar(false);
        search->select(index);
        // Opening has said why it could not.
        if (needDatabase && !search->database().isOpen())
            return ExitFailure;
        return ExitDone;
    }
};

} // namespace

int cmdShow(const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("show takes the name of a search"));
    StoredSearch search;
    if (const int status = search.open(args.first(), true))
        return status;
    TinyTable &rows = search.search->database().TinyTableV1;
    int n = 0;
    for (bool ok = rows.first(); ok; ok = rows.next()) {
        const PictureRow r = PictureRow::fromTable(rows);
        printOut(QStringList{QString::number(++n), r.OriginalName, r.WebDirectory, r.PictureName,
                             r.DiskDirectory, QString::number(r.Size), QString::number(r.Width),
                             QString::number(r.Height), QString::number(r.Type), QString::number(r.Checked)}
                     .join(u'\t'));
    }
    return ExitDone;
}

int cmdContinue(const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("continue takes the name of a search"));
    StoredSearch search;
    if (const int status = search.open(args.first()))
        return status;
    return runSearchToEnd(*search.engine, search.host, [&]() { return search.engine->continueRun(); });
}

int cmdBig(const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("big takes the name of a search"));
    StoredSearch search;
    if (const int status = search.open(args.first()))
        return status;
    return runSearchToEnd(*search.engine, search.host,
                          [&]() { return search.engine->getBigPictures(search.engine->startAddress()); });
}

int cmdTick(const QStringList &args)
{
    if (args.size() < 2)
        return usageError(QStringLiteral("tick takes the name of a search and all, none or row numbers"));
    QSet<int> rowsToTick;
    const QString what = args.at(1);
    const bool all = what == u"all" && args.size() == 2;
    const bool none = what == u"none" && args.size() == 2;
    if (!all && !none) {
        for (const QString &a : args.mid(1)) {
            bool ok = false;
            const int row = a.toInt(&ok);
            if (!ok || row < 1)
                return usageError(QStringLiteral("not a row number: %1").arg(a));
            rowsToTick.insert(row);
        }
    }
    StoredSearch search;
    if (const int status = search.open(args.first(), true))
        return status;
    SearchDatabase &db = search.search->database();
    TinyTable &rows = db.TinyTableV1;
    int n = 0;
    db.database().begin();
    for (bool ok = rows.first(); ok; ok = rows.next()) {
        ++n;
        const int checked = all || rowsToTick.contains(n) ? 1 : 0;
        if (all || none || rowsToTick.contains(n))
            rows.setField(QStringLiteral("Checked"), checked);
    }
    db.database().commit();
    for (int row : std::as_const(rowsToTick)) {
        if (row > n) {
            printErr(QStringLiteral("The search \"%1\" has %2 pictures; there is no row %3.")
                         .arg(args.first())
                         .arg(n)
                         .arg(row));
            return ExitUsage;
        }
    }
    return ExitDone;
}

int cmdDelete(const QStringList &args)
{
    if (args.isEmpty() || args.size() > 2 || (args.size() == 2 && args.at(1) != u"--keep-pictures"))
        return usageError(QStringLiteral("delete takes the name of a search and optionally --keep-pictures"));
    StoredSearch search;
    if (const int status = search.open(args.first(), false, false))
        return status;
    if (args.size() == 2)
        search.context.settings.isdeletepic = false;
    // It says why it would not (another program runs the search).
    return search.search->deleteSelected(false) ? ExitDone : ExitUsage;
}
