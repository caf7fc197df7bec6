#include "store/searchhistory.h"

#include <QLockFile>

SearchHistory::SearchHistory(QObject *parent) : QObject(parent) {}

void SearchHistory::load(const QString &path, int limit)
{
    m_path = path;
    const QList<HistoryEntry> all = loadHistoryFile(path, 0);
    m_onFile.clear();
    m_dropped.clear();
    m_touched.clear();
    for (const HistoryEntry &e : all)
        m_onFile.insert(e.name);
    m_entries = limit > 0 && all.size() > limit ? all.mid(all.size() - limit) : all;
    for (const HistoryEntry &e : all.first(all.size() - m_entries.size()))
        m_dropped.insert(e.name);
    m_selected = -1;
    m_current = -1;
    m_modified = false;
    Q_EMIT reset();
}

bool SearchHistory::save()
{
    if (m_path.isEmpty())
        return false;
    // Read, merge and write as one step against other processes doing the same.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    const bool locked = lock.tryLock(2000);
    const QList<HistoryEntry> entries = merged(loadHistoryFile(m_path, 0));
    const bool ok = saveHistoryFile(m_path, entries);
    if (locked)
        lock.unlock();
    if (ok) {
        m_onFile.clear();
        for (const HistoryEntry &e : entries)
            m_onFile.insert(e.name);
    }
    if (ok)
        m_modified = false;
    return ok;
}

void SearchHistory::changed()
{
    m_modified = true;
    save();
}

QList<HistoryEntry> SearchHistory::merged(const QList<HistoryEntry> &onDisk) const
{
    QList<HistoryEntry> out;
    QSet<QString> written;
    for (const HistoryEntry &disk : onDisk) {
        if (written.contains(disk.name))
            continue;
        const int mine = indexOf(disk.name);
        if (mine >= 0) {
            HistoryEntry e = m_entries.at(mine);
            if (!m_touched.contains(e.name))
                e.icon = disk.icon;
            out << e;
        } else if (!m_dropped.contains(disk.name)) {
            out << disk; // another process's search
        } else {
            continue;
        }
        written.insert(disk.name);
    }
    for (const HistoryEntry &e : m_entries) {
        // Gone from a file that had it: another process removed it.
        if (!written.contains(e.name) && !m_onFile.contains(e.name))
            out << e;
    }
    return out;
}

int SearchHistory::indexOf(const QString &name) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).name == name)
            return i;
    }
    return -1;
}

int SearchHistory::add(const QString &name, int icon)
{
    m_entries.append({icon, name});
    m_dropped.remove(name);
    touch(name);
    const int index = count() - 1;
    changed();
    Q_EMIT entryAdded(index);
    return index;
}

void SearchHistory::rename(int index, const QString &name)
{
    if (index < 0 || index >= count())
        return;
    m_dropped.insert(m_entries.at(index).name);
    m_entries[index].name = name;
    m_dropped.remove(name);
    touch(name);
    changed();
    Q_EMIT entryChanged(index);
}

void SearchHistory::setIcon(int index, int icon)
{
    if (index < 0 || index >= count() || m_entries.at(index).icon == icon)
        return;
    m_entries[index].icon = icon;
    touch(m_entries.at(index).name);
    changed();
    Q_EMIT entryChanged(index);
}

void SearchHistory::remove(int index)
{
    if (index < 0 || index >= count())
        return;
    m_dropped.insert(m_entries.at(index).name);
    m_entries.removeAt(index);
    if (m_selected == index)
        m_selected = -1;
    else if (m_selected > index)
        --m_selected;
    if (m_current == index)
        m_current = -1;
    else if (m_current > index)
        --m_current;
    changed();
    Q_EMIT entryRemoved(index);
}

void SearchHistory::setSelected(int index)
{
    if (index < -1 || index >= count())
        index = -1;
    if (m_selected == index)
        return;
    m_selected = index;
    Q_EMIT selectionChanged(index);
}
