#pragma once

#include <cstddef>
#include <functional>

namespace dovrin::copies {

// Runs work(worker, item) for every item from 0 to count - 1, each once, on `threads` threads
// (worker counts from 0), while the calling thread waits and calls whileWaiting() every few
// milliseconds, so that a window stays responsive. Once whileWaiting() returns true no further
// item is started; items already running are left to finish (they watch their own stop flag).
// Returns false when it was stopped before every item ran.
bool runParallel(int threads, size_t count, const std::function<void(int, size_t)>& work,
                 const std::function<bool()>& whileWaiting);

} // namespace dovrin::copies
