#include "cli/cli.h"

#include "cli/clicontext.h"
#include "cli/commands.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

struct Command
{
    const char *name;
    int (*run)(const QStringList &);
    // Its lines of the usage text; `snapdredge NAME --help` prints them alone.
    const char *usage;
};

const Command commands[] = {
    {"get", cmdGet,
     "  snapdredge get [OPTIONS] URL          get any picture from URL\n"
     "  snapdredge get --thumbnails [OPTIONS] URL\n"
     "      --depth N  --threads N  --min-size KB  --max-size KB  --min-width PX  --min-height PX\n"
     "      --subdir NAME  --original-names | --stamped-names  --all-urls | --within-site\n"
     "      --timeout S  --agent TEXT  --no-jpg  --no-gif  --url-include TEXT  --substrings TEXT\n"},
    {"continue", cmdContinue, "  snapdredge continue NAME              resume a stopped search\n"},
    {"tick", cmdTick,
     "  snapdredge tick NAME all|none|ROW...  tick thumbnails (rows counted from 1 in saving order)\n"},
    {"big", cmdBig,
     "  snapdredge big NAME                   fetch the big pictures behind the ticked thumbnails\n"},
    {"list", cmdList, "  snapdredge list                       the searches of the history\n"},
    {"show", cmdShow, "  snapdredge show NAME                  the picture rows of a search\n"},
    {"delete", cmdDelete, "  snapdredge delete NAME [--keep-pictures]\n"},
    {"scan", cmdScan,
     "  snapdredge scan --url PAGE_URL [--level N] [--thumbnails] FILE\n"
     "                                        what the scanner finds on a saved page\n"},
};

QString usageText()
{
    QString text = QStringLiteral("Usage:\n"
                                  "  snapdredge                            start the desktop program\n");
    for (const Command &c : commands)
        text += QString::fromLatin1(c.usage);
    text += QStringLiteral("  snapdredge [COMMAND] --help           this text, or the lines of one command\n"
                           "  snapdredge --version                  the program's version\n");
    return text.chopped(1);
}

bool asksForHelp(const QString &arg)
{
    return arg == u"--help" || arg == u"-h";
}

// Options that QGuiApplication, QApplication and the X11 platform read
// themselves. Qt takes them with one dash or two, and some as -name=value.
bool isQtOption(const char *arg)
{
    static const QByteArrayList names =
        QByteArray("platform platformpluginpath platformtheme plugin qwindowgeometry qwindowtitle "
                   "qwindowicon reverse session style stylesheet widgetcount qmljsdebugger testability "
                   "display geometry title icon name visual nograb dograb")
            .split(' ');
    const QByteArrayView option(arg);
    if (!option.startsWith('-'))
        return false;
    const QByteArrayView name = option.sliced(option.startsWith("--") ? 2 : 1);
    const qsizetype equals = name.indexOf('=');
    return names.contains(equals < 0 ? name : name.first(equals));
}

QtMessageHandler g_passOn = nullptr;

// Pictures from the web are often slightly wrong (a colour profile libpng
// distrusts, an error page served as a JPEG). The crawl judges each body
// itself and counts the failures; the readers' own complaints would only bury
// its progress lines.
void dropImageReaderNoise(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QLatin1String category(context.category ? context.category : "");
    // Older Qt versions passed libpng's warnings on as uncategorised warnings.
    const bool imageReader = category.startsWith(QLatin1String("qt.gui.imageio")) ||
                             message.startsWith(QLatin1String("libpng warning"));
    if (imageReader && type != QtFatalMsg)
        return;
    if (g_passOn)
        g_passOn(type, context, message);
}

} // namespace

int usageError(const QString &message)
{
    if (!message.isEmpty())
        printErr(QStringLiteral("snapdredge: ") + message);
    printErr(usageText());
    return ExitUsage;
}

void installImageMessageFilter()
{
    QtMessageHandler previous = qInstallMessageHandler(dropImageReaderNoise);
    if (previous != dropImageReaderNoise)
        g_passOn = previous;
}

bool isCommandLine(int argc, char **argv)
{
    // Without arguments, or with Qt's own options first, the desktop program
    // starts; anything else is for the command line, which refuses what it
    // does not know instead of opening a window.
    return argc >= 2 && !isQtOption(argv[1]);
}

int runCommandLine(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Snapdredge"));
    QCoreApplication::setOrganizationName(QStringLiteral("Brelmark"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SNAPDREDGE_VERSION));
    installImageMessageFilter();

    QStringList args = QCoreApplication::arguments().mid(1);
    const QString name = args.takeFirst();
    if (name == u"help" || asksForHelp(name)) {
        printOut(usageText());
        return ExitDone;
    }
    if (name == u"--version") {
        printOut(QStringLiteral("snapdredge " SNAPDREDGE_VERSION));
        return ExitDone;
    }
    if (name.startsWith(u'-'))
        return usageError(QStringLiteral("unknown option %1").arg(name));
    for (const Command &c : commands) {
        if (name != QLatin1String(c.name))
            continue;
        if (std::any_of(args.cbegin(), args.cend(), asksForHelp)) {
            printOut(QStringLiteral("Usage:\n") + QString::fromLatin1(c.usage).chopped(1));
            return ExitDone;
        }
        return c.run(args);
    }
    return usageError(QStringLiteral("unknown command \"%1\"").arg(name));
}
