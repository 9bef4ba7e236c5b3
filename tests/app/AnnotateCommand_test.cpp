// The annotate command through the CLI: what it parses, what it builds, where it writes, and its
// region annotation counted and matched against bedtools on real files.
#include "support/Cli.h"
#include "support/FormatTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {
const QString kExample = QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz");
const QString kGenes = QStringLiteral(VARKIT_TEST_DATA "/gtf/genes.gtf");
const QString kCorpusExamples =
    QStringLiteral(VARKIT_CORPUS "/vcfanno-examples/usr/share/doc/vcfanno-examples");

// Regions on the example's chromosomes: one ending where a variant starts, one starting where it
// stops, nested and overlapping ones, one over the 3-base deletion's last base, and a chromosome
// the example lacks.
const QByteArray kRegions = "20\t61000\t61097\tBEFORE\n"
                            "20\t61098\t61200\tAFTER\n"
                            "20\t60000\t70000\tWIDE\n"
                            "20\t68748\t68749\tEXACT\n"
                            "20\t1345679\t1345700\tDELETION_END\n"
                            "21\t0\t20000000\tHALF\n"
                            "22\t0\t1000\tELSEWHERE\n";

// The options in a transform URL, as JSON text.
QByteArray urlOptions(const QByteArray& url) {
    const QList<QByteArray> parts = url.trimmed().split('/');
    return parts.size() < 5 ? QByteArray()
                            : QByteArray::fromBase64(QByteArray::fromPercentEncoding(parts.at(4)));
}

// Waits for a file that a detached program writes.
QByteArray awaitFile(const QString& path) {
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(path) && clock.elapsed() < 10000)
        QThread::msleep(20);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A viewer that records its arguments.
QString recordingViewer(const QTemporaryDir& dir) {
    const QString viewer = dir.filePath("viewer.sh");
    FormatTest::writeFile(viewer,
                          QStringLiteral("#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > %1.tmp && mv %1.tmp %1\n")
                              .arg(dir.filePath("args"))
                              .toUtf8());
    QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return viewer;
}

struct JoinedRow {
    int matched = -1;
    QByteArray region;
};

// The match count (-1 without a count field) and region of every record of a written annotation.
QList<JoinedRow> joinedRows(const QString& tsf) {
    const QString text = tsf + QStringLiteral(".txt");
    const CliResult written = runVarkit({"writetxt", tsf, text});
    EXPECT_EQ(written.exitCode, 0) << written.err.toStdString();
    QFile file(text);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> header = file.readLine().trimmed().split('\t');
    const int matched = header.indexOf("MATCHED_COUNT");
    const int region = header.indexOf("REGION");
    QList<JoinedRow> rows;
    while (!file.atEnd()) {
        const QList<QByteArray> cells = file.readLine().split('\t');
        rows << JoinedRow{matched < 0 ? -1 : cells.value(matched).toInt(), cells.value(region).trimmed()};
    }
    return rows;
}

// bedtools' count of regions per variant and, when asked, the regions themselves as annotate
// writes them (chromosome:start+1-stop) from the BED columns -loj appends.
struct BedtoolsJoin {
    QList<int> counts;
    QList<QList<QByteArray>> regions;
};

BedtoolsJoin bedtoolsJoin(const QString& vcf, const QString& regions, bool withRegions) {
    BedtoolsJoin join;
    int vcfColumns = 0;
    for (const QByteArray& line :
         FormatTest::runTool("bedtools", {"intersect", "-c", "-a", vcf, "-b", regions}).split('\n')) {
        if (line.isEmpty())
            continue;
        join.counts << line.mid(line.lastIndexOf('\t') + 1).toInt();
        vcfColumns = int(line.count('\t'));
    }
    if (!withRegions)
        return join;
    // A line per match, one with -1 for a variant without.
    const QList<QByteArray> lines =
        FormatTest::runTool("bedtools", {"intersect", "-loj", "-a", vcf, "-b", regions}).split('\n');
    int line = 0;
    for (int count : qAsConst(join.counts)) {
        join.regions << QList<QByteArray>();
        for (int match = 0; match < std::max(1, count); ++match, ++line) {
            const QList<QByteArray> cells = lines.value(line).split('\t');
            if (count > 0 && cells.size() > vcfColumns + 2)
                join.regions.last() << cells.at(vcfColumns) + ':' +
                                           QByteArray::number(cells.at(vcfColumns + 1).toLongLong() + 1) +
                                           '-' + cells.at(vcfColumns + 2);
        }
    }
    return join;
}

// Annotates vcf with regions by region (counting the matches) and checks every record against
// bedtools: each variant once per region it overlaps (once when none), its count and its regions.
void expectBedtoolsMatches(const QString& vcf, const QString& regions, bool withRegions) {
    QTemporaryDir dir;
    const QString input = dir.filePath(QFileInfo(vcf).fileName());
    ASSERT_TRUE(QFile::copy(vcf, input));
    const CliResult result = runVarkit({"annotate", "region", "--summary=Count", input, regions});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QString written = dir.filePath(QFileInfo(input).completeBaseName() + '_' +
                                         QFileInfo(regions).completeBaseName() + "_region.tsf");
    const QList<JoinedRow> rows = joinedRows(written);
    const BedtoolsJoin expected = bedtoolsJoin(vcf, regions, withRegions);
    ASSERT_FALSE(expected.counts.isEmpty());
    int row = 0;
    for (int variant = 0; variant < expected.counts.size(); ++variant) {
        const int count = expected.counts.at(variant);
        QList<QByteArray> found;
        for (int match = 0; match < std::max(1, count); ++match, ++row) {
            ASSERT_LT(row, rows.size()) << "variant " << variant;
            ASSERT_EQ(rows.at(row).matched, count) << "variant " << variant;
            if (count > 0)
                found << rows.at(row).region;
        }
        if (withRegions) {
            std::sort(found.begin(), found.end());
            QList<QByteArray> theirs = expected.regions.value(variant);
            std::sort(theirs.begin(), theirs.end());
            EXPECT_EQ(found, theirs) << "variant " << variant;
        }
    }
    EXPECT_EQ(row, rows.size());
}

} // namespace

TEST(AnnotateCommand, ParsesAlgorithmWordsAndTheirOptions) {
    QTemporaryDir dir;
    const QString regions = dir.filePath("regions.bed");
    FormatTest::writeFile(regions, kRegions);

    const CliResult capitals = runVarkit(
        {"annotate", "REGION", "--genomicMatch=WITHIN", "--summary=count", "--url", kExample, regions});
    EXPECT_EQ(capitals.exitCode, 0) << capitals.err.toStdString();
    EXPECT_TRUE(capitals.out.startsWith("transform://annotateOverlapRegion/b64/"));
    const QByteArray options = urlOptions(capitals.out);
    EXPECT_TRUE(options.contains("\"genomicMatchMode\":\"GenomicMatchWithin\"")) << options.toStdString();
    EXPECT_TRUE(options.contains("\"matchingFeatureSummary\":\"MatchingFeatureCount\""));
    const QByteArray unknownValue = urlOptions(
        runVarkit({"annotate", "region", "--genomicMatch=Sideways", "--url", kExample, regions}).out);
    EXPECT_TRUE(unknownValue.contains("\"genomicMatchMode\":\"GenomicMatchOverlap\""))
        << unknownValue.toStdString();

    const CliResult unknown = runVarkit({"annotate", "Genes", kExample, regions});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.out.startsWith("Unknown annotation algorithm: genes\nvarkit annotate"));

    // The help names --annotationMode, but the option read is --mode.
    const CliResult helpName =
        runVarkit({"annotate", "variant", "--annotationMode=OneToOne", kExample, kExample});
    EXPECT_EQ(helpName.exitCode, 1);
    EXPECT_TRUE(helpName.out.startsWith("varkit annotate"));
    const CliResult mode = runVarkit(
        {"annotate", "variant", "--mode=onetoone", "--allelicMatch=Exact", "--url", kExample, kExample});
    EXPECT_EQ(mode.exitCode, 0) << mode.err.toStdString();
    const QByteArray variant = urlOptions(mode.out);
    EXPECT_TRUE(mode.out.startsWith("transform://annotateVariant/b64/"));
    EXPECT_TRUE(variant.contains("\"annotationMode\":\"OneToOneAnnotation\"")) << variant.toStdString();
    EXPECT_TRUE(variant.contains("\"allelicMatchMode\":\"ExactAllelicMatch\""));
}

TEST(AnnotateCommand, PrintsTheUrlStartsTheViewerOrWritesTheTsfNamedAfterBothSources) {
    QTemporaryDir dir;
    const QString input = dir.filePath("calls.vcf.gz");
    ASSERT_TRUE(QFile::copy(kExample, input) && QFile::copy(kExample + ".tbi", input + ".tbi"));
    const QString regions = dir.filePath("targets.bed");
    FormatTest::writeFile(regions, kRegions);

    const CliResult url = runVarkit({"annotate", "region", "--url", input, regions});
    ASSERT_EQ(url.exitCode, 0) << url.err.toStdString();
    const CliResult schema =
        runVarkit({"schema", QString::fromUtf8(url.out.trimmed())}, QByteArray(), QDir::rootPath());
    EXPECT_EQ(schema.exitCode, 0) << schema.err.toStdString();
    EXPECT_TRUE(schema.out.contains("\"symbol\": \"SIMILARITY\"")) << schema.out.left(200).toStdString();

    // With --url too, only the viewer is started.
    const QString viewer = recordingViewer(dir);
    const CliResult view = runVarkit({"annotate", "region", "--view=" + viewer, "--url", input, regions});
    EXPECT_EQ(view.exitCode, 0) << view.err.toStdString();
    EXPECT_TRUE(view.out.isEmpty());
    const QByteArray args = awaitFile(dir.filePath("args"));
    ASSERT_TRUE(args.startsWith("1|transform://annotateOverlapRegion/")) << args.toStdString();
    EXPECT_TRUE(urlOptions(args.mid(2)).contains("\"leftSourcePassThroughFields\":\"RefAlt\""));

    const CliResult written =
        runVarkit({"annotate", "region", input, regions}, QByteArray(), QDir::rootPath());
    EXPECT_EQ(written.exitCode, 0) << written.err.toStdString();
    const QString tsf = dir.filePath("calls.vcf_targets_region.tsf");
    ASSERT_TRUE(QFileInfo::exists(tsf));
    // Every variant, once more for the one that overlaps two regions.
    EXPECT_GT(joinedRows(tsf).size(), 50);
}

TEST(AnnotateCommand, UnusableSourcesFailWithTheirReason) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("none.bed");
    const CliResult invalid = runVarkit({"annotate", "region", kExample, missing});
    EXPECT_EQ(invalid.exitCode, 1);
    EXPECT_TRUE(invalid.out.startsWith("varkit annotate"));
    EXPECT_TRUE(invalid.err.startsWith("\nsource " + missing.toUtf8() + " is not valid:\n"))
        << invalid.err.toStdString();
}

TEST(AnnotateCommand, RegionCountsAndMatchesAreBedtoolsOnes) {
    QTemporaryDir dir;
    const QString regions = dir.filePath("regions.bed");
    FormatTest::writeFile(regions, kRegions);
    expectBedtoolsMatches(kExample, regions, true);

    const QString query = kCorpusExamples + "/example/query.vcf.gz";
    if (!QFileInfo::exists(query))
        GTEST_SKIP() << "no corpus: scripts/fetch-corpus.sh fetches it";
    expectBedtoolsMatches(query, kGenes, false);
    expectBedtoolsMatches(query, kCorpusExamples + "/example/fitcons.bed.gz", true);
}
