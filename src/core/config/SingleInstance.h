#pragma once

#include <QLockFile>
#include <QString>

namespace dovrin {

// Refuses a second running copy: a lock file in the user's runtime folder, held for the
// whole run. A copy that crashed leaves a lock whose process is gone; the next copy takes it.
class SingleInstance
{
public:
    explicit SingleInstance(const QString& lockPath = defaultLockPath());

    // True when this copy now holds the lock (or already did); false when another running
    // copy holds it.
    bool claim();

    // $XDG_RUNTIME_DIR/dovrin.lock, or the temporary folder when there is no runtime folder.
    static QString defaultLockPath();

private:
    QLockFile m_lock;
};

} // namespace dovrin
