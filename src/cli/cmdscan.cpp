#include "cli/clicontext.h"
#include "cli/commands.h"
#include "html/pagescanner.h"

#include <QFile>

// Shows what a search would take from one saved page: the page is scanned as
// the page of --url at depth --level, with the stored settings, as the first
// page of a search (so its title is read as the search name).
int cmdScan(const QStringList &args)
{
    QString pageAddress;
    QString file;
    int level = 1;
    bool thumbnails = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == u"--url" || arg == u"--level") {
            if (i + 1 >= args.size())
                return usageError(arg + QStringLiteral(" needs a value"));
            const QString &value = args[++i];
            if (arg == u"--url") {
                pageAddress = value.trimmed();
            } else {
                bool ok = false;
                level = value.toInt(&ok);
                if (!ok || level < 1)
                    return usageError(QStringLiteral("--level needs a number of 1 or more"));
            }
        } else if (arg == u"--thumbnails") {
            thumbnails = true;
        } else if (arg.startsWith(u'-') && arg.size() > 1) {
            return usageError(QStringLiteral("scan does not know the option \"%1\"").arg(arg));
        } else if (file.isEmpty()) {
            file = arg;
        } else {
            return usageError(QStringLiteral("scan takes one page file"));
        }
    }
    if (pageAddress.isEmpty())
        return usageError(QStringLiteral("scan needs --url with the address the page was fetched from"));
    if (!pageAddress.contains(u"://"))
        return usageError(QStringLiteral("--url needs an absolute address, such as http://host/page.htm"));
    if (file.isEmpty())
        return usageError(QStringLiteral("scan needs the file of a saved page"));

    CliContext context;
    if (!loadCliContext(context))
        return ExitFailure;
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly)) {
        printErr(QStringLiteral("snapdredge: cannot read %1: %2").arg(file, input.errorString()));
        return ExitFailure;
    }
    const QByteArray page = input.readAll();

    Settings &settings = context.settings;
    ScanOptions options;
    options.level = level;
    options.maxLevel = settings.max_level;
    // A thumbnails run takes pictures of any declared size: their byte size decides.
    options.minWidth = thumbnails ? 0 : settings.width;
    options.minHeight = thumbnails ? 0 : settings.height;
    options.thumbnailLinks = thumbnails;
    options.textLimitation = settings.selecttext;
    if (settings.selecttext) {
        settings.rebuildKeywordLists();
        options.includeList = settings.includelist;
        options.excludeList = settings.excludelist;
    }
    options.namingPending = true;

    PageScanner scanner;
    ScanResult result;
    scanner.scanPage(page, pageAddress, options, result);
    for (const QString &text : std::as_const(result.found))
        printOut(text);
    printOut(QStringLiteral("title: ") + result.searchName.value_or(QString()));
    return ExitDone;
}
