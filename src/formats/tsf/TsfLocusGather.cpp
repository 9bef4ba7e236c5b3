#include "formats/tsf/TsfLocusGather.h"

#include "formats/tsf/TypedChunkTableReader.h"
#include "source/values/CategoricalVector.h"

#include <cstring>

namespace {

// Texts up to this long repeat (alleles, "."); longer ones are mostly identifiers, each unique.
constexpr int SharedTextLength = 7;

bool codeOutOfRange(const VkField& field, int32_t code, QString* error) {
    *error = QStringLiteral("Category code %1 of field %2 is outside its %3 categories")
                 .arg(code)
                 .arg(QString::fromUtf8(field.name))
                 .arg(field.enumNames.size());
    return false;
}

} // namespace

TsfLocusGather::TsfLocusGather(VkField field) : m_field(std::move(field)) {}

bool TsfLocusGather::categoryValue(const VkField& field, const PVariant& stored, PVariant* value,
                                   QString* error) {
    const auto inRange = [&](int32_t code) { return code >= 0 && code < field.enumNames.size(); };
    if (field.valueType == ValueType::Categorical && stored.type() == ValueType::Int) {
        const int32_t code = stored.intValue();
        if (code == PVariant::MissingInt) {
            *value = PVariant::missing(ValueType::Categorical);
            return true;
        }
        if (!inRange(code))
            return codeOutOfRange(field, code, error);
        *value = PVariant::categorical(code, field.enumNames.at(code));
        return true;
    }
    if (field.valueType == ValueType::CategoricalArray && stored.type() == ValueType::IntArray) {
        CategoricalVector categories;
        categories.reserve(stored.size());
        for (int32_t code : stored.intVector()) {
            if (!inRange(code))
                return codeOutOfRange(field, code, error);
            categories.append(code, field.enumNames.at(code));
        }
        *value = PVariant(categories);
        return true;
    }
    *value = stored;
    return true;
}

bool TsfLocusGather::gather(TypedChunkTableReader& table, int column, const qint64* rows, int count,
                            PVariant* const* out, QString* error) {
    return table.visitRows(column, rows, count, error, [&](const TsfValueArray& chunk, int position, int j) {
        return valueAt(chunk, position, out[j], error);
    });
}

bool TsfLocusGather::valueAt(const TsfValueArray& chunk, int position, PVariant* value, QString* error) {
    const ValueType type = chunk.type();
    if (type == ValueType::String) {
        const int size = chunk.stringSize(position);
        const char* data = chunk.stringData(position);
        *value = PVariant(size <= SharedTextLength ? m_texts.text(data, size) : QByteArray(data, size));
        return true;
    }
    uint64_t key = 0;
    if (!ValueTypes::isVector(type) || !listKey(chunk, position, &key))
        return categoryValue(m_field, chunk.valueAt(position), value, error);
    const int count = chunk.arrayCount(position);
    Recent& recent = m_recent[((key ^ uint64_t(count) << 59) * 0x9E3779B97F4A7C15ULL) >> 56];
    if (recent.type != type || recent.count != count || recent.key != key) {
        recent.type = ValueType::Invalid;
        if (!categoryValue(m_field, chunk.valueAt(position), &recent.value, error))
            return false;
        recent.type = type;
        recent.count = count;
        recent.key = key;
    }
    *value = recent.value;
    return true;
}

bool TsfLocusGather::listKey(const TsfValueArray& chunk, int position, uint64_t* key) {
    const int count = chunk.arrayCount(position);
    if (chunk.type() == ValueType::StringArray) {
        // An empty list, or one short text: its bytes and its length.
        if (count == 0)
            return true;
        const uint32_t string = chunk.offsets()[position];
        const uint32_t begin = chunk.stringOffsets()[string];
        const uint32_t size = chunk.stringOffsets()[string + 1] - begin;
        if (count > 1 || size > SharedTextLength)
            return false;
        if (size > 0)
            std::memcpy(key, chunk.bytes().data() + begin, size);
        *key |= uint64_t(size) << 56;
        return true;
    }
    const size_t bytes = size_t(count) * size_t(TsfValueArray::itemWidth(chunk.type()));
    if (bytes > sizeof *key)
        return false;
    if (bytes > 0)
        std::memcpy(key, chunk.arrayItems(position), bytes);
    return true;
}
