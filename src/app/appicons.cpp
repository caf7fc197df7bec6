#include "app/appicons.h"

#include "app/svgiconengine.h"

#include <QHash>

// The icon pictures are compiled into the widgets library, which is static:
// nothing would pull their registration in unless it is named.
static void loadIconResources()
{
    static const bool loaded = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(loaded);
}

namespace {

// Standard icon names (freedesktop naming) tried before our drawing.
QString themeName(const QString &name)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("start"), QStringLiteral("go-down")},
        {QStringLiteral("continue"), QStringLiteral("media-playback-start")},
        {QStringLiteral("stop"), QStringLiteral("media-playback-stop")},
        {QStringLiteral("options"), QStringLiteral("preferences-system")},
        {QStringLiteral("fullscreen"), QStringLiteral("view-fullscreen")},
        {QStringLiteral("bestfit"), QStringLiteral("zoom-fit-best")},
        {QStringLiteral("thumbs"), QStringLiteral("view-list-icons")},
        {QStringLiteral("list"), QStringLiteral("view-list-details")},
        {QStringLiteral("sightfinder"), QStringLiteral("system-search")},
        {QStringLiteral("open"), QStringLiteral("document-open")},
        {QStringLiteral("save"), QStringLiteral("document-save")},
        {QStringLiteral("exit"), QStringLiteral("application-exit")},
        {QStringLiteral("delete"), QStringLiteral("edit-delete")},
        {QStringLiteral("help"), QStringLiteral("help-contents")},
        {QStringLiteral("home"), QStringLiteral("go-home")},
        {QStringLiteral("about"), QStringLiteral("help-about")},
        {QStringLiteral("folder"), QStringLiteral("folder")},
        {QStringLiteral("trash"), QStringLiteral("user-trash")},
        {QStringLiteral("status-idle"), QStringLiteral("network-idle")},
        {QStringLiteral("status-connecting"), QStringLiteral("network-transmit")},
        {QStringLiteral("status-downloading"), QStringLiteral("network-receive")},
        {QStringLiteral("status-analysing"), QStringLiteral("edit-find")},
    };
    return names.value(name);
}

QString picture(const QString &name)
{
    loadIconResources();
    return QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
}

} // namespace

QIcon AppIcons::ours(const QString &name)
{
    static QHash<QString, QIcon> cache;
    auto it = cache.constFind(name);
    if (it != cache.constEnd())
        return *it;
    const QIcon made(new SvgIconEngine({{picture(name), QRectF(0, 0, 1, 1)}}));
    cache.insert(name, made);
    return made;
}

QIcon AppIcons::icon(const QString &name)
{
    // "hicolor" is only the fallback every theme shares, home of program
    // icons: without a real theme there is nothing to look up, and the
    // lookups would slow the start.
    static const bool themed = !QIcon::themeName().isEmpty() && QIcon::themeName() != u"hicolor";
    const QString standard = themeName(name);
    if (themed && !standard.isEmpty() && QIcon::hasThemeIcon(standard))
        return QIcon::fromTheme(standard);
    return ours(name);
}

QIcon AppIcons::historyIcon(int index)
{
    if (index == 8)
        return icon(QStringLiteral("folder"));
    if (index == 10)
        return icon(QStringLiteral("trash"));
    if (index < 12 || index > 20)
        return {};
    static QHash<int, QIcon> cache;
    auto it = cache.constFind(index);
    if (it != cache.constEnd())
        return *it;
    static const char *const modes[] = {"mode-any", "mode-thumbs", "mode-big"};
    static const char *const states[] = {"badge-stopped", "badge-running", "badge-finished"};
    const int mode = (index - 12) / 3;
    const int state = (index - 12) % 3;
    const QIcon made(new SvgIconEngine({
        {picture(QString::fromLatin1(modes[mode])), QRectF(0, 0, 0.94, 0.94)},
        {picture(QString::fromLatin1(states[state])), QRectF(0.45, 0.45, 0.55, 0.55)},
    }));
    cache.insert(index, made);
    return made;
}

QIcon AppIcons::statusIcon(int index)
{
    static const char *const names[] = {"status-idle", "status-connecting", "status-downloading",
                                        "status-analysing"};
    if (index < 0 || index > 3)
        index = 0;
    return icon(QString::fromLatin1(names[index]));
}

QIcon AppIcons::programIcon()
{
    return ours(QStringLiteral("snapdredge"));
}
