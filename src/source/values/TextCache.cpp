#include "source/values/TextCache.h"

#include "source/values/SharedNames.h"

namespace {
// Past this many distinct texts (a column of unique values) new ones are simply copied.
constexpr size_t kMaxEntries = 1 << 16;
} // namespace

QByteArray TextCache::insert(const char* data, int size) {
    if (m_texts.size() >= kMaxEntries)
        return QByteArray(data, size);
    const QByteArray text = SharedNames::permanent(data, size);
    m_texts.emplace(std::string_view(text.constData(), size_t(text.size())), text);
    return text;
}
