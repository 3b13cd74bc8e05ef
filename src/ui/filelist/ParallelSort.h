#pragma once

#include <QThread>
#include <algorithm>
#include <iterator>
#include <thread>
#include <vector>

namespace dovrin::ui {

// Below this many items one thread does it all.
constexpr size_t kParallelFrom = 20000;

inline int threadsFor(size_t count)
{
    return count < kParallelFrom ? 1 : qBound(1, QThread::idealThreadCount(), 8);
}

// Runs part(i) for i in [0, parts) on as many threads, the last on the calling one.
template <typename Part> void runParts(int parts, Part&& part)
{
    std::vector<std::thread> threads;
    threads.reserve(size_t(parts));
    for (int i = 0; i + 1 < parts; ++i)
        threads.emplace_back([&part, i] { part(i); });
    part(parts - 1);
    for (std::thread& thread : threads)
        thread.join();
}

// Sorts [first, last) on up to `threads` threads: split at a sampled median, each side on a
// thread of its own; no merge pass and no second array.
template <typename It, typename Less>
void parallelSort(It first, It last, const Less& less, int threads)
{
    const auto n = last - first;
    if (threads <= 1 || size_t(n) < kParallelFrom) {
        std::sort(first, last, less);
        return;
    }
    std::vector<typename std::iterator_traits<It>::value_type> sample;
    for (int i = 0; i < 255; ++i)
        sample.push_back(first[n * i / 255]);
    std::nth_element(sample.begin(), sample.begin() + 127, sample.end(), less);
    const auto pivot = sample[127];
    const It middle =
        std::partition(first, last, [&](const auto& item) { return less(item, pivot); });
    std::thread left([&] { parallelSort(first, middle, less, threads / 2); });
    parallelSort(middle, last, less, threads - threads / 2);
    left.join();
}

} // namespace dovrin::ui
