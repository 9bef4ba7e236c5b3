#include "formats/tsf/TsfPrefetchThreads.h"

#include <QThread>

#include <algorithm>
#include <system_error>
#include <thread>

TsfPrefetchThreads& TsfPrefetchThreads::instance() {
    static auto* threads = new TsfPrefetchThreads;
    return *threads;
}

TsfPrefetchThreads::TsfPrefetchThreads() {
    for (int i = 0; i < std::max(QThread::idealThreadCount(), 1); ++i) {
        try {
            std::thread([this] { work(); }).detach();
            ++m_threads;
        } catch (const std::system_error&) {
            break;
        }
    }
}

bool TsfPrefetchThreads::run(std::function<void()> job) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_threads == 0)
        return false;
    m_jobs.push_back(std::move(job));
    m_ready.notify_one();
    return true;
}

void TsfPrefetchThreads::work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_ready.wait(lock, [this] { return !m_jobs.empty(); });
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}
