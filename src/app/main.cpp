#include "app/desktop.h"
#include "cli/cli.h"

int main(int argc, char **argv)
{
    if (isCommandLine(argc, argv))
        return runCommandLine(argc, argv);
    // The picture readers' complaints about colour profiles are no news to a
    // user who started the program from a terminal either.
    installImageMessageFilter();
    return runDesktop(argc, argv);
}
