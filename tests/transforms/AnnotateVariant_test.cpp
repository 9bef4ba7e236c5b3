#include "formats/vcf/VcfTestSupport.h"
#include "support/FormatTestSupport.h"

#include <QFileInfo>
#include <QMap>

#include <gtest/gtest.h>

namespace {

QByteArray variants(const QByteArray& records) {
    return "##fileformat=VCFv4.2\n##contig=<ID=1,length=10000>\n"
           "##INFO=<ID=K,Number=1,Type=Integer,Description=\"Annotation record\">\n"
           "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n" +
           records;
}

QString variantUrl(const QString& left, const QString& right, const QByteArray& extraFields = QByteArray()) {
    return QStringLiteral("transform://annotateVariant/json/ {\"fields\":{\"sourceUrls\":[\"%1\",\"%2\"]%3}}")
        .arg(left, right, QString::fromUtf8(extraFields));
}

QString modes(const char* match, const char* annotation) {
    return QStringLiteral(R"(,"allelicMatchMode":"%1","annotationMode":"%2","outputFieldList":["K"])")
        .arg(match, annotation);
}

// Every left variant against the annotation records at its place (K tells them apart).
const QByteArray kLeft = variants("1\t10\t.\tA\tC\t.\t.\t.\n"   // against A/C/G and A/C
                                  "1\t20\t.\tA\tC\t.\t.\t.\n"   // against A/C/G and A/T
                                  "1\t30\t.\ta\tc\t.\t.\t.\n"   // lower case against A/C
                                  "1\t40\t.\tA\tC,T\t.\t.\t.\n" // against A/C and A/T only
                                  "1\t50\t.\tG\tT\t.\t.\t.\n"); // against two G/T
const QByteArray kRight = variants("1\t10\t.\tA\tC,G\t.\t.\tK=1\n"
                                   "1\t10\t.\tA\tC\t.\t.\tK=2\n"
                                   "1\t20\t.\tA\tC,G\t.\t.\tK=3\n"
                                   "1\t20\t.\tA\tT\t.\t.\tK=9\n"
                                   "1\t30\t.\tA\tC\t.\t.\tK=4\n"
                                   "1\t40\t.\tA\tC\t.\t.\tK=5\n"
                                   "1\t40\t.\tA\tT\t.\t.\tK=6\n"
                                   "1\t50\t.\tG\tT\t.\t.\tK=7\n"
                                   "1\t50\t.\tg\tt\t.\t.\tK=8\n");

class AnnotateVariantTest : public ::testing::Test {
protected:
    VkSourcePtr open(const QString& left, const QString& right, const QString& extraFields) {
        m_source = VkSourceTypeRegistry::instance().open(variantUrl(left, right, extraFields.toUtf8()));
        EXPECT_TRUE(m_source->isValid()) << m_source->errorText().toStdString();
        return m_source;
    }
    // One "position:K" per output record, "." for K when nothing matched; the right records' K is
    // the last field.
    QStringList matches(const QString& left, const QString& right, const QString& extraFields) {
        if (!open(left, right, extraFields)->isValid())
            return {};
        const int key = m_source->schema().size() - 1;
        QStringList rows;
        for (const VkFeature& feature : FormatTest::readAll(m_source)) {
            const PVariant& value = feature.value(key);
            rows << QStringLiteral("%1:%2")
                        .arg(feature.segment().start() + 1)
                        .arg(value.isMissing() ? QStringLiteral(".") : QString::number(value.intValue()));
        }
        return rows;
    }
    QString tabixed(const QString& name, const QByteArray& text) {
        const QString path = m_files.path(name);
        writeBgzf(path, {text});
        FormatTest::runTool("tabix", {"-0", "-s", "1", "-b", "2", "-e", "3", "-S", "1", path});
        return path;
    }

    VcfFiles m_files;
    VkSourcePtr m_source;
};

} // namespace

TEST_F(AnnotateVariantTest, MatchModesChooseAmongRecordsCarryingTheObservedAlleles) {
    const QString left = m_files.writeIndexed("left.vcf.gz", kLeft);
    const QString right = m_files.writeIndexed("right.vcf.gz", kRight);
    // A multi-allelic variant that no record carries whole matches those carrying any one alternate.
    EXPECT_EQ(matches(left, right, modes("ClosestAllelicMatch", "OneToManyAnnotation")),
              QStringList({"10:2", "20:3", "30:4", "40:5", "40:6", "50:7", "50:8"}));
    EXPECT_EQ(matches(left, right, modes("AllAllelicMatch", "OneToManyAnnotation")),
              QStringList({"10:1", "10:2", "20:3", "30:4", "40:5", "40:6", "50:7", "50:8"}));
    EXPECT_EQ(matches(left, right, modes("ExactAllelicMatch", "OneToManyAnnotation")),
              QStringList({"10:2", "20:.", "30:4", "40:5", "40:6", "50:7", "50:8"}));
    EXPECT_EQ(matches(left, right, modes("NoAllelicMatch", "OneToManyAnnotation")),
              QStringList({"10:1", "10:2", "20:3", "20:9", "30:4", "40:5", "40:6", "50:7", "50:8"}));
}

TEST_F(AnnotateVariantTest, OneToOneKeepsTheFirstMatchAndWarnsWhenThereWereMore) {
    const QString left = m_files.writeIndexed("left.vcf.gz", kLeft);
    const QString right = m_files.writeIndexed("right.vcf.gz", kRight);
    WarningLog warnings;
    // Only the whole allele list is matched one-to-one, so A/C/T finds nothing.
    EXPECT_EQ(matches(left, right, modes("ClosestAllelicMatch", "OneToOneAnnotation")),
              QStringList({"10:2", "20:3", "30:4", "40:.", "50:7"}));
    ASSERT_EQ(warnings.messages().size(), 1) << warnings.messages().join('\n').toStdString();
    EXPECT_TRUE(warnings.messages().first().startsWith("1:50 G/T matches 2 annotation records"))
        << warnings.messages().first().toStdString();
}

TEST_F(AnnotateVariantTest, ObservedAllelesOnTheMinusStrandAreReverseComplemented) {
    const QString left = m_files.writeIndexed("left.vcf.gz", variants("1\t10\t.\tA\tC\t.\t.\t.\n"
                                                                      "1\t20\t.\tA\tC\t.\t.\t.\n"));
    const QString right = tabixed("snps.tsv.gz", "Chrom\tStart\tEnd\tObserved\tStrand\tK\n"
                                                 "1\t9\t10\tT/G\t-\t1\n"
                                                 "1\t9\t10\tT/G\t+\t2\n"
                                                 "1\t19\t20\tA/C\t-\t3\n");
    EXPECT_EQ(matches(left, right, modes("AllAllelicMatch", "OneToManyAnnotation")),
              QStringList({"10:1", "20:."}));
}

TEST_F(AnnotateVariantTest, DeletionsMatchWithoutComparingBasesButInsertionsDoNot) {
    const QString left = tabixed("left.tsv.gz", "Chrom\tStart\tEnd\tRefAlt\n"
                                                "1\t100\t103\tACG/-\n"
                                                "1\t200\t200\t-/T\n");
    const QString right = tabixed("right.tsv.gz", "Chrom\tStart\tEnd\tRefAlt\tK\n"
                                                  "1\t100\t102\tAC/-\t1\n"
                                                  "1\t102\t102\t-/T\t2\n"
                                                  "1\t200\t200\t-/T\t3\n"
                                                  "1\t200\t200\t-/TT\t4\n");
    EXPECT_EQ(matches(left, right, modes("ClosestAllelicMatch", "OneToManyAnnotation")),
              QStringList({"101:1", "201:3"}));
}

TEST_F(AnnotateVariantTest, FieldsFollowTheOptionsInOrder) {
    const QString left = m_files.writeIndexed("left.vcf.gz", kLeft);
    const QString right = m_files.writeIndexed("right.vcf.gz", kRight);
    open(
        left, right,
        R"(,"featureCounterFieldName":"Hits","featureFlagFieldName":"Hit?","uniquifyFieldSymbols":["K","NOPE"],)"
        R"("outputFieldList":["K"],"allelicMatchMode":"AllAllelicMatch")");
    ASSERT_TRUE(m_source->isValid());
    EXPECT_EQ(m_source->info().name, "Annotate Variant with right.vcf.gz");
    const VkFieldList& schema = m_source->schema();
    const int first = schema.size() - 5;
    QStringList names;
    for (int idx = first; idx < schema.size(); ++idx)
        names << QString::fromUtf8(schema[idx].name);
    EXPECT_EQ(names, QStringList({"Hits", "Hit?", "K (Unique)", "Right Match", "K"}));
    EXPECT_TRUE(schema[first + 3].symbol.startsWith("RIGHT_ID_"));

    const VkFeatureList rows = FormatTest::readAll(m_source);
    ASSERT_EQ(rows.size(), 8);
    EXPECT_EQ(rows[0].value(first).intValue(), 2);
    EXPECT_EQ(rows[0].value(first + 1).boolByte(), 1);
    EXPECT_EQ(rows[0].value(first + 2).intVector(), QVector<int32_t>({1, 2}));
    EXPECT_EQ(rows[1].value(first + 4).intValue(), 2);
    EXPECT_NE(rows[0].value(first + 3).intValue(), rows[1].value(first + 3).intValue());
}

TEST_F(AnnotateVariantTest, SourcesWithoutAllelesDoNotOpen) {
    const QString variants = m_files.writeIndexed("variants.vcf.gz", kLeft);
    const QString regions = m_files.write("regions.bed", "1\t0\t100\n");
    EXPECT_EQ(VkSourceTypeRegistry::instance().open(variantUrl(regions, variants))->errorText(),
              "Left source for allelic match does not have the RefAlt field");
    EXPECT_EQ(VkSourceTypeRegistry::instance().open(variantUrl(variants, regions))->errorText(),
              "Variant source for allelic match does not have the RefAlt or Observed field");
}

// The annotation records of a real VCF: every fourth site as it is, every fourth with an extra
// alternate, every fourth after a record of another alternate at its place, every fourth only as
// that other record; a multi-allelic site with its first alternate only. bcftools annotate
// matches records sharing an alternate, as the per-alternate retry does; where two identical
// records match, varkit keeps both and bcftools the first, so the first match is compared.
TEST(AnnotateVariantCorpus, MatchesAreThoseOfBcftoolsAnnotate) {
    const QString corpus =
        QStringLiteral(VARKIT_CORPUS "/python3-cyvcf2/usr/lib/python3/dist-packages/cyvcf2/tests/o.vcf.gz");
    if (!QFileInfo::exists(corpus))
        GTEST_SKIP() << "No corpus file " << corpus.toStdString();
    VcfFiles files;
    const QString left = files.path("left.vcf.gz");
    ASSERT_TRUE(QFile::copy(corpus, left));
    ASSERT_TRUE(buildVcfIndex(left));

    const ProgramRun sites = bcftoolsQuery(left, "%CHROM\\t%POS\\t%REF\\t%ALT\\n");
    ASSERT_EQ(sites.exitCode, 0) << sites.err.toStdString();
    QByteArray db = "##fileformat=VCFv4.2\n";
    for (const QByteArray& header : runProgram("bcftools", {"view", "-h", left}).out.split('\n'))
        if (header.startsWith("##contig="))
            db += header + '\n';
    db += "##INFO=<ID=KEY,Number=1,Type=Integer,Description=\"Record\">\n"
          "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n";
    int key = 0;
    int line = 0;
    for (const QByteArray& site : sites.out.split('\n')) {
        const QList<QByteArray> cells = site.split('\t');
        if (cells.size() < 4)
            continue;
        const QByteArray& ref = cells[2];
        const QByteArray& alt = cells[3];
        const auto record = [&](const QByteArray& alts) {
            db += cells[0] + '\t' + cells[1] + "\t.\t" + ref + '\t' + alts +
                  "\t.\t.\tKEY=" + QByteArray::number(++key) + '\n';
        };
        const int kind = ++line % 4;
        if (alt.contains(','))
            record(alt.left(alt.indexOf(',')));
        else if (kind == 0)
            record(alt + ',' + ref + "CACACA");
        else if (kind == 1 || kind == 2)
            record(ref + "GTGT");
        if (!alt.contains(',') && (kind == 1 || kind == 3))
            record(alt);
    }
    const QString right = files.writeIndexed("db.vcf.gz", db);
    const QString annotated = files.path("bcftools.vcf");
    const ProgramRun annotate = runProgram(
        "bcftools", {"annotate", "-a", right, "-c", "INFO/KEY", "--no-version", "-o", annotated, left});
    ASSERT_EQ(annotate.exitCode, 0) << annotate.err.toStdString();

    // Site -> key of its first match; bcftools may reorder the records of one position.
    QMap<QByteArray, QByteArray> theirs;
    for (const QByteArray& row : bcftoolsQuery(annotated, "%CHROM:%POS:%REF/%ALT\\t%KEY\\n").out.split('\n'))
        if (!row.isEmpty())
            theirs.insert(QByteArray(row.left(row.indexOf('\t'))).replace(',', '/'),
                          row.mid(row.indexOf('\t') + 1));
    const VkSourcePtr source = VkSourceTypeRegistry::instance().open(variantUrl(left, right));
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    const int refAlt = fieldIdx(source, "Ref/Alt");
    const int keyField = source->info().fieldIndex("KEY");
    QMap<QByteArray, QByteArray> ours;
    for (const VkFeature& feature : FormatTest::readAll(source)) {
        const QByteArray site = feature.segment().chromosome() + ':' +
                                QByteArray::number(feature.segment().start() + 1) + ':' +
                                feature.value(refAlt).bytes();
        const PVariant& value = feature.value(keyField);
        if (!ours.contains(site))
            ours.insert(site, value.isMissing() ? "." : QByteArray::number(value.intValue()));
    }
    EXPECT_EQ(ours.size(), theirs.size());
    int matched = 0;
    for (auto it = theirs.cbegin(); it != theirs.cend(); ++it) {
        EXPECT_EQ(ours.value(it.key()).toStdString(), it.value().toStdString()) << it.key().toStdString();
        matched += it.value() != ".";
    }
    EXPECT_GT(matched, 1500);
}
