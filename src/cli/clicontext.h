#pragma once

#include "platform/workingfolders.h"
#include "settings/settings.h"

// What every subcommand sets up first, as the desktop program does at start:
// the folder chain and both groups of settings (a first start writes every default).
struct CliContext
{
    WorkingFolders folders;
    Settings settings;
};

// On failure prints the program's message to standard error and returns false.
bool loadCliContext(CliContext &context);

// Output helpers: UTF-8 lines on standard output / standard error.
void printOut(const QString &line);
void printErr(const QString &line);
