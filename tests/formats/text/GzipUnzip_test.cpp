#include "formats/text/GzipUnzip.h"
#include "formats/text/TextTestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

using TextFile::unzipFile;

namespace {

const QString Examples = QStringLiteral(VARKIT_EXAMPLES);

class GzipUnzip : public ::testing::Test {
protected:
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    QString unzipError(const QString& source, const QString& destination) {
        QString error;
        EXPECT_FALSE(unzipFile(source, destination, false, &error));
        return error;
    }

    QTemporaryDir m_dir;
};

TEST_F(GzipUnzip, WritesTheLinesOfBgzipAndGzipFiles) {
    QString error;
    ASSERT_TRUE(unzipFile(Examples + "/example.vcf.gz", path("example.vcf"), false, &error))
        << error.toStdString();
    EXPECT_EQ(readFile(path("example.vcf")), readFile(Examples + "/example.vcf"));

    writeGzip(path("windows.txt.gz"), "a\tb\r\nc\r\nlast");
    ASSERT_TRUE(unzipFile(QUrl::fromLocalFile(path("windows.txt.gz")).toString(), path("windows.txt"), false,
                          &error));
    EXPECT_EQ(readFile(path("windows.txt")), "a\tb\nc\nlast\n");
    EXPECT_TRUE(QFileInfo::exists(path("windows.txt.gz")));
}

TEST_F(GzipUnzip, ReplacingRemovesTheZippedFile) {
    writeGzip(path("data.txt.gz"), "x\ny\n");
    QString error;
    ASSERT_TRUE(unzipFile(path("data.txt.gz"), path("data.txt"), true, &error)) << error.toStdString();
    EXPECT_EQ(readFile(path("data.txt")), "x\ny\n");
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"data.txt"});
}

TEST_F(GzipUnzip, ChecksTheSourceAndDestinationFirst) {
    writeFile(path("plain.txt"), "not compressed\n");
    writeGzip(path("data.gz"), "x\n");
    EXPECT_EQ(unzipError("", path("out.txt")), "Source is not valid");
    EXPECT_EQ(unzipError("https://example.org/data.gz", path("out.txt")), "Network sources are not permited");
    EXPECT_EQ(unzipError(path("missing.gz"), path("out.txt")), "Source file does not exist");
    EXPECT_EQ(unzipError(path("plain.txt"), path("out.txt")), "Source is not a gzip file");
    EXPECT_EQ(unzipError(path("data.gz"), path("data.gz")), "Source and destination have the same path");
    EXPECT_EQ(unzipError(path("data.gz"), path("no/such/folder/out.txt")),
              "Could not open file to write " + path("no/such/folder/out.txt") +
                  ": No such file or directory");
    EXPECT_FALSE(QFileInfo::exists(path("out.txt")));
}

TEST_F(GzipUnzip, RemovesThePartialOutputOfATruncatedSource) {
    QByteArray content;
    for (int i = 0; i < 50000; ++i)
        content += "line " + QByteArray::number(i) + '\n';
    writeGzip(path("data.gz"), content);
    const QByteArray whole = readFile(path("data.gz"));
    writeFile(path("data.gz"), whole.left(whole.size() / 2));
    EXPECT_EQ(
        unzipError(path("data.gz"), path("out.txt")),
        QStringLiteral("Error reading file '%1': Unexpected end of compressed data").arg(path("data.gz")));
    EXPECT_FALSE(QFileInfo::exists(path("out.txt")));
}

} // namespace
