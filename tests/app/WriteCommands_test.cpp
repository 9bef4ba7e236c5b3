#include "support/Cli.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zlib.h>

// The write commands end to end, on real source formats.

namespace {
QString exampleVcf() {
    return QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz");
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

// --query writes the records of its regions only, as bcftools view -r selects them.
TEST_F(WriteCommandsOnVcf, QueryWritesTheRecordsOfItsRegions) {
    const char* region = "20:1-20000000,21:10000000-20000000";
    const CliResult vcf = runVarkit({"writevcf", exampleVcf(), path("q.vcf"), QStringLiteral("--query=") + region});
    ASSERT_EQ(vcf.exitCode, 0) << vcf.err.toStdString();
    QProcess bcftools;
    bcftools.start(QStringLiteral("bcftools"), {"view", "-H", "-r", region, exampleVcf()});
    ASSERT_TRUE(bcftools.waitForFinished());
    const QByteArray expected = bcftools.readAllStandardOutput();
    ASSERT_GT(expected.count('\n'), 0);
    QByteArray records;
    for (const QByteArray& line : fileText(path("q.vcf")).split('\n'))
        if (!line.isEmpty() && !line.startsWith('#'))
            records += line.split('\t').mid(0, 5).join('\t') + '\n';
    QByteArray expectedRecords;
    for (const QByteArray& line : expected.split('\n'))
        if (!line.isEmpty())
            expectedRecords += line.split('\t').mid(0, 5).join('\t') + '\n';
    EXPECT_EQ(records, expectedRecords);

    const CliResult txt = runVarkit({"writetxt", exampleVcf(), path("q.txt"), QStringLiteral("--query=") + region});
    ASSERT_EQ(txt.exitCode, 0) << txt.err.toStdString();
    EXPECT_EQ(fileText(path("q.txt")).count('\n'), expected.count('\n') + 1); // and the header line

    const CliResult bad = runVarkit({"writevcf", exampleVcf(), path("bad.vcf"), "--query=20:abc"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.startsWith("Failed to parse query: ")) << bad.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("bad.vcf")));
}

TEST_F(WriteCommandsOnVcf, WriteTxtOfTheTsfCopyGivesTheSameTableAsTheVcf) {
    // Categories (FILTER, the INFO flags) are stored as codes: the text must show their names.
    ASSERT_EQ(runVarkit({"writetsf", exampleVcf(), path("example.tsf")}).exitCode, 0);
    ASSERT_EQ(runVarkit({"writetxt", exampleVcf(), path("from-vcf.txt")}).exitCode, 0);
    const CliResult result = runVarkit({"writetxt", path("example.tsf"), path("from-tsf.txt")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QByteArray fromTsf = fileText(path("from-tsf.txt"));
    EXPECT_EQ(fromTsf, fileText(path("from-vcf.txt")));
    EXPECT_TRUE(fromTsf.contains("\tLowQual\t")) << fromTsf.left(400).toStdString();
}

TEST_F(WriteCommandsOnVcf, TabularCommandsRefuseAFieldWithAValuePerSampleEntity) {
    const int entity = fieldOfType(QStringLiteral("entity_attribute"));
    ASSERT_GE(entity, 0);
    for (const char* command : {"writetxt", "writexlsx"}) {
        const QString selection = QString::fromLatin1(command) == QLatin1String("writetxt")
                                      ? QStringLiteral("--fields=%1").arg(entity)
                                      : QStringLiteral("--group=G,%1").arg(entity);
        const CliResult result = runVarkit({command, exampleVcf(), path("out"), selection});
        EXPECT_EQ(result.exitCode, 1) << command;
        EXPECT_TRUE(result.err.startsWith("Only locus and sample fields are supported! Remove field: "))
            << result.err.toStdString();
        EXPECT_TRUE(result.err.endsWith(" from selection")) << result.err.toStdString();
    }
    EXPECT_TRUE(QDir(m_dir.path()).isEmpty());
}

namespace {
QByteArray sequence(int count) {
    QByteArray bases;
    for (int i = 0; i < count; ++i)
        bases.append("ACGTTGCA"[(i * 5) % 8]);
    return bases;
}

const QByteArray kSignal = "variableStep chrom=1 span=1\n10 1.5\n11 2\nvariableStep chrom=1 span=5\n100 3\n";

// Inputs of the FASTA and wig readers, made in the test's folder.
class WriteCommandsOnTracks : public ::testing::Test {
protected:
    // genome.fa: chromosome 1 of 130 bases in lines of 50, chromosome 2 of 45 bases.
    QString genome() {
        writeFile(path("genome.fa"), ">1\n" + m_one.left(50) + '\n' + m_one.mid(50, 50) + '\n' +
                                         m_one.mid(100) + "\n>2\n" + m_two + '\n');
        return path("genome.fa");
    }
    // signal.wig.gz: three data points on chromosome 1, two of span 1 and one of span 5.
    QString signal() {
        gzFile file = gzopen(QFile::encodeName(path("signal.wig.gz")).constData(), "wb");
        gzwrite(file, kSignal.constData(), unsigned(kSignal.size()));
        gzclose(file);
        return path("signal.wig.gz");
    }
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QStringList files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    QTemporaryDir m_dir;
    const QByteArray m_one = sequence(130);
    const QByteArray m_two = sequence(45);
};
} // namespace

TEST_F(WriteCommandsOnTracks, WriteFastaWritesBesideTheSourceInSixtyBaseLines) {
    genome();
    const CliResult result = runVarkit({"writefasta", path("genome.fa")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "Writing to: " + path("genome.fasta").toUtf8() + '\n');
    EXPECT_EQ(fileText(path("genome.fasta")), ">1\n" + m_one.left(60) + '\n' + m_one.mid(60, 60) + '\n' +
                                                  m_one.mid(120) + "\n>2\n" + m_two + '\n');
}

TEST_F(WriteCommandsOnTracks, WriteWigWritesBesideTheSourceAsVariableStep) {
    signal();
    const CliResult result = runVarkit({"writewig", path("signal.wig.gz")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "Writing to: " + path("signal.wig.wig").toUtf8() + '\n');
    EXPECT_EQ(fileText(path("signal.wig.wig")), kSignal);
}

TEST_F(WriteCommandsOnTracks, WriteTxtWritesTheLocusColumnsAndTheValues) {
    signal();
    const CliResult result = runVarkit({"writetxt", path("signal.wig.gz"), path("signal.txt")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.endsWith("Complete: shutting down\n")) << result.err.toStdString();
    EXPECT_EQ(fileText(path("signal.txt")), QByteArray("#Chr\tStart\tStop\tVALUE\n"
                                                       "1\t9\t10\t1.5\n"
                                                       "1\t10\t11\t2\n"
                                                       "1\t99\t104\t3\n"));
}

TEST_F(WriteCommandsOnTracks, SequenceCommandsRefuseASourceOfAnotherFeatureType) {
    signal();
    genome();
    const CliResult fasta = runVarkit({"writefasta", path("signal.wig.gz"), path("out.fasta")});
    EXPECT_EQ(fasta.exitCode, 1);
    EXPECT_EQ(fasta.err, "source " + path("signal.wig.gz").toUtf8() + " is not valid for .fasta output");
    EXPECT_EQ(fasta.out, QByteArray());

    const CliResult wig = runVarkit({"writewig", path("genome.fa"), path("out.wig")});
    EXPECT_EQ(wig.exitCode, 1);
    EXPECT_EQ(wig.err, "source " + path("genome.fa").toUtf8() + " is not valid for .wig output");
    EXPECT_FALSE(files().contains(QStringLiteral("out.fasta")));
    EXPECT_FALSE(files().contains(QStringLiteral("out.wig")));
}

TEST_F(WriteCommandsOnTracks, TabularCommandsCheckTheFieldSelection) {
    signal();
    const CliResult fields = runVarkit({"writetxt", path("signal.wig.gz"), path("out.txt"), "--fields=0, 5"});
    EXPECT_EQ(fields.exitCode, 1);
    EXPECT_EQ(fields.err, QByteArray("Selected field idx is not valid 5"));

    const CliResult group =
        runVarkit({"writexlsx", path("signal.wig.gz"), path("out.xlsx"), "--group=G,0,-1"});
    EXPECT_EQ(group.exitCode, 1);
    EXPECT_EQ(group.err, QByteArray("Selected field idx is not valid -1"));
    EXPECT_EQ(files(), QStringList{"signal.wig.gz"});
}

TEST_F(WriteCommandsOnTracks, WriteXlsxNeedsAnExistingDestinationFolder) {
    signal();
    const CliResult result = runVarkit({"writexlsx", path("signal.wig.gz"), path("none/out.xlsx")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Destination directory does not exist:\n" + path("none").toUtf8());
}

TEST_F(WriteCommandsOnTracks, AnUnwritableDestinationEndsWithTheWritersError) {
    signal();
    writeFile(path("file"), "not a folder");
    const CliResult result = runVarkit({"writetxt", path("signal.wig.gz"), path("file/out.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("Ran into errors: Could not open file to write " +
                                    path("file/out.txt").toUtf8() + ": Not a directory"))
        << result.err.toStdString();
    EXPECT_EQ(files(), (QStringList{"file", "signal.wig.gz"}));
}

TEST_F(WriteCommandsOnTracks, WriteXlsxKeepsAnEscapedCommaInAGroupName) {
    signal();
    const CliResult result = runVarkit({"writexlsx", path("signal.wig.gz"), path("out.xlsx"),
                                        "--group=Signal\\, smoothed,0, ", "--group=Again,0"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    ASSERT_TRUE(QFile::exists(path("out.xlsx")));
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"),
                {QStringLiteral("-p"), path("out.xlsx"), "xl/worksheets/sheet1.xml"});
    ASSERT_TRUE(unzip.waitForFinished(30000));
    const QByteArray sheet = unzip.readAllStandardOutput();
    const int named = sheet.indexOf("<t>Signal, smoothed</t>");
    EXPECT_GE(named, 0) << sheet.left(2000).toStdString();
    EXPECT_LT(named, sheet.indexOf("<t>Again</t>"));
    EXPECT_LT(sheet.indexOf("<t>Again</t>"), sheet.indexOf("<t>Chr</t>"));
}
