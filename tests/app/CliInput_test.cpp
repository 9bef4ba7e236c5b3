#include "support/Cli.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(CliInput, StandardInputThatIsNotJsonIsReported) {
    const CliResult result = runVarkit({"schema", "-"}, "{ \"url\": ");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.startsWith("varkit schema <source> \r\n"));
    EXPECT_TRUE(result.err.startsWith(
        "source - is not valid: Failed to parse txsource through stdin: json error: line 1: "))
        << result.err.toStdString();
}

TEST(CliInput, StandardInputMayNameAPath) {
    const CliResult result = runVarkit({"schema", "-"}, "  /data/notes.doc\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "source - is not valid: The file is of an unrecognized type: /data/notes.doc\n");
}

TEST(CliInput, InvalidSourcesPrintTheHelpThenTheReason) {
    const CliResult result = runVarkit({"schema", "s3://bucket/trio.vcf.gz"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.startsWith("varkit schema <source> \r\n"));
    EXPECT_EQ(result.err,
              "source s3://bucket/trio.vcf.gz is not valid: Object-store sources are not supported: "
              "s3://bucket/trio.vcf.gz\n");
}

TEST(CliSchema, FolderPrintsOneArrayOnOneLine) {
    QTemporaryDir dir;
    QFile notes(dir.filePath(QStringLiteral("notes.doc")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("not a source\n");
    notes.close();
    const CliResult result = runVarkit({"schema", dir.path()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "[]\n");
}
