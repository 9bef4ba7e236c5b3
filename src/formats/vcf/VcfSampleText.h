#pragma once

#include "source/values/PVariant.h"

#include <QByteArray>

// The sample columns of a VCF record written straight into the line: for each sample a tab, then
// its value of every matrix field joined by ":". This is most of a wide VCF's text, so the common
// shapes (an Int, Float or String per sample, a list of Ints or Floats per sample) are written through a raw
// pointer into space reserved once per record instead of one QByteArray append per token.
namespace VcfSampleText {
// Appends the sample columns when every field has one of those shapes and returns true;
// returns false, with the line unchanged, otherwise.
bool append(QByteArray& line, const PVariant* const* fields, int fieldCount, int samples);
} // namespace VcfSampleText
