#include "cli/clicontext.h"
#include "cli/commands.h"
#include "store/historyfile.h"
#include "store/searchdatabase.h"
#include "store/searchinformation.h"
#include "store/searchlock.h"

#include <QFile>

namespace {

QString modeName(int mode)
{
    switch (mode) {
    case 1:
        return QStringLiteral("thumbnails");
    case 2:
        return QStringLiteral("big");
    default:
        return QStringLiteral("any");
    }
}

QString stateName(int state)
{
    switch (state) {
    case StateRunning:
        return QStringLiteral("running");
    case StateFinished:
        return QStringLiteral("finished");
    default:
        return QStringLiteral("stopped");
    }
}

} // namespace

int cmdList(const QStringList &args)
{
    if (!args.isEmpty())
        return usageError(QStringLiteral("list takes no arguments"));
    CliContext context;
    if (!loadCliContext(context))
        return ExitFailure;
    const QList<HistoryEntry> entries =
        loadHistoryFile(context.folders.search + QStringLiteral("his.dat"), context.settings.searchhisnum);
    for (const HistoryEntry &e : entries) {
        SearchInformation info;
        const QString path = context.folders.search + e.name + QStringLiteral(".dat");
        if (QFile::exists(path)) {
            SearchDatabase db;
            if (db.open(path))
                info = SearchInformation::fromText(db.readSearchInformation());
        }
        const QString counters = QStringLiteral("%1:%2->%3:%4")
                                     .arg(info.pagesPending)
                                     .arg(info.picturesPending)
                                     .arg(info.picturesSaved)
                                     .arg(info.picturesFailed);
        int state = stateOfIcon(e.icon);
        // A run that no process holds was cut short.
        if (state == StateRunning && !SearchLock::isRunElsewhere(context.folders.search, e.name))
            state = StateStopped;
        printOut(e.name + u'\t' + modeName(modeOfIcon(e.icon)) + u'\t' + stateName(state) + u'\t' + counters);
    }
    return ExitDone;
}
