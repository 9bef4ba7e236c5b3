#pragma once

#include "formats/tsf/TsfChunkCodec.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Encodes chunks on helper threads while the writer goes on filling the next ones. A job is a set
// of arrays (a wide table's columns) encoded each into its own blob; the helpers take its arrays one
// at a time, and a thread that waits for a job encodes its remaining arrays itself, so the work
// spreads over every core and a pool whose helpers could not start still finishes. The database
// stays with the writer thread: only encoding happens here.
class TsfChunkEncoderPool {
public:
    struct Job {
        std::vector<TsfValueArray> arrays;
        TsfCompression method = TsfCompression::Zstd;
        std::vector<QByteArray> blobs;
        std::vector<TsfCompressionStats> stats;

    private:
        friend class TsfChunkEncoderPool;
        std::atomic<int> next{0};
        int done = 0; // guarded by the pool's mutex
        QString error;
    };
    using JobPtr = std::shared_ptr<Job>;

    // One helper fewer than the machine has threads, since the writer encodes too while it waits.
    TsfChunkEncoderPool();
    ~TsfChunkEncoderPool();
    TsfChunkEncoderPool(const TsfChunkEncoderPool&) = delete;
    TsfChunkEncoderPool& operator=(const TsfChunkEncoderPool&) = delete;

    // Starts encoding the job's arrays; its blobs and stats are sized here.
    void submit(const JobPtr& job);
    // Waits until every array of the job is encoded, helping with it; false with the first
    // encoding error.
    bool wait(Job& job, QString* error);

private:
    void startHelpers();
    void helperLoop();
    // Encodes one array of a job, if one is left; false when none was.
    bool encodeOne(Job& job);

    int m_helperCount;
    std::vector<std::thread> m_helpers;
    std::mutex m_mutex;
    std::condition_variable m_wake; // helpers: work arrived or stopping
    std::condition_variable m_done; // waiters: an array finished
    std::deque<JobPtr> m_queue;     // jobs with arrays not yet taken
    bool m_stopping = false;
};
