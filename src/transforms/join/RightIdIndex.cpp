#include "transforms/join/RightIdIndex.h"

#include "source/registry/VkSourceTypeManager.h"

#include <algorithm>
#include <functional>
#include <string_view>

namespace {
constexpr int kReadBatch = 4096;

bool isKey(const QByteArray& text) {
    return !text.isEmpty() && text != ".";
}
} // namespace

uint64_t RightIdIndex::hashOf(const QByteArray& key) {
    return std::hash<std::string_view>{}(std::string_view(key.constData(), size_t(key.size())));
}

void RightIdIndex::keysOf(const PVariant& value, QVector<QByteArray>& out) {
    out.clear();
    if (value.type() == ValueType::StringArray) {
        for (const QByteArray& text : value.stringVector())
            if (isKey(text))
                out.append(text);
        return;
    }
    if (value.isMissing())
        return;
    const int count = value.isVector() ? value.size() : 1;
    for (int i = 0; i < count; ++i) {
        const PVariant element = value.isVector() ? value.at(i) : value;
        if (element.isMissing())
            continue;
        const QByteArray text = element.type() == ValueType::String ? element.bytes() : element.toText();
        if (isKey(text))
            out.append(text);
    }
}

int RightIdIndex::chromosomeId(const QByteArray& chromosome) {
    if (!m_chromosomes.isEmpty() && m_chromosomes.last() == chromosome)
        return m_chromosomes.size() - 1;
    auto found = m_chromosomeIds.constFind(chromosome);
    if (found == m_chromosomeIds.constEnd()) {
        found = m_chromosomeIds.insert(chromosome, m_chromosomes.size());
        m_chromosomes.append(chromosome);
    }
    return found.value();
}

bool RightIdIndex::build(const VkSourcePtr& source, int idField, QString* error) {
    FeatureCursorPtr cursor = source->manager()->openCursor(source, ReadRequest::all({idField}), error);
    if (!cursor)
        return false;
    VkFeatureList batch;
    QVector<QByteArray> keys;
    while (!cursor->atEnd()) {
        batch.clear();
        if (!cursor->fill(batch, kReadBatch, error))
            return false;
        for (const VkFeature& feature : qAsConst(batch)) {
            keysOf(feature.value(idField), keys);
            if (keys.isEmpty())
                continue;
            const VkSegment& place = feature.segment();
            const int32_t chromosome = chromosomeId(place.chromosome());
            for (const QByteArray& key : qAsConst(keys))
                m_entries.push_back(Entry{hashOf(key), chromosome, place.start(), place.stop()});
        }
    }
    std::sort(m_entries.begin(), m_entries.end(),
              [](const Entry& a, const Entry& b) { return a.hash < b.hash; });
    m_entries.shrink_to_fit();
    return true;
}

void RightIdIndex::placesOf(const QByteArray& key, QList<VkSegment>& out) const {
    const uint64_t hash = hashOf(key);
    auto entry = std::lower_bound(m_entries.begin(), m_entries.end(), hash,
                                  [](const Entry& e, uint64_t h) { return e.hash < h; });
    for (; entry != m_entries.end() && entry->hash == hash; ++entry)
        out.append(VkSegment(m_chromosomes.at(entry->chromosome), entry->start, entry->stop));
}
