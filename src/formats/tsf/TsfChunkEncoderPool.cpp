#include "formats/tsf/TsfChunkEncoderPool.h"

#include "tasks/workers/VkApplication.h"

#include <QThread>

#include <algorithm>

TsfChunkEncoderPool::TsfChunkEncoderPool() : m_helperCount(std::max(QThread::idealThreadCount() - 1, 1)) {}

TsfChunkEncoderPool::~TsfChunkEncoderPool() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    for (std::thread& helper : m_helpers)
        helper.join();
}

void TsfChunkEncoderPool::submit(const JobPtr& job) {
    job->blobs.assign(job->arrays.size(), QByteArray());
    job->stats.assign(job->arrays.size(), TsfCompressionStats());
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_helpers.empty())
            startHelpers();
        m_queue.push_back(job);
    }
    m_wake.notify_all();
}

// Threads start with the first job, so a writer that never writes a matrix starts none. One that
// cannot be started (thread or memory limits) leaves its share to the waiting writer.
void TsfChunkEncoderPool::startHelpers() {
    try {
        m_helpers.reserve(size_t(m_helperCount));
        while (int(m_helpers.size()) < m_helperCount)
            m_helpers.emplace_back(&TsfChunkEncoderPool::helperLoop, this);
    } catch (...) {
        m_helperCount = int(m_helpers.size());
    }
}

void TsfChunkEncoderPool::helperLoop() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_stopping)
            return;
        const JobPtr job = m_queue.front();
        lock.unlock();
        const bool encoded = encodeOne(*job);
        lock.lock();
        // The job's last array is taken: nothing more for helpers to find in it.
        if (!encoded && !m_queue.empty() && m_queue.front() == job)
            m_queue.pop_front();
    }
}

bool TsfChunkEncoderPool::encodeOne(Job& job) {
    const int index = job.next++;
    if (index >= int(job.arrays.size()))
        return false;
    QString error;
    // Nothing may leave a helper thread, nor the writer's wait before the job is complete.
    try {
        const TsfValueArray& array = job.arrays[size_t(index)];
        job.blobs[size_t(index)] = TsfChunkCodec::encodeAndCompress(array, array.size(), 0, job.method, nullptr,
                                                                    &job.stats[size_t(index)], &error);
        if (job.blobs[size_t(index)].isEmpty() && error.isEmpty())
            error = QStringLiteral("A chunk could not be encoded");
    } catch (...) {
        error = VkApplication::currentExceptionText();
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!error.isEmpty() && job.error.isEmpty())
            job.error = error;
        ++job.done;
    }
    m_done.notify_all();
    return true;
}

bool TsfChunkEncoderPool::wait(Job& job, QString* error) {
    while (encodeOne(job)) {
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [&job] { return job.done >= int(job.arrays.size()); });
    m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(), [&job](const JobPtr& queued) { return queued.get() == &job; }),
                  m_queue.end());
    if (!job.error.isEmpty()) {
        *error = job.error;
        return false;
    }
    return true;
}
