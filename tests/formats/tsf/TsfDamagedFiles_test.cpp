#include "formats/tsf/TsfCatalog.h"
#include "support/Cli.h"
#include "support/TsfTestFile.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace {

// 200 records on two chromosomes in chunks of 64: Depth (Int), Id (String), Filter (Categorical
// of three) and a Genotype Quality per sample of three.
TsfTestSource goodSource() {
    TsfTestSource source;
    source.chromosomes = {"1", "2"};
    source.locusFields = {VkField(0, "Depth", "DP", ValueType::Int),
                          VkField(1, "Id", "ID", ValueType::String),
                          VkField(2, "Filter", "FILTER", ValueType::Categorical)};
    source.locusFields[2].enumNames = {"PASS", "LowQual", "q10"};
    source.locusFields[2].enumValues = {0, 1, 2};
    source.matrixFields = {VkField(0, "Genotype Quality", "GQ", ValueType::Int)};
    source.sampleNames = {"s1", "s2", "s3"};
    for (int i = 0; i < 200; ++i) {
        const QByteArray chromosome = i < 120 ? "1" : "2";
        source.features.append(
            VkFeature(VkSegment(chromosome, 1000 + 10 * i, 1001 + 10 * i),
                      {PVariant(i), PVariant("rs" + QByteArray::number(i) + QByteArray(i % 7, 'x')),
                       PVariant::categorical(i % 3, source.locusFields[2].enumNames.at(i % 3)),
                       PVariant(QVector<int32_t>{i, i + 1, i + 2})}));
    }
    return source;
}

QByteArray chunkBlob(TsfDatabase& db, const char* table, qint64 chunkId) {
    TsfStatement select(db, QByteArray("SELECT chunk FROM ") + table + " WHERE chunk_id = ?");
    select.bind(1, chunkId);
    int size = 0;
    const char* blob = select.next() ? select.columnBlob(0, &size) : nullptr;
    return QByteArray(blob, size);
}

void putChunk(TsfDatabase& db, const char* table, qint64 chunkId, const QByteArray& blob) {
    TsfStatement update(db, QByteArray("UPDATE ") + table + " SET chunk = ? WHERE chunk_id = ?");
    update.bindBlob(1, blob.constData(), blob.size()).bind(2, chunkId);
    QString error;
    ASSERT_TRUE(update.run(&error)) << error.toStdString();
}

// The header of the first Id chunk claims more strings than it holds: by one when holds is
// given, else its count is set outright.
void claimMoreStrings(TsfDatabase& db, int holds, uint32_t claimedCount) {
    QByteArray blob = chunkBlob(db, "t0_locus_attr_chunks", 1);
    if (holds > 0) {
        TsfValueArray strings;
        QString error;
        ASSERT_TRUE(TsfChunkCodec::decode(blob, &strings, &error)) << error.toStdString();
        blob = TsfChunkCodec::encodeAndCompress(strings, holds, 0, TsfCompression::Zlib, nullptr, nullptr,
                                                &error);
    }
    for (int i = 0; i < 4; ++i)
        blob[8 + i] = char((claimedCount >> (8 * i)) & 0xFF);
    putChunk(db, "t0_locus_attr_chunks", 1, blob);
}

void run(TsfDatabase& db, const char* sql) {
    QString error;
    ASSERT_TRUE(db.exec(sql, &error)) << error.toStdString();
}

struct Damage {
    const char* name;
    std::function<void(TsfDatabase&)> apply;
    const char* message; // part of the error, which also names the file
};

void PrintTo(const Damage& damage, std::ostream* out) {
    *out << damage.name;
}

const Damage kDamages[] = {
    {"StringChunkCountOneTooLarge", [](TsfDatabase& db) { claimMoreStrings(db, 0, 65); },
     "Chunk holds 65 values where its table expects 64"},
    {"StringChunkHoldingFewerStringsThanItsCount", [](TsfDatabase& db) { claimMoreStrings(db, 63, 64); },
     "vs header specified 64"},
    {"ChunkRowsDisagreeingWithTableMeta",
     [](TsfDatabase& db) { run(db, "DELETE FROM t0_locus_attr_chunks WHERE chunk_id = (3 << 32) + 2"); },
     "The chunks of table t0_locus_attr_chunks do not match its table_meta"},
    {"RecordCountDisagreeingWithLocusDim",
     [](TsfDatabase& db) { run(db, "UPDATE source SET locus_dim = 150"); },
     "Table t0_locus_attr_chunks holds 200 records where the source's locus_dim is 150"},
    {"EntityDimOf2To31Minus1", [](TsfDatabase& db) { run(db, "UPDATE source SET entity_dim = 2147483647"); },
     "the source's entity_dim of 2147483647 is more than the file's"},
    {"EntityDimDisagreeingWithTheMatrixColumns",
     [](TsfDatabase& db) { run(db, "UPDATE source SET entity_dim = 4"); },
     "Table t1_matrix_chunks holds 3 entity columns where the source's entity_dim is 4"},
    {"FieldCountTheFileCannotHold",
     [](TsfDatabase& db) {
         run(db, "UPDATE tbl SET table_meta = '{\"field_count\": 2000000000, \"record_count\": 200, "
                 "\"chunk_bits\": 6}' WHERE table_uri LIKE '%t0_locus_attr_chunks%'");
     },
     "more than the file's"},
    {"ChromosomeCodePastTheList",
     [](TsfDatabase& db) {
         run(db,
             "UPDATE field SET field_meta = '{\"name\": \"Chr\", \"enum\": [\"1\"]}' WHERE field_id = -1");
     },
     "Chromosome code 1 of record 120 is outside the 1 chromosomes"},
    {"CategoryCodeOutOfRange",
     [](TsfDatabase& db) {
         run(db, "UPDATE field SET field_meta = '{\"name\": \"Filter\", \"enum\": [\"PASS\"]}' "
                 "WHERE field_id = 2");
     },
     "Category code 1 of field Filter is outside its 1 categories"},
    {"NewerFormatVersion",
     [](TsfDatabase& db) { run(db, "UPDATE meta_data SET value = '99' WHERE name = 'version'"); },
     "TSF format version 99 is not one this program reads"},
};

class TsfDamagedFile : public ::testing::TestWithParam<Damage> {};

} // namespace

// Each damage ends the read with exit status 1 and a message that names the file and what is
// wrong, and leaves no output or temporary file behind.
TEST_P(TsfDamagedFile, EndsTheReadWithAClearErrorAndNoOutput) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString tsf = dir.filePath(QStringLiteral("damaged.tsf"));
    QString error;
    ASSERT_TRUE(goodSource().write(tsf, &error)) << error.toStdString();
    {
        TsfDatabase db;
        ASSERT_TRUE(db.open(tsf, TsfDatabase::Mode::ReadWrite, &error)) << error.toStdString();
        GetParam().apply(db);
    }
    const CliResult result = runVarkit({"writevcf", tsf, dir.filePath(QStringLiteral("out.vcf"))});
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(GetParam().message)) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(tsf.toUtf8())) << result.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"damaged.tsf"});
}

INSTANTIATE_TEST_SUITE_P(Damages, TsfDamagedFile, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& info) { return info.param.name; });
