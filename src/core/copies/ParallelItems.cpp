#include "ParallelItems.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace dovrin::copies {

bool runParallel(int threads, size_t count, const std::function<void(int, size_t)>& work,
                 const std::function<bool()>& whileWaiting)
{
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable allDone;
    threads = int(std::clamp<size_t>(size_t(std::max(threads, 1)), 1, std::max<size_t>(count, 1)));
    int running = threads;

    std::vector<std::thread> pool;
    pool.reserve(size_t(threads));
    for (int worker = 0; worker < threads; ++worker) {
        pool.emplace_back([&, worker] {
            for (;;) {
                if (stop.load(std::memory_order_relaxed))
                    break;
                const size_t item = next.fetch_add(1);
                if (item >= count)
                    break;
                work(worker, item);
            }
            std::lock_guard lock(mutex);
            if (--running == 0)
                allDone.notify_one();
        });
    }

    std::unique_lock lock(mutex);
    while (running > 0) {
        // Well under the 50 ms in which a stop must take effect.
        if (allDone.wait_for(lock, std::chrono::milliseconds(10), [&] { return running == 0; }))
            break;
        lock.unlock();
        if (!stop && whileWaiting && whileWaiting())
            stop = true;
        lock.lock();
    }
    lock.unlock();
    for (std::thread& thread : pool)
        thread.join();
    return !stop;
}

} // namespace dovrin::copies
