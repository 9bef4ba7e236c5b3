#pragma once

#include "meta/VkOptionsValue.h"
#include "source/values/PVariant.h"

#include <QByteArray>
#include <QString>

// JSON text of PVariant trees (option records, source descriptions, schemas). Maps keep their
// insertion order; any value may stand at the top level.
namespace Json {

enum class Style {
    OneLine,  // one line, a blank after each separator
    Compact,  // one line without blanks
    Readable, // indented by 4 spaces per level
};

// Maps become objects, vectors arrays, Categorical values their names, Byte Arrays their
// percent-encoded text; invalid and missing scalars (and non-finite numbers) become null.
QByteArray write(const PVariant& value, Style style = Style::OneLine);

// Objects become Key Value Pairs; arrays of one kind become typed arrays (Int, Float64, Bool,
// String, Array of Key Value Pairs; integer arrays with a real become Float64 Arrays), others a
// Vector of Data; integers that do not fit 32 bits become Int64. On a parse error returns false
// with "json error: line %d: %s" in error.
bool read(const QByteArray& text, PVariant& out, QString* error = nullptr);

QByteArray writeOptions(const VkOptionsValue& record, Style style = Style::OneLine);
// Parses the text and reads the option record it holds; a null record with a message on failure.
VkOptionsValue readOptions(const QByteArray& text, QString* error = nullptr);

} // namespace Json
