#include "formats/tsf/ChunkTableCacheResource.h"
#include "formats/tsf/TsfSharedCache.h"
#include "formats/tsf/TsfSourceWriter.h"
#include "formats/tsf/TsfWriterTestSupport.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/FormatTestSupport.h"
#include "support/TemporaryFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using TsfWriterTest::WrittenFile;

namespace {

VkFeature feature(const QByteArray& chromosome, int32_t start, PVariantVector values) {
    return VkFeature(VkSegment(chromosome, start, start + 1), std::move(values));
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class TsfSourceWriterTest : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("out.tsf")) const { return m_dir.filePath(name); }

    TsfWriteSettings settings(const VkFieldList& schema,
                              const QString& name = QStringLiteral("out.tsf")) const {
        VkSourceInfo info;
        info.name = QStringLiteral("test source");
        info.schema = schema;
        TsfWriteSettings result = TsfWriteSettings::forSource(info);
        result.filePath = path(name);
        return result;
    }

    static bool write(const TsfWriteSettings& settings, const VkFeatureList& features, QString* error) {
        TsfSourceWriter writer(settings);
        return writer.start(error) && writer.write(features, error) && writer.finish(error);
    }

    // Writes and expects success.
    static void writeOk(const TsfWriteSettings& settings, const VkFeatureList& features) {
        QString error;
        ASSERT_TRUE(write(settings, features, &error)) << error.toStdString();
    }

    // Writes, expects the failure message and that nothing was left behind.
    void writeFails(const TsfWriteSettings& settings, const VkFeatureList& features, const QString& message) {
        QString error;
        EXPECT_FALSE(write(settings, features, &error));
        EXPECT_EQ(error, message);
        EXPECT_EQ(temporaryFilesIn(m_dir.path()), QStringList());
        EXPECT_FALSE(QFileInfo::exists(settings.filePath));
    }

    static VkFieldList depthAndName() {
        return {VkField(0, "Depth", "DP", ValueType::Int), VkField(1, "Name", "NAME", ValueType::String)};
    }

    static VkFeatureList depthAndNameFeatures(int count) {
        VkFeatureList features;
        for (int i = 0; i < count; ++i)
            features.append(
                feature("chr1", i * 10, {PVariant(i), PVariant(QByteArray("f") + QByteArray::number(i))}));
        return features;
    }

    QTemporaryDir m_dir;
};

TEST_F(TsfSourceWriterTest, AutomaticChunkSizeIsStoredWithTheTables) {
    VkFieldList schema;
    PVariantVector values;
    for (int i = 0; i < 10; ++i) {
        schema.append(VkField(i, "F" + QByteArray::number(i), QByteArray(), ValueType::Int));
        values.append(PVariant(i));
    }
    writeOk(settings(schema), {feature("1", 5, values)});
    WrittenFile file(path());
    EXPECT_EQ(file.tableMeta(file.field(0).tableId).chunkBits, 12);

    VkFieldList wide;
    PVariantVector wideValues;
    for (int i = 0; i < 8; ++i) {
        wide.append(VkField(i, "M" + QByteArray::number(i), QByteArray(), ValueType::Int, VkField::Matrix));
        wideValues.append(PVariant(QVector<int32_t>(1000, i)));
    }
    for (int i = 8; i < 18; ++i) {
        wide.append(VkField(i, "F" + QByteArray::number(i), QByteArray(), ValueType::Int));
        wideValues.append(PVariant(i));
    }
    writeOk(settings(wide, "wide.tsf"), {feature("1", 5, wideValues)});
    WrittenFile wideFile(path("wide.tsf"));
    const TsfChunkTableMeta matrixMeta = wideFile.tableMeta(wideFile.field(0).tableId);
    EXPECT_EQ(matrixMeta.chunkBits, 11);
    EXPECT_EQ(matrixMeta.fieldCount, 1000);
    EXPECT_EQ(wideFile.tableMeta(wideFile.field(8).tableId).chunkBits, 11);
    EXPECT_EQ(wideFile.fieldValues(3, 999), PVariantVector{PVariant(3)});
}

TEST_F(TsfSourceWriterTest, FixedChunkBitsCutColumnsIntoFullChunks) {
    TsfWriteSettings fixed = settings(depthAndName());
    fixed.chunkBits = 16;
    const int count = 70000;
    writeOk(fixed, depthAndNameFeatures(count));
    WrittenFile file(path());
    const TsfFieldRow depth = file.field(0);
    const TsfChunkTableMeta meta = file.tableMeta(depth.tableId);
    EXPECT_EQ(meta.chunkBits, 16);
    EXPECT_EQ(meta.recordCount, count);
    EXPECT_EQ(meta.fieldCount, 2);
    EXPECT_EQ(file.source.locusDim, count);
    // Record 65,536 of column 1 opens the second chunk of that column.
    TsfStatement chunks(file.db, QStringLiteral("SELECT chunk_id FROM %1 ORDER BY chunk_id")
                                     .arg(file.tableName(depth.tableId))
                                     .toUtf8());
    QVector<qint64> ids;
    while (chunks.next())
        ids.append(chunks.columnInt64(0));
    EXPECT_EQ(ids, (QVector<qint64>{0, 1, qint64(1) << 32, (qint64(1) << 32) + 1}));
    const PVariantVector names = file.fieldValues(1);
    ASSERT_EQ(names.size(), count);
    EXPECT_EQ(names.at(65536), PVariant("f65536"));
    EXPECT_EQ(file.fieldValues(0).last(), PVariant(count - 1));
}

TEST_F(TsfSourceWriterTest, LocusValuesPositionsAndTheGenomicIndexAreStored) {
    VkFieldList schema{VkField(0, "Depth", "DP", ValueType::Int),
                       VkField(1, "Score", "SC", ValueType::Float64),
                       VkField(2, "Ids", "ID", ValueType::StringArray),
                       VkField(3, "Filter", "FILTER", ValueType::CategoricalArray)};
    TsfWriteSettings written = settings(schema);
    const VkFeatureList features{
        VkFeature(VkSegment("20", 100, 101),
                  {PVariant(7), PVariant(0.5), PVariant(QVector<QByteArray>{"rs1", "rs2"}),
                   PVariant(CategoricalVector({0}, {"PASS"}))}),
        VkFeature(VkSegment("20", 150, 160), {PVariant(), PVariant(-2.0), PVariant(QVector<QByteArray>{}),
                                              PVariant(CategoricalVector({1, 2}, {"q10", "s50"}))}),
        VkFeature(VkSegment("21", 5, 9), {PVariant(99), PVariant(3.25), PVariant(QVector<QByteArray>{"rs3"}),
                                          PVariant(CategoricalVector({0}, {"PASS"}))})};
    writeOk(written, features);

    WrittenFile file(path());
    EXPECT_EQ(file.source.name, "test source");
    EXPECT_EQ(file.positions(), (QVector<VkSegment>{VkSegment("20", 100, 101), VkSegment("20", 150, 160),
                                                    VkSegment("21", 5, 9)}));
    EXPECT_EQ(file.fieldValues(0),
              (PVariantVector{PVariant(7), PVariant(PVariant::MissingInt), PVariant(99)}));
    EXPECT_EQ(file.fieldValues(2).at(0), PVariant(QVector<QByteArray>{"rs1", "rs2"}));
    EXPECT_EQ(file.fieldValues(3),
              (PVariantVector{PVariant(QVector<int32_t>{0}), PVariant(QVector<int32_t>{1, 2}),
                              PVariant(QVector<int32_t>{0})}));

    const PVariantMap filterMeta = TsfWriterTest::jsonObject(file.field(3).fieldMeta);
    EXPECT_EQ(filterMeta.value("enum").stringVector(), (QVector<QByteArray>{"PASS", "q10", "s50"}));
    EXPECT_EQ(file.field(3).fieldType, "@e");
    EXPECT_EQ(file.field(0).locusIdxMap, "IDX_IS_ID");
    EXPECT_TRUE(file.field(0).entityIdxMap.isEmpty());

    // The description and the field extents are pinned by the golden schema of a written file.
    const PVariantMap meta = file.sourceMeta();
    QVector<TsfIndexRow> indexes;
    QString error;
    ASSERT_TRUE(TsfCatalog(file.db).readIndexes(file.source.id, &indexes, &error));
    ASSERT_EQ(indexes.size(), 1);
    EXPECT_EQ(indexes.first().idxType, "idx_gidx");
    EXPECT_EQ(meta.value("GIdxTableName").toQString(), indexes.first().queryTableName);
    EXPECT_EQ(meta.value("GIdxChunkTableId").toInt(), int(indexes.first().dataTableId));
}

TEST_F(TsfSourceWriterTest, RecordsOutOfGenomicOrderGetNoIndex) {
    VkFeatureList features = depthAndNameFeatures(3);
    features.append(feature("chr2", 5, {PVariant(3), PVariant("f3")}));
    features.append(feature("chr1", 500, {PVariant(4), PVariant("f4")}));
    writeOk(settings(depthAndName()), features);
    WrittenFile file(path());
    QVector<TsfIndexRow> indexes;
    QString error;
    ASSERT_TRUE(TsfCatalog(file.db).readIndexes(file.source.id, &indexes, &error));
    EXPECT_TRUE(indexes.isEmpty());
    EXPECT_EQ(file.sourceMeta().value("FeaturesInGenomicOrder"), PVariant(false));
    EXPECT_FALSE(file.sourceMeta().contains("GIdxTableName"));
    EXPECT_EQ(file.positions().at(4), VkSegment("chr1", 500, 501));
    EXPECT_FALSE(file.docs().value("descriptionHtml").toQString().contains("Genomic Index Extents"));
}

TEST_F(TsfSourceWriterTest, ChromosomesAreDroppedAndRenamed) {
    TsfWriteSettings renamed = settings(depthAndName());
    renamed.dropSegmentsList = {QStringLiteral("chrM")};
    renamed.segmentRenameOptions.setFromNames({QStringLiteral("chr1")});
    renamed.segmentRenameOptions.setToNames({QStringLiteral("1")});
    writeOk(renamed, {feature("chr1", 1, {PVariant(0), PVariant("a")}),
                      feature("chrM", 2, {PVariant(1), PVariant("b")}),
                      feature("chr2", 3, {PVariant(2), PVariant("c")})});
    WrittenFile file(path());
    EXPECT_EQ(file.positions(), (QVector<VkSegment>{VkSegment("1", 1, 2), VkSegment("chr2", 3, 4)}));
    EXPECT_EQ(file.fieldValues(1), (PVariantVector{PVariant("a"), PVariant("c")}));
}

TEST_F(TsfSourceWriterTest, ValuesAreConvertedToTheFieldType) {
    VkFieldList schema{VkField(0, "Depth", "DP", ValueType::Int),
                       VkField(1, "Name", "NAME", ValueType::String),
                       VkField(2, "Counts", "AC", ValueType::IntArray)};
    writeOk(settings(schema),
            {feature("1", 1, {PVariant("12"), PVariant(3.5), PVariant(4)}),
             feature("1", 2, {PVariant(""), PVariant(7), PVariant(QVector<QByteArray>{"1", "2"})})});
    WrittenFile file(path());
    EXPECT_EQ(file.fieldValues(0), (PVariantVector{PVariant(12), PVariant(PVariant::MissingInt)}));
    EXPECT_EQ(file.fieldValues(1), (PVariantVector{PVariant("3.5"), PVariant("7")}));
    EXPECT_EQ(file.fieldValues(2),
              (PVariantVector{PVariant(QVector<int32_t>{4}), PVariant(QVector<int32_t>{1, 2})}));

    writeFails(settings(schema, "bad.tsf"),
               {feature("1", 1, {PVariant(1), PVariant("a"), PVariant(1)}),
                feature("1", 2, {PVariant("many"), PVariant("b"), PVariant(2)})},
               "When writing record 1. Could not convert from String to Int");
}

TEST_F(TsfSourceWriterTest, CategoricalFieldsHoldAtMost200Strings) {
    const VkFieldList schema{VkField(0, "Gene", "GENE", ValueType::Categorical)};
    VkFeatureList features;
    for (int i = 0; i < 200; ++i)
        features.append(feature("1", i, {PVariant(QByteArray("gene") + QByteArray::number(i))}));
    features.append(feature("1", 300, {PVariant("gene7")}));
    writeOk(settings(schema), features);
    WrittenFile file(path());
    const QVector<QByteArray> categories =
        TsfWriterTest::jsonObject(file.field(0).fieldMeta).value("enum").stringVector();
    ASSERT_EQ(categories.size(), 200);
    EXPECT_EQ(categories.at(199), "gene199");
    EXPECT_EQ(file.fieldValues(0).last(), PVariant(7));

    features.append(feature("1", 400, {PVariant("gene200")}));
    writeFails(settings(schema, "over.tsf"), features,
               "Field Gene (GENE) exceeded max number of unique strings(200) for Categorical field type");

    const VkFieldList arraySchema{VkField(0, "Tags", "TAGS", ValueType::CategoricalArray)};
    VkFeatureList arrays;
    for (int i = 0; i < 101; ++i)
        arrays.append(feature(
            "1", i,
            {PVariant(QVector<QByteArray>{"a" + QByteArray::number(i), "b" + QByteArray::number(i)})}));
    writeFails(settings(arraySchema, "tags.tsf"), arrays,
               "Field Tags exceeded max number of unique strings(200) for Array of Categorical field type");
}

TEST_F(TsfSourceWriterTest, MatrixAndEntityFieldsAreStoredPerEntity) {
    VkFieldList schema{VkField(0, "Ref/Alt", QByteArray(), ValueType::String),
                       VkField(1, "Genotypes", "GT", ValueType::String, VkField::Matrix),
                       VkField(2, "Allelic Depths", "AD", ValueType::IntArray, VkField::Matrix),
                       VkField(3, "Depth", "DP", ValueType::Int, VkField::Matrix),
                       VkField(4, "Samples", QByteArray(), ValueType::String, VkField::EntityAttribute)};
    TsfWriteSettings written = settings(schema);
    written.sourceInfo.entityCount = 3;
    written.sourceInfo.properties.insert("SampleNames",
                                         PVariant(QVector<QByteArray>{"child", "mother", "father"}));
    const SampleMatrix depths(PVariant(QVector<int32_t>{5, 6, 7, 8, 9}), {0, 2, 2, 5});
    writeOk(written,
            {feature("20", 10,
                     {PVariant("A/G"), PVariant(QVector<QByteArray>{"0/1", "0/0", "1/1"}), PVariant(depths),
                      PVariant(QVector<int32_t>{11, PVariant::MissingInt, 30}), PVariant()}),
             feature("20", 20,
                     {PVariant("C/T"), PVariant(), PVariant(QVector<int32_t>{}),
                      PVariant(QVector<int32_t>{1, 2, 3}), PVariant()})});
    WrittenFile file(path());
    EXPECT_EQ(file.source.entityDim, 3);
    EXPECT_EQ(file.fieldValues(4),
              (PVariantVector{PVariant("child"), PVariant("mother"), PVariant("father")}));
    EXPECT_EQ(file.field(4).entityIdxMap, "IDX_IS_ID");
    EXPECT_TRUE(file.field(4).locusIdxMap.isEmpty());
    EXPECT_EQ(file.field(1).locusIdxMap, "IDX_IS_ID");
    EXPECT_EQ(file.field(1).entityIdxMap, "IDX_IS_ID");
    EXPECT_EQ(file.fieldValues(1, 2), (PVariantVector{PVariant("1/1"), PVariant("")}));
    EXPECT_EQ(file.fieldValues(2, 0),
              (PVariantVector{PVariant(QVector<int32_t>{5, 6}), PVariant(QVector<int32_t>{})}));
    EXPECT_EQ(file.fieldValues(2, 2).first(), PVariant(QVector<int32_t>{7, 8, 9}));
    EXPECT_EQ(file.fieldValues(3, 1), (PVariantVector{PVariant(PVariant::MissingInt), PVariant(2)}));
    EXPECT_EQ(file.tableMeta(file.field(3).tableId).fieldCount, 3);
    const PVariantMap depthProps = TsfWriterTest::jsonObject(file.field(3).fieldMeta).value("props").map();
    EXPECT_EQ(depthProps.value("ExtentsMin").toInt(), 1);
    EXPECT_EQ(depthProps.value("ExtentsMax").toInt(), 30);
    EXPECT_NE(file.field(1).tableId, file.field(3).tableId);
}

TEST_F(TsfSourceWriterTest, MatrixChunksAreCutForEveryEntityAtOnce) {
    TsfWriteSettings small = settings({VkField(0, "Depth", "DP", ValueType::Int, VkField::Matrix)});
    small.chunkBits = 3;
    VkFeatureList features;
    for (int i = 0; i < 20; ++i)
        features.append(feature("1", i, {PVariant(QVector<int32_t>{i, 100 + i, 200 + i, 300 + i})}));
    writeOk(small, features);
    WrittenFile file(path());
    const TsfChunkTableMeta meta = file.tableMeta(file.field(0).tableId);
    EXPECT_EQ(meta.chunkBits, 3);
    EXPECT_EQ(meta.recordCount, 20);
    EXPECT_EQ(meta.fieldCount, 4);
    for (int entity = 0; entity < 4; ++entity) {
        const PVariantVector values = file.fieldValues(0, entity);
        ASSERT_EQ(values.size(), 20);
        EXPECT_EQ(values.at(17), PVariant(entity * 100 + 17));
    }
    const QString html = file.docs().value("descriptionHtml").toQString();
    EXPECT_TRUE(html.contains("<tr><th>Depth</th><td>")) << html.toStdString();
    EXPECT_TRUE(html.contains("/320</td></tr>")) << html.toStdString();

    // A front-to-back read lets go of each chunk when it moves on: of the three chunks of every
    // entity (each costs at least 1), only the last stays cached.
    ChunkTableCacheResource& cache = ChunkTableCacheResource::instance();
    cache.clear();
    ASSERT_EQ(FormatTest::readAll(VkSourceTypeRegistry::instance().open(path())).size(), 20);
    EXPECT_LT(cache.totalCost(), 12) << "cost " << cache.totalCost();
}

TEST_F(TsfSourceWriterTest, MatrixValuesMustBeVectorsOfOneValuePerEntity) {
    const VkFieldList schema{VkField(0, "Depth", "DP", ValueType::Int, VkField::Matrix)};
    TsfWriteSettings written = settings(schema);
    written.sourceInfo.entityCount = 3;
    writeFails(written, {feature("1", 1, {PVariant(4)})},
               "Expected matrix field Depth to be a Vector, not Int.");
    writeFails(
        written, {feature("1", 1, {PVariant(QVector<float>{1, 2, 3})})},
        "Adding Depth with matrix field with Float vector type, versus the field specified type of Int.");
    writeFails(written, {feature("1", 1, {PVariant(QVector<int32_t>{1, 2})})},
               "Unable to add Depth with matrix field with 2 entities, versus previous observed 3 entities.");

    VkFieldList withSamples = schema;
    withSamples.append(VkField(1, "Samples", QByteArray(), ValueType::String, VkField::EntityAttribute));
    TsfWriteSettings samples = settings(withSamples, "samples.tsf");
    samples.sourceInfo.properties.insert("SampleNames", PVariant(QVector<QByteArray>{"a", "b"}));
    writeFails(samples, {feature("1", 1, {PVariant(QVector<int32_t>{1, 2, 3}), PVariant()})},
               "Adding entity field Samples with 2 entities, versus previous observed 3 entities.");
}

TEST_F(TsfSourceWriterTest, MalformedInputEndsTheWrite) {
    writeFails(settings(depthAndName()), {feature("1", 1, {PVariant(1)})},
               "Got 1 instead of expected 2 fields in feature 0 (record 0)");
    writeFails(
        settings(depthAndName()), {},
        "Write error: no data was provided. Either the input was empty or through filtering no records "
        "made it through to be written.");
    writeFails(settings({VkField(0, "Info", "INFO", ValueType::KeyValuePairs)}),
               {feature("1", 1, {PVariant(PVariantMap{{"a", PVariant(1)}})})},
               "writeFeatures locus attr: type Key Value Pairs not yet implemented");
    writeFails(settings({VkField(0, "Info", "INFO", ValueType::KeyValuePairs, VkField::Matrix)}),
               {feature("1", 1, {PVariant()})},
               "writeFeatures matrix: type Key Value Pairs not yet implemented");
}

TEST_F(TsfSourceWriterTest, ExistingOutputIsKeptAsConflicting) {
    writeOk(settings(depthAndName()), depthAndNameFeatures(3));
    const QByteArray first = readFile(path());
    writeOk(settings(depthAndName()), depthAndNameFeatures(5));
    EXPECT_EQ(readFile(path() + ".conflicting"), first);
    EXPECT_EQ(WrittenFile(path()).source.locusDim, 5);
    EXPECT_EQ(temporaryFilesIn(m_dir.path()), QStringList());
}

TEST_F(TsfSourceWriterTest, FailedWriteLeavesTheOutputUntouched) {
    writeOk(settings(depthAndName()), depthAndNameFeatures(3));
    const QByteArray before = readFile(path());
    TsfSourceWriter writer(settings(depthAndName()));
    QString error;
    ASSERT_TRUE(writer.start(&error)) << error.toStdString();
    ASSERT_TRUE(writer.write(depthAndNameFeatures(4000), &error));
    EXPECT_FALSE(temporaryFilesIn(m_dir.path()).isEmpty());
    EXPECT_FALSE(writer.write({feature("1", 1, {PVariant("x"), PVariant("y")})}, &error));
    EXPECT_FALSE(writer.finish(&error));
    EXPECT_EQ(temporaryFilesIn(m_dir.path()), QStringList());
    EXPECT_FALSE(QFileInfo::exists(path() + ".conflicting"));
    EXPECT_EQ(readFile(path()), before);
}

TEST_F(TsfSourceWriterTest, AnAbandonedWriterRemovesItsTemporaryFile) {
    {
        TsfSourceWriter writer(settings(depthAndName()));
        QString error;
        ASSERT_TRUE(writer.start(&error) && writer.write(depthAndNameFeatures(10), &error));
    }
    EXPECT_EQ(temporaryFilesIn(m_dir.path()), QStringList());
    EXPECT_FALSE(QFileInfo::exists(path()));
}

TEST_F(TsfSourceWriterTest, AddingToAnExistingFileKeepsItsSources) {
    writeOk(settings(depthAndName()), depthAndNameFeatures(3));
    TsfWriteSettings second = settings(depthAndName());
    second.newFile = false;
    second.sourceInfo.name = QStringLiteral("second");
    writeOk(second, depthAndNameFeatures(4));
    EXPECT_FALSE(QFileInfo::exists(path() + ".conflicting"));

    TsfDatabase db;
    QString error;
    ASSERT_TRUE(db.open(path(), TsfDatabase::Mode::ReadOnly, &error));
    QVector<TsfSourceRow> sources;
    ASSERT_TRUE(TsfCatalog(db).readSources(&sources, &error));
    ASSERT_EQ(sources.size(), 2);
    EXPECT_EQ(sources.at(1).name, "second");
    EXPECT_EQ(sources.at(1).locusDim, 4);
    TsfFieldRow first;
    TsfFieldRow added;
    ASSERT_TRUE(TsfCatalog(db).readField(sources.at(0).id, 0, &first, &error));
    ASSERT_TRUE(TsfCatalog(db).readField(sources.at(1).id, 0, &added, &error));
    EXPECT_NE(first.tableId, added.tableId);
}

TEST_F(TsfSourceWriterTest, TheSqliteToolSeesTheFormatMarker) {
    writeOk(settings(depthAndName()), depthAndNameFeatures(3));
    const QByteArray rows =
        TsfWriterTest::sqlite3Query(path(), "SELECT table_name, name, value FROM meta_data ORDER BY id;");
    EXPECT_EQ(rows, "TSF|provider|Corvane Labs\nTSF|version|1\nTSF|minor_version|0\n");
    EXPECT_EQ(TsfWriterTest::sqlite3Query(path(), "PRAGMA page_size;"), "8192\n");
    EXPECT_EQ(
        TsfWriterTest::sqlite3Query(path(), "SELECT count(*) FROM tbl WHERE table_format = 'chunk_table';"),
        "2\n");
}

TEST_F(TsfSourceWriterTest, InMemoryTargetsAreHeldByTheSharedCache) {
    TsfWriteSettings memory = settings(depthAndName());
    memory.filePath = QStringLiteral("[memory]writer-test");
    writeOk(memory, depthAndNameFeatures(6));
    EXPECT_TRUE(TsfSharedCache::instance().contains(memory.filePath));
    {
        WrittenFile file(memory.filePath);
        EXPECT_EQ(file.source.locusDim, 6);
        EXPECT_EQ(file.fieldValues(1).at(5), PVariant("f5"));
    }
    // A second write under the same name cannot be handed over.
    QString error;
    EXPECT_FALSE(write(memory, depthAndNameFeatures(2), &error));
    EXPECT_EQ(error, "Unable to read in-memory database into shared resource. ");
    EXPECT_TRUE(TsfSharedCache::instance().release(memory.filePath));
    EXPECT_FALSE(TsfSharedCache::instance().contains(memory.filePath));
}

} // namespace
