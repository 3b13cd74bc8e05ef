#include "FileLock.h"

#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace dovrin {

namespace {

// Ends a wait for a lock: a timer sends it to the waiting thread, whose flock() then returns
// EINTR. A blocking flock() queues in the kernel, so a waiter gets the lock soon after the
// holder lets go, where polling would let a holder that locks again at once starve it.
const int kWakeSignal = SIGRTMIN + 7;

void wakeUp(int) {}

bool installWakeHandler()
{
    struct sigaction action = {};
    action.sa_handler = wakeUp;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: the wait must end
    return ::sigaction(kWakeSignal, &action, nullptr) == 0;
}

// Waits for the lock at most timeoutMs; errno tells why it was not taken.
bool lockWithin(int fd, int timeoutMs)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    if (errno != EWOULDBLOCK || timeoutMs <= 0)
        return false;
    static const bool handled = installWakeHandler();
    sigevent event = {};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = kWakeSignal;
    event._sigev_un._tid = ::gettid();
    timer_t timer;
    if (!handled || ::timer_create(CLOCK_MONOTONIC, &event, &timer) != 0)
        return false;
    itimerspec due = {};
    due.it_value.tv_sec = timeoutMs / 1000;
    due.it_value.tv_nsec = long(timeoutMs % 1000) * 1000000;
    ::timer_settime(timer, 0, &due, nullptr);
    const int result = ::flock(fd, LOCK_EX);
    const int error = errno;
    ::timer_delete(timer);
    errno = error == EINTR ? EWOULDBLOCK : error;
    return result == 0;
}

} // namespace

FileLock::FileLock(const QString& path, int timeoutMs)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd == -1) {
        m_error = QStringLiteral("Cannot open %1: %2")
                      .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    if (lockWithin(fd, timeoutMs)) {
        m_fd = fd;
        return;
    }
    m_error = errno == EWOULDBLOCK
                  ? QStringLiteral("%1 is held by another Dovrin process.").arg(path)
                  : QStringLiteral("Cannot lock %1: %2")
                        .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
}

FileLock::~FileLock()
{
    release();
}

void FileLock::release()
{
    if (m_fd != -1) {
        ::close(m_fd); // closing the last descriptor drops the lock
        m_fd = -1;
    }
}

} // namespace dovrin
