#include "source/values/ShortType.h"

namespace {

const char* baseText(ValueType type) {
    switch (type) {
    case ValueType::Bool:
        return "?";
    case ValueType::Int:
        return "i";
    case ValueType::Int64:
        return "i8";
    case ValueType::Float64:
        return "f8";
    case ValueType::String:
        return "s";
    case ValueType::ByteArray:
        return "@b";
    case ValueType::Float:
        return "f4";
    case ValueType::Categorical:
        return "e";
    case ValueType::KeyValuePairs:
        return "o";
    case ValueType::Character:
        return "b";
    default:
        return nullptr;
    }
}

ValueType letterType(char letter) {
    switch (letter) {
    case '?':
        return ValueType::Bool;
    case 'i':
        return ValueType::Int;
    case 's':
        return ValueType::String;
    case 'f':
        return ValueType::Float;
    case 'e':
        return ValueType::Categorical;
    case 'o':
        return ValueType::KeyValuePairs;
    case 'b':
        return ValueType::Character;
    case 'a':
        return ValueType::ByteArray;
    default:
        return ValueType::Invalid;
    }
}

// The type that a byte-size suffix makes of a letter's type; Invalid when the size does not fit.
ValueType sizedType(ValueType type, int bytes) {
    if (type == ValueType::Int && bytes == 4)
        return ValueType::Int;
    if (type == ValueType::Int && bytes == 8)
        return ValueType::Int64;
    if (type == ValueType::Float && bytes == 4)
        return ValueType::Float;
    if (type == ValueType::Float && bytes == 8)
        return ValueType::Float64;
    return ValueType::Invalid;
}

bool fail(QString* error, const char* message, const QByteArray& text) {
    if (error)
        *error = QString::fromLatin1(message).arg(QString::fromUtf8(text));
    return false;
}

} // namespace

QByteArray ShortType::text(ValueType type, bool zFlag, bool hashFlag) {
    QByteArray result;
    if (zFlag)
        result += 'z';
    if (hashFlag)
        result += '#';
    const ValueType element = ValueTypes::elementOf(type);
    if (element != ValueType::Invalid)
        return result + '@' + baseText(element);
    const char* scalarText = baseText(type);
    return scalarText ? result + scalarText : QByteArray();
}

bool ShortType::parse(const QByteArray& text, ShortType* result, QString* error) {
    ShortType parsed;
    bool isArray = false;
    ValueType letter = ValueType::Invalid;
    int position = 0;
    for (; position < text.size(); ++position) {
        const char c = text.at(position);
        if (c >= '0' && c <= '9')
            break;
        if (c == '@')
            isArray = true;
        else if (c == '#')
            parsed.hashFlag = true;
        else if (c == 'z')
            parsed.zFlag = true;
        else if (letter == ValueType::Invalid && letterType(c) != ValueType::Invalid)
            letter = letterType(c);
        else
            return fail(error, "Unrecognized schema character: %1", text);
    }
    if (letter == ValueType::Invalid)
        return fail(error, "Unrecognized schema character: %1", text);
    const bool sized = position < text.size();
    if (sized) {
        bool isNumber = false;
        const int bytes = text.mid(position).toInt(&isNumber);
        if (!isNumber)
            return fail(error, "Unable to convert tail of schema to number: %1", text);
        letter = sizedType(letter, bytes);
        if (letter == ValueType::Invalid)
            return fail(error, "Inappropriate byte size postfix in schema: %1", text);
    }
    if (isArray)
        letter = letter == ValueType::Character ? ValueType::ByteArray : ValueTypes::arrayOf(letter);
    if (letter == ValueType::Invalid && sized)
        return fail(error, "Inappropriate byte size postfix in schema: %1", text);
    if (letter == ValueType::Invalid)
        return fail(error, "Unrecognized schema character: %1", text);
    parsed.type = letter;
    *result = parsed;
    return true;
}
