#pragma once

#include "source/values/ValueType.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QVector>
#include <cstdint>
#include <limits>

class PVariant;
class PVariantMap;
class CategoricalVector;
class SampleMatrix;

using PVariantVector = QVector<PVariant>;

// The tagged value that carries one value of any ValueType.
//
// A PVariant is 16 bytes: an 8-byte payload, the categorical code, the type code and a storage
// tag. Scalars live in the payload and never touch the heap. Everything larger (strings, maps,
// vectors) is one of Qt's implicitly shared containers placed in the payload, so copying a
// PVariant is at most a reference-count bump and moving it is a plain 16-byte copy.
//
// Matrix (per-sample) values are vectors: a scalar per sample is a typed array (an Int matrix
// field over 100 samples is one IntArray of 100 ints), a list per sample is a SampleMatrix
// (type VectorOfData, whose elements are the per-sample arrays, stored as one flat array plus
// offsets).
class PVariant {
public:
    // Missing sentinels of the scalar types.
    static constexpr uint8_t MissingBool = 2;
    static constexpr int32_t MissingInt = std::numeric_limits<int32_t>::min();
    static constexpr int64_t MissingInt64 = std::numeric_limits<int64_t>::min();
    static constexpr double MissingFloat64 = -std::numeric_limits<double>::infinity();
    static constexpr float MissingFloat = -std::numeric_limits<float>::max();
    static constexpr int32_t MissingCategorical = MissingInt;

    PVariant() noexcept : m_code(0), m_type(ValueType::Invalid), m_storage(Storage::Inline) {
        m_payload.l = 0;
    }
    PVariant(bool value) noexcept;
    PVariant(int value) noexcept;
    PVariant(long value) noexcept;      // Int64
    PVariant(long long value) noexcept; // Int64
    PVariant(float value) noexcept;
    PVariant(double value) noexcept;
    PVariant(char value) noexcept; // Character
    PVariant(const char* utf8);    // String
    PVariant(QByteArray utf8);     // String
    PVariant(const QString& text); // String, held as UTF-8
    PVariant(PVariantMap map);
    PVariant(QVector<int32_t> values);
    PVariant(QVector<float> values);
    PVariant(QVector<double> values);
    PVariant(QVector<uint8_t> values); // Bool Array: 0 false, 1 true, 2 missing
    PVariant(QVector<QByteArray> values);
    PVariant(CategoricalVector values);
    PVariant(QVector<PVariantMap> maps);
    PVariant(PVariantVector values);
    PVariant(SampleMatrix matrix);

    static PVariant byteArray(QByteArray bytes);
    static PVariant categorical(int32_t code, QByteArray name);
    static PVariant fromBoolList(const QVector<bool>& values);
    static PVariant fromStringList(const QVector<QString>& values);
    // The missing value of a type: the scalar sentinel, an empty text or an empty vector.
    static PVariant missing(ValueType type);

    PVariant(const PVariant& other)
        : m_payload(other.m_payload), m_code(other.m_code), m_type(other.m_type), m_storage(other.m_storage) {
        if (m_storage != Storage::Inline)
            copyShared(other);
    }
    PVariant(PVariant&& other) noexcept
        : m_payload(other.m_payload), m_code(other.m_code), m_type(other.m_type), m_storage(other.m_storage) {
        other.m_storage = Storage::Inline;
        other.m_type = ValueType::Invalid;
    }
    PVariant& operator=(const PVariant& other) {
        if (this != &other) {
            PVariant copy(other);
            swap(copy);
        }
        return *this;
    }
    PVariant& operator=(PVariant&& other) noexcept {
        PVariant moved(std::move(other));
        swap(moved);
        return *this;
    }
    ~PVariant() {
        if (m_storage != Storage::Inline)
            destroyShared();
    }
    void swap(PVariant& other) noexcept;

    ValueType type() const noexcept { return m_type; }
    int typeCode() const noexcept { return int(m_type); }
    QString typeName() const { return ValueTypes::name(m_type); }
    static QString typeName(int code) { return ValueTypes::name(code); }
    bool isValid() const noexcept { return m_type != ValueType::Invalid; }
    // Invalid values, scalars holding their sentinel, empty texts and empty vectors are missing.
    bool isMissing() const;

    // Vectors: the array types 500..506 and VectorOfData (including a SampleMatrix).
    bool isVector() const noexcept { return ValueTypes::isVector(m_type); }
    bool isSampleMatrix() const noexcept { return m_storage == Storage::Matrix; }
    // The type of each element of a vector; Invalid for scalars and for mixed VectorOfData.
    ValueType elementType() const;
    // Element count of a vector (sample count of a SampleMatrix); 0 for scalars.
    int size() const;
    // One element of a vector as a value of its own; Invalid when out of range.
    PVariant at(int index) const;

    // Direct reads of the payload. Each returns the type's missing sentinel when the value has
    // another type, so a caller that checked type() pays nothing further.
    uint8_t boolByte() const noexcept { return m_type == ValueType::Bool ? m_payload.b : MissingBool; }
    int32_t intValue() const noexcept { return m_type == ValueType::Int ? m_payload.i : MissingInt; }
    int64_t int64Value() const noexcept { return m_type == ValueType::Int64 ? m_payload.l : MissingInt64; }
    double float64Value() const noexcept {
        return m_type == ValueType::Float64 ? m_payload.d : MissingFloat64;
    }
    float floatValue() const noexcept { return m_type == ValueType::Float ? m_payload.f : MissingFloat; }
    char charValue() const noexcept { return m_type == ValueType::Character ? m_payload.c : '\0'; }
    int32_t categoricalCode() const noexcept {
        return m_type == ValueType::Categorical ? m_code : MissingCategorical;
    }
    // The bytes of a String or Byte Array, or the name of a Categorical; empty otherwise.
    const QByteArray& bytes() const;
    const QByteArray& categoricalName() const { return bytes(); }
    const PVariantMap& map() const;
    const QVector<int32_t>& intVector() const;
    const QVector<float>& floatVector() const;
    const QVector<double>& float64Vector() const;
    const QVector<uint8_t>& boolVector() const;
    const QVector<QByteArray>& stringVector() const;
    const CategoricalVector& categoricalVector() const;
    const QVector<PVariantMap>& mapVector() const;
    // The elements of a VectorOfData held as separate values (not a SampleMatrix).
    const PVariantVector& variantVector() const;
    const SampleMatrix& sampleMatrix() const;

    // Conversions with an ok flag. Numbers convert between one another when the value fits;
    // texts convert when they parse completely; bool accepts "true"/"false" in any case.
    // Missing values and non-scalars do not convert.
    bool toBool(bool* ok = nullptr) const;
    int toInt(bool* ok = nullptr) const;
    qint64 toInt64(bool* ok = nullptr) const;
    double toDouble(bool* ok = nullptr) const;
    // Texts decoded from UTF-8; other values as their plain text.
    QString toQString() const;
    QVector<bool> toBoolList() const;
    QVector<QString> toStringList() const;

    // Plain text of the value, as written into delimited text; a missing Bool has none.
    // Elements of an array are joined by ",", the elements of a VectorOfData (and the samples
    // of a SampleMatrix) by ";", map entries are written "key=value" joined by ";".
    QByteArray toText() const;

    bool operator==(const PVariant& other) const;
    // Whether the other value is this one or a copy of it: copies share their data until one
    // changes, so a writer can recognise a value it has just written without comparing it.
    bool sharesDataWith(const PVariant& other) const;
    bool operator!=(const PVariant& other) const { return !(*this == other); }

private:
    enum class Storage : uint8_t {
        Inline,
        Bytes,
        Map,
        IntVector,
        FloatVector,
        Float64Vector,
        ByteVector,
        BytesVector,
        Categoricals,
        MapVector,
        Variants,
        Matrix
    };

    union Payload {
        uint8_t b;
        int32_t i;
        int64_t l;
        double d;
        float f;
        char c;
        alignas(8) unsigned char raw[8];
    };

    PVariant(ValueType type, Storage storage) noexcept;
    template <class T> void construct(ValueType type, Storage storage, T&& value);
    template <class T> T& as() noexcept;
    template <class T> const T& as() const noexcept;
    void copyShared(const PVariant& other);
    void destroyShared() noexcept;
    bool samePayload(const PVariant& other) const;
    QByteArray scalarText() const;

    Payload m_payload;
    int32_t m_code;
    ValueType m_type;
    Storage m_storage;
};

static_assert(sizeof(PVariant) == 16, "PVariant must stay two words");

Q_DECLARE_TYPEINFO(PVariant, Q_MOVABLE_TYPE);
Q_DECLARE_METATYPE(PVariant)

inline void swap(PVariant& a, PVariant& b) noexcept {
    a.swap(b);
}

#include "source/values/CategoricalVector.h"
#include "source/values/PVariantMap.h"
#include "source/values/SampleMatrix.h"
