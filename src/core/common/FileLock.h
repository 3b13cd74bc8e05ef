#pragma once

#include <QString>

namespace dovrin {

// An exclusive lock (flock) on a lock file, held while the object lives, so that two
// processes never run the same read-modify-write at once. The lock file is created when
// missing and never removed: removing it would let two processes lock two different files.
// A process that dies loses its locks at once. Within one process the same lock must not be
// taken twice: the second would wait for the first.
class FileLock
{
public:
    // Waits up to timeoutMs for another holder to let go; isLocked() tells the outcome.
    FileLock(const QString& path, int timeoutMs);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool isLocked() const { return m_fd != -1; }
    // Why the lock could not be taken.
    const QString& error() const { return m_error; }
    void release();

private:
    int m_fd = -1;
    QString m_error;
};

} // namespace dovrin
