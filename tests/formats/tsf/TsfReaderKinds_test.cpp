#include "formats/tsf/TsfChunkTableWriter.h"
#include "formats/tsf/TsfFieldReader.h"
#include "formats/tsf/TsfCoverageCursor.h"
#include "formats/tsf/TsfSourceRecords.h"
#include "formats/tsf/TsfSparseArrayLayout.h"
#include "meta/Json.h"
#include "source/registry/VkSourceTypeManager.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/TsfTestFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

VkFeatureList readAll(const VkSourcePtr& source, const ReadRequest& request, QString* error) {
    FeatureCursorPtr cursor = source->manager()->openCursor(source, request, error);
    VkFeatureList features;
    while (cursor && !cursor->atEnd())
        if (!cursor->fill(features, 100, error))
            break;
    return features;
}

// Opens a new file with the catalog tables and one source row.
bool startFile(TsfDatabase& db, const QString& path, const QByteArray& sourceMeta, qint64* sourceId,
               QString* error) {
    TsfSourceRow row;
    row.name = QStringLiteral("coverage");
    row.docs = "{}";
    row.sourceMeta = sourceMeta;
    return db.open(path, TsfDatabase::Mode::Create, error) && TsfCatalog(db).createTables(error) &&
           TsfCatalog(db).insertSource(row, sourceId, error);
}

// A full-coverage source of one Int field per base in bins of 256: chromosome "1" (1000 bases)
// holds bins 0, 1 and 3, chromosome "2" (300 bases) bins 0 and 1. Base p of a stored bin holds p.
bool writeCoverage(const QString& path, bool withIndex, QString* error) {
    TsfDatabase db;
    qint64 sourceId = 0;
    qint64 tableId = 0;
    const QString table = TsfLayout::tableName(0, TsfLayout::SparseArrayKind);
    if (!startFile(db, path, "{\"binSize\": 256, \"featureType\": \"Data Sequence\"}", &sourceId, error))
        return false;
    TsfCatalog catalog(db);
    if (!catalog.createChunkTable(table, error) ||
        !catalog.registerTable(table, TsfLayout::ChunkTableFormat, "{}", &tableId, error))
        return false;
    TsfFieldRow field;
    field.sourceId = sourceId;
    field.tableId = tableId;
    field.locusIdxMap = QLatin1String(TsfLayout::SparseArrayMap);
    field.fieldTableIdx = QStringLiteral("0");
    field.fieldType = "i";
    field.fieldMeta = TsfSourceRecords::fieldMeta(VkField(0, "Depth", "DP", ValueType::Int));
    if (!catalog.insertField(field, error))
        return false;
    TsfSparseArrayLayout layout;
    layout.binSize = 256;
    TsfChunkTableWriter chunks(db, table, tableId, {ValueType::Int}, layout.chunkBits(), TsfCompression::Lz4);
    const struct {
        const char* chromosome;
        int bin;
        int length;
    } stored[] = {{"1", 0, 1000}, {"1", 1, 1000}, {"1", 3, 1000}, {"2", 0, 300}, {"2", 1, 300}};
    int64_t chunk = 0;
    for (const auto& bin : stored) {
        for (int p = bin.bin * 256; p < (bin.bin + 1) * 256; ++p)
            chunks.column(0).appendInt(p < bin.length ? p : 0);
        if (!chunks.flush(0, error))
            return false;
        layout.addBin(bin.chromosome, bin.bin, chunk++);
        layout.chromosomes.last().length = bin.length;
    }
    TsfIndexRow index;
    index.sourceId = sourceId;
    index.fieldId = QStringLiteral("-1");
    index.idxType = QLatin1String(TsfLayout::SparseArrayIndexType);
    index.dataTableId = tableId;
    index.idxMeta = Json::write(PVariant(layout.toMap()));
    return chunks.finish(error) && (!withIndex || catalog.insertIndex(index, error));
}

TsfTestSource smallSource() {
    TsfTestSource source;
    source.chromosomes = {"1"};
    source.locusFields = {VkField(0, "Depth", "DP", ValueType::Int),
                          VkField(1, "Id", "ID", ValueType::String)};
    for (int i = 0; i < 300; ++i)
        source.features.append(VkFeature(VkSegment("1", i * 10, i * 10 + 5),
                                         {PVariant(i), PVariant(QByteArray("rs") + QByteArray::number(i))}));
    return source;
}

QList<int> depths(const VkFeatureList& features) {
    QList<int> list;
    for (const VkFeature& feature : features)
        list.append(feature.value(0).intValue());
    return list;
}

class TsfReaderKindsTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    VkSourcePtr open(const QString& path) const { return VkSourceTypeRegistry::instance().open(path); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(TsfReaderKindsTest, FullCoverageSourcesDeliverStoredBins) {
    QString error;
    ASSERT_TRUE(writeCoverage(path("depth.covtsf"), true, &error)) << error.toStdString();
    const VkSourcePtr source = open(path("depth.covtsf:1"));
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    ReadRequest all;
    all.fieldList = {0};
    const VkFeatureList features = readAll(source, all, &error);
    ASSERT_EQ(features.size(), 5) << error.toStdString();
    EXPECT_EQ(features[2].segment(), VkSegment("1", 768, 1000));
    EXPECT_EQ(features[4].segment(), VkSegment("2", 256, 300));
    const QVector<int32_t>& bases = features[2].value(0).intVector();
    ASSERT_EQ(bases.size(), 232);
    EXPECT_EQ(bases.first(), 768);
    EXPECT_EQ(bases.last(), 999);

    ReadRequest region;
    region.kind = ReadRequest::Region;
    region.regions = {VkSegment("1", 300, 800), VkSegment("1", 260, 270)};
    region.fieldList = {0};
    const VkFeatureList inRegion = readAll(source, region, &error);
    ASSERT_EQ(inRegion.size(), 2);
    EXPECT_EQ(inRegion[0].segment(), VkSegment("1", 256, 512));
    EXPECT_EQ(inRegion[1].segment(), VkSegment("1", 768, 1000));

    ReadRequest ids;
    ids.kind = ReadRequest::Ids;
    ids.ids = {1};
    EXPECT_TRUE(readAll(source, ids, &error).isEmpty());
    EXPECT_EQ(error, QStringLiteral("Cannot read by ID list for full-coverage sources"));
}

TEST_F(TsfReaderKindsTest, FullCoverageWithoutItsLayoutIsRefused) {
    QString error;
    ASSERT_TRUE(writeCoverage(path("bare.covtsf"), false, &error));
    const VkSourcePtr source = open(path("bare.covtsf"));
    ASSERT_TRUE(source->isValid());
    TsfFieldReader reader(source);
    TsfSparseArrayLayout layout;
    EXPECT_FALSE(TsfCoverageCursor::loadLayout(reader, &layout, &error));
    EXPECT_EQ(error, QStringLiteral("No idx_sparse_array index provided for full coverage source"));
}

TEST_F(TsfReaderKindsTest, PrefixSearchThroughAFieldIndex) {
    QString error;
    ASSERT_TRUE(smallSource().write(path("indexed.tsf"), &error));
    {
        ReadRequest prefix;
        prefix.kind = ReadRequest::Prefix;
        prefix.prefix = QStringLiteral("rs1");
        readAll(open(path("indexed.tsf")), prefix, &error);
        EXPECT_EQ(error, QStringLiteral("No fields are indexed in this TSF file"));
    }
    TsfDatabase db;
    ASSERT_TRUE(db.open(path("indexed.tsf"), TsfDatabase::Mode::ReadWrite, &error));
    QByteArray rows =
        "CREATE TABLE t9_lex (key TEXT, record INTEGER); CREATE INDEX t9_lex_key ON t9_lex (key);";
    for (int i = 299; i >= 0; --i)
        rows +=
            "INSERT INTO t9_lex VALUES ('rs" + QByteArray::number(i) + "', " + QByteArray::number(i) + ");";
    ASSERT_TRUE(db.exec("BEGIN;" + rows + "COMMIT;", &error)) << error.toStdString();
    qint64 tableId = 0;
    TsfCatalog catalog(db);
    ASSERT_TRUE(
        catalog.registerTable(QStringLiteral("t9_lex"), TsfLayout::RawFormat, "{}", &tableId, &error));
    TsfIndexRow index{1,
                      QStringLiteral("1"),
                      QLatin1String(TsfLayout::LexIndexType),
                      QStringLiteral("t9_lex"),
                      tableId,
                      "{\"minVal\": \"rs0\", \"maxVal\": \"rs99\"}"};
    ASSERT_TRUE(catalog.insertIndex(index, &error));
    db.close();

    const VkSourcePtr source = open(path("indexed.tsf"));
    EXPECT_EQ(source->schema().at(1).props.value("Indexed"), PVariant(true));
    ReadRequest prefix;
    prefix.kind = ReadRequest::Prefix;
    prefix.prefix = QStringLiteral("RS12");
    prefix.fieldList = {0, 1};
    EXPECT_EQ(depths(readAll(source, prefix, &error)),
              QList<int>({12, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129}));
    prefix.regions = {VkSegment("1", 1200, 1230)};
    EXPECT_EQ(depths(readAll(source, prefix, &error)), QList<int>({120, 121, 122}));
    prefix.fieldList = {0};
    readAll(source, prefix, &error);
    EXPECT_EQ(error, QStringLiteral("No fields in source are searchable or match provided fieldList"));
}

TEST_F(TsfReaderKindsTest, RawTablesAreReadRowByRow) {
    TsfDatabase db;
    qint64 sourceId = 0;
    qint64 tableId = 0;
    QString error;
    ASSERT_TRUE(startFile(db, path("raw.tsf"), "{}", &sourceId, &error));
    ASSERT_TRUE(db.exec("CREATE TABLE genes (gene_id INTEGER, name TEXT, score REAL);"
                        "INSERT INTO genes VALUES (10, 'BRCA1', 1.5), (11, 'TP53', 2.5);",
                        &error));
    TsfCatalog catalog(db);
    ASSERT_TRUE(catalog.registerTable(QStringLiteral("genes"), TsfLayout::RawFormat,
                                      "{\"id_field_name\": \"gene_id\", \"id_offset\": 10}", &tableId,
                                      &error));
    const VkField fields[] = {VkField(0, "Name", "NAME", ValueType::String),
                              VkField(1, "Score", "SCORE", ValueType::Float64)};
    for (int f = 0; f < 2; ++f) {
        TsfFieldRow row{sourceId,
                        f,
                        tableId,
                        QLatin1String(TsfLayout::IdxIsId),
                        QString(),
                        QString::number(f + 1),
                        TsfChunkCodec::typeCode(fields[f].valueType),
                        TsfSourceRecords::fieldMeta(fields[f])};
        ASSERT_TRUE(catalog.insertField(row, &error));
    }
    ASSERT_TRUE(catalog.updateSourceDims(sourceId, 0, 2, &error));
    db.close();
    const VkSourcePtr source = open(path("raw.tsf"));
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    std::unique_ptr<VkFieldReader> reader(source->manager()->createFieldReader(source));
    EXPECT_EQ(reader->readValue(1, 0), PVariant(QByteArray("TP53")));
    EXPECT_EQ(reader->readValue(0, 1), PVariant(1.5));
    EXPECT_FALSE(reader->readValue(5, 1).isValid());
    EXPECT_FALSE(reader->errorText().isEmpty());
}

TEST_F(TsfReaderKindsTest, IndexMapTablesLeadRecordsToTheirRows) {
    TsfDatabase db;
    qint64 sourceId = 0;
    qint64 tableId = 0;
    QString error;
    ASSERT_TRUE(startFile(db, path("mapped.tsf"), "{}", &sourceId, &error));
    TsfCatalog catalog(db);
    const QString data = QStringLiteral("t0_locus_attr_chunks");
    const QString map = QStringLiteral("t0_locus_map");
    ASSERT_TRUE(catalog.createChunkTable(data, &error) &&
                catalog.registerTable(data, TsfLayout::ChunkTableFormat, "{}", &tableId, &error));
    ASSERT_TRUE(catalog.createIndexMapTable(map, &error));
    // The data rows hold the records backwards: record i is row 9 - i.
    TsfChunkTableWriter values(db, data, tableId, {ValueType::Int}, 2, TsfCompression::Zstd);
    TsfRowInserter inserter(db, TsfRowInserter::IndexMap, map);
    for (int i = 0; i < 10; ++i) {
        values.column(0).appendInt(100 + 9 - i);
        ASSERT_TRUE(values.flushIfFull(0, &error) && inserter.insertIndexMap(i, 9 - i, &error));
    }
    TsfFieldRow field{sourceId,  0,
                      tableId,   map,
                      QString(), QStringLiteral("0"),
                      "i",       TsfSourceRecords::fieldMeta(VkField(0, "Value", "V", ValueType::Int))};
    ASSERT_TRUE(values.finish(&error) && catalog.insertField(field, &error) &&
                catalog.updateSourceDims(sourceId, 0, 11, &error));
    db.close();

    const VkSourcePtr source = open(path("mapped.tsf"));
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    std::unique_ptr<VkFieldReader> reader(source->manager()->createFieldReader(source));
    EXPECT_EQ(reader->readValue(0, 0), PVariant(100));
    EXPECT_EQ(reader->readValue(7, 0), PVariant(107));
    EXPECT_FALSE(reader->readValue(10, 0).isValid());
    EXPECT_EQ(reader->errorText(),
              QStringLiteral("Index 10 is not among the 10 entries of index map t0_locus_map"));
}

TEST_F(TsfReaderKindsTest, InMemoryDatabasesAreReadByName) {
    const QString name = QStringLiteral("[memory]readers-test");
    TsfDatabase holder;
    QString error;
    ASSERT_TRUE(holder.open(name, TsfDatabase::Mode::Create, &error)) << error.toStdString();
    ASSERT_TRUE(smallSource().write(name, &error)) << error.toStdString();
    const VkSourcePtr source = open(name);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    ReadRequest region;
    region.kind = ReadRequest::Region;
    region.regions = {VkSegment("1", 100, 125)};
    region.fieldList = {0};
    EXPECT_EQ(depths(readAll(source, region, &error)), QList<int>({10, 11, 12}));
}

TEST_F(TsfReaderKindsTest, CoverageCompanionIsPublished) {
    QString error;
    ASSERT_TRUE(smallSource().write(path("calls.tsf"), &error));
    ASSERT_TRUE(writeCoverage(path("calls.tsf.covtsf"), true, &error));
    const VkSourcePtr source = open(path("calls.tsf"));
    ASSERT_TRUE(source->isValid());
    const PVariantMap& properties = source->info().properties;
    const PVariant address(path("calls.tsf.covtsf") + QStringLiteral(":1"));
    EXPECT_EQ(properties.value("CoverageFile"), address);
    EXPECT_EQ(properties.value("VarCoverageUrl"), address);
    EXPECT_EQ(properties.value("binSize"), PVariant(256));
    EXPECT_TRUE(open(address.toQString())->isValid());
}
