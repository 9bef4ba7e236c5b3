#include "support/Cli.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zlib.h>

// The write commands end to end. They need real source formats: each group of tests first asks
// `varkit schema` to open its input and is skipped, saying which reader is missing, when this build
// cannot.

namespace {
QString exampleVcf() {
    return QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz");
}

bool opens(const QString& path) {
    return runVarkit({QStringLiteral("schema"), path}).exitCode == 0;
}

QByteArray fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// The idx of the first field of the example whose field type is the given one.
int fieldOfType(const QString& fieldType) {
    const QJsonObject info =
        QJsonDocument::fromJson(runVarkit({QStringLiteral("schema"), exampleVcf()}).out).object();
    for (const QJsonValue& field :
         info.value(QStringLiteral("schema")).toObject().value(QStringLiteral("fields")).toArray())
        if (field.toObject().value(QStringLiteral("fieldType")).toString() == fieldType)
            return field.toObject().value(QStringLiteral("idx")).toInt();
    return -1;
}

class WriteCommandsOnVcf : public ::testing::Test {
protected:
    void SetUp() override {
        static const bool readable = opens(exampleVcf());
        if (!readable)
            GTEST_SKIP() << "the VCF reader is not in this build yet: varkit schema cannot open "
                         << exampleVcf().toStdString();
    }
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
};
} // namespace

TEST_F(WriteCommandsOnVcf, WriteTxtWritesTheSelectedFields) {
    const CliResult result = runVarkit({"writetxt", exampleVcf(), path("out.txt"), "--fields=1, ,3"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.endsWith("Complete: shutting down\n")) << result.err.toStdString();
    EXPECT_EQ(fileText(path("out.txt")),
              fileText(QStringLiteral(VARKIT_TEST_DATA "/writers/example.fields-1-3.txt")));
}

TEST_F(WriteCommandsOnVcf, WriteTxtWritesEveryLocusAndSampleFieldBesideTheSource) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(VARKIT_EXAMPLES "/example.vcf"), path("trio.vcf")));
    const CliResult result = runVarkit({"writetxt", path("trio.vcf")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QByteArray> lines = fileText(path("trio.txt")).split('\n');
    ASSERT_EQ(lines.size(), 52);
    EXPECT_TRUE(lines.first().startsWith("#Chr\tStart\tStop\t")) << lines.first().toStdString();
    EXPECT_TRUE(lines.first().contains("\tNA12878:")) << lines.first().toStdString();
    EXPECT_TRUE(lines.at(1).startsWith("20\t61097\t61098\t")) << lines.at(1).toStdString();
}

TEST_F(WriteCommandsOnVcf, TabularCommandsCheckTheFieldSelection) {
    const CliResult outOfRange = runVarkit({"writetxt", exampleVcf(), path("a.txt"), "--fields=1,99"});
    EXPECT_EQ(outOfRange.exitCode, 1);
    EXPECT_EQ(outOfRange.err, QByteArray("Selected field idx is not valid 99"));

    const int entity = fieldOfType(QStringLiteral("entity_attribute"));
    ASSERT_GE(entity, 0);
    const CliResult perEntity =
        runVarkit({"writetxt", exampleVcf(), path("a.txt"), QStringLiteral("--fields=%1").arg(entity)});
    EXPECT_EQ(perEntity.exitCode, 1);
    EXPECT_TRUE(perEntity.err.startsWith("Only locus and sample fields are supported! Remove field: "))
        << perEntity.err.toStdString();
    EXPECT_TRUE(perEntity.err.endsWith(" from selection"));

    const CliResult groupOutOfRange = runVarkit({"writexlsx", exampleVcf(), path("a.xlsx"), "--group=G,99"});
    EXPECT_EQ(groupOutOfRange.exitCode, 1);
    EXPECT_EQ(groupOutOfRange.err, QByteArray("Selected field idx is not valid 99"));
    EXPECT_TRUE(QDir(m_dir.path()).isEmpty());
}

TEST_F(WriteCommandsOnVcf, SequenceCommandsRefuseAVariantSource) {
    const CliResult fasta = runVarkit({"writefasta", exampleVcf(), path("a.fasta")});
    EXPECT_EQ(fasta.exitCode, 1);
    EXPECT_EQ(fasta.err, "source " + exampleVcf().toUtf8() + " is not valid for .fasta output");
    EXPECT_EQ(fasta.out, QByteArray());

    const CliResult wig = runVarkit({"writewig", exampleVcf(), path("a.wig")});
    EXPECT_EQ(wig.exitCode, 1);
    EXPECT_EQ(wig.err, "source " + exampleVcf().toUtf8() + " is not valid for .wig output");
    EXPECT_TRUE(QDir(m_dir.path()).isEmpty());
}

TEST_F(WriteCommandsOnVcf, WriteXlsxNeedsAnExistingDestinationFolder) {
    const CliResult result = runVarkit({"writexlsx", exampleVcf(), path("none/out.xlsx")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Destination directory does not exist:\n" + path("none").toUtf8());
}

TEST_F(WriteCommandsOnVcf, AnUnwritableDestinationEndsWithTheWritersError) {
    writeFile(path("file"), "not a folder");
    const CliResult result = runVarkit({"writetxt", exampleVcf(), path("file/out.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("Ran into errors: Could not create " + path("file/out.txt").toUtf8()))
        << result.err.toStdString();
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"file"});
}

TEST_F(WriteCommandsOnVcf, WriteXlsxKeepsAnEscapedCommaInAGroupName) {
    const CliResult result = runVarkit(
        {"writexlsx", exampleVcf(), path("out.xlsx"), "--group=Depth\\, quality,1, 3", "--group=Ids,1"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    ASSERT_TRUE(QFile::exists(path("out.xlsx")));
    if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
        GTEST_SKIP() << "unzip is not installed; the workbook's header was not inspected";
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"),
                {QStringLiteral("-p"), path("out.xlsx"), "xl/worksheets/sheet1.xml"});
    ASSERT_TRUE(unzip.waitForFinished(30000));
    const QByteArray sheet = unzip.readAllStandardOutput();
    const int groupAt = sheet.indexOf("<t>Depth, quality</t>");
    EXPECT_GE(groupAt, 0) << sheet.left(2000).toStdString();
    EXPECT_LT(groupAt, sheet.indexOf("<t>Ids</t>"));
    EXPECT_LT(sheet.indexOf("<t>Ids</t>"), sheet.indexOf("<t>Chr</t>"));
}

namespace {
class WriteCommandsOnTracks : public ::testing::Test {
protected:
    // Skips the test when this build cannot open the input, naming the missing reader.
    void requireReader(const QString& input, const char* reader) {
        if (!opens(input))
            GTEST_SKIP() << "the " << reader << " reader is not in this build yet: varkit schema cannot open "
                         << input.toStdString();
    }
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
};

QByteArray sequence(int count) {
    QByteArray bases;
    for (int i = 0; i < count; ++i)
        bases.append("ACGTTGCA"[(i * 5) % 8]);
    return bases;
}
} // namespace

TEST_F(WriteCommandsOnTracks, WriteFastaWritesBesideTheSourceInSixtyBaseLines) {
    const QByteArray one = sequence(130);
    const QByteArray two = sequence(45);
    writeFile(path("genome.fa"),
              ">1\n" + one.left(50) + '\n' + one.mid(50, 50) + '\n' + one.mid(100) + "\n>2\n" + two + '\n');
    requireReader(path("genome.fa"), "FASTA");
    const CliResult result = runVarkit({"writefasta", path("genome.fa")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "Writing to: " + path("genome.fasta").toUtf8() + '\n');
    EXPECT_EQ(fileText(path("genome.fasta")),
              ">1\n" + one.left(60) + '\n' + one.mid(60, 60) + '\n' + one.mid(120) + "\n>2\n" + two + '\n');
}

TEST_F(WriteCommandsOnTracks, WriteWigWritesBesideTheSourceAsVariableStep) {
    const QByteArray text = "variableStep chrom=1 span=1\n10 1.5\n11 2\nvariableStep chrom=1 span=5\n100 3\n";
    gzFile file = gzopen(QFile::encodeName(path("signal.wig.gz")).constData(), "wb");
    ASSERT_NE(file, nullptr);
    gzwrite(file, text.constData(), unsigned(text.size()));
    gzclose(file);
    requireReader(path("signal.wig.gz"), "wig");
    const CliResult result = runVarkit({"writewig", path("signal.wig.gz")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "Writing to: " + path("signal.wig.wig").toUtf8() + '\n');
    EXPECT_EQ(fileText(path("signal.wig.wig")), text);
}
