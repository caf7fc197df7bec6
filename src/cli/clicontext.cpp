#include "cli/clicontext.h"

#include "platform/settingsstore.h"

#include <cstdio>

bool loadCliContext(CliContext &context)
{
    QString error;
    if (!WorkingFolders::build(context.folders, &error)) {
        printErr(error);
        return false;
    }
    SettingsStore store;
    context.settings.loadSearchSettings(store, context.folders.working);
    context.settings.loadWindowSettings(store);
    return true;
}

void printOut(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void printErr(const QString &line)
{
    std::fflush(stdout);
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}
