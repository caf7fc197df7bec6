#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class HttpCli;
class SearchDatabase;

// The connection slots of a run and the hand-out of queued work to them:
// a stack of free slots, the list of active ones, how many pages and
// pictures are in flight, and each request's time-out countdown.
class Dispatcher
{
public:
    static constexpr int MaxSlots = 8;

    // What one slot is doing: its request, and what has come of it so far.
    struct Slot
    {
        QPointer<HttpCli> client;
        bool startRequest = false;
        bool fromPageQueue = false;
        QString address;
        QString referrer;
        int addressClass = 2;
        int level = 0;
        QString linkTargetText;
        int contentKind = 0;
        qint64 contentLength = 0;
        qint64 received = 0;
        QByteArray body;
        bool pageTruncated = false;
        // The request's result has been counted (saved, failed or page done).
        bool outcomeCounted = false;
        // Its running row went with the picture row: nothing left to remove.
        bool runningFinished = false;
        int countdown = 0;
        QStringList found;
    };

    // Work taken from a queue for a slot.
    struct Work
    {
        int slot = 0;
        bool page = false;
        QString text;
        QString address;
        int level = 0;
    };

    // A new run with `slotCount` slots (2 to 8); with `startSlotBusy` slot 1
    // already fetches the start page.
    void reset(int slotCount, bool startSlotBusy);
    int slotCount() const { return m_slotCount; }
    Slot &slot(int n) { return m_slots[n]; }
    const QList<int> &active() const { return m_active; }
    int pagesInFlight() const { return m_pagesInFlight; }

    // Some slot fetches this address now.
    bool isRunning(const QString &address) const;

    // Takes the first row of the page or picture queue for the slot on top of
    // the free stack; it becomes running work of the database in the same
    // transaction. False when no slot is free or the queue is empty.
    bool take(SearchDatabase &db, bool page, int timeout, Work &work);
    // Fills the free slots: one page first when `pageFirst`, then pictures,
    // then pages. `start` runs each request; `stopping` ends the hand-out.
    void fill(SearchDatabase &db, bool pageFirst, int timeout, const std::function<void(const Work &)> &start,
              const std::function<bool()> &stopping);
    // A slot's request is over: the slot goes back on the free stack.
    void release(int slot, bool page);
    // Every slot is free again (the run ended).
    void clear();

    // One second has passed: counts down the active requests in the order
    // they started and gives the first whose time is up (its countdown goes
    // from 1 to 0), or 0. Requests after it wait for the next second.
    int timeoutWalk();

private:
    int m_slotCount = 2;
    std::array<Slot, MaxSlots + 1> m_slots; // index 0 unused: slots count from 1
    QList<int> m_active;                    // in order of their requests' start
    QList<int> m_free;                      // top of the stack is the last entry
    int m_pagesInFlight = 0;
    int m_picturesInFlight = 0;
};
