#include "source/values/PVariant.h"

#include <cstring>

#include <cmath>
#include <cstdio>
#include <new>
#include <type_traits>

static_assert(sizeof(QByteArray) == 8 && sizeof(QVector<int32_t>) == 8 && sizeof(PVariantMap) == 8 &&
                  sizeof(CategoricalVector) == 8 && sizeof(SampleMatrix) == 8,
              "shared payloads must fit the 8-byte payload");

namespace {

// Texts of Byte Array values keep these characters as they are; the rest is percent-encoded.
const char kByteArrayKeep[] = " !\"#$&'()*+,/:;<=>?@[\\]^`{|}";

template <class T> const T& emptyValue() {
    static const T empty;
    return empty;
}

QByteArray formatNumber(const char* format, double value) {
    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, format, value);
    return QByteArray(buffer, length);
}

bool wholeNumberIn(double value, double low, double high) {
    return std::isfinite(value) && value == std::trunc(value) && value >= low && value <= high;
}

template <class T> T setOk(bool* ok, bool success, T value) {
    if (ok)
        *ok = success;
    return success ? value : T();
}

template <class Container> QByteArray joinTexts(const Container& values, char separator) {
    QByteArray text;
    for (int i = 0; i < values.size(); ++i) {
        if (i)
            text += separator;
        text += PVariant(values.at(i)).toText();
    }
    return text;
}

} // namespace

PVariant::PVariant(ValueType type, Storage storage) noexcept : m_code(0), m_type(type), m_storage(storage) {
    m_payload.l = 0;
}

PVariant::PVariant(bool value) noexcept : PVariant(ValueType::Bool, Storage::Inline) {
    m_payload.b = value ? 1 : 0;
}

PVariant::PVariant(int value) noexcept : PVariant(ValueType::Int, Storage::Inline) {
    m_payload.i = value;
}

PVariant::PVariant(long value) noexcept : PVariant(ValueType::Int64, Storage::Inline) {
    m_payload.l = value;
}

PVariant::PVariant(long long value) noexcept : PVariant(ValueType::Int64, Storage::Inline) {
    m_payload.l = value;
}

PVariant::PVariant(float value) noexcept : PVariant(ValueType::Float, Storage::Inline) {
    m_payload.f = value;
}

PVariant::PVariant(double value) noexcept : PVariant(ValueType::Float64, Storage::Inline) {
    m_payload.d = value;
}

PVariant::PVariant(char value) noexcept : PVariant(ValueType::Character, Storage::Inline) {
    m_payload.c = value;
}

PVariant::PVariant(const char* utf8) : PVariant(QByteArray(utf8)) {}

PVariant::PVariant(QByteArray utf8) : PVariant() {
    construct(ValueType::String, Storage::Bytes, std::move(utf8));
}

PVariant::PVariant(const QString& text) : PVariant(text.toUtf8()) {}

PVariant::PVariant(PVariantMap map) : PVariant() {
    construct(ValueType::KeyValuePairs, Storage::Map, std::move(map));
}

PVariant::PVariant(QVector<int32_t> values) : PVariant() {
    construct(ValueType::IntArray, Storage::IntVector, std::move(values));
}

PVariant::PVariant(QVector<float> values) : PVariant() {
    construct(ValueType::FloatArray, Storage::FloatVector, std::move(values));
}

PVariant::PVariant(QVector<double> values) : PVariant() {
    construct(ValueType::Float64Array, Storage::Float64Vector, std::move(values));
}

PVariant::PVariant(QVector<uint8_t> values) : PVariant() {
    construct(ValueType::BoolArray, Storage::ByteVector, std::move(values));
}

PVariant::PVariant(QVector<QByteArray> values) : PVariant() {
    construct(ValueType::StringArray, Storage::BytesVector, std::move(values));
}

PVariant::PVariant(CategoricalVector values) : PVariant() {
    construct(ValueType::CategoricalArray, Storage::Categoricals, std::move(values));
}

PVariant::PVariant(QVector<PVariantMap> maps) : PVariant() {
    construct(ValueType::KeyValuePairsArray, Storage::MapVector, std::move(maps));
}

PVariant::PVariant(PVariantVector values) : PVariant() {
    construct(ValueType::VectorOfData, Storage::Variants, std::move(values));
}

PVariant::PVariant(SampleMatrix matrix) : PVariant() {
    construct(ValueType::VectorOfData, Storage::Matrix, std::move(matrix));
}

PVariant PVariant::byteArray(QByteArray bytes) {
    PVariant value;
    value.construct(ValueType::ByteArray, Storage::Bytes, std::move(bytes));
    return value;
}

PVariant PVariant::categorical(int32_t code, QByteArray name) {
    PVariant value;
    value.construct(ValueType::Categorical, Storage::Bytes, std::move(name));
    value.m_code = code;
    return value;
}

PVariant PVariant::fromBoolList(const QVector<bool>& values) {
    QVector<uint8_t> bytes;
    bytes.reserve(values.size());
    for (bool value : values)
        bytes.append(value ? 1 : 0);
    return PVariant(std::move(bytes));
}

PVariant PVariant::fromStringList(const QVector<QString>& values) {
    QVector<QByteArray> texts;
    texts.reserve(values.size());
    for (const QString& value : values)
        texts.append(value.toUtf8());
    return PVariant(std::move(texts));
}

PVariant PVariant::missing(ValueType type) {
    switch (type) {
    case ValueType::Bool: {
        PVariant value(ValueType::Bool, Storage::Inline);
        value.m_payload.b = MissingBool;
        return value;
    }
    case ValueType::Int:
        return PVariant(MissingInt);
    case ValueType::Int64:
        return PVariant(qint64(MissingInt64));
    case ValueType::Float64:
        return PVariant(MissingFloat64);
    case ValueType::Float:
        return PVariant(MissingFloat);
    case ValueType::Character:
        return PVariant('\0');
    case ValueType::String:
        return PVariant(QByteArray());
    case ValueType::ByteArray:
        return byteArray(QByteArray());
    case ValueType::Categorical:
        return categorical(MissingCategorical, QByteArray());
    case ValueType::KeyValuePairs:
        return PVariant(PVariantMap());
    case ValueType::IntArray:
        return PVariant(QVector<int32_t>());
    case ValueType::FloatArray:
        return PVariant(QVector<float>());
    case ValueType::Float64Array:
        return PVariant(QVector<double>());
    case ValueType::BoolArray:
        return PVariant(QVector<uint8_t>());
    case ValueType::StringArray:
        return PVariant(QVector<QByteArray>());
    case ValueType::CategoricalArray:
        return PVariant(CategoricalVector());
    case ValueType::KeyValuePairsArray:
        return PVariant(QVector<PVariantMap>());
    case ValueType::VectorOfData:
        return PVariant(PVariantVector());
    default:
        return PVariant();
    }
}

template <class T> void PVariant::construct(ValueType type, Storage storage, T&& value) {
    using Value = std::decay_t<T>;
    new (m_payload.raw) Value(std::forward<T>(value));
    m_type = type;
    m_storage = storage;
}

template <class T> T& PVariant::as() noexcept {
    return *std::launder(reinterpret_cast<T*>(m_payload.raw));
}

template <class T> const T& PVariant::as() const noexcept {
    return *std::launder(reinterpret_cast<const T*>(m_payload.raw));
}

void PVariant::copyShared(const PVariant& other) {
    switch (m_storage) {
    case Storage::Inline:
        break;
    case Storage::Bytes:
        new (m_payload.raw) QByteArray(other.as<QByteArray>());
        break;
    case Storage::Map:
        new (m_payload.raw) PVariantMap(other.as<PVariantMap>());
        break;
    case Storage::IntVector:
        new (m_payload.raw) QVector<int32_t>(other.as<QVector<int32_t>>());
        break;
    case Storage::FloatVector:
        new (m_payload.raw) QVector<float>(other.as<QVector<float>>());
        break;
    case Storage::Float64Vector:
        new (m_payload.raw) QVector<double>(other.as<QVector<double>>());
        break;
    case Storage::ByteVector:
        new (m_payload.raw) QVector<uint8_t>(other.as<QVector<uint8_t>>());
        break;
    case Storage::BytesVector:
        new (m_payload.raw) QVector<QByteArray>(other.as<QVector<QByteArray>>());
        break;
    case Storage::Categoricals:
        new (m_payload.raw) CategoricalVector(other.as<CategoricalVector>());
        break;
    case Storage::MapVector:
        new (m_payload.raw) QVector<PVariantMap>(other.as<QVector<PVariantMap>>());
        break;
    case Storage::Variants:
        new (m_payload.raw) PVariantVector(other.as<PVariantVector>());
        break;
    case Storage::Matrix:
        new (m_payload.raw) SampleMatrix(other.as<SampleMatrix>());
        break;
    }
}

void PVariant::destroyShared() noexcept {
    switch (m_storage) {
    case Storage::Inline:
        break;
    case Storage::Bytes:
        as<QByteArray>().~QByteArray();
        break;
    case Storage::Map:
        as<PVariantMap>().~PVariantMap();
        break;
    case Storage::IntVector:
        as<QVector<int32_t>>().~QVector();
        break;
    case Storage::FloatVector:
        as<QVector<float>>().~QVector();
        break;
    case Storage::Float64Vector:
        as<QVector<double>>().~QVector();
        break;
    case Storage::ByteVector:
        as<QVector<uint8_t>>().~QVector();
        break;
    case Storage::BytesVector:
        as<QVector<QByteArray>>().~QVector();
        break;
    case Storage::Categoricals:
        as<CategoricalVector>().~CategoricalVector();
        break;
    case Storage::MapVector:
        as<QVector<PVariantMap>>().~QVector();
        break;
    case Storage::Variants:
        as<PVariantVector>().~QVector();
        break;
    case Storage::Matrix:
        as<SampleMatrix>().~SampleMatrix();
        break;
    }
}

// Every payload is either plain bits or a single d-pointer, so values swap bitwise.
void PVariant::swap(PVariant& other) noexcept {
    std::swap(m_payload, other.m_payload);
    std::swap(m_code, other.m_code);
    std::swap(m_type, other.m_type);
    std::swap(m_storage, other.m_storage);
}

bool PVariant::isMissing() const {
    switch (m_type) {
    case ValueType::Invalid:
        return true;
    case ValueType::Bool:
        return m_payload.b == MissingBool;
    case ValueType::Int:
        return m_payload.i == MissingInt;
    case ValueType::Int64:
        return m_payload.l == MissingInt64;
    case ValueType::Float64:
        return m_payload.d == MissingFloat64;
    case ValueType::Float:
        return m_payload.f == MissingFloat;
    case ValueType::Character:
        return m_payload.c == '\0';
    case ValueType::String:
    case ValueType::ByteArray:
        return bytes().isEmpty();
    case ValueType::Categorical:
        return m_code == MissingCategorical;
    case ValueType::KeyValuePairs:
        return map().isEmpty();
    default:
        return size() == 0;
    }
}

ValueType PVariant::elementType() const {
    if (m_storage == Storage::Matrix)
        return as<SampleMatrix>().elementType();
    if (m_storage != Storage::Variants)
        return ValueTypes::elementOf(m_type);
    const PVariantVector& values = as<PVariantVector>();
    const ValueType first = values.isEmpty() ? ValueType::Invalid : values.first().type();
    for (const PVariant& value : values) {
        if (value.type() != first)
            return ValueType::Invalid;
    }
    return first;
}

int PVariant::size() const {
    switch (m_storage) {
    case Storage::Map:
        return as<PVariantMap>().size();
    case Storage::IntVector:
        return as<QVector<int32_t>>().size();
    case Storage::FloatVector:
        return as<QVector<float>>().size();
    case Storage::Float64Vector:
        return as<QVector<double>>().size();
    case Storage::ByteVector:
        return as<QVector<uint8_t>>().size();
    case Storage::BytesVector:
        return as<QVector<QByteArray>>().size();
    case Storage::Categoricals:
        return as<CategoricalVector>().size();
    case Storage::MapVector:
        return as<QVector<PVariantMap>>().size();
    case Storage::Variants:
        return as<PVariantVector>().size();
    case Storage::Matrix:
        return as<SampleMatrix>().sampleCount();
    default:
        return 0;
    }
}

PVariant PVariant::at(int index) const {
    if (!isVector() || index < 0 || index >= size())
        return PVariant();
    switch (m_storage) {
    case Storage::IntVector:
        return PVariant(as<QVector<int32_t>>().at(index));
    case Storage::FloatVector:
        return PVariant(as<QVector<float>>().at(index));
    case Storage::Float64Vector:
        return PVariant(as<QVector<double>>().at(index));
    case Storage::ByteVector: {
        PVariant value(ValueType::Bool, Storage::Inline);
        value.m_payload.b = as<QVector<uint8_t>>().at(index);
        return value;
    }
    case Storage::BytesVector:
        return PVariant(as<QVector<QByteArray>>().at(index));
    case Storage::Categoricals:
        return categorical(as<CategoricalVector>().code(index), as<CategoricalVector>().name(index));
    case Storage::MapVector:
        return PVariant(as<QVector<PVariantMap>>().at(index));
    case Storage::Variants:
        return as<PVariantVector>().at(index);
    case Storage::Matrix:
        return as<SampleMatrix>().sample(index);
    default:
        return PVariant();
    }
}

const QByteArray& PVariant::bytes() const {
    return m_storage == Storage::Bytes ? as<QByteArray>() : emptyValue<QByteArray>();
}

const PVariantMap& PVariant::map() const {
    return m_storage == Storage::Map ? as<PVariantMap>() : emptyValue<PVariantMap>();
}

const QVector<int32_t>& PVariant::intVector() const {
    return m_storage == Storage::IntVector ? as<QVector<int32_t>>() : emptyValue<QVector<int32_t>>();
}

const QVector<float>& PVariant::floatVector() const {
    return m_storage == Storage::FloatVector ? as<QVector<float>>() : emptyValue<QVector<float>>();
}

const QVector<double>& PVariant::float64Vector() const {
    return m_storage == Storage::Float64Vector ? as<QVector<double>>() : emptyValue<QVector<double>>();
}

const QVector<uint8_t>& PVariant::boolVector() const {
    return m_storage == Storage::ByteVector ? as<QVector<uint8_t>>() : emptyValue<QVector<uint8_t>>();
}

const QVector<QByteArray>& PVariant::stringVector() const {
    return m_storage == Storage::BytesVector ? as<QVector<QByteArray>>() : emptyValue<QVector<QByteArray>>();
}

const CategoricalVector& PVariant::categoricalVector() const {
    return m_storage == Storage::Categoricals ? as<CategoricalVector>() : emptyValue<CategoricalVector>();
}

const QVector<PVariantMap>& PVariant::mapVector() const {
    return m_storage == Storage::MapVector ? as<QVector<PVariantMap>>() : emptyValue<QVector<PVariantMap>>();
}

const PVariantVector& PVariant::variantVector() const {
    return m_storage == Storage::Variants ? as<PVariantVector>() : emptyValue<PVariantVector>();
}

const SampleMatrix& PVariant::sampleMatrix() const {
    return m_storage == Storage::Matrix ? as<SampleMatrix>() : emptyValue<SampleMatrix>();
}

bool PVariant::toBool(bool* ok) const {
    switch (m_type) {
    case ValueType::Bool:
        return setOk(ok, m_payload.b != MissingBool, m_payload.b == 1);
    case ValueType::String:
    case ValueType::ByteArray: {
        const QByteArray text = bytes().trimmed().toLower();
        if (text == "true" || text == "false")
            return setOk(ok, true, text == "true");
        break;
    }
    default:
        break;
    }
    bool converted = false;
    const double number = toDouble(&converted);
    return setOk(ok, converted, number != 0);
}

int PVariant::toInt(bool* ok) const {
    bool converted = false;
    const qint64 number = toInt64(&converted);
    const bool fits =
        converted && number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max();
    return setOk(ok, fits, int(number));
}

qint64 PVariant::toInt64(bool* ok) const {
    switch (m_type) {
    case ValueType::Int:
        return setOk(ok, true, qint64(m_payload.i));
    case ValueType::Int64:
        return setOk(ok, true, qint64(m_payload.l));
    case ValueType::String:
    case ValueType::ByteArray: {
        bool parsed = false;
        const qint64 number = bytes().trimmed().toLongLong(&parsed);
        if (parsed)
            return setOk(ok, true, number);
        break;
    }
    default:
        break;
    }
    bool converted = false;
    const double number = toDouble(&converted);
    // 2^63 is the first double past the qint64 range.
    const bool whole = converted && wholeNumberIn(number, -9223372036854775808.0, 9223372036854774784.0);
    return setOk(ok, whole, qint64(number));
}

double PVariant::toDouble(bool* ok) const {
    switch (m_type) {
    case ValueType::Bool:
        return setOk(ok, m_payload.b != MissingBool, double(m_payload.b));
    case ValueType::Int:
        return setOk(ok, true, double(m_payload.i));
    case ValueType::Int64:
        return setOk(ok, true, double(m_payload.l));
    case ValueType::Float64:
        return setOk(ok, true, m_payload.d);
    case ValueType::Float:
        return setOk(ok, true, double(m_payload.f));
    case ValueType::Categorical:
        return setOk(ok, true, double(m_code));
    case ValueType::String:
    case ValueType::ByteArray: {
        bool parsed = false;
        const double number = bytes().trimmed().toDouble(&parsed);
        return setOk(ok, parsed, number);
    }
    default:
        return setOk(ok, false, 0.0);
    }
}

QString PVariant::toQString() const {
    if (m_storage == Storage::Bytes)
        return QString::fromUtf8(as<QByteArray>());
    return QString::fromUtf8(toText());
}

QVector<bool> PVariant::toBoolList() const {
    QVector<bool> result;
    result.reserve(boolVector().size());
    for (uint8_t value : boolVector())
        result.append(value == 1);
    return result;
}

QVector<QString> PVariant::toStringList() const {
    const QVector<QByteArray>& texts =
        m_storage == Storage::Categoricals ? categoricalVector().names() : stringVector();
    QVector<QString> result;
    result.reserve(texts.size());
    for (const QByteArray& text : texts)
        result.append(QString::fromUtf8(text));
    return result;
}

QByteArray PVariant::scalarText() const {
    switch (m_type) {
    case ValueType::Bool:
        if (m_payload.b == MissingBool)
            return QByteArray();
        return m_payload.b ? QByteArrayLiteral("True") : QByteArrayLiteral("False");
    case ValueType::Int:
        return QByteArray::number(m_payload.i);
    case ValueType::Int64:
        return QByteArray::number(qlonglong(m_payload.l));
    case ValueType::Float:
        return formatNumber("%.6g", double(m_payload.f));
    case ValueType::Float64:
        return formatNumber("%.15g", m_payload.d);
    case ValueType::Character:
        return QByteArray(1, m_payload.c);
    case ValueType::String:
    case ValueType::Categorical:
        return as<QByteArray>();
    case ValueType::ByteArray:
        return as<QByteArray>().toPercentEncoding(kByteArrayKeep);
    default:
        return QByteArray();
    }
}

QByteArray PVariant::toText() const {
    switch (m_storage) {
    case Storage::Inline:
    case Storage::Bytes:
        return scalarText();
    case Storage::Map: {
        QByteArray text;
        for (const PVariantMap::Entry& entry : as<PVariantMap>()) {
            if (!text.isEmpty())
                text += ';';
            text += entry.key + '=' + entry.value.toText();
        }
        return text;
    }
    case Storage::IntVector:
        return joinTexts(as<QVector<int32_t>>(), ',');
    case Storage::FloatVector:
        return joinTexts(as<QVector<float>>(), ',');
    case Storage::Float64Vector:
        return joinTexts(as<QVector<double>>(), ',');
    case Storage::BytesVector:
        return joinTexts(as<QVector<QByteArray>>(), ',');
    case Storage::Categoricals:
        return joinTexts(as<CategoricalVector>().names(), ',');
    case Storage::MapVector:
        return joinTexts(as<QVector<PVariantMap>>(), ',');
    case Storage::Variants:
        return joinTexts(as<PVariantVector>(), ';');
    default: {
        // Bools and matrix samples are not stored as PVariants; go element by element.
        QVector<PVariant> elements;
        for (int i = 0; i < size(); ++i)
            elements.append(at(i));
        return joinTexts(elements, m_storage == Storage::Matrix ? ';' : ',');
    }
    }
}

bool PVariant::sharesDataWith(const PVariant& other) const {
    if (m_type != other.m_type || m_storage != other.m_storage || m_code != other.m_code)
        return false;
    if (m_storage == Storage::Inline)
        return samePayload(other);
    // Every shared storage is one implicitly shared pointer at the start of the payload.
    const void* mine;
    const void* theirs;
    std::memcpy(&mine, m_payload.raw, sizeof mine);
    std::memcpy(&theirs, other.m_payload.raw, sizeof theirs);
    return mine == theirs;
}

bool PVariant::samePayload(const PVariant& other) const {
    switch (m_storage) {
    case Storage::Inline:
        switch (m_type) {
        case ValueType::Bool:
            return m_payload.b == other.m_payload.b;
        case ValueType::Int:
            return m_payload.i == other.m_payload.i;
        case ValueType::Int64:
            return m_payload.l == other.m_payload.l;
        case ValueType::Float64:
            return m_payload.d == other.m_payload.d;
        case ValueType::Float:
            return m_payload.f == other.m_payload.f;
        case ValueType::Character:
            return m_payload.c == other.m_payload.c;
        default:
            return true;
        }
    case Storage::Bytes:
        return m_code == other.m_code && as<QByteArray>() == other.as<QByteArray>();
    case Storage::Map:
        return as<PVariantMap>() == other.as<PVariantMap>();
    case Storage::IntVector:
        return as<QVector<int32_t>>() == other.as<QVector<int32_t>>();
    case Storage::FloatVector:
        return as<QVector<float>>() == other.as<QVector<float>>();
    case Storage::Float64Vector:
        return as<QVector<double>>() == other.as<QVector<double>>();
    case Storage::ByteVector:
        return as<QVector<uint8_t>>() == other.as<QVector<uint8_t>>();
    case Storage::BytesVector:
        return as<QVector<QByteArray>>() == other.as<QVector<QByteArray>>();
    case Storage::Categoricals:
        return as<CategoricalVector>() == other.as<CategoricalVector>();
    case Storage::MapVector:
        return as<QVector<PVariantMap>>() == other.as<QVector<PVariantMap>>();
    case Storage::Variants:
        return as<PVariantVector>() == other.as<PVariantVector>();
    case Storage::Matrix:
        return as<SampleMatrix>() == other.as<SampleMatrix>();
    }
    return false;
}

bool PVariant::operator==(const PVariant& other) const {
    if (m_type != other.m_type)
        return false;
    if (m_storage == other.m_storage)
        return samePayload(other);
    // A VectorOfData held element-wise against one held as a SampleMatrix.
    if (size() != other.size())
        return false;
    for (int i = 0; i < size(); ++i) {
        if (at(i) != other.at(i))
            return false;
    }
    return true;
}
