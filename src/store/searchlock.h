#pragma once

#include <QString>
#include <memory>

class QLockFile;

// A search is run by one process at a time: the run holds "<name>.lock" in
// the search folder. A lock left by a process that died is taken over.
class SearchLock
{
public:
    SearchLock();
    ~SearchLock();
    SearchLock(const SearchLock &) = delete;
    SearchLock &operator=(const SearchLock &) = delete;

    static QString lockPath(const QString &searchFolder, const QString &name);

    // False when another running process (or another run of this one) holds
    // it; `why` then names it.
    bool take(const QString &searchFolder, const QString &name, QString *why);
    // Moves a held lock to the search's new name.
    bool rename(const QString &searchFolder, const QString &newName, QString *why);
    void release();
    bool isHeld() const { return m_lock != nullptr; }

    // Some living process runs the search now.
    static bool isRunElsewhere(const QString &searchFolder, const QString &name);

private:
    std::unique_ptr<QLockFile> m_lock;
};
