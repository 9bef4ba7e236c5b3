#include "formats/tsf/TsfChunkTableWriter.h"
#include "formats/tsf/TsfGenomicIndexWriter.h"
#include "formats/tsf/TsfSourceRecords.h"
#include "meta/Json.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class TsfLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        QString error;
        ASSERT_TRUE(
            m_db.open(m_dir.filePath(QStringLiteral("layout.tsf")), TsfDatabase::Mode::Create, &error));
        ASSERT_TRUE(m_catalog.createTables(&error)) << error.toStdString();
    }
    QList<QByteArray> column(const QByteArray& sql) {
        TsfStatement query(m_db, sql);
        QList<QByteArray> values;
        while (query.next())
            values.append(query.columnText(0));
        EXPECT_FALSE(query.hasError()) << query.errorText().toStdString();
        return values;
    }

    QTemporaryDir m_dir;
    TsfDatabase m_db;
    TsfCatalog m_catalog{m_db};
};

} // namespace

TEST(TsfLayout, TableUrisAndTheirRefusals) {
    const QString uri = TsfLayout::tableUri(QStringLiteral("t3_gidx"), QStringLiteral("{a-b}"));
    EXPECT_EQ(uri, QStringLiteral("table://this/?table=t3_gidx&uuid={a-b}"));
    QString name;
    QString error;
    ASSERT_TRUE(TsfLayout::parseTableUri(uri, &name, &error));
    EXPECT_EQ(name, QStringLiteral("t3_gidx"));
    EXPECT_FALSE(TsfLayout::parseTableUri(QStringLiteral("table://other/?table=x"), &name, &error));
    EXPECT_EQ(error, QStringLiteral(
                         "Only tables in the same file are currently supported. Unknown location other for "
                         "table x"));
    EXPECT_FALSE(TsfLayout::parseTableUri(QStringLiteral("table://this/?uuid=1"), &name, &error));
    EXPECT_EQ(error, QStringLiteral("Missing table query item for table table://this/?uuid=1"));
    EXPECT_FALSE(TsfLayout::parseTableUri(QStringLiteral("file:///x.tsf"), &name, &error));
    EXPECT_EQ(error, QStringLiteral("Unknown table URL format: file:///x.tsf"));
}

TEST(TsfLayout, TableFormatsIdentifiersAndMaps) {
    TsfLayout::TableFormat format;
    QString error;
    ASSERT_TRUE(TsfLayout::classifyTableFormat(QStringLiteral("my_chunk_table_v2"), &format, &error));
    EXPECT_EQ(format, TsfLayout::TableFormat::ChunkTable);
    ASSERT_TRUE(TsfLayout::classifyTableFormat(QStringLiteral("raw"), &format, &error));
    EXPECT_EQ(format, TsfLayout::TableFormat::Raw);
    EXPECT_FALSE(TsfLayout::classifyTableFormat(QStringLiteral("columns"), &format, &error));
    EXPECT_EQ(error, QStringLiteral("Unrecognized table_type columns"));

    EXPECT_TRUE(TsfLayout::isPlainIdentifier(QStringLiteral("t12_locus_attr_chunks")));
    for (const char* bad : {"", "1abc", "a b", "x;DROP TABLE tbl", "a\"b", "t-1"})
        EXPECT_FALSE(TsfLayout::isPlainIdentifier(QLatin1String(bad))) << bad;

    qint64 table = 0;
    int column = 0;
    ASSERT_TRUE(TsfLayout::parseColumnMap(TsfLayout::columnMap(7, 4), &table, &column));
    EXPECT_EQ(table, 7);
    EXPECT_EQ(column, 4);
    EXPECT_FALSE(TsfLayout::parseColumnMap(QStringLiteral("IDX_IS_ID"), &table, &column));
    EXPECT_EQ(TsfLayout::tableName(4, TsfLayout::MatrixKind), QStringLiteral("t4_matrix_chunks"));
    EXPECT_EQ(TsfLayout::chunkId(1, 3), (qint64(1) << 32) + 3);
}

TEST(TsfLayout, ChunkTableMetaNeedsAllThreeCounts) {
    TsfChunkTableMeta meta{9, 4097, 12};
    EXPECT_EQ(meta.toJson(), QByteArray("{\"field_count\": 9, \"record_count\": 4097, \"chunk_bits\": 12}"));
    EXPECT_EQ(meta.chunkCount(), 2);
    TsfChunkTableMeta read;
    QString error;
    ASSERT_TRUE(TsfChunkTableMeta::fromJson(meta.toJson(), QStringLiteral("t"), &read, &error));
    EXPECT_EQ(read.recordCount, 4097);
    for (const char* bad : {"{\"field_count\": 9, \"record_count\": 4097}",
                            "{\"field_count\": -1, "
                            "\"record_count\": 1, \"chunk_bits\": 4}",
                            "not json"}) {
        EXPECT_FALSE(TsfChunkTableMeta::fromJson(bad, QStringLiteral("t1_x"), &read, &error));
        EXPECT_EQ(error, QStringLiteral(
                             "Did not find expected field_count, record_count or chunk_bits attribute for "
                             "table t1_x"));
    }
}

TEST_F(TsfLayoutTest, NewFilesCarryThePragmasAndTheFormatMarker) {
    EXPECT_EQ(column("PRAGMA page_size;"), QList<QByteArray>({"8192"}));
    EXPECT_EQ(column("SELECT name || '=' || value FROM meta_data WHERE table_name = 'TSF' ORDER BY id"),
              QList<QByteArray>({"provider=Corvane Labs", "version=1", "minor_version=0"}));
    QString error;
    ASSERT_TRUE(m_catalog.writeFormatMarker(&error));
    QVector<QPair<QString, QString>> rows;
    ASSERT_TRUE(m_catalog.readFormatMarker(&rows, &error));
    EXPECT_EQ(rows.size(), 3);
}

TEST_F(TsfLayoutTest, CatalogRowsRoundTrip) {
    QString error;
    qint64 number = -1;
    ASSERT_TRUE(m_catalog.nextTableNumber(&number, &error));
    EXPECT_EQ(number, 0);
    qint64 tableId = 0;
    ASSERT_TRUE(m_catalog.registerTable(QStringLiteral("t0_locus_attr_chunks"), TsfLayout::ChunkTableFormat,
                                        "{}", &tableId, &error));
    TsfTableRow table;
    ASSERT_TRUE(m_catalog.readTable(tableId, &table, &error));
    EXPECT_TRUE(table.uri.startsWith(QLatin1String("table://this/?table=t0_locus_attr_chunks&uuid={")));
    EXPECT_FALSE(m_catalog.readTable(99, &table, &error));
    EXPECT_EQ(error, QStringLiteral("Unable to find table with ID 99."));

    TsfSourceRow source{-1,
                        QStringLiteral("calls"),
                        2,
                        10,
                        QStringLiteral("{u}"),
                        QStringLiteral("2024-05-06 07:08:09"),
                        "{}",
                        "{}"};
    qint64 sourceId = 0;
    ASSERT_TRUE(m_catalog.insertSource(source, &sourceId, &error));
    ASSERT_TRUE(m_catalog.updateSourceDims(sourceId, 3, 20, &error));
    qint64 fieldId = -1;
    ASSERT_TRUE(m_catalog.nextFieldId(sourceId, &fieldId, &error));
    EXPECT_EQ(fieldId, 0);
    TsfFieldRow field{sourceId, 0,   tableId, QStringLiteral("IDX_IS_ID"), QString(), QStringLiteral("0"),
                      "i",      "{}"};
    ASSERT_TRUE(m_catalog.insertField(field, &error));
    ASSERT_TRUE(m_catalog.nextFieldId(sourceId, &fieldId, &error));
    EXPECT_EQ(fieldId, 1);
    QVector<TsfSourceRow> sources;
    ASSERT_TRUE(m_catalog.readSources(&sources, &error));
    ASSERT_EQ(sources.size(), 1);
    EXPECT_EQ(sources[0].locusDim, 20);
    EXPECT_FALSE(m_catalog.readField(sourceId, 5, &field, &error));
    EXPECT_EQ(error, QStringLiteral("Unable to find field with index 5 for source 1."));
}

TEST_F(TsfLayoutTest, ChunkTableWriterCutsColumnsIntoChunks) {
    QString error;
    qint64 tableId = 0;
    ASSERT_TRUE(m_catalog.createChunkTable(QStringLiteral("t0_x"), &error));
    ASSERT_TRUE(
        m_catalog.registerTable(QStringLiteral("t0_x"), TsfLayout::ChunkTableFormat, "{}", &tableId, &error));
    TsfChunkTableWriter writer(m_db, QStringLiteral("t0_x"), tableId, {ValueType::Int, ValueType::String}, 4,
                               TsfCompression::Zlib);
    for (int i = 0; i < 40; ++i) {
        writer.column(0).appendInt(i);
        writer.column(1).appendString(QByteArray::number(i));
        ASSERT_TRUE(writer.flushIfFull(0, &error) && writer.flushIfFull(1, &error));
    }
    ASSERT_TRUE(writer.finish(&error));
    EXPECT_GT(writer.stats(0).uncompressedBytes, 0);
    EXPECT_EQ(column("SELECT chunk_id FROM t0_x ORDER BY chunk_id"),
              QList<QByteArray>({"0", "1", "4294967296", "4294967297", "8589934592", "8589934593"}));
    TsfTableRow table;
    ASSERT_TRUE(m_catalog.readTable(tableId, &table, &error));
    EXPECT_EQ(table.meta, QByteArray("{\"field_count\": 2, \"record_count\": 40, \"chunk_bits\": 4}"));
}

TEST_F(TsfLayoutTest, GenomicIndexWriterBinsRecordsAndKeepsTheReverseMap) {
    QString error;
    TsfGenomicIndexWriter index(m_catalog, 1, 0);
    ASSERT_TRUE(index.begin(&error)) << error.toStdString();
    // Record 1 spans several 128 kb bins and falls in 1 Mb bin 73, before the 128 kb bin 585 of
    // records 0 and 2.
    index.addRecord(0, 100, 200);
    index.addRecord(0, 1000, 300000);
    index.addRecord(0, 5000, 5001);
    index.addRecord(1, 10, 20);
    ASSERT_TRUE(index.finish({"1", "2"}, true, TsfCompression::Zstd, &error)) << error.toStdString();
    EXPECT_EQ(column("SELECT id || ':' || min_start || '-' || max_stop || '@' || field_offset || '+' || n "
                     "FROM t0_gidx "
                     "ORDER BY id"),
              QList<QByteArray>({"73:1000-300000@0+1", "585:100-5001@1+2", "66121:10-20@3+1"}));
    EXPECT_EQ(column("SELECT idx_type || ' ' || query_table_name FROM idx"),
              QList<QByteArray>({"idx_gidx t0_gidx"}));
    EXPECT_EQ(column("SELECT locus_idx_map FROM field WHERE field_id < 0"),
              QList<QByteArray>({"1:4", "1:4", "1:4"}));
    EXPECT_EQ(column("SELECT field_meta FROM field WHERE field_id = -1"),
              QList<QByteArray>({"{\"name\": \"Chr\", \"enum\": [\"1\", \"2\"]}"}));
    const QVector<TsfGenomicIndexWriter::Extent> extents = index.extents({"1", "2"});
    ASSERT_EQ(extents.size(), 2);
    EXPECT_EQ(extents[0].maxStop, 300000);

    TsfStatement chunk(m_db, "SELECT chunk FROM t0_gidx_chunks WHERE chunk_id = ?");
    TsfValueArray records;
    TsfValueArray reverse;
    for (auto [column, target] : {std::pair<int, TsfValueArray*>{3, &records}, {4, &reverse}}) {
        chunk.reset();
        chunk.bind(1, TsfLayout::chunkId(0, column));
        ASSERT_TRUE(chunk.next());
        int size = 0;
        const char* blob = chunk.columnBlob(0, &size);
        ASSERT_TRUE(TsfChunkCodec::decode(blob, size, target, &error));
    }
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(reverse.scalarAt<int32_t>(records.scalarAt<int32_t>(row)), row);
    EXPECT_EQ(records.scalarAt<int32_t>(0), 1);
}

TEST(TsfSourceRecords, FieldRowsKeepTheFieldButNotItsPosition) {
    VkField field(4, "Filter", "FILTER", ValueType::Categorical);
    field.enumNames = {"PASS", "q10"};
    field.enumValues = {0, 1};
    field.props.insert("ExtentsMin", PVariant(1));
    field.doc = QStringLiteral("Filters");
    EXPECT_EQ(
        TsfSourceRecords::fieldMeta(field),
        QByteArray("{\"name\": \"Filter\", \"symbol\": \"FILTER\", \"enum\": [\"PASS\", \"q10\"], \"doc\": "
                   "\"Filters\"}"));
    const TsfFieldRow row{1,
                          4,
                          2,
                          QStringLiteral("IDX_IS_ID"),
                          QStringLiteral("IDX_IS_ID"),
                          QStringLiteral("0"),
                          "e",
                          TsfSourceRecords::fieldMetaWithProps(field)};
    VkField read;
    QString error;
    ASSERT_TRUE(TsfSourceRecords::fieldFromRow(row, &read, &error));
    field.fieldType = VkField::Matrix;
    EXPECT_EQ(read, field);
    TsfFieldRow entity = row;
    entity.locusIdxMap.clear();
    ASSERT_TRUE(TsfSourceRecords::fieldFromRow(entity, &read, &error));
    EXPECT_EQ(read.fieldType, VkField::EntityAttribute);
    entity.fieldType = "q";
    EXPECT_FALSE(TsfSourceRecords::fieldFromRow(entity, &read, &error));
    EXPECT_EQ(error, QStringLiteral("Unrecognized schema character: q"));
}

TEST(TsfSourceRecords, SourceRowsCarryPropertiesCoordinatesAndStyle) {
    VkSourceInfo info;
    info.name = QStringLiteral("calls");
    info.coordInfo.coordSysId = QStringLiteral("GRCh38");
    info.coordInfo.featureType = QStringLiteral("Variant");
    info.properties.insert("FeaturesInGenomicOrder", PVariant(true));
    info.stylesheet.insert("StyleTx", PVariant(QByteArray("red")));
    info.docInfo.setDescriptionHtml(QStringLiteral("<p>calls</p>"));
    TsfSourceRow row;
    row.name = info.name;
    row.curated = TsfSourceRecords::curated(QDateTime(QDate(2023, 1, 2), QTime(3, 4, 5)));
    row.sourceMeta = TsfSourceRecords::sourceMeta(info);
    row.docs = TsfSourceRecords::docs(info.docInfo);
    EXPECT_EQ(row.curated, QStringLiteral("2023-01-02 03:04:05"));
    EXPECT_EQ(row.sourceMeta, QByteArray("{\"FeaturesInGenomicOrder\": true, \"coordSysId\": \"GRCh38\", "
                                         "\"featureType\": \"Variant\", \"StyleTx\": \"red\"}"));
    VkSourceInfo read;
    TsfSourceRecords::applySourceRow(row, &read);
    EXPECT_EQ(read.coordInfo, info.coordInfo);
    EXPECT_EQ(read.stylesheet, info.stylesheet);
    EXPECT_EQ(read.docInfo.descriptionHtml(), QStringLiteral("<p>calls</p>"));
    EXPECT_EQ(read.curated, QDateTime(QDate(2023, 1, 2), QTime(3, 4, 5)));
    EXPECT_EQ(read.properties.value("FeaturesInGenomicOrder"), PVariant(true));
}
