#pragma once

#include "formats/tsf/TsfChunkCodec.h"

#include <vector>

// Encodes many chunks at once: the calling thread and a few helper threads share the arrays, so a
// wide table's columns compress in parallel while the database stays with the calling thread. A
// helper that cannot be started (thread or memory limits) leaves its share to the others.
class TsfChunkEncoderPool {
public:
    // One helper fewer than the machine has threads, since the caller encodes too.
    TsfChunkEncoderPool();

    // Encodes each array whole into blobs[i] and adds its sizes to stats[i]; false with the first
    // encoding error.
    bool encode(const std::vector<TsfValueArray>& arrays, TsfCompression method,
                std::vector<QByteArray>* blobs, std::vector<TsfCompressionStats>* stats, QString* error);

private:
    int m_helpers;
};
