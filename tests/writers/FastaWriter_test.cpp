#include "writers/FastaWriterWorker.h"
#include "writers/WriterTestSupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QByteArray bases(int count, int seed) {
    static const char alphabet[] = "ACGTacgt";
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text.append(alphabet[(i * 7 + seed) % 8]);
    return text;
}

VkFeature piece(const char* chromosome, int start, const QByteArray& sequence) {
    return VkFeature(VkSegment(chromosome, start, start + sequence.size()), {PVariant(sequence)});
}

// Windows of a reference: chromosome 1 in pieces of 70, 70 and 10 bases, chromosome 2 in one of 25.
VkSourcePtr reference(const QString& name, const QByteArray& one, const QByteArray& two, int failAt = -1) {
    const VkFeatureList features = {piece("1", 0, one.left(70)), piece("1", 70, one.mid(70, 70)),
                                    piece("1", 140, one.mid(140)), piece("2", 0, two)};
    return TableSourceTypeManager::define(
        name, tableInfo(FeatureTypeName::AlleleSequence, {VkField(0, "Sequence", "SEQ", ValueType::String)}),
        features, failAt);
}

WriteResult writeFasta(const VkSourcePtr& source, const QString& path, bool filePerChromosome = false) {
    FastaWriterTask task;
    task.setOutputFilePath(path);
    task.setWriteFilePerChr(filePerChromosome);
    return runWriter(
        [&](VkEventedThread* readerThread) { return new FastaWriterWorker(source, task, readerThread); });
}

class FastaWriterTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
    const QByteArray m_one = bases(150, 1);
    const QByteArray m_two = bases(25, 3);
};
} // namespace

TEST_F(FastaWriterTest, FillsGapsWithNAndDoesNotRepeatOverlappingBases) {
    const VkFeatureList features = {piece("3", 0, "ACGTACGTAC"), piece("3", 15, "GGGGG"),
                                    piece("3", 18, "GGTT"), piece("3", 100, bases(55, 2))};
    const VkSourcePtr source = TableSourceTypeManager::define(
        "fasta-gaps",
        tableInfo(FeatureTypeName::AlleleSequence, {VkField(0, "Sequence", "SEQ", ValueType::String)}),
        features);
    ASSERT_TRUE(writeFasta(source, path("gaps.fa")).ended);
    const QByteArray sequence =
        "ACGTACGTAC" + QByteArray(5, 'N') + "GGGGGTT" + QByteArray(78, 'N') + bases(55, 2);
    EXPECT_EQ(fileText(path("gaps.fa")),
              ">3\n" + sequence.left(60) + '\n' + sequence.mid(60, 60) + '\n' + sequence.mid(120) + '\n');
}

TEST_F(FastaWriterTest, WritesAFilePerChromosomeNamedAfterTheOutput) {
    const WriteResult result = writeFasta(reference("fasta-split", m_one, m_two), path("genome.fasta"), true);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.error, QString());
    // Opening the files again as sources may index them; nothing else is left beside them.
    EXPECT_EQ(folderFiles(m_dir.path()).filter(QRegularExpression(QStringLiteral("fasta$"))),
              (QStringList{"genome.1.fasta", "genome.2.fasta"}));
    EXPECT_EQ(fileText(path("genome.2.fasta")), ">2\n" + m_two + '\n');
    EXPECT_TRUE(fileText(path("genome.1.fasta")).startsWith(">1\n" + m_one.left(60) + '\n'));
    EXPECT_EQ(result.outputs.size(), 2);
    EXPECT_EQ(FastaWriterWorker::chromosomePath(QStringLiteral("out/ref"), "chrUn/1"),
              QStringLiteral("out/ref.chrUn_1"));
}

TEST_F(FastaWriterTest, FailuresLeaveNoFileBehind) {
    const WriteResult broken =
        writeFasta(reference("fasta-fail", m_one, m_two, 3), path("split.fasta"), true);
    EXPECT_EQ(broken.error, QStringLiteral("broken record 3"));

    const VkFeatureList unordered = {piece("1", 0, "AC"), piece("2", 0, "GT"), piece("1", 2, "AC")};
    const VkSourcePtr source = TableSourceTypeManager::define(
        "fasta-unordered",
        tableInfo(FeatureTypeName::AlleleSequence, {VkField(0, "Sequence", "SEQ", ValueType::String)}),
        unordered);
    EXPECT_EQ(
        writeFasta(source, path("split.fasta"), true).error,
        QStringLiteral("The source is not in chromosome order: 1 comes again after another chromosome"));

    const VkSourcePtr numbers = TableSourceTypeManager::define(
        "fasta-numbers",
        tableInfo(FeatureTypeName::AlleleSequence, {VkField(0, "Value", "V", ValueType::Int)}), {});
    EXPECT_EQ(writeFasta(numbers, path("n.fasta")).error,
              QStringLiteral("The source has no sequence field to write"));
    EXPECT_TRUE(folderFiles(m_dir.path()).isEmpty()) << folderFiles(m_dir.path()).join(' ').toStdString();
}
