#pragma once

#include <algorithm>
#include <thread>
#include <vector>

namespace pintora {

// How many workers a large job gets: the cores, at most eight.
inline int workerCount()
{
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
}

// Runs work(0) .. work(workers - 1) at once, the first on this thread.
template <typename Work>
void runInParallel(int workers, const Work &work)
{
    std::vector<std::thread> threads;
    for (int worker = 1; worker < workers; ++worker)
        threads.emplace_back(work, worker);
    work(0);
    for (std::thread &thread : threads)
        thread.join();
}

} // namespace pintora
