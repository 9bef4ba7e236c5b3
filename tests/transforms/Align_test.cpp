#include "formats/vcf/VcfTestSupport.h"
#include "support/FormatTestSupport.h"
#include "transforms/framework/FnTransformSourceTypeManager.h"

#include <QDir>
#include <QRandomGenerator>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using FormatTest::fastaRecord;

namespace {

// Chromosome "20": a run of A at its start, a run of 30 T, CAG and AT repeats, and a run of C.
const QByteArray kReference = "AAAAGTCC" + QByteArray(30, 'T') + "GCA" + "CAGCAGCAGCAG" + "TTACG" +
                              "ATATATATAT" + "GGCCTTAAGGCCATGCATGC" + QByteArray(12, 'C') + "TGA";

QByteArray record(int pos, const QByteArray& ref, const QByteArray& alts, const QByteArray& rest = ".") {
    return "20\t" + QByteArray::number(pos) + "\t.\t" + ref + '\t' + alts + "\t.\t.\t" + rest + '\n';
}

QString alignUrl(const char* transform, const QString& input, const QByteArray& extraFields = QByteArray()) {
    return QStringLiteral("transform://%1/json/ {\"fields\":{\"sourceUrl\":\"%2\"%3}}")
        .arg(QLatin1String(transform), input, QString::fromUtf8(extraFields));
}

// "POS REF ALT[,ALT]" of every record a source gives, in its order.
std::vector<std::string> alleleLines(const VkSourcePtr& source) {
    const int ref = source->info().fieldIndex("REF");
    const int alt = source->info().fieldIndex("ALT");
    const int refAlt = fieldIdx(source, "Ref/Alt");
    std::vector<std::string> lines;
    for (const VkFeature& feature : readFeatures(source)) {
        const QByteArray refBases = feature.value(ref).bytes();
        const QByteArray alts = feature.value(alt).stringVector().toList().join(',');
        EXPECT_EQ(feature.segment().length(), refBases.size());
        EXPECT_EQ(feature.value(refAlt).bytes(),
                  refBases + '/' + feature.value(alt).stringVector().toList().join('/'));
        lines.push_back(
            (QByteArray::number(feature.segment().start() + 1) + ' ' + refBases + ' ' + alts).toStdString());
    }
    return lines;
}

// Each test writes its reference beside its VCF, where the transform looks first.
class AlignTest : public ::testing::Test {
protected:
    void SetUp() override { writeFile(m_dir.filePath("ref.fa"), fastaRecord("20", kReference, 60)); }

    VkSourcePtr transform(const QByteArray& records, const char* name = "leftAlign",
                          const QByteArray& extraFields = QByteArray(),
                          const QByteArray& header = QByteArray()) {
        const QString input = m_dir.filePath(QStringLiteral("in%1.vcf").arg(++m_count));
        writeFile(input, (header.isEmpty() ? vcfHeader(QByteArray(), QByteArray()) : header) + records);
        return openSource(alignUrl(name, input, extraFields));
    }

    std::vector<std::string> aligned(const QByteArray& records, const char* name = "leftAlign",
                                     const QByteArray& extraFields = QByteArray()) {
        const VkSourcePtr source = transform(records, name, extraFields);
        if (!source->isValid()) {
            ADD_FAILURE() << source->errorText().toStdString();
            return {};
        }
        return alleleLines(source);
    }

    QTemporaryDir m_dir;
    int m_count = 0;
};

const QByteArray kShiftCases = record(3, "AA", "A") + record(6, "T", "G") + record(20, "T", "TT") +
                               record(37, "TT", "T") + record(50, "GCAG", "G") + record(66, "T", "TAT") +
                               record(95, "CC", "C,CCC");

TEST_F(AlignTest, LeftAlignmentMovesIndelsToTheStartOfTheirRepeatAndLeavesSnpsInPlace) {
    // As bcftools norm -f gives them; the deletion in the run that starts the chromosome keeps the
    // base after it, and the 30-base run is crossed although the flank is 8 bases.
    EXPECT_EQ(aligned(kShiftCases), (std::vector<std::string>{"1 AA A", "6 T G", "8 C CT", "8 CT C",
                                                              "41 ACAG A", "58 G GAT", "87 GC G,GCC"}));
}

TEST_F(AlignTest, RightAlignmentMovesIndelsToTheEndOfTheirRepeatAnchoredOnTheBaseBefore) {
    EXPECT_EQ(aligned(kShiftCases, "rightAlign"),
              (std::vector<std::string>{"3 AA A", "6 T G", "37 TT T", "38 T TT", "50 GCAG G", "68 T TAT",
                                        "99 CC C,CCC"}));
}

TEST_F(AlignTest, RecordsThatMovePastOthersAreEmittedInPositionOrder) {
    const QByteArray records = record(12, "T", "G") + record(20, "T", "C") + record(30, "TT", "T") +
                               record(38, "T", "TT") + record(39, "G", "A");
    EXPECT_EQ(aligned(records), (std::vector<std::string>{"8 CT C", "8 C CT", "12 T G", "20 T C", "39 G A"}));
}

TEST_F(AlignTest, ComplexAndMultiAllelicRecordsBecomeOneParsimoniousRecord) {
    // An MNP keeps only the bases that change; alternates move together, only as far as all of them
    // can (as bcftools norm and vt normalize give them).
    const QByteArray records =
        record(5, "GTC", "GAC") + record(30, "TT", "T,TTT,GT") + record(44, "GCAGC", "GC,TCAGC");
    EXPECT_EQ(aligned(records), (std::vector<std::string>{"6 T A", "29 TT T,TTT,TG", "41 ACAG A,ACAT"}));
}

TEST_F(AlignTest, AlternatesThatBothSubstituteAndInsertOrDeleteAreAlignedAndTrimmed) {
    // As bcftools norm and vt normalize give them.
    const QByteArray records = record(32, "TTTTTTTG", "TTTTTAG") + record(44, "GCAGC", "TAGC") +
                               record(60, "TATAT", "GAT") + record(66, "TATG", "TAATCG");
    EXPECT_EQ(aligned(records), (std::vector<std::string>{"37 TT A", "44 GC T", "60 TAT G", "68 T ATC"}));
}

TEST_F(AlignTest, AlignedOutputAlignsToItselfAndOtherFieldsPassUnchanged) {
    const QByteArray records = record(20, "T", "TT", "DP=7;GENE=abc") + record(37, "TT", "T", "DB") +
                               record(50, "GCAG", "G,GCAGCAG", "AF=0.5,0.25");
    const VkSourcePtr once = transform(records);
    ASSERT_TRUE(once->isValid()) << once->errorText().toStdString();
    const QString onceUrl = FnTransformSourceTypeManager::transformOf(*once)->url();
    const VkSourcePtr twice = openSource(alignUrl("leftAlign", onceUrl));
    ASSERT_TRUE(twice->isValid()) << twice->errorText().toStdString();
    const VkFeatureList first = readFeatures(once);
    EXPECT_EQ(readFeatures(twice), first);
    ASSERT_EQ(first.size(), 3);
    EXPECT_EQ(first[0].value(once->info().fieldIndex("GENE")).bytes(), "abc");
    EXPECT_EQ(first[0].value(once->info().fieldIndex("DP")).toInt(), 7);
}

TEST_F(AlignTest, DuplicateRecordsEmitsEachRecordAsReadAndAlignedOnceWhenItCannotBeAligned) {
    const QByteArray records =
        record(20, "T", "TT") + record(25, "T", "<DEL>") + record(37, "TT", "T") + record(40, "CA", "C");
    EXPECT_EQ(aligned(records, "leftAlign", R"(,"duplicateRecords":true)"),
              (std::vector<std::string>{"8 C CT", "8 CT C", "20 T TT", "25 T <DEL>", "37 TT T", "40 CA C",
                                        "40 CA C"}));
}

TEST_F(AlignTest, RecordsTheReferenceDisagreesWithStayAsTheyAre) {
    EXPECT_EQ(aligned(record(20, "GT", "G") + record(30, "TTAC", "T")),
              (std::vector<std::string>{"20 GT G", "30 TTAC T"}));
}

TEST_F(AlignTest, SourcesWithoutAllelesOrReferenceAreRefused) {
    const QString bed = m_dir.filePath(QStringLiteral("regions.bed"));
    writeFile(bed, "20\t10\t20\n");
    const VkSourcePtr regions = openSource(alignUrl("leftAlign", bed));
    EXPECT_FALSE(regions->isValid());
    EXPECT_NE(regions->errorText().indexOf("Source must have a Ref and Alts to be left aligned"), -1)
        << regions->errorText().toStdString();

    QFile::remove(m_dir.filePath("ref.fa"));
    const VkSourcePtr variants = transform(record(20, "T", "TT"));
    EXPECT_FALSE(variants->isValid());
    EXPECT_NE(variants->errorText().indexOf("No reference sequence was found"), -1);
}

TEST_F(AlignTest, ChromosomesTheReferenceLacksFailTheRead) {
    const VkSourcePtr source = transform("21\t20\t.\tTT\tT\t.\t.\t.\n");
    ASSERT_TRUE(source->isValid());
    QString error;
    readFeatures(source, ReadRequest(), &error);
    EXPECT_NE(error.indexOf("no chromosome 21"), -1) << error.toStdString();
}

// Right alignment is left alignment seen from the other strand: aligning the reverse complement of
// the reference and of every record to the left, then turning the result back, gives the right
// alignment. Compared in the trimmed form, as the anchor base sits on the other side.
QByteArray reverseComplement(QByteArray bases) {
    std::reverse(bases.begin(), bases.end());
    for (char& base : bases)
        base = base == 'A' ? 'T' : base == 'C' ? 'G' : base == 'G' ? 'C' : 'A';
    return bases;
}

struct Variant {
    int start; // 0-based
    QByteArray ref;
    QByteArray alt;
};

std::string trimmed(Variant variant) {
    while (!variant.ref.isEmpty() && !variant.alt.isEmpty() && variant.ref.front() == variant.alt.front()) {
        variant.ref.remove(0, 1);
        variant.alt.remove(0, 1);
        ++variant.start;
    }
    while (!variant.ref.isEmpty() && !variant.alt.isEmpty() && variant.ref.back() == variant.alt.back()) {
        variant.ref.chop(1);
        variant.alt.chop(1);
    }
    return (QByteArray::number(variant.start) + ' ' + variant.ref + '>' + variant.alt).toStdString();
}

std::vector<Variant> variantsOf(const VkSourcePtr& source) {
    std::vector<Variant> variants;
    for (const VkFeature& feature : readFeatures(source))
        variants.push_back({feature.segment().start(),
                            feature.value(source->info().fieldIndex("REF")).bytes(),
                            feature.value(source->info().fieldIndex("ALT")).stringVector().value(0)});
    return variants;
}

QByteArray vcfOf(std::vector<Variant> variants) {
    std::stable_sort(variants.begin(), variants.end(),
                     [](const Variant& a, const Variant& b) { return a.start < b.start; });
    QByteArray text = vcfHeader(QByteArray(), QByteArray());
    for (const Variant& variant : variants)
        text += record(variant.start + 1, variant.ref, variant.alt);
    return text;
}

TEST(AlignSymmetry, RightAlignmentMirrorsLeftAlignmentOnTheReverseStrand) {
    QRandomGenerator random(11);
    QByteArray bases;
    while (bases.size() < 4000) {
        QByteArray unit;
        for (int i = 0, size = random.bounded(1, 5); i < size; ++i)
            unit += "ACGT"[random.bounded(4)];
        bases += unit.repeated(random.bounded(2, 12));
    }
    std::vector<Variant> forward;
    for (int start = 1; start + 12 < bases.size(); start += random.bounded(1, 4)) {
        const int length = random.bounded(1, 4);
        if (random.bounded(2))
            forward.push_back({start, bases.mid(start, length + 1), bases.mid(start, 1)});
        else
            forward.push_back(
                {start, bases.mid(start, 1), bases.mid(start, 1) + bases.mid(start + 1, length)});
    }
    std::vector<Variant> reverse;
    for (const Variant& variant : forward)
        reverse.push_back({int(bases.size()) - variant.start - int(variant.ref.size()),
                           reverseComplement(variant.ref), reverseComplement(variant.alt)});

    QTemporaryDir forwardDir;
    QTemporaryDir reverseDir;
    writeFile(forwardDir.filePath("ref.fa"), fastaRecord("20", bases, 60));
    writeFile(reverseDir.filePath("ref.fa"), fastaRecord("20", reverseComplement(bases), 60));
    writeFile(forwardDir.filePath("in.vcf"), vcfOf(forward));
    writeFile(reverseDir.filePath("in.vcf"), vcfOf(reverse));
    const VkSourcePtr right = openSource(alignUrl("rightAlign", forwardDir.filePath("in.vcf")));
    const VkSourcePtr left = openSource(alignUrl("leftAlign", reverseDir.filePath("in.vcf")));
    ASSERT_TRUE(right->isValid() && left->isValid());

    std::vector<std::string> expected;
    for (const Variant& variant : variantsOf(left))
        expected.push_back(trimmed({int(bases.size()) - variant.start - int(variant.ref.size()),
                                    reverseComplement(variant.ref), reverseComplement(variant.alt)}));
    std::vector<std::string> actual;
    for (const Variant& variant : variantsOf(right))
        actual.push_back(trimmed(variant));
    std::sort(expected.begin(), expected.end());
    std::sort(actual.begin(), actual.end());
    EXPECT_GT(actual.size(), 1000u);
    EXPECT_EQ(actual, expected);
}

} // namespace
