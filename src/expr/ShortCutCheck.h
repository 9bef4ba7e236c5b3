#pragma once

#include <QString>

// The expression library reads "&&", "||" and their word forms "and" and "or" as short-circuit
// operators and passes a text in which one lacks an operand ("a && && b", "a and or b") through its
// syntax check; evaluating that text then crashes the library. This check refuses such texts first.
namespace ShortCutCheck {

// True when every short-circuit operator has an operand on both sides; else false with a message
// naming the operator and its position.
bool check(const QString& text, QString* error);

} // namespace ShortCutCheck
