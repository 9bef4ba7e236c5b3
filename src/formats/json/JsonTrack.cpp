#include "formats/json/JsonTrack.h"

#include "meta/Json.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

namespace {

const char* const ChromosomeKeys[] = {"chromosome", "chr", "chrom"};
const char* const StopKeys[] = {"stop", "end"};

bool isCoordinateKey(const QByteArray& key) {
    for (const char* name : ChromosomeKeys)
        if (key == name)
            return true;
    return key == "start" || key == "stop" || key == "end";
}

PVariant firstOf(const PVariantMap& object, const char* const* keys, int count) {
    for (int i = 0; i < count; ++i)
        if (object.contains(keys[i]))
            return object.value(keys[i]);
    return PVariant();
}

int numericRank(ValueType type) {
    switch (type) {
    case ValueType::Int:
        return 1;
    case ValueType::Int64:
        return 2;
    case ValueType::Float64:
        return 3;
    default:
        return 0;
    }
}

// The type of a field that holds values of both types.
ValueType widen(ValueType a, ValueType b) {
    if (a == ValueType::Invalid || a == b)
        return b;
    if (b == ValueType::Invalid)
        return a;
    if (numericRank(a) && numericRank(b))
        return numericRank(a) > numericRank(b) ? a : b;
    const bool numberArrays = (a == ValueType::IntArray || a == ValueType::Float64Array) &&
                              (b == ValueType::IntArray || b == ValueType::Float64Array);
    return numberArrays ? ValueType::Float64Array : ValueType::String;
}

PVariant convert(const PVariant& value, ValueType type) {
    if (!value.isValid())
        return PVariant::missing(type);
    if (value.type() == type)
        return value;
    switch (type) {
    case ValueType::Int64:
        return PVariant(static_cast<long long>(value.toInt64()));
    case ValueType::Float64:
        return PVariant(value.toDouble());
    case ValueType::Float64Array: {
        QVector<double> numbers;
        for (int32_t number : value.intVector())
            numbers.append(number);
        return PVariant(numbers);
    }
    default:
        return PVariant(value.toText());
    }
}

// Calls visit(key, value) for the values of a feature object, nested "fields" included.
template <class Visit> void forEachValue(const PVariantMap& object, Visit visit) {
    for (const PVariantMap::Entry& entry : object) {
        if (entry.key == "fields" && entry.value.type() == ValueType::KeyValuePairs) {
            for (const PVariantMap::Entry& nested : entry.value.map())
                visit(nested.key, nested.value);
        } else if (!isCoordinateKey(entry.key)) {
            visit(entry.key, entry.value);
        }
    }
}

bool toCoordinate(const PVariant& value, int32_t* coordinate) {
    bool ok = false;
    const qint64 number = value.toInt64(&ok);
    *coordinate = int32_t(number);
    return ok && number >= 0 && number <= std::numeric_limits<int32_t>::max();
}

} // namespace

bool JsonTrack::load(const QString& path, QString* error) {
    m_path = path;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("'%1' does not exist").arg(path);
        return false;
    }
    PVariant tree;
    QString reason;
    if (!Json::read(file.readAll(), tree, &reason)) {
        *error = QStringLiteral("%1: %2").arg(path, reason);
        return false;
    }
    if (tree.type() == ValueType::KeyValuePairs)
        tree = tree.map().value("features");
    if (tree.type() != ValueType::KeyValuePairsArray && !(tree.isVector() && tree.size() == 0)) {
        *error = QStringLiteral("%1: expected an array of feature objects").arg(path);
        return false;
    }
    const QVector<PVariantMap> objects =
        tree.type() == ValueType::KeyValuePairsArray ? tree.mapVector() : QVector<PVariantMap>();
    for (const PVariantMap& object : objects)
        addFieldTypes(object);
    // A field that is null everywhere still needs a type.
    for (VkField& field : m_schema)
        if (field.valueType == ValueType::Invalid)
            field.valueType = ValueType::String;
    for (int i = 0; i < objects.size(); ++i) {
        VkFeature feature;
        if (!readFeature(objects[i], i + 1, &feature, error))
            return false;
        m_index.add(feature.segment().chromosome(), feature.segment().start(), feature.segment().stop(), i);
        m_features.append(feature);
    }
    m_index.finish();
    return true;
}

void JsonTrack::addFieldTypes(const PVariantMap& object) {
    forEachValue(object, [this](const QByteArray& key, const PVariant& value) {
        const ValueType type = value.isValid() ? value.type() : ValueType::Invalid;
        for (VkField& field : m_schema) {
            if (field.name == key) {
                field.valueType = widen(field.valueType, type);
                return;
            }
        }
        m_schema.append(VkField(m_schema.size(), key, key, type));
    });
}

bool JsonTrack::readFeature(const PVariantMap& object, int number, VkFeature* feature, QString* error) {
    const PVariant chromosome = firstOf(object, ChromosomeKeys, 3);
    int32_t start = 0;
    int32_t stop = 0;
    if (chromosome.isMissing() || !toCoordinate(object.value("start"), &start) ||
        !toCoordinate(firstOf(object, StopKeys, 2), &stop) || stop < start) {
        *error = QStringLiteral("%1: feature %2 needs a chromosome, a start and a stop at or after it")
                     .arg(m_path)
                     .arg(number);
        return false;
    }
    PVariantVector values(m_schema.size());
    forEachValue(object, [this, &values](const QByteArray& key, const PVariant& value) {
        for (const VkField& field : qAsConst(m_schema))
            if (field.name == key)
                values[field.idx] = convert(value, field.valueType);
    });
    for (const VkField& field : qAsConst(m_schema))
        if (!values[field.idx].isValid())
            values[field.idx] = PVariant::missing(field.valueType);
    *feature = VkFeature(VkSegment(chromosome.toText(), start, stop), values);
    return true;
}
