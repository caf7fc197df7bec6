#include "app/desktop.h"
#include "cli/cli.h"

int main(int argc, char **argv)
{
    if (isCommandLine(argc, argv))
        return runCommandLine(argc, argv);
    return runDesktop(argc, argv);
}
