#include "app/commands/WriteTsf.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/Cli.h"
#include "support/FormatTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class WriteTsfCommand : public ::testing::Test {
protected:
    void SetUp() override {
        m_vcf = m_dir.filePath("trio.vcf.gz");
        ASSERT_TRUE(QFile::copy(QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz"), m_vcf));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz.tbi"), m_vcf + ".tbi"));
    }

    VkSourcePtr open(const QString& path) const {
        const VkSourcePtr source = VkSourceTypeRegistry::instance().open(path);
        EXPECT_TRUE(source->isValid()) << path.toStdString() << ": " << source->errorText().toStdString();
        return source;
    }

    QTemporaryDir m_dir;
    QString m_vcf;
};

TEST_F(WriteTsfCommand, WritesTheWholeSourceToTheDestination) {
    const QString out = m_dir.filePath("out.tsf");
    const CliResult result = runVarkit({"writetsf", m_vcf, out});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.startsWith("Writing new file\n")) << result.err.toStdString();
    EXPECT_TRUE(result.err.endsWith("Complete: shutting down\n")) << result.err.toStdString();
    // The index counts the records, so the progress is known.
    EXPECT_TRUE(result.err.contains("100%\t")) << result.err.toStdString();
    const VkSourcePtr written = open(out);
    EXPECT_EQ(written->info().locusCount, 50);
    EXPECT_EQ(written->info().entityCount, open(m_vcf)->info().entityCount);
}

TEST_F(WriteTsfCommand, WithoutDestinationWritesBesideTheSource) {
    const CliResult result = runVarkit({"writetsf", m_vcf});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(open(m_dir.filePath("trio.tsf"))->info().locusCount, 50);

    // A query without a destination is ignored: the whole source is written.
    QFile::remove(m_dir.filePath("trio.tsf"));
    const CliResult queried = runVarkit({"writetsf", m_vcf, "--query=20:1-100"});
    EXPECT_EQ(queried.exitCode, 0) << queried.err.toStdString();
    EXPECT_EQ(open(m_dir.filePath("trio.tsf"))->info().locusCount, 50);
}

TEST_F(WriteTsfCommand, QueryWritesTheRecordsOfTheRegions) {
    const QString out = m_dir.filePath("subset.tsf");
    const QList<VkSegment> regions{VkSegment("20", 0, 30000000), VkSegment("21", 0, 20000000)};
    const VkFeatureList expected = FormatTest::readRegions(open(m_vcf), regions);
    ASSERT_GT(expected.size(), 0);
    ASSERT_LT(expected.size(), 50);
    const CliResult result = runVarkit({"writetsf", m_vcf, out, "--query=20:1-30000000,21:1-20000000"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const VkFeatureList written = FormatTest::readAll(open(out));
    ASSERT_EQ(written.size(), expected.size());
    for (int i = 0; i < written.size(); ++i)
        EXPECT_EQ(written.at(i).segment(), expected.at(i).segment());
}

// The method bits of the first chunk of every matrix table.
QList<int> matrixChunkMethods(const QString& tsf) {
    QList<int> methods;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(tsf.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return methods;
    sqlite3_stmt* tables = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE name LIKE '%matrix_chunks'", -1, &tables, nullptr);
    while (sqlite3_step(tables) == SQLITE_ROW) {
        const QByteArray query = "SELECT chunk FROM " +
                                 QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(tables, 0))) +
                                 " LIMIT 1";
        sqlite3_stmt* chunk = nullptr;
        sqlite3_prepare_v2(db, query.constData(), -1, &chunk, nullptr);
        if (sqlite3_step(chunk) == SQLITE_ROW && sqlite3_column_bytes(chunk, 0) > 2)
            methods << (static_cast<const unsigned char*>(sqlite3_column_blob(chunk, 0))[2] & 3);
        sqlite3_finalize(chunk);
    }
    sqlite3_finalize(tables);
    sqlite3_close(db);
    return methods;
}

TEST_F(WriteTsfCommand, CompactFilesReadAsTheDefaultOnes) {
    const QString compact = m_dir.filePath("compact.tsf");
    const QString standard = m_dir.filePath("default.tsf");
    ASSERT_EQ(runVarkit({"writetsf", m_vcf, compact, "--compression=compact"}).exitCode, 0);
    ASSERT_EQ(runVarkit({"writetsf", m_vcf, standard}).exitCode, 0);
    const QList<int> compactMethods = matrixChunkMethods(compact);
    const QList<int> standardMethods = matrixChunkMethods(standard);
    ASSERT_FALSE(compactMethods.isEmpty());
    EXPECT_EQ(compactMethods.count(2), compactMethods.size()) << "per-sample chunks are Blosc";
    EXPECT_EQ(standardMethods.count(2), 0) << "per-sample chunks are LZ4, or zlib for texts";

    const VkFeatureList all = FormatTest::readAll(open(standard));
    EXPECT_EQ(FormatTest::readAll(open(compact)), all);
    const QList<VkSegment> regions{VkSegment("20", 0, 30000000)};
    EXPECT_EQ(FormatTest::readRegions(open(compact), regions), FormatTest::readRegions(open(standard), regions));
    const QString fromCompact = m_dir.filePath("compact.vcf");
    const QString fromDefault = m_dir.filePath("default.vcf");
    ASSERT_EQ(runVarkit({"writevcf", compact, fromCompact}).exitCode, 0);
    ASSERT_EQ(runVarkit({"writevcf", standard, fromDefault}).exitCode, 0);
    QFile a(fromCompact);
    QFile b(fromDefault);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());
}

TEST_F(WriteTsfCommand, BadQueriesAndDestinationsFail) {
    const CliResult compression = runVarkit({"writetsf", m_vcf, m_dir.filePath("x.tsf"), "--compression=brotli"});
    EXPECT_EQ(compression.exitCode, 1);
    EXPECT_TRUE(compression.err.startsWith("Unknown compression: brotli")) << compression.err.toStdString();

    const QString out = m_dir.filePath("never.tsf");
    const CliResult query = runVarkit({"writetsf", m_vcf, out, "--query=20:abc-def"});
    EXPECT_EQ(query.exitCode, 1);
    EXPECT_TRUE(query.err.startsWith("Failed to parse query: ")) << query.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));

    const QString unwritable = m_dir.filePath("missing/folder/out.tsf");
    const CliResult folder = runVarkit({"writetsf", m_vcf, unwritable});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_TRUE(folder.err.contains("Ran into errors: ")) << folder.err.toStdString();

    const CliResult missing = runVarkit({"writetsf", m_dir.filePath("none.vcf"), out});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("is not valid: ")) << missing.err.toStdString();
}

TEST(WriteTsfSubsetMeta, CurationTimeMovesOneMinuteLater) {
    SourceMetaOptions meta;
    meta.setCuratedBy(QStringLiteral("lab"));
    meta.setCurationTime(QStringLiteral("2024-02-29 23:59:30"));
    const SourceMetaOptions moved = WriteTsf::subsetMeta(meta);
    EXPECT_EQ(moved.curationTime(), "2024-03-01 00:00:30");
    EXPECT_EQ(moved.curatedBy(), "lab");
    EXPECT_EQ(meta.curationTime(), "2024-02-29 23:59:30");

    meta.setCurationTime(QStringLiteral("2024-01-05T10:00:00"));
    EXPECT_EQ(WriteTsf::subsetMeta(meta).curationTime(), "2024-01-05T10:01:00");
    meta.setCurationTime(QStringLiteral("last spring"));
    EXPECT_EQ(WriteTsf::subsetMeta(meta).curationTime(), "last spring");
}

} // namespace
