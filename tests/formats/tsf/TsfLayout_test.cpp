#include "formats/tsf/TsfGenomicIndexWriter.h"
#include "formats/tsf/TsfSourceRecords.h"

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
