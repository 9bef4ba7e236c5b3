#pragma once

#include <QByteArray>

#include <string_view>
#include <unordered_map>

// Hands out one shared copy of each short text that repeats from record to record (alleles,
// genotypes, short sample values), so a record holds a copy of an existing QByteArray instead of
// allocating its own. The copies are permanent names (see SharedNames): copying them never writes
// to a shared count. Looking a known text up does not allocate. Not thread-safe: one per parser.
class VcfTextCache {
public:
    // Texts longer than this are not worth a cache entry.
    static constexpr int MaxLength = 32;

    QByteArray text(const char* data, int size) {
        if (size > MaxLength)
            return QByteArray(data, size);
        const auto found = m_texts.find(std::string_view(data, size_t(size)));
        return found != m_texts.end() ? found->second : insert(data, size);
    }

private:
    QByteArray insert(const char* data, int size);

    std::unordered_map<std::string_view, QByteArray> m_texts;
};
