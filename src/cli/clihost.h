#pragma once

#include "crawl/crawlhost.h"

#include <QString>

// The command line's front end of the crawl: progress on standard error (one
// updating line on a terminal, a plain line per second otherwise), messages
// on standard error, and fixed answers to questions.
class CliHost : public CrawlHost
{
public:
    CliHost();

    void setStatus(int icon, const QString &text) override;
    void showCounters(const QString &text) override;
    void showSpeed(const QString &text) override;
    void showTimes(const QString &text) override;
    void setSlotGauge(int slot, GaugeColor color, bool visible, const QString &hint) override;
    void setSlotProgress(int slot, GaugeColor color, int percent) override;
    void setCaption(const QString &caption) override;
    void setAddressText(const QString &address) override;
    void setCommandGroup(CommandGroup group, bool on) override;
    void pictureSaved(const PictureRow &row, int rowCount) override;
    void clearViews() override {}
    void clearPictureViewer() override {}
    void searchOpened() override {}
    void setCheckBoxMode(bool) override {}
    void substringsChanged() override {}
    bool askYesNo(const QString &text) override;
    void showWarning(const QString &text) override;
    void showError(const QString &text) override;
    void runFinished(bool stopped) override;

    // A warning or error was shown (a refused start, a failure during the run).
    bool hadMessage() const { return m_hadMessage; }
    // Ends the progress line so that the next output starts on a line of its own.
    void endProgress();

private:
    void printProgress(bool force);

    bool m_terminal = false;
    bool m_lineOpen = false;
    bool m_runActive = false;
    bool m_hadMessage = false;
    int m_busySlots = 0;
    QString m_counters;
    QString m_speed;
    QString m_times;
    QString m_lastPrinted;
};
