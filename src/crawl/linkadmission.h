#pragma once

#include <QString>

class Settings;
struct urlinfo;

// What a run lets in, from its settings and its start address.
struct AdmissionRules
{
    bool jpg = true;
    bool gif = true;
    bool png = true;
    // Picture addresses must contain it, unless it is empty or holds "+"
    // (a keyword search, which tests no address).
    QString urlInclude;
    // "All URLs"; off: "Within The Web", pages inside the site root only.
    bool allUrls = true;
    QString siteRoot;

    static AdmissionRules from(const Settings &settings, const QString &siteRoot);
};

// The lookups admission asks, in the order it asks them.
class AdmissionLookups
{
public:
    virtual ~AdmissionLookups() = default;
    virtual bool isSavedPicture(const QString &address) = 0;
    virtual bool isVisitedPage(const QString &address) = 0;
    virtual bool isRunning(const QString &address) = 0;
    virtual bool isQueued(const QString &address) = 0;
};

enum class Admission {
    Ignore,       // not wanted, or known already
    QueuePicture, // into the picture queue, one more picture pending
    QueuePage,    // into the page queue, one more page pending
    // Wanted but too long to queue: counted pending all the same, so the
    // finish counts it as failed.
    CountPicture,
    CountPage,
};

// Longer addresses are counted but not queued.
constexpr int QueuedAddressLimit = 2048;

// The decision for one address found on a page.
Admission admitLink(const urlinfo &link, const AdmissionRules &rules, AdmissionLookups &lookups);
