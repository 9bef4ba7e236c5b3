#pragma once

#include "source/model/VkField.h"

// A whole schema on one line: fields separated by tabs, each "symbol=short type text", for
// example "Name=s\tBin=i\tCigarLen=@i". Fields read this way are locus attributes named by their
// symbol and numbered in order.
namespace SchemaText {

// All fields or none: on failure returns false, leaves fields untouched and sets the message of
// the first entry whose type does not parse.
bool parse(const QByteArray& line, VkFieldList* fields, QString* error = nullptr);
QByteArray write(const VkFieldList& fields);

} // namespace SchemaText
