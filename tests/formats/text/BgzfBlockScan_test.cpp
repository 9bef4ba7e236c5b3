#include "formats/text/BgzfBlockScan.h"
#include "formats/text/TextTestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <htslib/bgzf.h>

using TextFile::scanBgzfBlocks;

namespace {

class BgzfBlockScan : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = m_dir.filePath("data.gz");
        for (int i = 0; i < 30000; ++i)
            m_content += "line " + QByteArray::number(i * 7919) + '\n';
        ASSERT_TRUE(writeBgzf(m_path, {m_content, "tail\n"}));
        m_bytes = readFile(m_path);
    }

    // The blocks htslib itself reads, then the end-of-file block 28 bytes before the end.
    QList<qint64> htslibBlocks() const {
        QList<qint64> blocks;
        BGZF* file = bgzf_open(m_path.toLocal8Bit().constData(), "r");
        while (bgzf_read_block(file) == 0 && file->block_length > 0) {
            blocks.append(file->block_address);
            file->block_offset = file->block_length;
        }
        bgzf_close(file);
        return blocks << m_bytes.size() - 28;
    }

    QString scanError(const QByteArray& bytes) {
        writeFile(m_path, bytes);
        QList<qint64> starts{1, 2};
        QString error;
        EXPECT_FALSE(scanBgzfBlocks(m_path, &starts, &error));
        EXPECT_TRUE(starts.isEmpty());
        return error;
    }

    QTemporaryDir m_dir;
    QString m_path;
    QByteArray m_content;
    QByteArray m_bytes;
};

TEST_F(BgzfBlockScan, ListsEveryBlockStartEndingWithTheEofBlock) {
    const QList<qint64> expected = htslibBlocks();
    QList<qint64> starts;
    QString error;
    ASSERT_TRUE(scanBgzfBlocks(m_path, &starts, &error)) << error.toStdString();
    EXPECT_GT(starts.size(), 3);
    EXPECT_EQ(starts, expected);
}

TEST_F(BgzfBlockScan, RefusesACutOrPaddedEnd) {
    const QString eof = QStringLiteral("BGZip EOF block has unexpected size in file '%1'").arg(m_path);
    EXPECT_EQ(scanError(m_bytes.left(m_bytes.size() - 28)), eof);
    EXPECT_EQ(scanError(m_bytes.left(m_bytes.size() - 5)), eof);
    const int eofBlock = htslibBlocks().size() - 1;
    EXPECT_EQ(scanError(m_bytes.left(m_bytes.size() - 28 + 10)),
              QStringLiteral("BGZip block header(%1) incomplete in file '%2'").arg(eofBlock).arg(m_path));
}

TEST_F(BgzfBlockScan, RefusesABlockWithoutTheBgzfExtraField) {
    const qint64 second = htslibBlocks().at(1);
    QByteArray damaged = m_bytes;
    damaged[static_cast<int>(second + 12)] = 'X';
    EXPECT_EQ(scanError(damaged), QStringLiteral("BGZip block header(1) invalid in file '%1'").arg(m_path));
}

TEST_F(BgzfBlockScan, RefusesPlainGzipAndMissingFiles) {
    writeGzip(m_path, m_content);
    const QString invalid = QStringLiteral("Input file '%1' is not a valid BGZip file").arg(m_path);
    EXPECT_EQ(scanError(readFile(m_path)), invalid);
    EXPECT_EQ(scanError(m_content), invalid);
    QList<qint64> starts;
    QString error;
    const QString missing = m_dir.filePath("missing.gz");
    EXPECT_FALSE(scanBgzfBlocks(missing, &starts, &error));
    EXPECT_EQ(error, QStringLiteral("Input file '%1' is not a valid BGZip file").arg(missing));
}

} // namespace
