#include "support/Cli.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QByteArray topLevelHelpStart() {
    return "varkit help\r\n\r\nCommands:\r\n\r\n    schema        Ouput the schema";
}

void expectTopLevelHelp(const QStringList& args) {
    const CliResult result = runVarkit(args);
    EXPECT_EQ(result.exitCode, 1) << args.join(' ').toStdString();
    EXPECT_TRUE(result.out.startsWith(topLevelHelpStart())) << result.out.left(80).toStdString();
}
} // namespace

TEST(CliEntry, TopLevelHelpForMissingOrUnknownWords) {
    expectTopLevelHelp({});
    expectTopLevelHelp({"help"});
    expectTopLevelHelp({"help", "nosuch"});
    expectTopLevelHelp({"nosuch"});
    // The help target keeps the case it was typed in, so it is not a command word.
    expectTopLevelHelp({"help", "WRITEVCF"});
}

TEST(CliEntry, TopLevelHelpTextIsExact) {
    const QByteArray out = runVarkit({}).out;
    EXPECT_TRUE(out.contains("\r\n    wirtexlsx\tOutput the file into the .xlsx format\r\n"));
    EXPECT_TRUE(out.contains("    index         Create the .vcf.gz and .vcf.gz.tbi version of the \r\n"
                             "                  input file that is genomically indexed\r\n\r\n"));
    EXPECT_TRUE(out.endsWith("    leftalign     Left align a source to vcf \r\n\r\n\r\n"
                             "Help may be called followed by one of the commands for more \r\n"
                             "information specific to their usage. \r\n\r\n\r\n"));
    EXPECT_FALSE(out.contains("annotate"));
    EXPECT_EQ(out.count('\n'), out.count("\r\n"));
}

TEST(CliEntry, CommandWordIsLowerCasedAndChecksItsArguments) {
    const CliResult result = runVarkit({"WRITEVCF"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.startsWith("varkit writevcf <source> <destination> <options>\r\n"));
}

TEST(CliEntry, HelpWordStillParsesTheCommandArguments) {
    const CliResult result = runVarkit({"help", "writevcf"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.startsWith("varkit writevcf <source> <destination> <options>\r\n"));
    EXPECT_TRUE(result.out.contains(
        "   --fields=<idxs>   0-based indexes of fields to include in export (default all)"));

    // fieldindex's parser runs before its help and reports the unset index.
    const CliResult fieldIndex = runVarkit({"help", "fieldindex"});
    EXPECT_TRUE(fieldIndex.out.startsWith("Not an integer: -notset-\nvarkit fieldindex <source> \r\n"));
}

TEST(CliEntry, EveryCommandHelpOpensWithItsUsageLine) {
    const QList<QPair<QString, QByteArray>> usages = {
        {"annotate", "varkit annotate <algorithm> <options> <input_source> <annot_source>"},
        {"coverage", "varkit coverage  <source>"},
        {"fieldindex", "varkit fieldindex <source> "},
        {"index", "varkit index <source>"},
        {"leftalign", "varkit leftalign <source> <destination> "},
        {"lock", "varkit lock --flag <source>"},
        {"precompute", "varkit precompute <source>"},
        {"s3url", "varkit s3url <S3Bucket> <S3Key> <S3AccessKey> <S3SecretKey> <ExpiresInNSeconds>"},
        {"schema", "varkit schema <source> "},
        {"transform", "varkit transform <transform> "},
        {"writefasta", "varkit writefasta <source> <destination> "},
        {"writetsf", "varkit writetsf <source> <destination> --query=<subset_query>"},
        {"writetxt", "varkit writetxt <source> <destination> <options>"},
        {"writevcf", "varkit writevcf <source> <destination> <options>"},
        {"writewig", "varkit writewig <source> <destination> "},
        {"writexlsx", "varkit writexlsx <source> <destination> <options>"},
    };
    for (const auto& usage : usages) {
        const CliResult result = runVarkit({usage.first});
        EXPECT_EQ(result.exitCode, 1) << usage.first.toStdString();
        EXPECT_TRUE(result.out.contains(usage.second + "\r\n")) << usage.first.toStdString();
        if (usage.first != QLatin1String("lock")) { // lock reports that it found no file
            EXPECT_TRUE(result.err.isEmpty()) << usage.first.toStdString();
        }
    }
}

TEST(CliArguments, ParseErrorsPrintTheirMessageThenTheHelp) {
    struct Case {
        QStringList args;
        QByteArray message;
        QByteArray help;
    };
    const QList<Case> cases = {
        {{"index", "a.vcf", "--bogus"},
         "Additional arguments after <a.vcf> not recognized\n",
         "varkit index"},
        {{"coverage", "a.vcf", "extra"},
         "Additional arguments after <a.vcf> not recognized\n",
         "varkit coverage"},
        {{"fieldindex", "x.tsf"}, "Not an integer: -notset-\n", "varkit fieldindex"},
        {{"fieldindex", "x.tsf", "--index=two"}, "Not an integer: two\n", "varkit fieldindex"},
        {{"writetxt", "in.vcf", "out.txt", "--fields=1,a"},
         "field idx must be integer values",
         "varkit writetxt"},
        {{"writevcf", "in.vcf", "out.vcf", "--fields=x"},
         "fields must only contain integer values",
         "varkit writevcf"},
        {{"writexlsx", "in.vcf", "out.xlsx", "--group=name"},
         "No field indexes selected for group: \"name\"",
         "varkit writexlsx"},
        {{"writexlsx", "in.vcf", "out.xlsx", "--group=name,1,b"},
         "group field idx must be integer values",
         "varkit writexlsx"},
        {{"annotate", "nearest", "a.vcf", "b.bed"},
         "Unknown annotation algorithm: nearest\n",
         "varkit annotate"},
        {{"transform", "nosuch"}, "Unknown transform: nosuch\n", "varkit transform"},
        {{"transform", "mergevcfs", "--url"}, "No source files were specified", "varkit transform"},
    };
    for (const Case& c : cases) {
        const CliResult result = runVarkit(c.args);
        const std::string label = c.args.join(' ').toStdString();
        EXPECT_EQ(result.exitCode, 1) << label;
        EXPECT_TRUE(result.out.startsWith(c.message + c.help)) << label << "\n"
                                                               << result.out.left(120).toStdString();
    }
}

TEST(CliArguments, WriteXlsxEchoesRejectedArguments) {
    const CliResult result = runVarkit({"writexlsx", "in.vcf", "out.xlsx", "--nope"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.startsWith("invalid arguments!\n"));
    EXPECT_TRUE(result.out.contains(" writexlsx in.vcf out.xlsx --nope\nvarkit writexlsx <source>"));
}

TEST(CliArguments, RejectedArgumentsPrintOnlyTheHelp) {
    const QList<QStringList> cases = {
        {"s3url", "bucket", "key", "access", "secret", "soon"},
        {"s3url", "bucket", "key"},
        {"schema", "a.vcf", "extra"},
        {"transform", "altratio", "in.vcf", "--observedIdx=x"},
        {"transform", "allelicprimitives", "in.vcf", "--maxLength=long"},
        {"transform", "appendrecords"},
        {"annotate", "variant", "a.vcf", "b.vcf", "--annotationMode=OneToOne"},
        {"leftalign", "in.vcf"},
        {"writetsf", "in.vcf", "out.tsf", "extra.tsf"},
    };
    for (const QStringList& args : cases) {
        const CliResult result = runVarkit(args);
        const std::string label = args.join(' ').toStdString();
        EXPECT_EQ(result.exitCode, 1) << label;
        EXPECT_TRUE(result.out.startsWith("varkit " + args.first().toUtf8())) << label;
        EXPECT_TRUE(result.err.isEmpty()) << label;
    }
}

TEST(CliArguments, BareDoubleDashExitsWithTwo) {
    EXPECT_EQ(runVarkit({"writetsf", "in.vcf", "--"}).exitCode, 2);
    EXPECT_EQ(runVarkit({"annotate", "region", "--", "a", "b"}).exitCode, 2);
}

TEST(CliLock, ReportsMissingFilesAndFolders) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.tsf"));
    const CliResult result = runVarkit({"lock", "--SET", missing});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "File not found:\n" + missing.toUtf8() + "\nNo valid sources were found\n");
    EXPECT_TRUE(result.out.startsWith("varkit lock --flag <source>\r\n"));

    const CliResult wildcard = runVarkit({"lock", "--unset", dir.filePath(QStringLiteral("*.tsf"))});
    EXPECT_EQ(wildcard.err, "No valid sources were found\n");

    const QString noFolder = dir.filePath(QStringLiteral("nofolder/*.tsf"));
    const CliResult badFolder = runVarkit({"lock", "--set", noFolder});
    EXPECT_TRUE(badFolder.err.startsWith("Input directory does not exist:\n" +
                                         dir.filePath(QStringLiteral("nofolder")).toUtf8() + "\n"));

    const CliResult badFlag = runVarkit({"lock", "--toggle", missing});
    EXPECT_EQ(badFlag.err, "Unrecognized command option!\n");
}

TEST(CliSysinfo, PrintsSixLabelledLines) {
    const CliResult result = runVarkit({"sysinfo"});
    EXPECT_EQ(result.exitCode, 0);
    const QList<QByteArray> lines = result.out.trimmed().split('\n');
    const QList<QByteArray> labels = {"prettyProductName:", "productVersion:",        "buildAbi:",
                                      "cvlDesc:",           "defaultMaxFileHandles:", "afterSettingMax:"};
    ASSERT_EQ(lines.size(), labels.size()) << result.out.toStdString();
    for (int i = 0; i < labels.size(); ++i)
        EXPECT_TRUE(lines[i].startsWith(labels[i])) << lines[i].toStdString();
    EXPECT_TRUE(lines[3].contains(" MB RAM"));
    EXPECT_GE(lines[5].mid(labels[5].size()).toLongLong(), lines[4].mid(labels[4].size()).toLongLong());
}

TEST(CliS3url, PrintsASignedUrlWithoutNewline) {
    const CliResult result = runVarkit({"s3url", "bucket", "data/my file.vcf", "AKID", "secret", "60"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.startsWith("https://bucket.s3.amazonaws.com/data/my%20file.vcf?Signature="));
    EXPECT_TRUE(result.out.contains("&AWSAccessKeyId=AKID"));
    EXPECT_FALSE(result.out.endsWith('\n'));
}
