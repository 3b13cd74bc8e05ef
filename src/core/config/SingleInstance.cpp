#include "SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace dovrin {

SingleInstance::SingleInstance(const QString& lockPath) : m_lock(lockPath)
{
    // Only a vanished process makes a lock stale: a copy that has run for hours still holds it.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::claim()
{
    return m_lock.isLocked() || m_lock.tryLock(0);
}

QString SingleInstance::defaultLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/dovrin.lock");
}

} // namespace dovrin
