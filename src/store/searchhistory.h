#pragma once

#include "store/historyfile.h"

#include <QObject>
#include <QSet>

// The searches of "My Search", oldest first, with the selection and the
// search whose database is open. The history window shows it; the crawl and
// the command line change it. Every change is written to his.dat at once, so
// that a search is never lost from the history when the program dies.
//
// Several processes may share his.dat (the desktop program and command
// lines). Writing merges: searches another process added are kept, searches
// another process removed stay removed, and so does the state another
// process gave a search this one has not changed. The list in memory stays
// this process's own.
class SearchHistory : public QObject
{
    Q_OBJECT
public:
    explicit SearchHistory(QObject *parent = nullptr);

    // Reads his.dat (keeping the newest `limit` searches).
    void load(const QString &path, int limit);
    bool save();
    QString path() const { return m_path; }

    int count() const { return int(m_entries.size()); }
    HistoryEntry entry(int index) const { return m_entries.value(index); }
    QList<HistoryEntry> entries() const { return m_entries; }
    int indexOf(const QString &name) const;
    bool contains(const QString &name) const { return indexOf(name) >= 0; }

    int add(const QString &name, int icon);
    void rename(int index, const QString &name);
    void setIcon(int index, int icon);
    void remove(int index);

    // The selected search, or -1 when a top-level node ("My Search",
    // "Deleted") or nothing is selected.
    int selected() const { return m_selected; }
    void setSelected(int index);
    // The search whose database is open, or -1.
    int current() const { return m_current; }
    void setCurrent(int index) { m_current = index; }

    bool isModified() const { return m_modified; }

Q_SIGNALS:
    void reset();
    void entryAdded(int index);
    void entryChanged(int index);
    void entryRemoved(int index);
    void selectionChanged(int index);

private:
    void changed();
    void touch(const QString &name) { m_touched.insert(name); }
    QList<HistoryEntry> merged(const QList<HistoryEntry> &onDisk) const;

    QString m_path;
    QList<HistoryEntry> m_entries;
    int m_selected = -1;
    int m_current = -1;
    bool m_modified = false;
    // The names the file held when this process last read or wrote it.
    QSet<QString> m_onFile;
    // Names this process removed, renamed away from, or left out by the limit.
    QSet<QString> m_dropped;
    // Names whose state this process set.
    QSet<QString> m_touched;
};
