#include "store/searchhistory.h"

SearchHistory::SearchHistory(QObject *parent) : QObject(parent) {}

void SearchHistory::load(const QString &path, int limit)
{
    m_path = path;
    m_entries = loadHistoryFile(path, limit);
    m_selected = -1;
    m_current = -1;
    m_modified = false;
    Q_EMIT reset();
}

bool SearchHistory::save()
{
    if (m_path.isEmpty())
        return false;
    const bool ok = saveHistoryFile(m_path, m_entries);
    if (ok)
        m_modified = false;
    return ok;
}

void SearchHistory::changed()
{
    m_modified = true;
    save();
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
    const int index = count() - 1;
    changed();
    Q_EMIT entryAdded(index);
    return index;
}

void SearchHistory::rename(int index, const QString &name)
{
    if (index < 0 || index >= count())
        return;
    m_entries[index].name = name;
    changed();
    Q_EMIT entryChanged(index);
}

void SearchHistory::setIcon(int index, int icon)
{
    if (index < 0 || index >= count() || m_entries.at(index).icon == icon)
        return;
    m_entries[index].icon = icon;
    changed();
    Q_EMIT entryChanged(index);
}

void SearchHistory::remove(int index)
{
    if (index < 0 || index >= count())
        return;
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
