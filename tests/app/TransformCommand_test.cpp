#include "support/Cli.h"
#include "support/FormatTestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {
const QString kExample = QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz");

// Waits for a file that a detached program writes.
QByteArray awaitFile(const QString& path) {
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(path) && clock.elapsed() < 10000)
        QThread::msleep(20);
    QThread::msleep(50);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

TEST(TransformCommand, AltRatioPrintsItsUrlStartsTheViewerOrBuildsAndWritesNothing) {
    const CliResult url = runVarkit({"transform", "altratio", kExample, "--url", "--fieldSymbol=AF2"});
    EXPECT_EQ(url.exitCode, 0) << url.err.toStdString();
    EXPECT_TRUE(url.out.startsWith("transform://altRatio/b64/") && url.out.endsWith("/\n"));
    const CliResult schema = runVarkit({"schema", QString::fromUtf8(url.out.trimmed())});
    EXPECT_TRUE(schema.out.contains("\"symbol\": \"AF2\"")) << schema.err.toStdString();

    QTemporaryDir dir;
    const QString viewer = dir.filePath("viewer.sh");
    FormatTest::writeFile(viewer,
                          QStringLiteral("#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > %1.tmp && mv %1.tmp %1\n")
                              .arg(dir.filePath("args"))
                              .toUtf8());
    QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const CliResult both = runVarkit({"transform", "altratio", kExample, "--view=" + viewer, "--url"});
    EXPECT_EQ(both.exitCode, 0) << both.err.toStdString();
    EXPECT_EQ(awaitFile(dir.filePath("args")), "1|" + both.out.trimmed());

    const CliResult quiet = runVarkit({"transform", "altratio", kExample}, QByteArray(), dir.path());
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_TRUE(quiet.out.isEmpty() && quiet.err.isEmpty());
}

TEST(TransformCommand, UnusableSourcesPrintTheHelpAndWhy) {
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain.vcf");
    FormatTest::writeFile(plain, "##fileformat=VCFv4.2\n#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n");
    const QString bed = dir.filePath("regions.bed");
    FormatTest::writeFile(bed, "1\t10\t20\n");
    struct Case {
        QStringList args;
        QByteArray error;
        bool help;
    };
    const QList<Case> cases = {
        {{"altratio", plain, "--url"},
         "Can not use, an index is required for: " + plain.toUtf8() + "\n",
         true},
        {{"altratio", dir.filePath("none.vcf"), "--url"},
         "\nsource " + dir.filePath("none.vcf").toUtf8(),
         true},
        {{"mergevcfs", "--sources", kExample, bed},
         "Merge vcfs requires all sources to be vcfs, this source is not: " + bed.toUtf8() + "\n",
         false},
    };
    for (const Case& c : cases) {
        const CliResult result = runVarkit(QStringList{"transform"} + c.args);
        EXPECT_EQ(result.exitCode, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(result.err.startsWith(c.error)) << result.err.toStdString();
        EXPECT_EQ(result.out.startsWith("varkit transform"), c.help) << result.out.left(60).toStdString();
    }
}
