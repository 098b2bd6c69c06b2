#pragma once

#include <algorithm>
#include <future>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace pintora {

// How many workers a large job gets: the cores, at most eight.
inline int workerCount()
{
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
}

// Runs work(0) .. work(workers - 1), the first on this thread and the others
// at once on threads of their own. A thread that cannot be started (out of
// memory or of the user's thread quota) costs time, not the result: its share
// runs here after the first.
template <typename Work>
void runInParallel(int workers, const Work &work)
{
    std::vector<std::thread> threads;
    int started = 1;
    try {
        threads.reserve(std::size_t(std::max(workers - 1, 0)));
        for (; started < workers; ++started)
            threads.emplace_back(work, started);
    } catch (const std::system_error &) {
    } catch (const std::bad_alloc &) {
    }
    work(0);
    for (int worker = started; worker < workers; ++worker)
        work(worker);
    for (std::thread &thread : threads)
        thread.join();
}

// The result of `work` to come, computed on a thread of its own; when no
// thread can be started, computed here before this returns. `work` must not
// throw.
template <typename Work>
auto startWork(const Work &work) -> std::shared_future<decltype(work())>
{
    try {
        return std::async(std::launch::async, work).share();
    } catch (const std::system_error &) {
    } catch (const std::bad_alloc &) {
    }
    std::promise<decltype(work())> done;
    done.set_value(work());
    return done.get_future().share();
}

} // namespace pintora
