#pragma once

#include "formats/text/TextTestFiles.h"
#include "source/readers/VkFeatureReader.h"
#include "source/registry/VkSourceTypeManager.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

// Helpers for the track format tests (files are written with writeFile of TextTestFiles.h): reading a source
// through its feature reader's cursor on the test's thread, and running the peer tools (bedtools, tabix)
// whose answers the reads must match.
namespace TrackTest {

inline QString dataPath(const QString& name) {
    return QStringLiteral(VARKIT_TEST_DATA "/") + name;
}

inline VkSourcePtr open(const QString& path) {
    return VkSourceTypeRegistry::instance().open(path);
}

// The error text of opening a path, as a standard string for readable test failures.
inline std::string openError(const QString& path) {
    return open(path)->errorText().toStdString();
}

inline QList<int> allFields(const VkSource& source) {
    QList<int> fields;
    for (const VkField& field : source.schema())
        fields.append(field.idx);
    return fields;
}

// Every feature the request yields, with its error text (empty on success).
inline VkFeatureList read(const VkSourcePtr& source, const ReadRequest& request, QString* error) {
    VkFeatureList features;
    FeatureCursorPtr cursor = source->manager()->openCursor(source, request, error);
    while (cursor && !cursor->atEnd())
        if (!cursor->fill(features, VkFeatureReader::BatchSize, error))
            break;
    return features;
}

inline VkFeatureList readAll(const VkSourcePtr& source, QString* error = nullptr) {
    QString ignored;
    ReadRequest request;
    request.fieldList = allFields(*source);
    return read(source, request, error ? error : &ignored);
}

inline VkFeatureList readRegions(const VkSourcePtr& source, const QList<VkSegment>& regions,
                                 QString* error = nullptr) {
    QString ignored;
    ReadRequest request;
    request.kind = ReadRequest::Region;
    request.regions = regions;
    request.fieldList = allFields(*source);
    return read(source, request, error ? error : &ignored);
}

// The standard output of a peer tool, which must succeed.
inline QByteArray runPeer(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(30000);
    EXPECT_TRUE(finished && process.exitCode() == 0)
        << program.toStdString() << ": " << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

// The lines of the file that `bedtools intersect -wa -u` finds overlapping the regions.
inline QList<QByteArray> bedtoolsIntersect(const QString& path, const QList<VkSegment>& regions,
                                           const QString& scratchFolder) {
    const QString regionFile = scratchFolder + QStringLiteral("/regions.bed");
    QFile file(regionFile);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    for (const VkSegment& region : regions)
        file.write(region.chromosome() + '\t' + QByteArray::number(region.start()) + '\t' +
                   QByteArray::number(region.stop()) + '\n');
    file.close();
    const QByteArray out =
        runPeer(QStringLiteral("bedtools"),
                {QStringLiteral("intersect"), QStringLiteral("-a"), path, QStringLiteral("-b"), regionFile,
                 QStringLiteral("-wa"), QStringLiteral("-u")});
    QList<QByteArray> lines = out.split('\n');
    lines.removeAll(QByteArray());
    return lines;
}

} // namespace TrackTest
