#include "formats/text/TextFileReader.h"
#include "formats/text/TextTestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <htslib/bgzf.h>
#include <htslib/kstring.h>

#include <cstdlib>

using TextFile::Reader;
using Mode = TextFile::Reader::Mode;

namespace {

// How the test file is written, and how it is opened: the BGZF reader also reads plain gzip and text.
enum class Form { Text, Gzip, Bgzf };

struct ModeCase {
    const char* name;
    Form form;
    Mode mode;
    int threads;
};

void PrintTo(const ModeCase& modeCase, std::ostream* out) {
    *out << modeCase.name;
}

// The sequential modes, over content this test writes in the case's form.
class LineReading : public ::testing::TestWithParam<ModeCase> {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("data")); }

    void write(const QList<QByteArray>& parts) {
        if (GetParam().form == Form::Bgzf) {
            ASSERT_TRUE(writeBgzf(path(), parts));
            return;
        }
        QByteArray content;
        for (const QByteArray& part : parts)
            content += part;
        if (GetParam().form == Form::Gzip)
            writeGzip(path(), content);
        else
            writeFile(path(), content);
    }

    bool open() {
        m_reader.setDecompressionThreads(GetParam().threads);
        switch (GetParam().mode) {
        case Mode::Bgzf:
            return m_reader.openBgzf(path()) && m_reader.startRead();
        case Mode::Gzip:
            return m_reader.openGzip(path()) && m_reader.startRead();
        default:
            return m_reader.openText(path()) && m_reader.startRead();
        }
    }

    QList<QByteArray> linesOf(const QList<QByteArray>& parts) {
        write(parts);
        EXPECT_TRUE(open()) << m_reader.errorText().toStdString();
        const QList<QByteArray> lines = readLines(m_reader);
        EXPECT_FALSE(m_reader.hasError()) << m_reader.errorText().toStdString();
        return lines;
    }

    // Lines of varied length, some with "\r\n" ends, and the last without a line end.
    static QByteArray manyLines(int count) {
        QByteArray content;
        for (int i = 0; i < count; ++i) {
            content += "line " + QByteArray::number(i) + '\t' + QByteArray(i * 7919 % 300, 'x');
            content += i % 5 == 0 ? "\r\n" : "\n";
        }
        return content + "last";
    }

    QTemporaryDir m_dir;
    Reader m_reader;
};

TEST_P(LineReading, LineEndsAtTheEndOfTheFile) {
    using Lines = QList<QByteArray>;
    EXPECT_EQ(linesOf({"a\nbb\nccc"}), (Lines{"a", "bb", "ccc"}));
    EXPECT_EQ(linesOf({"a\nbb\n"}), (Lines{"a", "bb"}));
    EXPECT_EQ(linesOf({"a\r\nbb\r\nc\tc\r\n"}), (Lines{"a", "bb", "c\tc"}));
    EXPECT_EQ(linesOf({"a\n\nb\n"}), (Lines{"a", "", "b"}));
    EXPECT_EQ(linesOf({"\n"}), (Lines{""}));
    EXPECT_EQ(linesOf({""}), Lines{});
}

TEST_P(LineReading, LinesCrossingBuffersAndBlocksAreWhole) {
    using Lines = QList<QByteArray>;
    const QByteArray huge(3 << 20, 'g');
    EXPECT_EQ(linesOf({"first\n" + huge + "\r\nafter\n"}), (Lines{"first", huge, "after"}));
    // Block boundaries inside a line, inside "\r\n", right after "\n", and around an empty block.
    EXPECT_EQ(linesOf({"ab", "c\r", "\nd\n", "", "e", "f"}), (Lines{"abc", "d", "ef"}));
}

TEST_P(LineReading, PositionsLeadBackToTheirLines) {
    const QByteArray content = manyLines(40000);
    write({content});
    ASSERT_TRUE(open());
    QList<qint64> positions;
    const QList<QByteArray> lines = readLines(m_reader, &positions);
    ASSERT_EQ(lines.size(), 40001);
    if (GetParam().mode != Mode::Bgzf) {
        for (int i = 0; i < lines.size(); ++i)
            ASSERT_EQ(QByteArray::fromRawData(content.constData() + positions[i], lines[i].size()), lines[i])
                << i;
        return;
    }
    if (GetParam().form != Form::Bgzf)
        return; // virtual offsets address BGZF blocks only
    BGZF* file = bgzf_open(path().toLocal8Bit().constData(), "r");
    kstring_t line{0, 0, nullptr};
    for (int i = 0; i < lines.size(); ++i) {
        ASSERT_EQ(bgzf_seek(file, positions[i], SEEK_SET), 0);
        ASSERT_GE(bgzf_getline(file, '\n', &line), 0);
        ASSERT_EQ(QByteArray(line.s, static_cast<int>(line.l)), lines[i]) << i;
    }
    free(line.s);
    bgzf_close(file);
}

TEST_P(LineReading, ReadingAgainStartsFromTheFirstLine) {
    write({manyLines(3000)});
    ASSERT_TRUE(open());
    int length = 0;
    m_reader.nextLine(&length);
    m_reader.nextLine(&length);
    ASSERT_TRUE(m_reader.startRead());
    const QList<QByteArray> lines = readLines(m_reader);
    EXPECT_EQ(lines.size(), 3001);
    EXPECT_EQ(lines.first(), "line 0\t");
    EXPECT_EQ(lines.last(), "last");
}

INSTANTIATE_TEST_SUITE_P(Modes, LineReading,
                         ::testing::Values(ModeCase{"Text", Form::Text, Mode::Text, 0},
                                           ModeCase{"Gzip", Form::Gzip, Mode::Gzip, 0},
                                           ModeCase{"Bgzf", Form::Bgzf, Mode::Bgzf, 0},
                                           ModeCase{"BgzfThreads", Form::Bgzf, Mode::Bgzf, 2},
                                           ModeCase{"BgzfOfGzip", Form::Gzip, Mode::Bgzf, 2},
                                           ModeCase{"BgzfOfText", Form::Text, Mode::Bgzf, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

using CompressedLineReading = LineReading;

TEST_P(CompressedLineReading, DamagedDataIsAnErrorNotAnEnd) {
    write({manyLines(20000)});
    const QByteArray whole = readFile(path());
    QByteArray corrupt = whole;
    corrupt.replace(whole.size() / 2, 64, QByteArray(64, '\0'));
    for (const QByteArray& damaged : {whole.left(whole.size() / 2), corrupt}) {
        writeFile(path(), damaged);
        ASSERT_TRUE(open());
        const QList<QByteArray> lines = readLines(m_reader);
        EXPECT_LT(lines.size(), 20001);
        EXPECT_TRUE(m_reader.hasError());
        EXPECT_TRUE(m_reader.lineIterator()->hasError());
        EXPECT_TRUE(m_reader.errorText().contains(path()));
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, CompressedLineReading,
                         ::testing::Values(ModeCase{"Gzip", Form::Gzip, Mode::Gzip, 0},
                                           ModeCase{"GzipOfBgzf", Form::Bgzf, Mode::Gzip, 0},
                                           ModeCase{"Bgzf", Form::Bgzf, Mode::Bgzf, 0},
                                           ModeCase{"BgzfThreads", Form::Bgzf, Mode::Bgzf, 2},
                                           ModeCase{"BgzfOfGzip", Form::Gzip, Mode::Bgzf, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

const QString Examples = QStringLiteral(VARKIT_EXAMPLES);

TEST(TextFileReader, AllFourModesReadTheSameLinesOfTheExample) {
    const QList<QByteArray> expected = splitLines(readFile(Examples + "/example.vcf"));
    ASSERT_EQ(expected.size(), 71);
    const QString gz = Examples + "/example.vcf.gz";
    Reader reader;
    ASSERT_TRUE(reader.openText(Examples + "/example.vcf") && reader.startRead());
    EXPECT_EQ(readLines(reader), expected);
    ASSERT_TRUE(reader.openGzip(gz) && reader.startRead());
    EXPECT_EQ(readLines(reader), expected);
    ASSERT_TRUE(reader.openBgzf(gz) && reader.startRead());
    EXPECT_EQ(readLines(reader), expected);
    ASSERT_TRUE(reader.openTabix(gz, gz + ".tbi") && reader.startRead());
    EXPECT_EQ(readLines(reader), expected);
    EXPECT_EQ(reader.mode(), Mode::Tabix);
    EXPECT_FALSE(reader.hasError());
}

// A BGZF file cut at a block boundary is complete gzip, but BGZF promises an end-of-file block.
TEST(TextFileReader, BgzfWithoutItsEofBlockIsTruncatedButCompleteGzip) {
    QTemporaryDir dir;
    const QString path = dir.filePath("cut.gz");
    ASSERT_TRUE(writeBgzf(path, {"a\n", "b\n"}));
    const QByteArray whole = readFile(path);
    writeFile(path, whole.left(whole.size() - 28));
    const QList<QByteArray> expected{"a", "b"};
    Reader reader;
    for (int threads : {0, 2}) {
        reader.setDecompressionThreads(threads);
        ASSERT_TRUE(reader.openBgzf(path) && reader.startRead());
        EXPECT_EQ(readLines(reader), expected);
        EXPECT_EQ(reader.errorText(),
                  QStringLiteral("BGZip EOF block missing, file '%1' is truncated").arg(path));
    }
    ASSERT_TRUE(reader.openGzip(path) && reader.startRead());
    EXPECT_EQ(readLines(reader), expected);
    EXPECT_FALSE(reader.hasError());
}

TEST(TextFileReader, TabixOpenListsTheIndexedChromosomes) {
    const QString gz = Examples + "/example.vcf.gz";
    Reader reader;
    ASSERT_TRUE(reader.openTabix(gz, gz + ".tbi"));
    EXPECT_TRUE(reader.isOpen());
    EXPECT_EQ(reader.sequenceNames(), (QList<QByteArray>{"20", "21"}));
    ASSERT_TRUE(reader.openBgzf(gz));
    EXPECT_TRUE(reader.sequenceNames().isEmpty());
    EXPECT_EQ(reader.mode(), Mode::Bgzf);
}

TEST(TextFileReader, FailedOpensLeaveTheReaderClosedWithTheirMessage) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing.vcf.gz");
    const QString gz = Examples + "/example.vcf.gz";
    const QString unable = QStringLiteral("Unable to open file '%1'").arg(missing);
    Reader reader;
    ASSERT_TRUE(reader.openText(Examples + "/example.vcf"));
    EXPECT_FALSE(reader.openText(missing));
    EXPECT_EQ(reader.errorText(), unable);
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(reader.mode(), Mode::Closed);
    EXPECT_FALSE(reader.openGzip(missing));
    EXPECT_EQ(reader.errorText(), unable);
    EXPECT_FALSE(reader.openBgzf(missing));
    EXPECT_EQ(reader.errorText(), unable);
    EXPECT_FALSE(reader.openTabix(missing, gz + ".tbi"));
    EXPECT_EQ(reader.errorText(), unable);
    EXPECT_FALSE(reader.openTabix(gz, missing + ".tbi"));
    EXPECT_EQ(reader.errorText(), QStringLiteral("Unable to open index file '%1'").arg(missing + ".tbi"));
    EXPECT_FALSE(reader.isOpen());
    EXPECT_FALSE(reader.openTabix(Examples + "/example.vcf", gz + ".tbi"));
    EXPECT_EQ(reader.errorText(), QStringLiteral("Unable to open file '%1'").arg(Examples + "/example.vcf"));
    EXPECT_FALSE(reader.startRead());
}

} // namespace
