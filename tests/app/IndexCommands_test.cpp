#include "source/registry/VkSourceTypeManager.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/Cli.h"
#include "support/FormatTestSupport.h"
#include "support/TemporaryFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace FormatTest;

namespace {

const QString kExampleVcf = QStringLiteral(VARKIT_EXAMPLES "/example.vcf");

QByteArray samText() {
    QByteArray sam = "@HD\tVN:1.6\tSO:coordinate\n@SQ\tSN:chr1\tLN:50000\n@SQ\tSN:chr2\tLN:30000\n";
    sam += "del\t0\tchr1\t100\t60\t5M2D5M\t*\t0\t0\tACGTAACGTA\t*\n"
           "dup\t1024\tchr1\t101\t60\t10M\t*\t0\t0\tACGTACGTAC\t*\n"
           "splice\t0\tchr1\t104\t60\t3M20N3M\t*\t0\t0\tACGACG\t*\n";
    for (int i = 0; i < 400; ++i)
        sam += "r" + QByteArray::number(i) + "\t" + QByteArray::number((i % 2) * 16) + "\tchr" +
               QByteArray::number(1 + i / 200) + "\t" + QByteArray::number(1000 + (i % 200) * 37) +
               "\t60\t40M\t*\t0\t0\t" + QByteArray(40, 'A') + "\t*\n";
    return sam;
}

class IndexCommands : public ::testing::Test {
protected:
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

    QString plainVcf() const {
        const QString vcf = path("calls.vcf");
        EXPECT_TRUE(QFile::copy(kExampleVcf, vcf));
        return vcf;
    }
    QString bam() const {
        writeFile(path("reads.sam"), samText());
        runTool(QStringLiteral("samtools"), {"view", "-b", "-o", path("reads.bam"), path("reads.sam")});
        return path("reads.bam");
    }
    QString tsf(const char* name) const {
        const QString out = path(name);
        const CliResult written = runVarkit({"writetsf", kExampleVcf + ".gz", out});
        EXPECT_EQ(written.exitCode, 0) << written.err.toStdString();
        return out;
    }
    static VkSourcePtr open(const QString& path) {
        const VkSourcePtr source = VkSourceTypeRegistry::instance().open(path);
        EXPECT_TRUE(source->isValid()) << path.toStdString() << ": " << source->errorText().toStdString();
        return source;
    }
    static QByteArray regionLines(const QString& vcf, const QString& region) {
        return runTool(QStringLiteral("bcftools"), {"view", "-H", "-r", region, vcf});
    }

    QTemporaryDir m_dir;
};

TEST_F(IndexCommands, IndexOfAPlainVcfMatchesBgzipAndTabix) {
    const QString vcf = plainVcf();
    const CliResult result = runVarkit({"index", vcf});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.endsWith("Complete: shutting down\n")) << result.err.toStdString();
    EXPECT_TRUE(temporaryFilesIn(m_dir.path()).isEmpty());

    const QString reference = path("reference.vcf.gz");
    writeFile(reference, runTool(QStringLiteral("bgzip"), {"-c", vcf}));
    runTool(QStringLiteral("tabix"), {"-p", "vcf", reference});
    EXPECT_EQ(runTool(QStringLiteral("bgzip"), {"-dc", vcf + ".gz"}), runTool(QStringLiteral("cat"), {vcf}));
    for (const char* region : {"20", "20:60000-70000", "20:1000000-1300000"})
        EXPECT_EQ(regionLines(vcf + ".gz", region), regionLines(reference, region)) << region;
    EXPECT_FALSE(regionLines(vcf + ".gz", "20:60000-70000").isEmpty());

    // The source now has both companions; indexing again rebuilds the index only.
    QString message;
    const VkSourcePtr indexed = open(vcf);
    EXPECT_FALSE(indexed->manager()->precomputeNeeded(*indexed, QStringLiteral("GenomicIndex"), &message));
    QFile::remove(vcf + ".gz.tbi");
    EXPECT_EQ(runVarkit({"index", vcf + ".gz"}).exitCode, 0);
    EXPECT_EQ(regionLines(vcf + ".gz", "20"), regionLines(reference, "20"));
}

TEST_F(IndexCommands, IndexRefusesWhatItCannotDo) {
    const QString vcf = plainVcf();
    CliResult result = runVarkit({"index", vcf, "--other=1"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.startsWith("Additional arguments after <" + vcf.toUtf8() + "> not recognized\n"));

    result = runVarkit({"index", path("missing.vcf")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith("source " + path("missing.vcf").toUtf8() + " is not valid: "));

    result = runVarkit({"index", tsf("calls.tsf")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Precompute not supported for selected file.\n");

    // Plain gzip is no BGZF: nothing is written beside it.
    writeFile(path("gzipped.vcf.gz"), runTool(QStringLiteral("gzip"), {"-c", vcf}));
    result = runVarkit({"index", path("gzipped.vcf.gz")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("Ran into errors: Not a BGZF file: ")) << result.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("gzipped.vcf.gz.tbi")));
    EXPECT_TRUE(temporaryFilesIn(m_dir.path()).isEmpty());
}

TEST_F(IndexCommands, DelimitedTextIsCompressedAndIndexedOverItsGenomicColumns) {
    const QString text = path("genes.tsv");
    ASSERT_TRUE(QFile::copy(QStringLiteral(VARKIT_TEST_DATA "/dsv/genes.tsv"), text));
    const CliResult result = runVarkit({"index", text});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QByteArray found = runTool(QStringLiteral("tabix"), {text + ".gz", "chr1:2300-2400"});
    EXPECT_EQ(found.count('\n'), 2) << found.toStdString();
    EXPECT_TRUE(found.contains("BRCA1") && found.contains("BRCA2"));
    // The header line is no record.
    EXPECT_FALSE(runTool(QStringLiteral("tabix"), {"-l", text + ".gz"}).contains("Chrom"));
    const VkSourcePtr indexed = open(text + ".gz");
    EXPECT_EQ(readRegions(indexed, {VkSegment("1", 2300, 2400)}).size(), 2);

    ASSERT_TRUE(QFile::copy(QStringLiteral(VARKIT_TEST_DATA "/dsv/variants.csv"), path("variants.csv")));
    EXPECT_TRUE(runVarkit({"index", path("variants.csv")}).err.contains("only tab-separated text"));
}

TEST_F(IndexCommands, BamIndexAndCoverage) {
    const QString reads = bam();
    CliResult result = runVarkit({"coverage", reads});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.startsWith("file path for index: " + reads.toUtf8() + " \n"));
    EXPECT_TRUE(
        result.err.contains("Can not compute coverage because a index is required for: " + reads.toUtf8() +
                            "\nTry using the precompute command instead to do both.\n"));

    result = runVarkit({"index", reads, "--refFolder=" + m_dir.path()});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains("Unable to find reference sequence source for build: "));
    const QByteArray stats = runTool(QStringLiteral("samtools"), {"idxstats", reads});
    EXPECT_TRUE(stats.startsWith("chr1\t50000\t203\t0\nchr2\t30000\t200\t0\n")) << stats.toStdString();

    result = runVarkit({"coverage", reads});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const VkSourcePtr coverage = open(reads + ".covtsf:1");
    QHash<QByteArray, int> depth;
    for (const VkFeature& run : readAll(coverage, ReadRequest::all({0}))) {
        const QVector<int32_t>& values = run.value(0).intVector();
        for (int i = 0; i < values.size(); ++i)
            if (values[i] != 0)
                depth.insert(run.segment().chromosome() + ':' +
                                 QByteArray::number(run.segment().start() + i + 1),
                             values[i]);
    }
    QHash<QByteArray, int> expected;
    for (const QByteArray& line : runTool(QStringLiteral("samtools"), {"depth", reads}).split('\n')) {
        const QList<QByteArray> columns = line.split('\t');
        if (columns.size() == 3 && columns[2].toInt() != 0)
            expected.insert(columns[0] + ':' + columns[1], columns[2].toInt());
    }
    EXPECT_EQ(depth.size(), expected.size());
    EXPECT_EQ(depth, expected);
}

TEST_F(IndexCommands, PrecomputeRunsEveryTaskTheSourceNeeds) {
    const QString reads = bam();
    CliResult result = runVarkit({"precompute", reads});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.startsWith("Computing GenomicIndex on source\n")) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("Computing AlignmentCoverage on source\n"));
    EXPECT_TRUE(QFileInfo::exists(reads + ".bai") && QFileInfo::exists(reads + ".covtsf"));

    result = runVarkit({"precompute", reads});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "Complete: shutting down\n");
}

TEST_F(IndexCommands, LockSetsAndClearsTheProperty) {
    const QString file = tsf("a.tsf");
    const QByteArray before = open(file)->info().toMap().value("schema").toQString().toUtf8();
    CliResult result = runVarkit({"lock", "--SET", file});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Opening file:\n" + file.toUtf8() + "\nSuccessfully updated\n\n");
    const VkSourcePtr locked = open(file);
    EXPECT_EQ(locked->info().properties.value("LockedForEditing").toQString(), QStringLiteral("1"));
    EXPECT_EQ(locked->info().locusCount, 50);

    result = runVarkit({"lock", "--set", file});
    EXPECT_TRUE(result.out.endsWith("Change not required.\n\n"));

    tsf("b.tsf");
    result = runVarkit({"lock", "--unset", m_dir.filePath("*.tsf")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.count("Successfully updated\n"), 1);
    EXPECT_EQ(result.out.count("Change not required.\n"), 1);
    EXPECT_EQ(open(file)->info().properties.value("LockedForEditing").toQString(), QStringLiteral("0"));

    result = runVarkit({"lock", "--toggle", file});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith("Unrecognized command option!\n"));
    QDir(m_dir.path()).mkdir(QStringLiteral("empty"));
    result = runVarkit({"lock", "--set", m_dir.filePath("empty/*.tsf")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith("No valid sources were found\n"));
}

TEST_F(IndexCommands, FieldIndexMakesPrefixSearchesCaseInsensitive) {
    const QString file = tsf("calls.tsf");
    CliResult result = runVarkit({"fieldindex", file});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.startsWith("Not an integer: -notset-\n"));
    result = runVarkit({"fieldindex", kExampleVcf, "--index="});
    EXPECT_EQ(result.err, "Not a TSF file:  " + kExampleVcf.toUtf8() + "\n");

    const VkSourcePtr unindexed = open(file);
    int id = -1;
    for (const VkField& field : unindexed->schema())
        if (field.symbol == "ID")
            id = field.idx;
    const QString store = path("store");
    result = runVarkit({"fieldindex", file, "--path=" + store, "--index=" + QString::number(id)});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "Indexing: " + file.toUtf8() + " (" + store.toUtf8() +
                              ")\n Field: " + QByteArray::number(id) + " (Identifier)\n");
    EXPECT_FALSE(QFileInfo::exists(store));
    EXPECT_EQ(open(file)->schema().at(id).props.value("Indexed"), PVariant(true));

    const auto search = [&](const QString& prefix, const QString& out) {
        const QString url =
            QStringLiteral("transform://prefixSearch/json/ {\"sourceUrl\": \"%1\", \"prefix\": "
                           "\"%2\", \"fieldSymbol\": \"ID\"}")
                .arg(file, prefix);
        const CliResult written = runVarkit({"writevcf", url, out});
        EXPECT_EQ(written.exitCode, 0) << written.err.toStdString();
        QByteArray ids;
        for (const QByteArray& line : runTool(QStringLiteral("grep"), {"-v", "^#", out}).split('\n'))
            if (!line.isEmpty())
                ids += line.split('\t').value(2) + ' ';
        return ids;
    };
    const QByteArray upper = search(QStringLiteral("RS60"), path("upper.vcf"));
    EXPECT_EQ(upper, search(QStringLiteral("rs60"), path("lower.vcf")));
    EXPECT_TRUE(upper.startsWith("rs60")) << upper.toStdString();
    for (const QByteArray& id : upper.trimmed().split(' '))
        EXPECT_TRUE(id.startsWith("rs60")) << id.toStdString();
}

} // namespace
