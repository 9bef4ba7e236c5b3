#include "formats/tsf/TsfChunkEncoderPool.h"

#include "tasks/workers/VkApplication.h"

#include <QMutex>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <thread>

TsfChunkEncoderPool::TsfChunkEncoderPool() : m_helpers(std::max(QThread::idealThreadCount() - 1, 1)) {}

bool TsfChunkEncoderPool::encode(const std::vector<TsfValueArray>& arrays, TsfCompression method,
                                 std::vector<QByteArray>* blobs, std::vector<TsfCompressionStats>* stats,
                                 QString* error) {
    const int count = int(arrays.size());
    blobs->resize(arrays.size());
    stats->resize(arrays.size());
    QMutex failure;
    QString firstError;
    const auto fail = [&](const QString& partError) {
        QMutexLocker locker(&failure);
        if (firstError.isEmpty())
            firstError = partError;
    };
    // Part p takes arrays p, p + parts, p + 2 * parts ...: neighbouring columns cost alike. Each
    // thread takes parts until none is left.
    const int parts = std::min(count, m_helpers + 1);
    std::atomic<int> nextPart{0};
    // Nothing may leave a thread: not a helper, and not this one before the helpers are done with
    // the arrays and blobs on this stack.
    const auto encodeParts = [&] {
        try {
            for (int part = nextPart++; part < parts; part = nextPart++) {
                for (int i = part; i < count; i += parts) {
                    QString partError;
                    (*blobs)[size_t(i)] =
                        TsfChunkCodec::encodeAndCompress(arrays[size_t(i)], arrays[size_t(i)].size(), 0,
                                                         method, nullptr, &(*stats)[size_t(i)], &partError);
                    if ((*blobs)[size_t(i)].isEmpty())
                        return fail(partError);
                }
            }
        } catch (...) {
            fail(VkApplication::currentExceptionText());
        }
    };
    std::vector<std::thread> helpers;
    try {
        helpers.reserve(size_t(std::max(parts - 1, 0)));
        for (int helper = 1; helper < parts; ++helper)
            helpers.emplace_back(encodeParts);
    } catch (...) {
        // Whatever helpers started share the work with this thread.
    }
    encodeParts();
    for (std::thread& helper : helpers)
        helper.join();
    if (!firstError.isEmpty()) {
        *error = firstError;
        return false;
    }
    return true;
}
