#include "support/Cli.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Golden tests: an input, a command and the output it must print or write, kept under
// tests/data/golden. Run from a scratch folder holding a copy of the example, so that the paths
// in the outputs are the same on every machine. Set VARKIT_UPDATE_GOLDEN=1 to rewrite the
// expected files after a deliberate change, then review their diff.

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing " + path.toUtf8() + ">");
}

// Compares with the golden file, or rewrites it when asked to.
void expectGolden(const QByteArray& actual, const char* name) {
    const QString path = QStringLiteral(VARKIT_TEST_DATA "/golden/") + QLatin1String(name);
    if (qEnvironmentVariableIsSet("VARKIT_UPDATE_GOLDEN")) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(actual);
        return;
    }
    EXPECT_EQ(actual.toStdString(), readFile(path).toStdString()) << "golden file " << name;
}

// What changes from one run to the next: a new file's id and creation time, the writing date and
// the program version.
QByteArray withoutRunDetails(QByteArray text) {
    static const QRegularExpression uuid(QStringLiteral("\\{[0-9a-f-]{36}\\}"));
    static const QRegularExpression curated(QStringLiteral("\"curated\": \"[^\"]*\""));
    static const QRegularExpression fileDate(QStringLiteral("##fileDate=\\d+"));
    static const QRegularExpression source(QStringLiteral("##source=varkit [^\n]*"));
    QString masked = QString::fromUtf8(text);
    masked.replace(uuid, QStringLiteral("{uuid}"));
    masked.replace(curated, QStringLiteral("\"curated\": \"<time>\""));
    masked.replace(fileDate, QStringLiteral("##fileDate=<date>"));
    masked.replace(source, QStringLiteral("##source=varkit <version>"));
    return masked.toUtf8();
}

class GoldenOutputs : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"example.vcf.gz", "example.vcf.gz.tbi"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(VARKIT_EXAMPLES "/") + QLatin1String(name), path(name)));
    }
    CliResult run(const QStringList& arguments) { return runVarkit(arguments, QByteArray(), m_dir.path()); }
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    // example.tsf, written from the example VCF.
    void writeTsf() {
        const CliResult result = run({"writetsf", "example.vcf.gz", "example.tsf"});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(GoldenOutputs, SchemaOfAVcf) {
    const CliResult result = run({"schema", "example.vcf.gz"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    expectGolden(result.out, "example.vcf.schema.json");
}

TEST_F(GoldenOutputs, SchemaOfATsf) {
    writeTsf();
    const CliResult result = run({"schema", "example.tsf"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    expectGolden(withoutRunDetails(result.out), "example.tsf.schema.json");
}

TEST_F(GoldenOutputs, SchemaOfAFolder) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("sources")));
    for (const char* name : {"example.vcf.gz", "example.vcf.gz.tbi"})
        ASSERT_TRUE(QFile::rename(path(name), path("sources/") + QLatin1String(name)));
    const CliResult result = run({"schema", "sources"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.count('\n'), 1) << "one array on one line";
    expectGolden(withoutRunDetails(QByteArray(result.out).replace(m_dir.path().toUtf8(), "<folder>")),
                 "folder.schema.json");
}

TEST_F(GoldenOutputs, WriteVcfOfATsfMadeFromAVcf) {
    writeTsf();
    const CliResult result = run({"writevcf", "example.tsf", "back.vcf"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.err, "Complete: shutting down\n");
    expectGolden(withoutRunDetails(readFile(path("back.vcf"))), "example.from-tsf.vcf");
}

TEST_F(GoldenOutputs, WriteVcfOfAnIntervalSourceNamesItsType) {
    QFile bed(path("peaks.bed"));
    ASSERT_TRUE(bed.open(QIODevice::WriteOnly));
    bed.write("chr1\t10\t20\tpeak1\nchr1\t30\t45\tpeak2\n");
    bed.close();
    const CliResult result = run({"writevcf", "peaks.bed", "peaks.vcf"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "source peaks.bed is not valid for .vcf output!\nOnly Variant and Variant Maps can be "
              "written to VCF. \nThis source is type: Interval");
    EXPECT_FALSE(QFile::exists(path("peaks.vcf")));
}
