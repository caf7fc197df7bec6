#pragma once

#include <QList>
#include <QString>

// State of a search as its history icon shows it.
enum SearchState : int { StateStopped = 0, StateRunning = 1, StateFinished = 2 };

inline int stateIcon(int searchMode, int state)
{
    return 12 + 3 * searchMode + state;
}
inline int modeOfIcon(int icon)
{
    return (icon - 12) / 3;
}
inline int stateOfIcon(int icon)
{
    return (icon - 12) % 3;
}

struct HistoryEntry
{
    int icon = 0;
    QString name;
    bool operator==(const HistoryEntry &) const = default;
};

// his.dat: one pair of lines per search, oldest first: its state icon and its
// name, lines ended by CR LF. Reading keeps the newest `limit` searches.
QList<HistoryEntry> loadHistoryFile(const QString &path, int limit, bool *found = nullptr);
bool saveHistoryFile(const QString &path, const QList<HistoryEntry> &entries);
