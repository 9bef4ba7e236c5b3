#include "formats/tsf/TsfFieldColumn.h"

#include "formats/tsf/TsfMatrixTableWriter.h"

#include <cmath>
#include <type_traits>

namespace {

bool isIntegral(ValueType type) {
    return type == ValueType::Int || type == ValueType::Int64 || type == ValueType::IntArray;
}

bool isNumeric(ValueType type) {
    switch (type) {
    case ValueType::Int:
    case ValueType::Int64:
    case ValueType::Float:
    case ValueType::Float64:
    case ValueType::IntArray:
    case ValueType::FloatArray:
    case ValueType::Float64Array:
        return true;
    default:
        return false;
    }
}

// One scalar converted to a scalar storage type; false when it does not convert.
bool toScalar(const PVariant& value, ValueType target, PVariant* out) {
    bool ok = true;
    switch (target) {
    case ValueType::Bool:
        *out = PVariant(value.toBool(&ok));
        return ok;
    case ValueType::Int:
        *out = PVariant(value.toInt(&ok));
        return ok;
    case ValueType::Int64:
        *out = PVariant(static_cast<long long>(value.toInt64(&ok)));
        return ok;
    case ValueType::Float:
        *out = PVariant(float(value.toDouble(&ok)));
        return ok;
    case ValueType::Float64:
        *out = PVariant(value.toDouble(&ok));
        return ok;
    case ValueType::Character: {
        const QByteArray text = value.toText();
        *out = PVariant(text.size() == 1 ? text.at(0) : '\0');
        return text.size() == 1;
    }
    case ValueType::String:
        *out = PVariant(value.toText());
        return true;
    default:
        return false;
    }
}

template <class T>
bool appendElements(const PVariant& value, ValueType element, QVector<T>* items, T (*take)(const PVariant&)) {
    const int count = value.isVector() ? value.size() : 1;
    items->reserve(count);
    for (int i = 0; i < count; ++i) {
        const PVariant item = value.isVector() ? value.at(i) : value;
        PVariant converted;
        if (!item.isMissing() && !toScalar(item, element, &converted))
            return false;
        items->append(item.isMissing() ? take(PVariant::missing(element)) : take(converted));
    }
    return true;
}

// A value converted to an array storage type, element by element; a scalar becomes one element.
bool toArray(const PVariant& value, ValueType target, PVariant* out) {
    switch (target) {
    case ValueType::IntArray: {
        QVector<int32_t> items;
        const bool ok = appendElements<int32_t>(value, ValueType::Int, &items,
                                                [](const PVariant& v) { return v.intValue(); });
        *out = PVariant(items);
        return ok;
    }
    case ValueType::FloatArray: {
        QVector<float> items;
        const bool ok = appendElements<float>(value, ValueType::Float, &items,
                                              [](const PVariant& v) { return v.floatValue(); });
        *out = PVariant(items);
        return ok;
    }
    case ValueType::Float64Array: {
        QVector<double> items;
        const bool ok = appendElements<double>(value, ValueType::Float64, &items,
                                               [](const PVariant& v) { return v.float64Value(); });
        *out = PVariant(items);
        return ok;
    }
    case ValueType::BoolArray: {
        QVector<uint8_t> items;
        const bool ok = appendElements<uint8_t>(value, ValueType::Bool, &items,
                                                [](const PVariant& v) { return v.boolByte(); });
        *out = PVariant(items);
        return ok;
    }
    case ValueType::StringArray: {
        QVector<QByteArray> items;
        const bool ok = appendElements<QByteArray>(value, ValueType::String, &items,
                                                   [](const PVariant& v) { return v.bytes(); });
        *out = PVariant(items);
        return ok;
    }
    default:
        return false;
    }
}

} // namespace

TsfFieldColumn::TsfFieldColumn(const VkField& field)
    : m_field(field), m_numeric(isNumeric(field.valueType)), m_integral(isIntegral(field.valueType)) {}

bool TsfFieldColumn::isCategorical() const {
    return storageType() == ValueType::Categorical || storageType() == ValueType::CategoricalArray;
}

void TsfFieldColumn::seedCategories(const QVector<QString>& names) {
    for (const QString& name : names)
        categoryCode(name.toUtf8());
}

void TsfFieldColumn::seedDeclaredCategories() {
    if (!isCategorical() || m_categories.size() + m_field.enumNames.size() > MaxCategories)
        return;
    for (const QByteArray& name : m_field.enumNames)
        categoryCode(name);
}

TsfFieldColumn::Status TsfFieldColumn::append(const PVariant& value, TsfValueArray& column) {
    if (storageType() == ValueType::Categorical)
        return appendCategorical(value, column);
    if (storageType() == ValueType::CategoricalArray)
        return appendCategoricalArray(value, column);
    if (!value.isValid()) {
        column.appendMissing();
        return Status::Ok;
    }
    if (value.type() == storageType() && column.append(value)) {
        if (m_numeric)
            noteExtents(value);
        return Status::Ok;
    }
    if (value.isMissing()) {
        column.appendMissing();
        return Status::Ok;
    }
    return appendConverted(value, column) ? Status::Ok : Status::ConversionFailed;
}

bool TsfFieldColumn::appendConverted(const PVariant& value, TsfValueArray& column) {
    PVariant converted;
    const bool ok = ValueTypes::isVector(storageType()) ? toArray(value, storageType(), &converted)
                                                        : toScalar(value, storageType(), &converted);
    if (!ok || !column.append(converted))
        return false;
    if (m_numeric)
        noteExtents(converted);
    return true;
}

QByteArray TsfFieldColumn::categoryName(const PVariant& value) const {
    switch (value.type()) {
    case ValueType::Categorical:
        if (value.categoricalCode() == PVariant::MissingCategorical)
            return QByteArray();
        return value.categoricalName().isEmpty() ? m_field.enumName(value.categoricalCode())
                                                 : value.categoricalName();
    case ValueType::String:
        return value.bytes();
    case ValueType::Int:
        if (value.isMissing())
            return QByteArray();
        return m_field.hasEnum() ? m_field.enumName(value.intValue()) : value.toText();
    default:
        return value.isMissing() ? QByteArray() : value.toText();
    }
}

int32_t TsfFieldColumn::categoryCode(const QByteArray& name) {
    if (name.constData() == m_lastName.constData() && name.size() == m_lastName.size())
        return m_lastCode;
    auto found = m_codes.constFind(name);
    int32_t code = -1;
    if (found != m_codes.constEnd()) {
        code = found.value();
    } else if (m_categories.size() < MaxCategories) {
        code = int32_t(m_categories.size());
        m_categories.append(name);
        m_codes.insert(name, code);
    }
    if (code >= 0) {
        m_lastName = name;
        m_lastCode = code;
    }
    return code;
}

TsfFieldColumn::Status TsfFieldColumn::appendCategorical(const PVariant& value, TsfValueArray& column) {
    const QByteArray name = categoryName(value);
    if (name.isEmpty()) {
        column.appendMissing();
        return Status::Ok;
    }
    const int32_t code = categoryCode(name);
    if (code < 0)
        return Status::TooManyCategories;
    column.appendInt(code);
    return Status::Ok;
}

TsfFieldColumn::Status TsfFieldColumn::appendCategoricalArray(const PVariant& value, TsfValueArray& column) {
    m_codeScratch.clear();
    const int count = value.isVector() ? value.size() : (value.isMissing() ? 0 : 1);
    for (int i = 0; i < count; ++i) {
        QByteArray name;
        if (value.type() == ValueType::CategoricalArray)
            name = value.categoricalVector().name(i);
        else if (value.type() == ValueType::StringArray)
            name = value.stringVector().at(i);
        else
            name = categoryName(value.isVector() ? value.at(i) : value);
        const int32_t code = name.isEmpty() ? PVariant::MissingCategorical : categoryCode(name);
        if (code == -1)
            return Status::TooManyCategories;
        m_codeScratch.push_back(code);
    }
    column.appendArray(m_codeScratch.data(), int(m_codeScratch.size()));
    return Status::Ok;
}

TsfFieldColumn::Status TsfFieldColumn::appendMatrix(const PVariant& vector, TsfMatrixTableWriter& table,
                                                    int entityCount) {
    if (!vector.isValid() || (vector.isVector() && vector.size() == 0)) {
        for (int e = 0; e < entityCount; ++e)
            table.column(e).appendMissing();
        return Status::Ok;
    }
    if (!vector.isVector())
        return Status::NotAVector;
    if (vector.size() != entityCount)
        return Status::WrongEntityCount;
    if (appendMatrixFast(vector, table, entityCount))
        return Status::Ok;
    const bool elementsConvert =
        (vector.type() == ValueType::VectorOfData && !vector.isSampleMatrix()) ||
        vector.elementType() == storageType() ||
        (storageType() == ValueType::Categorical &&
         (vector.type() == ValueType::IntArray || vector.type() == ValueType::StringArray));
    return elementsConvert ? appendMatrixElements(vector, table, entityCount) : Status::WrongElementType;
}

bool TsfFieldColumn::appendMatrixFast(const PVariant& vector, TsfMatrixTableWriter& table, int entityCount) {
    const ValueType type = storageType();
    switch (vector.type()) {
    case ValueType::IntArray: {
        if (type != ValueType::Int)
            return false;
        const int32_t* values = vector.intVector().constData();
        for (int e = 0; e < entityCount; ++e)
            table.column(e).appendInt(values[e]);
        noteExtentsOf(values, entityCount, PVariant::MissingInt);
        return true;
    }
    case ValueType::FloatArray: {
        if (type != ValueType::Float)
            return false;
        const float* values = vector.floatVector().constData();
        for (int e = 0; e < entityCount; ++e)
            table.column(e).appendFloat(values[e]);
        noteExtentsOf(values, entityCount, PVariant::MissingFloat);
        return true;
    }
    case ValueType::Float64Array: {
        if (type != ValueType::Float64)
            return false;
        const double* values = vector.float64Vector().constData();
        for (int e = 0; e < entityCount; ++e)
            table.column(e).appendFloat64(values[e]);
        noteExtentsOf(values, entityCount, PVariant::MissingFloat64);
        return true;
    }
    case ValueType::BoolArray: {
        if (type != ValueType::Bool)
            return false;
        const uint8_t* values = vector.boolVector().constData();
        for (int e = 0; e < entityCount; ++e)
            table.column(e).appendBool(values[e]);
        return true;
    }
    case ValueType::StringArray: {
        if (type != ValueType::String)
            return false;
        const QVector<QByteArray>& values = vector.stringVector();
        for (int e = 0; e < entityCount; ++e)
            table.column(e).appendString(values.at(e));
        return true;
    }
    case ValueType::VectorOfData: {
        if (!vector.isSampleMatrix() || vector.elementType() != type || type == ValueType::StringArray)
            return false;
        const SampleMatrix& matrix = vector.sampleMatrix();
        const int32_t* offsets = matrix.offsets().constData();
        const PVariant& flat = matrix.values();
        for (int e = 0; e < entityCount; ++e) {
            const int count = offsets[e + 1] - offsets[e];
            TsfValueArray& column = table.column(e);
            if (type == ValueType::IntArray)
                column.appendArray(flat.intVector().constData() + offsets[e], count);
            else if (type == ValueType::FloatArray)
                column.appendArray(flat.floatVector().constData() + offsets[e], count);
            else if (type == ValueType::Float64Array)
                column.appendArray(flat.float64Vector().constData() + offsets[e], count);
            else
                column.appendArray(flat.boolVector().constData() + offsets[e], count);
        }
        if (type == ValueType::IntArray)
            noteExtentsOf(flat.intVector().constData(), flat.size(), PVariant::MissingInt);
        else if (type == ValueType::FloatArray)
            noteExtentsOf(flat.floatVector().constData(), flat.size(), PVariant::MissingFloat);
        else if (type == ValueType::Float64Array)
            noteExtentsOf(flat.float64Vector().constData(), flat.size(), PVariant::MissingFloat64);
        return true;
    }
    default:
        return false;
    }
}

TsfFieldColumn::Status TsfFieldColumn::appendMatrixElements(const PVariant& vector,
                                                            TsfMatrixTableWriter& table, int entityCount) {
    for (int e = 0; e < entityCount; ++e) {
        const Status status = append(vector.at(e), table.column(e));
        if (status != Status::Ok)
            return status == Status::ConversionFailed ? Status::WrongElementType : status;
    }
    return Status::Ok;
}

void TsfFieldColumn::noteExtent(double value) {
    if (!m_hasExtents) {
        m_min = m_max = value;
        m_hasExtents = true;
        return;
    }
    if (value < m_min)
        m_min = value;
    if (value > m_max)
        m_max = value;
}

// The extremes of the values first, then two updates: a record of many samples costs one pass.
template <class T> void TsfFieldColumn::noteExtentsOf(const T* values, int count, T missing) {
    bool any = false;
    T low{};
    T high{};
    for (int i = 0; i < count; ++i) {
        const T value = values[i];
        if (value == missing)
            continue;
        if constexpr (std::is_floating_point_v<T>) {
            if (std::isnan(value))
                continue;
        }
        if (!any) {
            low = high = value;
            any = true;
        }
        low = std::min(low, value);
        high = std::max(high, value);
    }
    if (any) {
        noteExtent(double(low));
        noteExtent(double(high));
    }
}

void TsfFieldColumn::noteExtents(const PVariant& value) {
    switch (value.type()) {
    case ValueType::Int:
    case ValueType::Int64:
    case ValueType::Float:
    case ValueType::Float64:
        if (!value.isMissing() && !std::isnan(value.toDouble()))
            noteExtent(value.toDouble());
        break;
    case ValueType::IntArray:
        noteExtentsOf(value.intVector().constData(), value.size(), PVariant::MissingInt);
        break;
    case ValueType::FloatArray:
        noteExtentsOf(value.floatVector().constData(), value.size(), PVariant::MissingFloat);
        break;
    case ValueType::Float64Array:
        noteExtentsOf(value.float64Vector().constData(), value.size(), PVariant::MissingFloat64);
        break;
    default:
        break;
    }
}

PVariant TsfFieldColumn::extentMin() const {
    return m_integral ? PVariant(static_cast<long long>(m_min)) : PVariant(m_min);
}

PVariant TsfFieldColumn::extentMax() const {
    return m_integral ? PVariant(static_cast<long long>(m_max)) : PVariant(m_max);
}

VkField TsfFieldColumn::finishedField() const {
    VkField field = m_field;
    if (isCategorical()) {
        field.enumNames = m_categories;
        field.enumValues.clear();
        for (int code = 0; code < m_categories.size(); ++code)
            field.enumValues.append(code);
    }
    if (m_hasExtents) {
        field.props.insert("ExtentsMin", extentMin());
        field.props.insert("ExtentsMax", extentMax());
    }
    return field;
}
