#include "store/searchlock.h"

#include <QLockFile>

namespace {

std::unique_ptr<QLockFile> tryLock(const QString &path, QString *why)
{
    auto lock = std::make_unique<QLockFile>(path);
    // Only a dead holder makes a lock stale, never its age: a run may last for days.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    if (why) {
        qint64 pid = 0;
        QString host, app;
        if (lock->error() == QLockFile::LockFailedError && lock->getLockInfo(&pid, &host, &app))
            *why = QStringLiteral("it is being run by another program (process %1)").arg(pid);
        else
            *why = QStringLiteral("its lock file %1 cannot be made").arg(path);
    }
    return nullptr;
}

} // namespace

SearchLock::SearchLock() = default;

SearchLock::~SearchLock()
{
    release();
}

QString SearchLock::lockPath(const QString &searchFolder, const QString &name)
{
    return searchFolder + name + QStringLiteral(".lock");
}

bool SearchLock::take(const QString &searchFolder, const QString &name, QString *why)
{
    release();
    m_lock = tryLock(lockPath(searchFolder, name), why);
    return m_lock != nullptr;
}

bool SearchLock::rename(const QString &searchFolder, const QString &newName, QString *why)
{
    std::unique_ptr<QLockFile> next = tryLock(lockPath(searchFolder, newName), why);
    if (!next)
        return false;
    release();
    m_lock = std::move(next);
    return true;
}

void SearchLock::release()
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

bool SearchLock::isRunElsewhere(const QString &searchFolder, const QString &name)
{
    return tryLock(lockPath(searchFolder, name), nullptr) == nullptr;
}
