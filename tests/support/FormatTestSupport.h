#pragma once

#include "source/readers/FeatureCursor.h"
#include "source/registry/VkSource.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Helpers shared by the tests of file formats.
namespace FormatTest {

// Runs a peer tool (samtools ...) and returns what it printed; fails the test when it cannot run
// or exits with an error.
QByteArray runTool(const QString& program, const QStringList& arguments);
void writeFile(const QString& path, const QByteArray& bytes);

// Pseudo-random bases with a soft-masked stretch (from length/5, 600 bases) and a run of N (from
// length/2, 500 bases), the way assemblies look.
QByteArray sampleBases(int length, uint32_t seed);
// A FASTA record with lines of the given width.
QByteArray fastaRecord(const QByteArray& header, const QByteArray& bases, int lineWidth);
// What samtools faidx prints for a 0-based half-open region, without header and line breaks.
QByteArray samtoolsBases(const QString& path, const QByteArray& chromosome, int start, int stop);

// Every feature the source answers to a request, all fields filled unless the request names some;
// a read error fails the test.
VkFeatureList readAll(const VkSourcePtr& source, ReadRequest request = ReadRequest());
VkFeatureList readRegions(const VkSourcePtr& source, const QList<VkSegment>& regions, int mode = 2);

} // namespace FormatTest
