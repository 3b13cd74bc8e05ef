#include "DiskWorkers.h"

#include <QThread>
#include <chrono>

namespace dovrin::search {

namespace {

// How long the caller waits before it lets the user act: well under the 50 ms in which a
// stop must take effect.
constexpr std::chrono::milliseconds kResponsive(20);
// How often a waiting caller looks for results on its own. Workers wake it only when all is
// done or many rows wait: a wake per disk would cost more than the small disks themselves.
constexpr std::chrono::milliseconds kLookAgain(4);
// How far workers may run ahead of the caller: this many disks, and no new disk while this
// many rows wait (listing everything finds every file).
constexpr int kLookaheadDisks = 64;
constexpr size_t kWaitingRows = 256 * 1024;
constexpr size_t kWakeRows = kWaitingRows / 4;

} // namespace

bool DiskWorkers::Output::cancelled() const
{
    return m_workers.m_cancelled.load(std::memory_order_relaxed);
}

void DiskWorkers::Output::push(FoundChunk&& chunk)
{
    bool wake;
    {
        std::lock_guard lock(m_workers.m_mutex);
        m_workers.m_waitingRows += chunk.rows.size();
        m_workers.m_slots[size_t(m_disk - 1)].chunks.push_back(std::move(chunk));
        wake = m_workers.m_waitingRows >= kWakeRows;
    }
    if (wake)
        m_workers.m_forCaller.notify_one();
}

int DiskWorkers::defaultThreadCount()
{
    return qMax(1, QThread::idealThreadCount());
}

DiskWorkers::DiskWorkers(int diskCount, int threads, Work work)
    : m_diskCount(diskCount), m_work(std::move(work)), m_slots(size_t(qMax(0, diskCount)))
{
    threads = qBound(1, threads, qMax(1, diskCount));
    m_threads.reserve(size_t(threads));
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this, i] { run(i); });
}

DiskWorkers::~DiskWorkers()
{
    m_cancelled.store(true);
    {
        std::lock_guard lock(m_mutex);
        m_nextDisk = m_diskCount + 1; // nothing more is taken
    }
    m_forWorkers.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void DiskWorkers::run(int worker)
{
    for (;;) {
        int disk;
        {
            std::unique_lock lock(m_mutex);
            m_forWorkers.wait(lock, [this] {
                return m_nextDisk > m_diskCount || (m_nextDisk < m_callerDisk + kLookaheadDisks &&
                                                    m_waitingRows < kWaitingRows);
            });
            if (m_nextDisk > m_diskCount)
                return;
            disk = m_nextDisk++;
        }
        if (!m_cancelled.load(std::memory_order_relaxed)) {
            Output output(*this, disk);
            m_work(worker, disk, output);
        }
        finish(disk);
    }
}

void DiskWorkers::finish(int disk)
{
    bool wake;
    {
        std::lock_guard lock(m_mutex);
        m_slots[size_t(disk - 1)].done = true;
        wake = ++m_doneDisks == m_diskCount;
    }
    if (wake)
        m_forCaller.notify_one();
}

bool DiskWorkers::next(int disk, FoundChunk& chunk, const std::function<bool()>& whileWaiting)
{
    std::unique_lock lock(m_mutex);
    if (disk != m_callerDisk) {
        m_callerDisk = disk; // the caller moved on: workers may go further
        m_forWorkers.notify_all();
    }
    Slot& slot = m_slots[size_t(disk - 1)];
    for (;;) {
        if (!slot.chunks.empty()) {
            chunk = std::move(slot.chunks.front());
            slot.chunks.pop_front();
            const bool wasFull = m_waitingRows >= kWaitingRows;
            m_waitingRows -= chunk.rows.size();
            if (wasFull && m_waitingRows < kWaitingRows)
                m_forWorkers.notify_all();
            return true;
        }
        if (slot.done)
            return false;
        if (m_forCaller.wait_for(lock, kLookAgain) == std::cv_status::timeout &&
            std::chrono::steady_clock::now() - m_lastYield >= kResponsive) {
            lock.unlock();
            const bool giveUp = whileWaiting && whileWaiting();
            lock.lock();
            m_lastYield = std::chrono::steady_clock::now();
            if (giveUp)
                return false;
        }
    }
}

} // namespace dovrin::search
