#include "support/Cli.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Inputs that are damaged or hostile, end to end: each is read the way the peer tools read it and
// says so, or is refused with a message naming file and line.

namespace {
QString data(const char* name) {
    return QStringLiteral(VARKIT_TEST_DATA "/") + QLatin1String(name);
}

QByteArray fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// writetxt of a test file: what the command printed and the table it wrote.
struct Table {
    CliResult result;
    QList<QByteArray> rows;
};

Table writeTable(const char* name) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    Table table{runVarkit({QStringLiteral("writetxt"), data(name), out}), {}};
    table.rows = fileText(out).split('\n');
    return table;
}

// Columns DP, GENE, S1:GT, S2:GT, S1:DP and S2:DP of a written row.
QByteArray valuesOf(const QByteArray& row) {
    QList<QByteArray> columns = row.split('\t');
    return columns.size() < 16 ? row : columns.mid(9, 2).join(' ') + ' ' + columns.mid(12).join(' ');
}

QString warningAt(const char* name, int line, const char* text) {
    return QStringLiteral("%1, line %2: %3\n").arg(data(name)).arg(line).arg(QLatin1String(text));
}
} // namespace

// What htslib alters without a word is read alike, with a warning; bcftools goes on there too.
TEST(DamagedVcf, QuietHtslibAlterationsAreReadAlikeWithAWarning) {
    const Table extra = writeTable("vcf/extra-sample-columns.vcf");
    EXPECT_EQ(extra.result.exitCode, 0) << extra.result.err.constData();
    EXPECT_EQ(valuesOf(extra.rows.value(1)), "5  0/1 1/1 3 4");
    EXPECT_EQ(valuesOf(extra.rows.value(2)), "6  0/0 0/1 7 8");
    EXPECT_EQ(extra.result.err.count("more sample columns"), 1);
    EXPECT_TRUE(extra.result.err.contains(warningAt("vcf/extra-sample-columns.vcf", 8,
                                                    "the line has more sample columns than the header's 2 "
                                                    "sample names; the extra columns are skipped")
                                              .toUtf8()))
        << extra.result.err.constData();

    const Table duplicates = writeTable("vcf/duplicate-info-keys.vcf");
    EXPECT_EQ(duplicates.result.exitCode, 0) << duplicates.result.err.constData();
    EXPECT_EQ(valuesOf(duplicates.rows.value(1)), "5 BRCA 0/1 1/1 3 4");
    EXPECT_EQ(valuesOf(duplicates.rows.value(2)), "6  0/0 0/1 7 8");
    EXPECT_EQ(duplicates.result.err.count("more than once"), 2);
    for (const char* key : {"DP", "GENE"})
        EXPECT_TRUE(duplicates.result.err.contains(
            warningAt("vcf/duplicate-info-keys.vcf", 8,
                      qPrintable(QStringLiteral("INFO %1 is given more than once on the line; the first "
                                                "value is kept")
                                     .arg(QLatin1String(key))))
                .toUtf8()))
            << duplicates.result.err.constData();

    const Table nul = writeTable("vcf/nul-in-last-sample.vcf");
    EXPECT_EQ(nul.result.exitCode, 0) << nul.result.err.constData();
    EXPECT_EQ(valuesOf(nul.rows.value(1)), "5 BRCA 0/1 1/1 3 4");
    EXPECT_TRUE(
        nul.result.err.contains(warningAt("vcf/nul-in-last-sample.vcf", 8,
                                          "a NUL byte in column 11 ends the line; the rest of it is skipped")
                                    .toUtf8()))
        << nul.result.err.constData();
}

// htslib cannot write such a record either: bcftools view fails on it.
// A header that declares GC as Integer over a file of fractions warns on every line: ten lines of
// that kind, then one with the count of the rest; other kinds still show.
TEST(DamagedVcf, WarningsOfOneKindStopAfterTenWithACount) {
    QTemporaryDir dir;
    QByteArray text = "##fileformat=VCFv4.2\n##contig=<ID=1,length=100000>\n"
                      "##INFO=<ID=GC,Number=1,Type=Integer,Description=\"GC\">\n"
                      "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n";
    for (int i = 1; i <= 25; ++i)
        text += "1\t" + QByteArray::number(i * 10) + "\t.\tA\tC\t.\t.\tGC=" + QByteArray::number(i) + ".5\n";
    text += "1\t900\t.\tA\tC\tabc\t.\t.\n";
    const QString input = dir.filePath(QStringLiteral("gc.vcf"));
    QFile file(input);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();
    const CliResult result = runVarkit({"writetxt", input, dir.filePath(QStringLiteral("out.txt"))});
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(result.err.count("is not an integer"), 11) << result.err.constData(); // ten, and the summary
    EXPECT_TRUE(result.err.contains(
        QStringLiteral("%1: 15 more warnings like \"INFO GC value '1.5' is not an integer; read as missing\"\n")
            .arg(input)
            .toUtf8()))
        << result.err.constData();
    EXPECT_TRUE(result.err.contains("QUAL 'abc' is not a number")) << result.err.constData();
}

TEST(DamagedVcf, NulByteThatCutsOffColumnsEndsTheRead) {
    const Table nul = writeTable("vcf/nul-before-samples.vcf");
    EXPECT_EQ(nul.result.exitCode, 1);
    EXPECT_TRUE(nul.result.err.contains(
        warningAt("vcf/nul-before-samples.vcf", 8,
                  "a NUL byte in column 8 ends the line before its 11 columns (binary data?)")
            .toUtf8()))
        << nul.result.err.constData();
}

TEST(DamagedTracks, CoordinatesBeyond32BitsAreReportedAsSuch) {
    const QList<QPair<const char*, QString>> cases = {
        {"bed/end-beyond-32-bits.bed", QStringLiteral("line 2: end 3000000000")},
        {"gtf/start-beyond-32-bits.gtf", QStringLiteral("line 1: start 2147483648")},
        {"wig/fixed-step-beyond-32-bits.wig", QStringLiteral("line 4: end 2147483650")}};
    for (const auto& [name, problem] : cases) {
        const CliResult result = runVarkit({QStringLiteral("schema"), data(name)});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.endsWith(QStringLiteral("%1 %2 is beyond the largest position, 2147483647\n")
                                            .arg(data(name), problem)
                                            .toUtf8()))
            << result.err.constData();
    }
}

// Standard input is read only as far as a path or a description can reach, and quoted briefly.
TEST(DamagedStandardInput, TextThatIsNeitherPathNorDescriptionIsQuotedBriefly) {
    QByteArray lines;
    while (lines.size() < 1000000)
        lines += "chr1\t" + QByteArray::number(lines.size()) + "\tA\tG\n";
    const CliResult many = runVarkit({QStringLiteral("schema"), QStringLiteral("-")}, lines);
    EXPECT_EQ(many.exitCode, 1);
    const QByteArray start = lines.left(200).replace('\t', '?').replace('\n', '?');
    EXPECT_EQ(many.err, "source - is not valid: standard input holds neither a path nor a source "
                        "description: '" +
                            start + "...'\n");

    const QByteArray longPath = "/data/" + QByteArray(1000, 'x') + ".vcf";
    const CliResult path = runVarkit({QStringLiteral("schema"), QStringLiteral("-")}, longPath + "\n");
    EXPECT_EQ(path.exitCode, 1);
    EXPECT_LT(path.err.size(), 400) << path.err.constData();
    EXPECT_TRUE(path.err.contains("'" + longPath.left(200) + "...'")) << path.err.constData();
}

class DamagedFasta : public ::testing::Test {
protected:
    QString copy(const char* name, const QString& folder) {
        const QString path = QDir(folder).filePath(QFileInfo(data(name)).fileName());
        EXPECT_TRUE(QFile::copy(data(name), path));
        return path;
    }
    // Root writes into a folder without write permission: it is made immutable too, when it can be.
    bool makeReadOnly(const QString& folder) {
        QFile(folder).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (!QFile(QDir(folder).filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly))
            return true;
        QFile::remove(QDir(folder).filePath(QStringLiteral("probe")));
        m_immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), folder}) == 0;
        return m_immutable;
    }
    void TearDown() override {
        if (m_immutable)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_dir.path()});
        QFile(m_dir.path())
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QTemporaryDir m_dir;
    bool m_immutable = false;
};

TEST_F(DamagedFasta, OpensInAReadOnlyFolderWithTheIndexInMemory) {
    const QString path = copy("fasta/genome.fa", m_dir.path());
    if (!makeReadOnly(m_dir.path()))
        GTEST_SKIP() << "the folder cannot be made read-only for this user";
    const CliResult result = runVarkit({QStringLiteral("schema"), path});
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_FALSE(QFile::exists(path + ".fai"));
}

TEST_F(DamagedFasta, AnIndexIsKeptOnlyBesideAFileThatOpens) {
    const QString ragged = copy("fasta/ragged-lines.fa", m_dir.path());
    const CliResult refused = runVarkit({QStringLiteral("schema"), ragged});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("is not a valid FASTA file")) << refused.err.constData();
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("ragged-lines.fa")});

    const QString genome = copy("fasta/genome.fa", m_dir.path());
    EXPECT_EQ(runVarkit({QStringLiteral("schema"), genome}).exitCode, 0);
    EXPECT_TRUE(QFile::exists(genome + ".fai"));
}
