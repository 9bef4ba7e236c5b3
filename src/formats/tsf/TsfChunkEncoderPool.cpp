#include "formats/tsf/TsfChunkEncoderPool.h"

#include <QMutex>
#include <QThread>

#include <algorithm>

TsfChunkEncoderPool::TsfChunkEncoderPool() {
    m_pool.setMaxThreadCount(std::max(QThread::idealThreadCount() - 1, 1));
}

bool TsfChunkEncoderPool::encode(const std::vector<TsfValueArray>& arrays, TsfCompression method,
                                 std::vector<QByteArray>* blobs, std::vector<TsfCompressionStats>* stats,
                                 QString* error) {
    const int count = int(arrays.size());
    blobs->resize(arrays.size());
    stats->resize(arrays.size());
    QMutex failure;
    QString firstError;
    // Part p takes arrays p, p + parts, p + 2 * parts ...: neighbouring columns cost alike.
    const int parts = std::min(count, m_pool.maxThreadCount() + 1);
    auto encodePart = [&](int part) {
        for (int i = part; i < count; i += parts) {
            QString partError;
            (*blobs)[size_t(i)] =
                TsfChunkCodec::encodeAndCompress(arrays[size_t(i)], arrays[size_t(i)].size(), 0, method,
                                                 nullptr, &(*stats)[size_t(i)], &partError);
            if ((*blobs)[size_t(i)].isEmpty()) {
                QMutexLocker locker(&failure);
                if (firstError.isEmpty())
                    firstError = partError;
                return;
            }
        }
    };
    for (int part = 1; part < parts; ++part)
        m_pool.start(QRunnable::create([&encodePart, part] { encodePart(part); }));
    if (parts > 0)
        encodePart(0);
    m_pool.waitForDone();
    if (!firstError.isEmpty()) {
        *error = firstError;
        return false;
    }
    return true;
}
