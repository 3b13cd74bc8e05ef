#pragma once

#include "ResultRows.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace dovrin::search {

// What a worker found in a stretch of one disk's file: the rows, and before each row the
// number of yields the search makes there (one per folder line or tree line passed).
struct FoundChunk
{
    ResultRows rows;
    std::vector<uint32_t> yieldsBefore; // per row; empty when the search does not count them
    uint32_t yieldsAfter = 0;           // after the last row
};

// Searches the disks on a few threads, a disk at a time each, while the caller takes the
// results disk by disk in table order. Workers stay at most a few disks ahead of the
// caller, so memory holds the results and little more. The destructor stops and joins them.
class DiskWorkers
{
public:
    // Handed to the work for one disk: where its chunks go.
    class Output
    {
    public:
        // True once the search is over (stopped); the work should return soon.
        bool cancelled() const;
        void push(FoundChunk&& chunk);

    private:
        friend class DiskWorkers;
        Output(DiskWorkers& workers, int disk) : m_workers(workers), m_disk(disk) {}
        DiskWorkers& m_workers;
        int m_disk;
    };

    // Searches one disk (1-based index) on a worker thread; `worker` numbers the thread, so
    // that the work can keep a reader per thread.
    using Work = std::function<void(int worker, int disk, Output& output)>;

    DiskWorkers(int diskCount, int threads, Work work);
    ~DiskWorkers();
    DiskWorkers(const DiskWorkers&) = delete;
    DiskWorkers& operator=(const DiskWorkers&) = delete;

    // The next chunk of `disk`, taken in order from 1 to the count: waits for it, calling
    // `whileWaiting` about every 20 ms, and stops waiting when it returns true. False when
    // the disk has no more chunks (or the wait was given up).
    bool next(int disk, FoundChunk& chunk, const std::function<bool()>& whileWaiting);

    static int defaultThreadCount();

private:
    struct Slot
    {
        std::deque<FoundChunk> chunks;
        bool done = false;
    };

    void run(int worker);
    void finish(int disk);

    const int m_diskCount;
    const Work m_work;
    std::mutex m_mutex;
    std::condition_variable m_forCaller;
    std::condition_variable m_forWorkers;
    std::vector<Slot> m_slots; // index disk - 1
    int m_nextDisk = 1;        // the next disk a worker takes
    int m_callerDisk = 1;      // the disk the caller waits for
    size_t m_waitingRows = 0;  // rows pushed and not yet taken
    int m_doneDisks = 0;
    std::chrono::steady_clock::time_point m_lastYield = std::chrono::steady_clock::now();
    std::atomic<bool> m_cancelled{false};
    std::vector<std::thread> m_threads;
};

} // namespace dovrin::search
