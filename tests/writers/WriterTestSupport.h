#pragma once

#include "source/readers/VkFeatureStream.h"
#include "tasks/workers/VkEventedThread.h"
#include "tasks/WorkerTestSupport.h"
#include "writers/TableSource.h"
#include "writers/WriterRunner.h"
#include "writers/WriterWorker.h"

#include <QDir>
#include <QFile>
#include <QPointer>

// How a writer run ended.
struct WriteResult {
    bool ended = false;
    QString error;
    QList<VkSourcePtr> outputs;
};

// Runs a writer as the commands do: on a writer thread, reading on a reader thread; waits for its end.
inline WriteResult runWriter(const std::function<WriterWorker*(VkEventedThread* readerThread)>& makeWorker) {
    QPointer<VkEventedThread> readerThread = new VkEventedThread(QStringLiteral("Reader Thread"));
    QPointer<VkEventedThread> writerThread = new VkEventedThread(QStringLiteral("Writer Thread"));
    WriteResult result;
    {
        WriterRunner runner([&] { return makeWorker(readerThread); }, writerThread);
        bool complete = false;
        QObject::connect(&runner, &TaskRunner::workComplete, [&complete] { complete = true; });
        runner.start();
        result.ended = waitUntil([&complete] { return complete; }, 20000);
        result.error = runner.errorText();
        result.outputs = runner.results();
    }
    VkEventedThread::shutdownAndWait(writerThread);
    VkEventedThread::shutdownAndWait(readerThread);
    return result;
}

// Every feature of a source, read on a thread of the stream's own.
inline VkFeatureList readAll(const VkSourcePtr& source) {
    VkFeatureStream stream(source, ReadRequest());
    VkFeatureList features;
    if (stream.start())
        for (VkFeatureList batch; stream.next(batch);)
            features += batch;
    return features;
}

inline QByteArray fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

// Every file of a folder, hidden ones (where writers keep their temporary files) included.
inline QStringList folderFiles(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

inline VkSourceInfo tableInfo(const char* featureType, const VkFieldList& schema,
                              const QVector<QByteArray>& samples = {}) {
    VkSourceInfo info;
    info.name = QStringLiteral("table");
    info.coordInfo.featureType = QString::fromLatin1(featureType);
    info.schema = schema;
    if (!samples.isEmpty()) {
        info.properties.insert("SampleNames", PVariant(samples));
        info.entityCount = samples.size();
    }
    return info;
}

inline VkField matrixField(int idx, const char* name, const char* symbol, ValueType type) {
    return VkField(idx, name, symbol, type, VkField::Matrix);
}

inline PVariant intLists(const QVector<QVector<int32_t>>& samples) {
    PVariantVector arrays;
    for (const QVector<int32_t>& sample : samples)
        arrays.append(PVariant(sample));
    return PVariant(SampleMatrix::fromSamples(arrays));
}

// A variant table with two samples S1 and S2 and these fields: 0 Depth (DP, Int), 1 Alternates
// (ALT, String Array), 2 Samples (per entity), 3 Genotype (GT, per sample), 4 Allelic Depths (AD,
// a list per sample), 5 Identifier (ID, with a link template), 6 Quality (QUAL, Float). Three
// features: 1:99-100, 1:199-202 (missing values) and 2:9-10 (an identifier holding a tab).
inline VkSourcePtr variantTable(const QString& name, int failAt = -1) {
    VkField depth(0, "Depth", "DP", ValueType::Int);
    depth.doc = QStringLiteral("Read depth");
    VkField identifier(5, "Identifier", "ID", ValueType::String);
    identifier.urlTemplate = QStringLiteral("https://example.org/snp/$$");
    const VkFieldList schema = {depth,
                                VkField(1, "Alternates", "ALT", ValueType::StringArray),
                                VkField(2, "Samples", "", ValueType::String, VkField::EntityAttribute),
                                matrixField(3, "Genotype", "GT", ValueType::String),
                                matrixField(4, "Allelic Depths", "AD", ValueType::IntArray),
                                identifier,
                                VkField(6, "Quality", "QUAL", ValueType::Float)};
    const QByteArray one("1"), two("2");
    const VkFeatureList features = {
        VkFeature(VkSegment(one, 99, 100), {PVariant(10), PVariant(QVector<QByteArray>{"A", "T"}), PVariant(),
                                            PVariant(QVector<QByteArray>{"0/1", "1/1"}),
                                            intLists({{5, 5}, {0, 9}}), PVariant("rs1"), PVariant(50.5f)}),
        VkFeature(VkSegment(one, 199, 202),
                  {PVariant::missing(ValueType::Int), PVariant(QVector<QByteArray>{"G"}), PVariant(),
                   PVariant(QVector<QByteArray>{"", "0/0"}), intLists({{}, {7, 0}}), PVariant(""),
                   PVariant::missing(ValueType::Float)}),
        VkFeature(VkSegment(two, 9, 10), {PVariant(3), PVariant(QVector<QByteArray>{"C"}), PVariant(),
                                          PVariant(QVector<QByteArray>{"1/1", "0/1"}),
                                          intLists({{0, 3}, {1, 2}}), PVariant("rs\t2"), PVariant(12.0f)}),
    };
    return TableSourceTypeManager::define(
        name, tableInfo(FeatureTypeName::Variant, schema, {QByteArray("S1"), QByteArray("S2")}), features,
        failAt);
}
