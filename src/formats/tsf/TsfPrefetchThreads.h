#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

// The threads that decode prefetched chunks for every table, one per core, started when first
// needed. A few shared threads keep the decoding (and the malloc arenas it fills) bounded however
// many tables read at once. Unlike a QThreadPool, a thread the system refuses is done without
// rather than left holding a job nobody runs; with no thread at all nothing is prefetched.
class TsfPrefetchThreads {
public:
    // Never destroyed: its threads wait on it until the process ends.
    static TsfPrefetchThreads& instance();

    // Queues a job, which must not throw; false when there is no thread to run it.
    bool run(std::function<void()> job);

private:
    TsfPrefetchThreads();
    void work();

    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<std::function<void()>> m_jobs;
    int m_threads = 0;
};
