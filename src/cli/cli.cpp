#include "cli/cli.h"

#include "cli/clicontext.h"
#include "cli/commands.h"

#include <QCoreApplication>
#include <cstring>

namespace {

struct Command
{
    const char *name;
    int (*run)(const QStringList &);
};

const Command commands[] = {
    {"get", cmdGet},   {"continue", cmdContinue}, {"tick", cmdTick},     {"big", cmdBig},
    {"list", cmdList}, {"show", cmdShow},         {"delete", cmdDelete}, {"scan", cmdScan},
};

const char usageText[] =
    "Usage:\n"
    "  snapdredge                            start the desktop program\n"
    "  snapdredge get [OPTIONS] URL          get any picture from URL\n"
    "  snapdredge get --thumbnails [OPTIONS] URL\n"
    "      --depth N  --threads N  --min-size KB  --max-size KB  --min-width PX  --min-height PX\n"
    "      --subdir NAME  --original-names | --stamped-names  --all-urls | --within-site\n"
    "      --timeout S  --agent TEXT  --no-jpg  --no-gif  --url-include TEXT  --substrings TEXT\n"
    "  snapdredge continue NAME              resume a stopped search\n"
    "  snapdredge tick NAME all|none|ROW...  tick thumbnails (rows counted from 1 in saving order)\n"
    "  snapdredge big NAME                   fetch the big pictures behind the ticked thumbnails\n"
    "  snapdredge list                       the searches of the history\n"
    "  snapdredge show NAME                  the picture rows of a search\n"
    "  snapdredge delete NAME [--keep-pictures]\n"
    "  snapdredge scan --url PAGE_URL [--level N] [--thumbnails] FILE\n"
    "                                        what the scanner finds on a saved page\n";

} // namespace

int usageError(const QString &message)
{
    if (!message.isEmpty())
        printErr(QStringLiteral("snapdredge: ") + message);
    printErr(QString::fromLatin1(usageText).chopped(1));
    return ExitUsage;
}

bool isCommandLine(int argc, char **argv)
{
    // Qt's own options (-platform, -style ...) start the desktop program.
    if (argc < 2)
        return false;
    const char *first = argv[1];
    return first[0] != '-' || std::strcmp(first, "--help") == 0 || std::strcmp(first, "-h") == 0;
}

int runCommandLine(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Snapdredge"));
    QCoreApplication::setOrganizationName(QStringLiteral("Brelmark"));
    QStringList args = QCoreApplication::arguments().mid(1);
    const QString name = args.takeFirst();
    if (name == u"help" || name == u"--help" || name == u"-h") {
        printOut(QString::fromLatin1(usageText).chopped(1));
        return ExitDone;
    }
    for (const Command &c : commands) {
        if (name == QLatin1String(c.name))
            return c.run(args);
    }
    return usageError(QStringLiteral("unknown command \"%1\"").arg(name));
}
