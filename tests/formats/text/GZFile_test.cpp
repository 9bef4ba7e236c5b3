#include "formats/text/GZFile.h"
#include "formats/text/TextTestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(GZFile, InflatesConcatenatedMembersAndStartsAgainOnReset) {
    QTemporaryDir dir;
    const QString first = dir.filePath("1.gz"), second = dir.filePath("2.gz"), both = dir.filePath("both.gz");
    writeGzip(first, "one\n");
    writeGzip(second, "two\n");
    writeFile(both, readFile(first) + readFile(second));
    GZFile file(both);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.isSequential());
    EXPECT_EQ(file.readAll(), "one\ntwo\n");
    EXPECT_TRUE(file.atEnd());
    ASSERT_TRUE(file.reset());
    EXPECT_FALSE(file.atEnd());
    EXPECT_EQ(file.readAll(), "one\ntwo\n");
}

TEST(GZFile, IsReadOnlyAndReportsMissingFiles) {
    QTemporaryDir dir;
    GZFile missing(dir.filePath("missing.gz"));
    EXPECT_FALSE(missing.open(QIODevice::ReadOnly));
    EXPECT_FALSE(missing.errorString().isEmpty());
    writeGzip(dir.filePath("data.gz"), "x\n");
    GZFile file(dir.filePath("data.gz"));
    EXPECT_FALSE(file.open(QIODevice::WriteOnly));
    EXPECT_FALSE(file.open(QIODevice::ReadWrite));
    EXPECT_FALSE(file.isOpen());
}

TEST(GZFile, FailsOnDataThatIsNotGzip) {
    QTemporaryDir dir;
    writeFile(dir.filePath("plain.gz"), "plain text, not gzip\n");
    GZFile file(dir.filePath("plain.gz"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    char buffer[64];
    EXPECT_EQ(file.read(buffer, sizeof buffer), -1);
    EXPECT_TRUE(file.errorString().startsWith("Corrupt compressed data")) << file.errorString().toStdString();
}

} // namespace
