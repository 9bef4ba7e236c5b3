#include "formats/dsv/DelimitedTextCursor.h"
#include "formats/dsv/DsvSourceTypeManager.h"
#include "meta/Json.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/FormatTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <zlib.h>

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"' << bytes.toStdString() << '"';
}

namespace {

DelimitedTextReaderOptions layout(const VkSourcePtr& source) {
    const auto* data = source->resource<DelimitedTextSourceData>();
    return data ? data->options() : DelimitedTextReaderOptions();
}

using FormatTest::readAll;

QStringList segments(const VkFeatureList& features) {
    QStringList list;
    for (const VkFeature& feature : features)
        list.append(feature.segment().toString());
    return list;
}

QVector<QString> names(const VkSourcePtr& source) {
    QVector<QString> list;
    for (const VkField& field : source->schema())
        list.append(QString::fromUtf8(field.name));
    return list;
}

QVector<ValueType> types(const VkSourcePtr& source) {
    QVector<ValueType> list;
    for (const VkField& field : source->schema())
        list.append(field.valueType);
    return list;
}

class DsvSourceTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
        return path;
    }
    QString writeGzip(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        gzFile file = gzopen(path.toLocal8Bit().constData(), "wb");
        gzwrite(file, bytes.constData(), unsigned(bytes.size()));
        gzclose(file);
        return path;
    }
    VkSourcePtr open(const QString& name, const QByteArray& bytes) {
        return DsvSourceTypeManager::openPath(write(name, bytes));
    }
    // Opens with the defaults of a tab-separated file changed by a caller.
    template <class Change>
    VkSourcePtr openChanged(const QString& name, const QByteArray& bytes, Change change) {
        const QString path = write(name, bytes);
        DelimitedTextReaderOptions options = DsvSourceTypeManager::defaultOptions(path);
        change(options);
        return DsvSourceTypeManager::openWithOptions(path, options);
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(DsvSourceTest, AProbedLayoutSurvivesJson) {
    const DelimitedTextReaderOptions probed = layout(open("probed.tsv", "Chrom\tStart\n1\t5\n"));
    QString error;
    const VkOptionsValue back = Json::readOptions(Json::writeOptions(probed), &error);
    EXPECT_EQ(back, probed) << error.toStdString();
    EXPECT_EQ(DelimitedTextReaderOptions(back).fieldNameList(), (QVector<QString>{"Chrom", "Start"}));
}

TEST_F(DsvSourceTest, CommaOrTabFollowsTheExtensionWithoutItsCompressionSuffix) {
    EXPECT_EQ(DsvSourceTypeManager::effectiveExtension("/data/variants.CSV.BGZ"), "CSV");
    EXPECT_EQ(DsvSourceTypeManager::effectiveExtension("variants.txt.gz"), "txt");
    EXPECT_EQ(DsvSourceTypeManager::effectiveExtension("variants.gz"), "");

    const QByteArray table = "Chrom,Start\tEnd\n1,5\t9\n";
    const VkSourcePtr csv = DsvSourceTypeManager::openPath(writeGzip("variants.csv.gz", table));
    ASSERT_TRUE(csv->isValid()) << csv->errorText().toStdString();
    EXPECT_EQ(layout(csv).fieldDelimiter(), ",");
    EXPECT_EQ(layout(csv).listDelimiter(), ";");
    EXPECT_EQ(layout(csv).splitLineMethod(), DelimitedText::QuoteSplit);
    EXPECT_EQ(layout(csv).splitValueMethod(), DelimitedText::QuoteSplit);
    EXPECT_EQ(names(csv), (QVector<QString>{"Chrom", "Start\tEnd"}));
    for (const QString& name : {QStringLiteral("variants.txt.gz"), QStringLiteral("variants.tsv")}) {
        const VkSourcePtr tsv =
            name.endsWith(".gz") ? DsvSourceTypeManager::openPath(writeGzip(name, table)) : open(name, table);
        ASSERT_TRUE(tsv->isValid()) << tsv->errorText().toStdString();
        EXPECT_EQ(layout(tsv).fieldDelimiter(), "\t");
        EXPECT_EQ(layout(tsv).listDelimiter(), ",");
        EXPECT_EQ(layout(tsv).splitLineMethod(), DelimitedText::UnknownSplit);
        EXPECT_EQ(names(tsv), (QVector<QString>{"Chrom,Start", "End"}));
        EXPECT_FALSE(layout(tsv).requireFieldCountMatch());
        EXPECT_EQ(layout(tsv).missingPatternList(), (QVector<QString>{".", "?_?", "nan", "n/a", "?"}));
    }
}

TEST_F(DsvSourceTest, CsvQuotesListsAndLociReadIntoTypedFields) {
    const VkSourcePtr source = DsvSourceTypeManager::openPath(VARKIT_TEST_DATA "/dsv/variants.csv");
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(names(source), (QVector<QString>{"Interval", "Ref", "Alt", "Genes", "Note"}));
    EXPECT_EQ(types(source), (QVector<ValueType>{ValueType::String, ValueType::String, ValueType::String,
                                                 ValueType::StringArray, ValueType::String}));
    EXPECT_EQ(source->schema()[3].symbol, "Genes");
    EXPECT_EQ(source->featureType(), "Interval");
    EXPECT_EQ(source->info().format, "Delimited");
    const VkFeatureList features = readAll(source);
    ASSERT_EQ(features.size(), 3);
    EXPECT_EQ(segments(features), (QStringList{"7:1200-1201", "7:1300-1301", "X:5000-5002"}));
    EXPECT_EQ(features[0].value(3).stringVector(), (QVector<QByteArray>{"BRCA1", "BRCA2"}));
    EXPECT_EQ(features[0].value(4).bytes(), "benign, reviewed");
    EXPECT_TRUE(features[1].value(4).isMissing());
    EXPECT_TRUE(features[2].value(3).isMissing());
    EXPECT_EQ(features[2].value(4).bytes(), "says \"hi\"");
}

TEST_F(DsvSourceTest, ChromStartEndColumnsPlaceFeaturesAndTypesFollowTheValues) {
    const VkSourcePtr source = open("genes.tsv", "Chrom\tStart\tEnd\tGene\tScore\tExons\n"
                                                 "chr1\t100\t200\tBRCA1\t1.5\t1,2\n"
                                                 "chr2\t300\t450\tTP53\t2\t3\n");
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    const DelimitedTextReaderOptions options = layout(source);
    EXPECT_EQ(options.genomicSegmentIndex(), 0);
    EXPECT_EQ(options.genomicStartIndex(), 1);
    EXPECT_EQ(options.genomicStopIndex(), 2);
    EXPECT_EQ(options.fieldTypeList(), (QVector<int>{10, 2, 2, 10, 6, 500}));
    EXPECT_GT(options.dataStartPosition(), 0);
    const VkFeatureList features = readAll(source);
    EXPECT_EQ(segments(features), (QStringList{"1:100-200", "2:300-450"}));
    EXPECT_EQ(features[0].value(1).intValue(), 100);
    EXPECT_EQ(features[0].value(4).float64Value(), 1.5);
    EXPECT_EQ(features[0].value(5).intVector(), (QVector<int32_t>{1, 2}));
    EXPECT_EQ(features[1].value(4).float64Value(), 2.0);
}

TEST_F(DsvSourceTest, PositionColumnsWithoutAStopGiveOneBaseFeatures) {
    const VkSourcePtr vcfLike = open("calls.txt", "CHROM\tPOS\tREF\tALT\nchr1\t101\tA\tG\n1\t250\tC\tT\n");
    ASSERT_TRUE(vcfLike->isValid());
    EXPECT_EQ(layout(vcfLike).genomicStartIndex(), 1);
    EXPECT_EQ(layout(vcfLike).genomicStopIndex(), -1);
    EXPECT_EQ(segments(readAll(vcfLike)), (QStringList{"1:101-102", "1:250-251"}));

    const VkSourcePtr named = open("named.tsv", "chr_name\tchr_start\tchr_end\tPosition\nchr3\t10\t20\t15\n");
    EXPECT_EQ(layout(named).genomicStartIndex(), 1);
    EXPECT_EQ(layout(named).genomicStopIndex(), 2);
    EXPECT_EQ(segments(readAll(named)), (QStringList{"3:10-20"}));

    const VkSourcePtr position = open("position.tsv", "contig\tPosition\tDepth\nchr3\t15\t9\n");
    EXPECT_EQ(layout(position).genomicStartIndex(), 1);
    EXPECT_EQ(segments(readAll(position)), (QStringList{"3:15-16"}));

    // A Start column of text never places features: the Int pos column does.
    const VkSourcePtr textStart = open("text.tsv", "Chrom\tStart\tpos\nchr1\tnear\t7\nchr1\tfar\t9\n");
    EXPECT_EQ(types(textStart)[1], ValueType::String);
    EXPECT_EQ(layout(textStart).genomicStartIndex(), 2);
    EXPECT_EQ(segments(readAll(textStart)), (QStringList{"1:7-8", "1:9-10"}));
}

TEST_F(DsvSourceTest, ChromosomeNamesAreTrimmedUnlessTurnedOff) {
    const QByteArray table =
        "Chrom\tStart\nchr1\t1\nchrX\t2\nchrmt\t3\nchr\t4\nx\t5\nCHRy\t6\nchrUn_gl000220\t7\nmt\t8\nMt\t9\n";
    EXPECT_EQ(segments(readAll(open("trim.tsv", table))),
              (QStringList{"1:1-2", "X:2-3", "MT:3-4", "chr:4-5", "X:5-6", "Y:6-7", "Un_gl000220:7-8",
                           "MT:8-9", "Mt:9-10"}));
    const VkSourcePtr kept =
        openChanged("kept.tsv", table, [](DelimitedTextReaderOptions& o) { o.setTrimChrName(false); });
    EXPECT_EQ(segments(readAll(kept)), (QStringList{"chr1:1-2", "chrX:2-3", "chrmt:3-4", "chr:4-5", "X:5-6",
                                                    "CHRy:6-7", "chrUn_gl000220:7-8", "MT:8-9", "Mt:9-10"}));
}

TEST_F(DsvSourceTest, ALocusColumnHoldsTheWholePosition) {
    const QByteArray table = "Interval\tScore\nchr7:1200-1201\t5\nchr7:1300\t6\n";
    EXPECT_EQ(segments(readAll(open("loci.tsv", table))), (QStringList{"7:1200-1201", "7:1300-1301"}));
    const VkSourcePtr oneBased = openChanged(
        "loci1.tsv", table, [](DelimitedTextReaderOptions& o) { o.setGenomicStartOneBased(true); });
    EXPECT_EQ(segments(readAll(oneBased)), (QStringList{"7:1199-1201", "7:1299-1300"}));
}

TEST_F(DsvSourceTest, DefaultMissingTokensIgnoreCaseButNaIsAValue) {
    const VkSourcePtr source =
        open("missing.tsv", "Chrom\tStart\tDepth\tLabel\n1\t1\t.\t.\n1\t2\tNaN\tNaN\n1\t3\tN/A\tN/A\n"
                            "1\t4\t?\t?\n1\t5\t?_?\t?_?\n1\t6\t7\tNA\n");
    ASSERT_TRUE(source->isValid());
    EXPECT_EQ(types(source)[2], ValueType::Int);
    EXPECT_EQ(types(source)[3], ValueType::String);
    const VkFeatureList features = readAll(source);
    ASSERT_EQ(features.size(), 6);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(features[i].value(2).intValue(), PVariant::MissingInt) << i;
        EXPECT_TRUE(features[i].value(3).isMissing()) << i;
    }
    EXPECT_EQ(features[5].value(2).intValue(), 7);
    EXPECT_EQ(features[5].value(3).bytes(), "NA");

    const VkSourcePtr custom =
        openChanged("custom.tsv", "Label\tDepth\nwas unknown here\t-\nUNKNOWN\t4\nknown\t5\n",
                    [](DelimitedTextReaderOptions& o) {
                        o.setMissingPatternList({"*unknown*", "-"});
                        o.setMissingPatternTypeList({4, 3});
                    });
    const VkFeatureList labels = readAll(custom);
    ASSERT_EQ(labels.size(), 3);
    EXPECT_TRUE(labels[0].value(0).isMissing());
    EXPECT_TRUE(labels[1].value(0).isMissing());
    EXPECT_EQ(labels[2].value(0).bytes(), "known");
    EXPECT_EQ(types(custom)[1], ValueType::Int);
}

TEST_F(DsvSourceTest, EmptyHeaderNamesAndExtraColumnsAreNamedByTheirNumber) {
    EXPECT_EQ(names(open("blank.tsv", "Chrom\t\tEnd\n1\t2\t3\n")),
              (QVector<QString>{"Chrom", "Field 2", "End"}));
    const VkSourcePtr grown = openChanged("grown.tsv", "A\tB\n1\t2\n3\t4\t5\n",
                                          [](DelimitedTextReaderOptions& o) { o.setDynamicFieldList(true); });
    EXPECT_EQ(names(grown), (QVector<QString>{"A", "B", "Field 3"}));
    const VkSourcePtr headless =
        openChanged("headless.tsv", "chr1\t5\t9\n", [](DelimitedTextReaderOptions& o) {
            o.setHeaderLine(-1);
            o.setHeaderLineAutoGenPrefix("Column ");
        });
    EXPECT_EQ(names(headless), (QVector<QString>{"Column 1", "Column 2", "Column 3"}));
}

TEST_F(DsvSourceTest, CommentHeadersAreFoundPastIgnoredLinesOrElseTheFileHasNone) {
    const auto commentHeader = [](DelimitedTextReaderOptions& o) {
        o = DelimitedTextReaderOptions();
        DelimitedText::applyFormatDefaults(o, false, DelimitedText::HeaderStyle::CommentLine);
        o.setIgnoreLinePatternType(0);
        o.setIgnoreLinePattern("##");
        o.setHeaderLineAutoGenPrefix("col");
    };
    const VkSourcePtr found =
        openChanged("comment.tsv", "##source=lab\n#chrom\tstart\tend\n\nchr2\t5\t10\n##note\nchr2\t7\t8\n",
                    commentHeader);
    ASSERT_TRUE(found->isValid()) << found->errorText().toStdString();
    EXPECT_EQ(names(found), (QVector<QString>{"chrom", "start", "end"}));
    EXPECT_EQ(segments(readAll(found)), (QStringList{"2:5-10", "2:7-8"}));

    const VkSourcePtr none = openChanged("none.tsv", "##source=lab\nchr2\t5\t10\n", commentHeader);
    ASSERT_TRUE(none->isValid()) << none->errorText().toStdString();
    EXPECT_EQ(names(none), (QVector<QString>{"col1", "col2", "col3"}));
    EXPECT_EQ(layout(none).headerLinePatternType(), -1);
    EXPECT_EQ(readAll(none).size(), 1);
}

TEST_F(DsvSourceTest, LinesThatCannotBePlacedOrDoNotFitAreSkipped) {
    const VkSourcePtr source = openChanged(
        "skip.tsv",
        "Chrom\tStart\tEnd\tGene\nchr1\t10\t20\tA\nchr1\t.\t30\tB\nchr1\t40\t50\nchr1\t60\t.\tD\n\t.\t\tE\n",
        [](DelimitedTextReaderOptions& o) { o.setRequireFieldCountMatch(true); });
    ASSERT_TRUE(source->isValid());
    const VkFeatureList features = readAll(source);
    ASSERT_EQ(features.size(), 3);
    // A missing stop gives one base; a line without a chromosome is a record off the genome.
    EXPECT_EQ(segments(features), (QStringList{"1:10-20", "1:60-61", ":0--1"}));
    EXPECT_EQ(features[2].value(3).bytes(), "E");
}

TEST_F(DsvSourceTest, ReadsFromAnOffsetAndByRegionWithoutAnIndex) {
    const VkSourcePtr source = DsvSourceTypeManager::openPath(VARKIT_TEST_DATA "/dsv/genes.tsv");
    ASSERT_TRUE(source->isValid());
    EXPECT_EQ(readAll(source).size(), 37);
    ReadRequest fromTen;
    fromTen.offset = 10;
    fromTen.fieldList = {3};
    const VkFeatureList tail = readAll(source, fromTen);
    ASSERT_EQ(tail.size(), 27);
    EXPECT_EQ(tail[0].value(3).bytes(), readAll(source)[10].value(3).bytes());
    EXPECT_FALSE(tail[0].value(0).isValid());

    ReadRequest region;
    region.kind = ReadRequest::Region;
    region.regions = {VkSegment("1", 2300, 2400)};
    region.fieldList = {3};
    QStringList genes;
    for (const VkFeature& feature : readAll(source, region))
        genes.append(QString::fromUtf8(feature.value(3).bytes()));
    EXPECT_EQ(genes, (QStringList{"BRCA1", "BRCA2"}));
}

TEST_F(DsvSourceTest, UnreadableFilesFailWithTheirReason) {
    const auto error = [](const VkSourcePtr& source) { return source->errorText(); };
    EXPECT_EQ(error(open("empty.tsv", "")), "File does not have any data present");
    EXPECT_EQ(error(open("header.tsv", "Chrom\tStart\n\n")), "File does not have any data present");
    const QString absent = m_dir.filePath("absent.tsv");
    EXPECT_EQ(error(DsvSourceTypeManager::openPath(absent)),
              QStringLiteral("'%1' does not exist").arg(absent));
    EXPECT_EQ(error(open("latin1.tsv", "Chrom\tGene\n1\tA\n1\tGr\xFC\xDF\n")),
              "File contains non-text (non-UTF8) binary data on line 3");
    EXPECT_EQ(error(open("binary.tsv", QByteArray("\x89PNG\r\n\x1A\n\0\0", 10))),
              "File contains non-text (non-UTF8) binary data on line 1");
    const auto commentHeader = [](DelimitedTextReaderOptions& o) {
        o.setHeaderLine(-1);
        o.setHeaderLinePatternType(0);
        o.setHeaderLinePattern("#");
    };
    EXPECT_EQ(error(openChanged("hash.tsv", "#\n1\t2\n", commentHeader)), "Field name line contains no data");
    const VkSourcePtr noHeader = openChanged("first.tsv", "\n1\t2\n", [](DelimitedTextReaderOptions& o) {
        o.setHeaderLine(-1);
        o.setIgnoreBlankLines(false);
    });
    EXPECT_EQ(error(noHeader), "First line contains no data");
    EXPECT_TRUE(layout(noHeader).fieldNameList().isEmpty());
}
