#include "cli/clicontext.h"
#include "cli/commands.h"

int cmdScan(const QStringList &)
{
    printErr(QStringLiteral("snapdredge: scan is not available in this build"));
    return ExitFailure;
}
