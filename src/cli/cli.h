#pragma once

// The `snapdredge` command line: a subcommand as the first argument runs the
// program headless on the same working folder and settings as the desktop program.

// False only without arguments or when the first one is an option Qt itself
// reads (-platform, -style, -qwindowgeometry ...): those start the desktop program.
bool isCommandLine(int argc, char **argv);
// Runs the subcommand; the result is the process exit status
// (0 done, 1 failure, 2 bad usage or refused input, 130 stopped by Ctrl-C).
int runCommandLine(int argc, char **argv);
// Keeps the picture readers' warnings (libpng, libjpeg, qt.gui.imageio) off
// standard error and hands every other message to the handler that was in place.
void installImageMessageFilter();
