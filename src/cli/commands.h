#pragma once

#include <QStringList>

class QTextStream;

// Exit statuses of the command line.
enum CliStatus : int { ExitDone = 0, ExitFailure = 1, ExitUsage = 2, ExitStopped = 130 };

// Each takes the arguments after its own name.
int cmdList(const QStringList &args);
int cmdScan(const QStringList &args);
int cmdGet(const QStringList &args);
int cmdShow(const QStringList &args);
int cmdContinue(const QStringList &args);
int cmdTick(const QStringList &args);
int cmdBig(const QStringList &args);
int cmdDelete(const QStringList &args);

// Prints the whole usage text to standard error; returns ExitUsage.
int usageError(const QString &message = {});
