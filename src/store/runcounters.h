#pragma once

#include <QString>

// The run counters of a search, as the status bar and its information record show them.
struct RunCounters
{
    int pagesPending = 0;
    int picturesPending = 0;
    int picturesSaved = 0;
    int picturesFailed = 0;
    int elapsedSeconds = 0;

    bool operator==(const RunCounters &) const = default;
};

// "pages:pictures->saved:failed".
QString countersText(const RunCounters &c);
// "elapsed|remaining" once a picture is saved, else empty.
QString timesText(const RunCounters &c);
QString hhmmss(qint64 seconds);
