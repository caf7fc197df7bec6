#pragma once

#include <QStringList>

class QTextStream;

// Exit statuses of the command line.
enum CliStatus : int { ExitDone = 0, ExitFailure = 1, ExitUsage = 2, ExitStopped = 130 };

// Each takes the arguments after its own name.
int cmdList(const QStringList &args);
int cmdScan(const QStringList &args);

// Prints the whole usage text to standard error; returns ExitUsage.
int usageError(const QString &message = {});
