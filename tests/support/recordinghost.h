#pragma once

#include "crawl/crawlhost.h"
#include "store/searchdatabase.h"

#include <QStringList>

// A front end for engine tests: remembers what the engine showed and answers
// questions with a preset answer.
class RecordingHost : public CrawlHost
{
public:
    void setStatus(int icon, const QString &text) override
    {
        statuses << QString::number(icon) + u' ' + text;
    }
    void showCounters(const QString &text) override { counters = text; }
    void showSpeed(const QString &text) override { speed = text; }
    void showTimes(const QString &text) override { times = text; }
    void setSlotGauge(int slot, GaugeColor color, bool visible, const QString &hint) override
    {
        if (visible && color == GaugeColor::Grey)
            handedOut << QString::number(slot) + u' ' + hint;
        gaugeVisible[slot] = visible;
        gaugeShows += visible;
    }
    int visibleGauges() const
    {
        int n = 0;
        for (bool v : gaugeVisible)
            n += v;
        return n;
    }
    void setSlotProgress(int, GaugeColor, int) override {}
    void setCaption(const QString &text) override { caption = text; }
    void setAddressText(const QString &text) override { address = text; }
    void setCommandGroup(CommandGroup group, bool on) override { groups[int(group)] = on; }
    void pictureSaved(const PictureRow &row, int) override { saved << row; }
    void clearViews() override { ++viewsCleared; }
    void clearPictureViewer() override {}
    void searchOpened() override { ++opened; }
    void setCheckBoxMode(bool on) override { checkBoxes = on; }
    void substringsChanged() override { ++substringsChanges; }
    bool askYesNo(const QString &text) override
    {
        questions << text;
        return answer;
    }
    void showWarning(const QString &text) override { warnings << text; }
    void showError(const QString &text) override { errors << text; }
    void runFinished(bool stopped) override
    {
        ++finishes;
        lastStopped = stopped;
    }
    bool group(CommandGroup g) const { return groups[int(g)]; }

    QStringList statuses;
    QString counters;
    QString speed;
    QString times;
    QStringList handedOut;
    bool gaugeVisible[9] = {};
    int gaugeShows = 0;
    QString caption;
    QString address;
    bool groups[32] = {};
    QList<PictureRow> saved;
    int viewsCleared = 0;
    int opened = 0;
    bool checkBoxes = false;
    int substringsChanges = 0;
    QStringList questions;
    bool answer = true;
    QStringList warnings;
    QStringList errors;
    int finishes = 0;
    bool lastStopped = false;
};
