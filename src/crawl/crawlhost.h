#pragma once

#include "store/searchdisplay.h"

#include <QString>

struct PictureRow;

// Colours of a connection slot's gauge: grey while a request is handed out or
// its page's links are queued, blue while data arrives, green when hidden.
enum class GaugeColor { Grey, Blue, Green };

// Status icons of the status panel.
enum StatusIcon : int { IconIdle = 0, IconConnecting = 1, IconDownloading = 2, IconAnalysing = 3 };

// Everything the crawl engine shows or asks goes through its front end: the
// main window implements this with widgets and message boxes, the command line
// with progress output and fixed answers.
class CrawlHost : public SearchDisplay
{
public:
    virtual void setStatus(int icon, const QString &text) = 0;
    virtual void showSpeed(const QString &text) = 0;
    // slot counts from 1. Hiding also sets the progress to 0.
    virtual void setSlotGauge(int slot, GaugeColor color, bool visible, const QString &hint) = 0;
    virtual void setSlotProgress(int slot, GaugeColor color, int percent) = 0;

    // A picture was saved; rowCount is the number of picture rows now.
    virtual void pictureSaved(const PictureRow &row, int rowCount) = 0;

    virtual bool askYesNo(const QString &text) = 0;

    // A run ended (stopped says whether Stop ended it).
    virtual void runFinished(bool stopped) = 0;
};
