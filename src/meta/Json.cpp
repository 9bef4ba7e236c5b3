#include "meta/Json.h"

#include "meta/VkOptionsIO.h"

#include <cmath>
#include <cstdlib>
#include <jansson.h>
#include <limits>
#include <memory>

namespace {

struct JsonDeleter {
    void operator()(json_t* json) const { json_decref(json); }
};
using JsonPtr = std::unique_ptr<json_t, JsonDeleter>;

json_t* toJson(const PVariant& value);

json_t* stringJson(const QByteArray& bytes) {
    json_t* text = json_stringn(bytes.constData(), size_t(bytes.size()));
    if (text)
        return text;
    // Not UTF-8: keep what decodes, replacing the rest, rather than write invalid JSON.
    const QByteArray repaired = QString::fromUtf8(bytes).toUtf8();
    return json_stringn(repaired.constData(), size_t(repaired.size()));
}

json_t* realJson(double number) {
    return std::isfinite(number) ? json_real(number) : json_null();
}

json_t* objectJson(const PVariantMap& map) {
    json_t* object = json_object();
    for (const PVariantMap::Entry& entry : map) {
        if (json_object_set_new(object, entry.key.constData(), toJson(entry.value)) != 0) {
            const QByteArray key = QString::fromUtf8(entry.key).toUtf8();
            json_object_set_new(object, key.constData(), toJson(entry.value));
        }
    }
    return object;
}

json_t* arrayJson(const PVariant& vector) {
    json_t* array = json_array();
    const int count = vector.size();
    for (int i = 0; i < count; ++i)
        json_array_append_new(array, toJson(vector.at(i)));
    return array;
}

json_t* toJson(const PVariant& value) {
    switch (value.type()) {
    case ValueType::Bool:
        return value.boolByte() == PVariant::MissingBool ? json_null() : json_boolean(value.boolByte() == 1);
    case ValueType::Int:
        return json_integer(value.intValue());
    case ValueType::Int64:
        return json_integer(value.int64Value());
    case ValueType::Float64:
        return realJson(value.float64Value());
    case ValueType::Float:
        return realJson(value.floatValue());
    case ValueType::String:
        return stringJson(value.bytes());
    case ValueType::ByteArray:
        return stringJson(value.toText());
    case ValueType::Character:
        return stringJson(QByteArray(1, value.charValue()));
    case ValueType::Categorical:
        return value.categoricalName().isEmpty() ? json_integer(value.categoricalCode())
                                                 : stringJson(value.categoricalName());
    case ValueType::KeyValuePairs:
        return objectJson(value.map());
    default:
        return value.isVector() ? arrayJson(value) : json_null();
    }
}

PVariant fromJson(const json_t* json);

bool fitsInt(json_int_t number) {
    return number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max();
}

PVariant integerValue(json_int_t number) {
    return fitsInt(number) ? PVariant(int(number)) : PVariant(static_cast<long long>(number));
}

PVariant objectValue(const json_t* object) {
    PVariantMap map;
    const char* key = nullptr;
    json_t* member = nullptr;
    json_object_foreach(const_cast<json_t*>(object), key, member) {
        map.insert(QByteArray(key), fromJson(member));
    }
    return PVariant(std::move(map));
}

// Arrays whose elements differ in kind are read as a Vector of Data.
constexpr int kMixedKinds = -2;

// The one json_type shared by every element of an array (JSON_TRUE for booleans, JSON_REAL for
// numbers with a real among them), or kMixedKinds.
int commonKind(const json_t* array) {
    int kind = -1;
    size_t index = 0;
    json_t* element = nullptr;
    json_array_foreach(array, index, element) {
        int elementKind = json_typeof(element);
        if (elementKind == JSON_TRUE || elementKind == JSON_FALSE)
            elementKind = JSON_TRUE;
        else if (elementKind == JSON_INTEGER && !fitsInt(json_integer_value(element)))
            return kMixedKinds;
        if (kind == -1 || kind == elementKind)
            kind = elementKind;
        else if ((kind == JSON_INTEGER || kind == JSON_REAL) &&
                 (elementKind == JSON_INTEGER || elementKind == JSON_REAL))
            kind = JSON_REAL;
        else
            return kMixedKinds;
    }
    return kind;
}

template <class T, class Convert> QVector<T> collect(const json_t* array, Convert convert) {
    QVector<T> values;
    values.reserve(int(json_array_size(array)));
    size_t index = 0;
    json_t* element = nullptr;
    json_array_foreach(array, index, element) {
        values.append(convert(element));
    }
    return values;
}

PVariant arrayValue(const json_t* array) {
    if (json_array_size(array) > 0) {
        switch (commonKind(array)) {
        case JSON_INTEGER:
            return PVariant(
                collect<int32_t>(array, [](json_t* e) { return int32_t(json_integer_value(e)); }));
        case JSON_REAL:
            return PVariant(collect<double>(array, [](json_t* e) { return json_number_value(e); }));
        case JSON_TRUE:
            return PVariant(
                collect<uint8_t>(array, [](json_t* e) { return uint8_t(json_is_true(e) ? 1 : 0); }));
        case JSON_STRING:
            return PVariant(collect<QByteArray>(array, [](json_t* e) {
                return QByteArray(json_string_value(e), int(json_string_length(e)));
            }));
        case JSON_OBJECT:
            return PVariant(collect<PVariantMap>(array, [](json_t* e) { return objectValue(e).map(); }));
        default:
            break;
        }
    }
    return PVariant(collect<PVariant>(array, [](json_t* e) { return fromJson(e); }));
}

PVariant fromJson(const json_t* json) {
    switch (json_typeof(json)) {
    case JSON_OBJECT:
        return objectValue(json);
    case JSON_ARRAY:
        return arrayValue(json);
    case JSON_STRING:
        return PVariant(QByteArray(json_string_value(json), int(json_string_length(json))));
    case JSON_INTEGER:
        return integerValue(json_integer_value(json));
    case JSON_REAL:
        return PVariant(json_real_value(json));
    case JSON_TRUE:
        return PVariant(true);
    case JSON_FALSE:
        return PVariant(false);
    default:
        return PVariant();
    }
}

size_t dumpFlags(Json::Style style) {
    size_t flags = JSON_ENCODE_ANY | JSON_PRESERVE_ORDER;
    if (style == Json::Style::Readable)
        flags |= JSON_INDENT(4);
    else if (style == Json::Style::Compact)
        flags |= JSON_COMPACT;
    return flags;
}

} // namespace

QByteArray Json::write(const PVariant& value, Style style) {
    const JsonPtr json(toJson(value));
    char* text = json_dumps(json.get(), dumpFlags(style));
    const QByteArray result(text);
    std::free(text);
    return result;
}

bool Json::read(const QByteArray& text, PVariant& out, QString* error) {
    json_error_t parseError;
    const JsonPtr json(json_loadb(text.constData(), size_t(text.size()), JSON_DECODE_ANY, &parseError));
    if (!json) {
        if (error)
            *error = QString::asprintf("json error: line %d: %s", parseError.line, parseError.text);
        return false;
    }
    out = fromJson(json.get());
    return true;
}

QByteArray Json::writeOptions(const VkOptionsValue& record, Style style) {
    return write(VkOptionsIO::write(record), style);
}

VkOptionsValue Json::readOptions(const QByteArray& text, QString* error) {
    PVariant tree;
    if (!read(text, tree, error))
        return VkOptionsValue();
    return VkOptionsIO::read(tree, error);
}
