#pragma once

#include <QByteArray>

// Writes the 2bit layout of a FASTA text, for tests: version 0, little-endian, N runs and lower
// case runs recorded as blocks, bases packed four to a byte (T=0, C=1, A=2, G=3; N packed as T).
namespace TwoBitWriter {
QByteArray fromFasta(const QByteArray& fasta);
}
