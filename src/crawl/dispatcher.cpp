#include "crawl/dispatcher.h"

#include "platform/httpcli.h"
#include "settings/textrules.h"
#include "store/searchdatabase.h"

namespace {

int floored(int value)
{
    return value < 0 ? 0 : value;
}

} // namespace

void Dispatcher::reset(int slotCount, bool startSlotBusy)
{
    m_slotCount = qBound(2, slotCount, MaxSlots);
    m_active.clear();
    m_free.clear();
    for (int n = m_slotCount; n >= (startSlotBusy ? 2 : 1); --n)
        m_free << n;
    m_pagesInFlight = startSlotBusy ? 1 : 0;
    m_picturesInFlight = 0;
    if (startSlotBusy)
        m_active << 1;
    for (Slot &s : m_slots) {
        s.body.clear();
        s.received = 0;
    }
}

bool Dispatcher::isRunning(const QString &address) const
{
    for (int n : m_active) {
        if (m_slots[n].client && m_slots[n].address == address)
            return true;
    }
    return false;
}

bool Dispatcher::take(SearchDatabase &db, bool page, int timeout, Work &work)
{
    if (m_free.isEmpty())
        return false;
    TinyTable &queue = page ? db.TinyTable1 : db.TinyTable7;
    // The read and the take in one transaction: one lock round, not two.
    db.database().begin();
    if (!queue.first()) {
        db.database().commit();
        return false;
    }
    work.page = page;
    work.text = queue.fieldText(QStringLiteral("Str"));
    work.address = queue.fieldText(QStringLiteral("Url"));
    work.level = page ? readInteger(queue.fieldText(QStringLiteral("Level"))) : 0;
    const bool taken = db.takeFromQueue(queue, page);
    db.database().commit();
    if (!taken)
        return false;
    work.slot = m_free.takeLast();
    m_active << work.slot;
    m_slots[work.slot].countdown = timeout;
    if (page)
        ++m_pagesInFlight;
    else
        ++m_picturesInFlight;
    return true;
}

void Dispatcher::fill(SearchDatabase &db, bool pageFirst, int timeout,
                      const std::function<void(const Work &)> &start, const std::function<bool()> &stopping)
{
    Work work;
    if (pageFirst && take(db, true, timeout, work))
        start(work);
    for (bool page : {false, true}) {
        while (!stopping() && take(db, page, timeout, work))
            start(work);
    }
}

void Dispatcher::release(int slot, bool page)
{
    m_free << slot;
    m_active.removeOne(slot);
    if (page)
        m_pagesInFlight = floored(m_pagesInFlight - 1);
    else
        m_picturesInFlight = floored(m_picturesInFlight - 1);
}

void Dispatcher::clear()
{
    m_active.clear();
    m_free.clear();
    for (int n = m_slotCount; n >= 1; --n)
        m_free << n;
    m_pagesInFlight = 0;
    m_picturesInFlight = 0;
}

int Dispatcher::timeoutWalk()
{
    for (int n : std::as_const(m_active)) {
        Slot &s = m_slots[n];
        if (!s.client)
            continue;
        if (s.countdown-- == 1)
            return n;
    }
    return 0;
}
