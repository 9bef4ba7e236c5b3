#include "formats/tsf/TsfValueArray.h"

namespace {

bool isStringArray(ValueType type) {
    return type == ValueType::StringArray;
}

bool usesOffsets(ValueType type) {
    return type == ValueType::String || ValueTypes::isVector(type);
}

template <class T> QVector<T> itemsVector(const uint8_t* items, int count) {
    QVector<T> values(count);
    if (count > 0)
        std::memcpy(values.data(), items, size_t(count) * sizeof(T));
    return values;
}

} // namespace

TsfValueArray::TsfValueArray(ValueType type) {
    reset(type);
}

bool TsfValueArray::isStorable(ValueType type) {
    return itemWidth(type) >= 0;
}

int TsfValueArray::itemWidth(ValueType type) {
    switch (type) {
    case ValueType::Bool:
    case ValueType::Character:
    case ValueType::BoolArray:
        return 1;
    case ValueType::Int:
    case ValueType::Float:
    case ValueType::Categorical:
    case ValueType::IntArray:
    case ValueType::FloatArray:
    case ValueType::CategoricalArray:
        return 4;
    case ValueType::Int64:
    case ValueType::Float64:
    case ValueType::Float64Array:
        return 8;
    case ValueType::String:
    case ValueType::StringArray:
        return 0;
    default:
        return -1;
    }
}

void TsfValueArray::reset(ValueType type) {
    m_type = type;
    clear();
}

void TsfValueArray::clear() {
    m_size = 0;
    m_bytes.clear();
    m_offsets.clear();
    m_stringOffsets.clear();
    if (usesOffsets(m_type))
        m_offsets.push_back(0);
    if (isStringArray(m_type))
        m_stringOffsets.push_back(0);
}

qint64 TsfValueArray::memorySize() const {
    return qint64(m_bytes.capacity()) + qint64(m_offsets.capacity() + m_stringOffsets.capacity()) * 4 +
           qint64(sizeof(TsfValueArray));
}

void TsfValueArray::appendString(const char* data, int size) {
    const size_t at = m_bytes.size();
    m_bytes.resize(at + size_t(size));
    if (size > 0)
        std::memcpy(m_bytes.data() + at, data, size_t(size));
    m_offsets.push_back(uint32_t(m_bytes.size()));
    ++m_size;
}

void TsfValueArray::appendItems(const void* items, int count, int width) {
    const size_t at = m_bytes.size();
    m_bytes.resize(at + size_t(count) * size_t(width));
    if (count > 0)
        std::memcpy(m_bytes.data() + at, items, size_t(count) * size_t(width));
    m_offsets.push_back(m_offsets.back() + uint32_t(count));
    ++m_size;
}

void TsfValueArray::appendStringArray(const QVector<QByteArray>& strings) {
    for (const QByteArray& string : strings) {
        const size_t at = m_bytes.size();
        m_bytes.resize(at + size_t(string.size()));
        if (!string.isEmpty())
            std::memcpy(m_bytes.data() + at, string.constData(), size_t(string.size()));
        m_stringOffsets.push_back(uint32_t(m_bytes.size()));
    }
    m_offsets.push_back(m_offsets.back() + uint32_t(strings.size()));
    ++m_size;
}

void TsfValueArray::appendMissing() {
    switch (m_type) {
    case ValueType::Bool:
        appendBool(PVariant::MissingBool);
        break;
    case ValueType::Int:
    case ValueType::Categorical:
        appendInt(PVariant::MissingInt);
        break;
    case ValueType::Int64:
        appendInt64(PVariant::MissingInt64);
        break;
    case ValueType::Float:
        appendFloat(PVariant::MissingFloat);
        break;
    case ValueType::Float64:
        appendFloat64(PVariant::MissingFloat64);
        break;
    case ValueType::Character:
        appendChar('\0');
        break;
    case ValueType::String:
        appendString(nullptr, 0);
        break;
    case ValueType::StringArray:
        appendStringArray({});
        break;
    default:
        appendItems(nullptr, 0, 0);
        break;
    }
}

bool TsfValueArray::append(const PVariant& value) {
    if (!value.isValid()) {
        appendMissing();
        return true;
    }
    const ValueType type = value.type();
    switch (m_type) {
    case ValueType::Bool:
        return type == ValueType::Bool && (appendBool(value.boolByte()), true);
    case ValueType::Int:
        return type == ValueType::Int && (appendInt(value.intValue()), true);
    case ValueType::Categorical:
        if (type == ValueType::Int)
            return appendInt(value.intValue()), true;
        return type == ValueType::Categorical && (appendInt(value.categoricalCode()), true);
    case ValueType::Int64:
        return type == ValueType::Int64 && (appendInt64(value.int64Value()), true);
    case ValueType::Float:
        return type == ValueType::Float && (appendFloat(value.floatValue()), true);
    case ValueType::Float64:
        return type == ValueType::Float64 && (appendFloat64(value.float64Value()), true);
    case ValueType::Character:
        return type == ValueType::Character && (appendChar(value.charValue()), true);
    case ValueType::String:
        return type == ValueType::String && (appendString(value.bytes()), true);
    case ValueType::IntArray:
        return type == ValueType::IntArray &&
               (appendArray(value.intVector().constData(), value.intVector().size()), true);
    case ValueType::CategoricalArray: {
        if (type == ValueType::IntArray)
            return appendArray(value.intVector().constData(), value.intVector().size()), true;
        const QVector<int32_t>& codes = value.categoricalVector().codes();
        return type == ValueType::CategoricalArray && (appendArray(codes.constData(), codes.size()), true);
    }
    case ValueType::FloatArray:
        return type == ValueType::FloatArray &&
               (appendArray(value.floatVector().constData(), value.floatVector().size()), true);
    case ValueType::Float64Array:
        return type == ValueType::Float64Array &&
               (appendArray(value.float64Vector().constData(), value.float64Vector().size()), true);
    case ValueType::BoolArray:
        return type == ValueType::BoolArray &&
               (appendArray(value.boolVector().constData(), value.boolVector().size()), true);
    case ValueType::StringArray:
        return type == ValueType::StringArray && (appendStringArray(value.stringVector()), true);
    default:
        return false;
    }
}

const uint8_t* TsfValueArray::arrayItems(int index) const {
    return m_bytes.data() + size_t(m_offsets[index]) * size_t(itemWidth(m_type));
}

QByteArray TsfValueArray::arrayString(int index, int k) const {
    const uint32_t string = m_offsets[index] + uint32_t(k);
    const uint32_t begin = m_stringOffsets[string];
    return QByteArray(reinterpret_cast<const char*>(m_bytes.data()) + begin,
                      int(m_stringOffsets[string + 1] - begin));
}

PVariant TsfValueArray::valueAt(int index) const {
    switch (m_type) {
    case ValueType::Bool: {
        const uint8_t byte = scalarAt<uint8_t>(index);
        return byte == PVariant::MissingBool ? PVariant::missing(ValueType::Bool) : PVariant(byte != 0);
    }
    case ValueType::Int:
    case ValueType::Categorical:
        return PVariant(scalarAt<int32_t>(index));
    case ValueType::Int64:
        return PVariant(static_cast<long long>(scalarAt<int64_t>(index)));
    case ValueType::Float:
        return PVariant(scalarAt<float>(index));
    case ValueType::Float64:
        return PVariant(scalarAt<double>(index));
    case ValueType::Character:
        return PVariant(scalarAt<char>(index));
    case ValueType::String:
        return PVariant(stringAt(index));
    case ValueType::IntArray:
    case ValueType::CategoricalArray:
        return PVariant(itemsVector<int32_t>(arrayItems(index), arrayCount(index)));
    case ValueType::FloatArray:
        return PVariant(itemsVector<float>(arrayItems(index), arrayCount(index)));
    case ValueType::Float64Array:
        return PVariant(itemsVector<double>(arrayItems(index), arrayCount(index)));
    case ValueType::BoolArray:
        return PVariant(itemsVector<uint8_t>(arrayItems(index), arrayCount(index)));
    case ValueType::StringArray: {
        QVector<QByteArray> strings(arrayCount(index));
        for (int k = 0; k < strings.size(); ++k)
            strings[k] = arrayString(index, k);
        return PVariant(strings);
    }
    default:
        return PVariant();
    }
}

bool TsfValueArray::operator==(const TsfValueArray& other) const {
    return m_type == other.m_type && m_size == other.m_size && m_bytes == other.m_bytes &&
           m_offsets == other.m_offsets && m_stringOffsets == other.m_stringOffsets;
}
