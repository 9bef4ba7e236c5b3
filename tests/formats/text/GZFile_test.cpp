#include "formats/text/GZFile.h"
#include "formats/text/TextTestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

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
