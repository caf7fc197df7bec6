#pragma once

// The `snapdredge` command line: a subcommand as the first argument runs the
// program headless on the same working folder and settings as the desktop program.

// True when the arguments name a subcommand (or ask for help).
bool isCommandLine(int argc, char **argv);
// Runs the subcommand; the result is the process exit status
// (0 done, 1 failure, 2 bad usage or refused input, 130 stopped by Ctrl-C).
int runCommandLine(int argc, char **argv);
