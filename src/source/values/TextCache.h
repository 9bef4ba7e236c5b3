#pragma once

#include <QByteArray>

#include <cstdint>
#include <string_view>
#include <unordered_map>

// Hands out one shared copy of each short text that repeats from record to record (alleles,
// genotypes, short sample values), so a record holds a copy of an existing QByteArray instead of
// allocating its own. The copies are permanent names (see SharedNames): copying them never writes
// to a shared count. Looking a known text up does not allocate. Not thread-safe: one per parser
// or per column being read.
class TextCache {
public:
    // Texts longer than this are not worth a cache entry.
    static constexpr int MaxLength = 32;

    QByteArray text(const char* data, int size) {
        if (size > MaxPackedLength)
            return size > MaxLength ? QByteArray(data, size) : lookup(data, size);
        uint64_t key = uint64_t(size) << 56;
        for (int i = 0; i < size; ++i)
            key |= uint64_t(static_cast<unsigned char>(data[i])) << (8 * i);
        Recent& recent = m_recent[(key * 0x9E3779B97F4A7C15ULL) >> 56];
        if (recent.key != key) {
            recent.key = key;
            recent.text = lookup(data, size);
        }
        return recent.text;
    }

private:
    // Genotypes and single-base alleles, the texts of almost every value, are packed with their
    // length into one number and found in a small direct-mapped table without hashing bytes.
    static constexpr int MaxPackedLength = 7;
    struct Recent {
        uint64_t key = 0;
        QByteArray text;
    };

    QByteArray lookup(const char* data, int size) {
        const auto found = m_texts.find(std::string_view(data, size_t(size)));
        return found != m_texts.end() ? found->second : insert(data, size);
    }
    QByteArray insert(const char* data, int size);

    Recent m_recent[256];
    std::unordered_map<std::string_view, QByteArray> m_texts;
};
