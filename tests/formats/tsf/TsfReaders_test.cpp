#include "formats/tsf/TsfCatalog.h"
#include "formats/tsf/TsfRecordCursor.h"
#include "formats/tsf/TsfFieldReader.h"
#include "formats/tsf/TsfSourceTypeManager.h"
#include "source/readers/ReadMode.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/TsfTestFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

const QVector<QByteArray> kChromosomes = {"1", "2", "X", "chr10"};
const QVector<QByteArray> kFilters = {"PASS", "LowQual", "q10"};

// Records on every chromosome in genomic order: mostly short, some zero-length, some long
// enough to land in the upper bin levels, a few past 2^29.
// Features carry categories by code and name; the file stores the code.
PVariant filter(int code) {
    return PVariant::categorical(code, kFilters.at(code));
}

TsfTestSource randomSource(int perChromosome, std::mt19937& rng) {
    TsfTestSource source;
    source.chromosomes = kChromosomes;
    source.locusFields = {VkField(0, "Depth", "DP", ValueType::Int),
                          VkField(1, "Id", "ID", ValueType::String),
                          VkField(2, "Quality", "QUAL", ValueType::Float),
                          VkField(3, "Frequency", "AF", ValueType::Float64),
                          VkField(4, "Passed", "PASSED", ValueType::Bool),
                          VkField(5, "Filter", "FILTER", ValueType::Categorical),
                          VkField(6, "Lengths", "LEN", ValueType::IntArray),
                          VkField(7, "Genes", "GENES", ValueType::StringArray),
                          VkField(8, "Position", "POS64", ValueType::Int64)};
    source.locusFields[5].enumNames = kFilters;
    source.locusFields[5].enumValues = {0, 1, 2};
    source.matrixFields = {VkField(0, "Genotype Quality", "GQ", ValueType::Int),
                           VkField(0, "Allele Depths", "AD", ValueType::IntArray),
                           VkField(0, "Genotype", "GT", ValueType::String)};
    source.sampleNames = {"s1", "s2", "s3"};
    int ordinal = 0;
    for (const QByteArray& chromosome : kChromosomes) {
        int32_t start = int32_t(rng() % 1000);
        for (int i = 0; i < perChromosome; ++i, ++ordinal) {
            start += int32_t(rng() % 3000);
            if (i == perChromosome - 3)
                start = std::max(start, (1 << 29) + 5);
            const uint32_t kind = rng() % 20;
            const int32_t length = kind == 0   ? 0
                                   : kind == 1 ? int32_t(rng() % 3000000)
                                               : 1 + int32_t(rng() % 50);
            QVector<int32_t> gq;
            QVector<int32_t> ad;
            QVector<int32_t> offsets{0};
            QVector<QByteArray> gt;
            for (int s = 0; s < source.sampleNames.size(); ++s) {
                gq.append(int32_t(rng() % 99));
                for (uint32_t k = 0; k < rng() % 3; ++k)
                    ad.append(int32_t(rng() % 40));
                offsets.append(ad.size());
                gt.append(s % 2 ? "0/1" : "1|1");
            }
            QVector<QByteArray> genes;
            for (uint32_t k = 0; k < rng() % 3; ++k)
                genes.append("G" + QByteArray::number(int(rng() % 100)));
            const PVariantVector values = {PVariant(ordinal),
                                           PVariant(QByteArray("rs") + QByteArray::number(ordinal)),
                                           PVariant(float(rng() % 1000) / 8.0f),
                                           PVariant(double(rng() % 1000) / 1024.0),
                                           PVariant(rng() % 2 == 0),
                                           filter(int(rng() % 3)),
                                           PVariant(QVector<int32_t>(int(rng() % 4), 7)),
                                           PVariant(genes),
                                           PVariant(static_cast<long long>(start) * 3),
                                           PVariant(gq),
                                           PVariant(SampleMatrix(PVariant(ad), offsets)),
                                           PVariant(gt)};
            source.features.append(VkFeature(VkSegment(chromosome, start, start + length), values));
        }
    }
    return source;
}

VkFeatureList readAll(const VkSourcePtr& source, const ReadRequest& request, QString* error) {
    FeatureCursorPtr cursor = source->manager()->openCursor(source, request, error);
    VkFeatureList features;
    while (cursor && !cursor->atEnd())
        if (!cursor->fill(features, 500, error))
            break;
    return features;
}

ReadRequest regionRequest(const QList<VkSegment>& regions, int mode = Vk::Overlap) {
    ReadRequest request;
    request.kind = ReadRequest::Region;
    request.regions = regions;
    request.mode = mode;
    request.fieldList = {0};
    return request;
}

QList<int> depths(const VkFeatureList& features) {
    QList<int> list;
    for (const VkFeature& feature : features)
        list.append(feature.value(0).intValue());
    return list;
}

QList<int> bruteForce(const TsfTestSource& source, const QList<VkSegment>& regions, int mode) {
    QList<int> list;
    for (const VkFeature& feature : source.features)
        for (const VkSegment& region : regions)
            if (Vk::matches(feature.segment(), region, mode)) {
                list.append(feature.value(0).intValue());
                break;
            }
    return list;
}

VkSegment randomRegion(std::mt19937& rng) {
    const QByteArray chromosome = rng() % 10 == 0 ? QByteArray("Y") : kChromosomes.at(int(rng() % 4));
    const int32_t start = int32_t(rng() % 1600000);
    const int32_t length = rng() % 4 == 0 ? 0 : int32_t(rng() % (rng() % 2 ? 500 : 400000));
    return VkSegment(chromosome, start, start + length);
}

class TsfReadersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        std::mt19937 rng(11);
        m_source = randomSource(1000, rng);
        QString error;
        ASSERT_TRUE(m_source.write(path(), &error)) << error.toStdString();
    }
    QString path(const char* name = "source.tsf") const { return m_dir.filePath(QLatin1String(name)); }
    VkSourcePtr open(const QString& path) const { return VkSourceTypeRegistry::instance().open(path); }
    // Runs a statement on the file, for tests that damage it.
    void change(const QByteArray& sql) const {
        TsfDatabase db;
        QString error;
        ASSERT_TRUE(db.open(path(), TsfDatabase::Mode::ReadWrite, &error));
        ASSERT_TRUE(db.exec(sql, &error)) << error.toStdString();
    }

    QTemporaryDir m_dir;
    TsfTestSource m_source;
};

} // namespace

TEST_F(TsfReadersTest, ManagerClaimsTsfNamesAndDescribesTheSource) {
    TsfSourceTypeManager manager;
    for (const char* name :
         {"a.tsf", "a.TSF", "a.dsf", "a.tsf-autosave", "a.covtsf", "a.covtsf:1", "[memory]x"})
        EXPECT_TRUE(manager.handles(QLatin1String(name))) << name;
    EXPECT_FALSE(manager.handles(QStringLiteral("a.vcf")));
    EXPECT_EQ(VkSourceTypeRegistry::instance().managerForPath(path())->typeId(), 1);

    const VkSourcePtr source = open(path());
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    const VkSourceInfo& info = source->info();
    EXPECT_EQ(info.format, QStringLiteral("TSF1"));
    EXPECT_EQ(info.name, QStringLiteral("test"));
    EXPECT_EQ(info.locusCount, m_source.features.size());
    EXPECT_EQ(info.entityCount, 3);
    EXPECT_EQ(info.curated.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
              QStringLiteral("2024-01-02 03:04:05"));
    EXPECT_EQ(info.coordInfo.featureType, QStringLiteral("Variant"));
    EXPECT_EQ(info.schema, m_source.schema());
    EXPECT_EQ(info.properties.value("GIdxTableName").toQString(), QStringLiteral("t0_gidx"));
    EXPECT_TRUE(info.properties.value("GIdxChunkTableId").isValid());
}

TEST_F(TsfReadersTest, OpeningFailures) {
    EXPECT_EQ(open(path("missing.tsf"))->errorText(),
              path("missing.tsf") + QStringLiteral(" does not exist"));
    TsfDatabase other;
    QString error;
    ASSERT_TRUE(other.open(path("other.tsf"), TsfDatabase::Mode::Create, &error));
    ASSERT_TRUE(other.exec("CREATE TABLE x (a INT);", &error));
    other.close();
    EXPECT_EQ(open(path("other.tsf"))->errorText(), QStringLiteral("Not a valid TSF source."));
    EXPECT_EQ(open(path() + QStringLiteral(":7"))->errorText(), QStringLiteral("Not a valid TSF source."));
    EXPECT_TRUE(open(path() + QStringLiteral(":1"))->isValid());
}

TEST_F(TsfReadersTest, SequentialReadGivesBackEveryFeature) {
    const VkSourcePtr source = open(path());
    ReadRequest request;
    request.fieldList = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    QString error;
    const VkFeatureList features = readAll(source, request, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    const VkFeatureList expected = m_source.expectedFeatures();
    ASSERT_EQ(features.size(), expected.size());
    for (int i = 0; i < features.size(); ++i)
        ASSERT_EQ(features[i], expected[i]) << "record " << i;
    EXPECT_TRUE(features[0].value(10).isSampleMatrix());
    EXPECT_EQ(features[0].value(9).type(), ValueType::IntArray);
    EXPECT_EQ(features[0].value(11).type(), ValueType::StringArray);
}

TEST_F(TsfReadersTest, ReadsFromAnOffsetAndByIds) {
    const VkSourcePtr source = open(path());
    QString error;
    ReadRequest offset;
    offset.offset = 3995;
    offset.fieldList = {0};
    EXPECT_EQ(depths(readAll(source, offset, &error)), QList<int>({3995, 3996, 3997, 3998, 3999}));
    ReadRequest ids;
    ids.kind = ReadRequest::Ids;
    ids.ids = {42, 3, 42, 9000, 77};
    ids.fieldList = {0};
    EXPECT_EQ(depths(readAll(source, ids, &error)), QList<int>({3, 42, 77}));
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
}

TEST_F(TsfReadersTest, RegionQueriesMatchABruteForceScan) {
    const VkSourcePtr source = open(path());
    std::mt19937 rng(3);
    for (int trial = 0; trial < 600; ++trial) {
        QList<VkSegment> regions = {randomRegion(rng)};
        if (trial % 7 == 0)
            regions.append(randomRegion(rng));
        const int mode = trial % 3 == 0 ? Vk::Within : Vk::Overlap;
        QString error;
        const QList<int> found = depths(readAll(source, regionRequest(regions, mode), &error));
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        ASSERT_EQ(found, bruteForce(m_source, regions, mode)) << regions.first().toString().toStdString();
    }
    const VkSegment farRegion("2", (1 << 29), (1 << 29) + 400000);
    QString error;
    EXPECT_EQ(depths(readAll(source, regionRequest({farRegion}), &error)),
              bruteForce(m_source, {farRegion}, Vk::Overlap));
    EXPECT_FALSE(bruteForce(m_source, {farRegion}, Vk::Overlap).isEmpty());
}

TEST_F(TsfReadersTest, ExactModeUsesTheQuerysOwnBin) {
    const VkSourcePtr source = open(path());
    QString error;
    for (int i : {0, 17, 999, 2500, 3998}) {
        const VkSegment segment = m_source.features[i].segment();
        const QList<int> found = depths(readAll(source, regionRequest({segment}, Vk::Exact), &error));
        EXPECT_EQ(found, bruteForce(m_source, {segment}, Vk::Exact));
        EXPECT_TRUE(found.contains(i));
    }
    EXPECT_TRUE(readAll(source, regionRequest({VkSegment("1", 5, 6)}, 9), &error).isEmpty());
    EXPECT_EQ(error, QStringLiteral("Unsupported read mode"));
}

TEST_F(TsfReadersTest, SourcesWithoutAGenomicIndexRefuseRegionReads) {
    m_source.genomicIndex = false;
    QString error;
    ASSERT_TRUE(m_source.write(path("plain.tsf"), &error));
    const VkSourcePtr source = open(path("plain.tsf"));
    EXPECT_FALSE(source->info().properties.contains("GIdxTableName"));
    readAll(source, regionRequest({VkSegment("1", 0, 100000)}), &error);
    EXPECT_EQ(error, QStringLiteral("Source does not have a genomic index computed"));
    ReadRequest request;
    request.fieldList = {0};
    error.clear();
    const VkFeatureList features = readAll(source, request, &error);
    ASSERT_EQ(features.size(), 4000);
    EXPECT_EQ(features[1234].segment(), m_source.features[1234].segment());
}

TEST_F(TsfReadersTest, FieldReaderReadsValuesCellsAndRefusesMatrixReads) {
    const VkSourcePtr source = open(path());
    std::unique_ptr<VkFieldReader> reader(source->manager()->createFieldReader(source));
    EXPECT_EQ(reader->readValue(10, 1), PVariant(QByteArray("rs10")));
    EXPECT_EQ(reader->readValue(10, 5), m_source.features[10].value(5));
    EXPECT_EQ(reader->matrixCell(10, 9, 2), m_source.features[10].value(9).at(2));
    EXPECT_EQ(reader->matrixSlice(10, 10).size(), 3);
    EXPECT_EQ(reader->readValue(1, 12), PVariant(QByteArray("s2")));
    EXPECT_FALSE(reader->readValue(10, 9).isValid());
    EXPECT_EQ(reader->errorText(),
              QStringLiteral("Can only read Matrix fields with the matrixCell(...) function."));
    EXPECT_FALSE(reader->readValue(10, 40).isValid());
    EXPECT_TRUE(reader->errorText().startsWith(QLatin1String("Invalid field idx  ")));
}

TEST_F(TsfReadersTest, DamagedTablesAndChunksGiveTheirMessages) {
    change("UPDATE t0_locus_attr_chunks SET chunk = X'FA0100690000040040000000000000000000010000FFFF' "
           "WHERE chunk_id = 4294967296;");
    const VkSourcePtr source = open(path());
    ReadRequest request;
    request.fieldList = {0};
    QString error;
    readAll(source, request, &error);
    EXPECT_TRUE(error.startsWith(QLatin1String("Error decompressing chunk: zstdUncompress")))
        << error.toStdString();

    change("UPDATE tbl SET table_meta = '{\"field_count\": 9, \"record_count\": 4000}' "
           "WHERE table_uri LIKE '%t0_locus_attr_chunks%';");
    std::unique_ptr<VkFieldReader> reader(source->manager()->createFieldReader(source));
    reader->readValue(0, 1);
    EXPECT_EQ(reader->errorText(),
              QStringLiteral("Did not find expected field_count, record_count or chunk_bits "
                             "attribute for table t0_locus_attr_chunks"));

    change("UPDATE tbl SET table_uri = 'table://elsewhere/?table=t0_locus_attr_chunks' "
           "WHERE table_uri LIKE '%t0_locus_attr_chunks%';");
    std::unique_ptr<VkFieldReader> other(source->manager()->createFieldReader(source));
    other->readValue(0, 1);
    EXPECT_EQ(other->errorText(),
              QStringLiteral("Only tables in the same file are currently supported. Unknown "
                             "location elsewhere for table t0_locus_attr_chunks"));

    change("UPDATE tbl SET table_uri = 'table://this/?table=t0_x;DROP TABLE tbl' "
           "WHERE table_uri LIKE '%t0_locus_attr_chunks%';");
    std::unique_ptr<VkFieldReader> injected(source->manager()->createFieldReader(source));
    injected->readValue(0, 1);
    EXPECT_TRUE(injected->errorText().startsWith(QLatin1String("Invalid table or column name")));
}
