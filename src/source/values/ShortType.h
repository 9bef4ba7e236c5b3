#pragma once

#include "source/values/ValueType.h"

#include <QByteArray>
#include <QString>

// The compact text of a value type used in schema strings and in the "type" key of a field:
// "i", "f8", "@s" ..., optionally preceded by the "z" and "#" flags.
struct ShortType {
    ValueType type = ValueType::Invalid;
    bool zFlag = false;
    bool hashFlag = false;

    // The text of a type with its flags; empty for a type that has no short text.
    static QByteArray text(ValueType type, bool zFlag = false, bool hashFlag = false);
    QByteArray text() const { return text(type, zFlag, hashFlag); }

    // Reads a short type text. On failure returns false and sets error to one of
    // "Unrecognized schema character: %1", "Unable to convert tail of schema to number: %1" or
    // "Inappropriate byte size postfix in schema: %1" with the text in place of %1.
    static bool parse(const QByteArray& text, ShortType* result, QString* error = nullptr);

    bool operator==(const ShortType& other) const {
        return type == other.type && zFlag == other.zFlag && hashFlag == other.hashFlag;
    }
};
