#include "formats/vcf/VcfSourceTypeManager.h"
#include "formats/vcf/VcfTestSupport.h"
#include "source/values/ShortType.h"

#include <gtest/gtest.h>

namespace {

struct FieldShape {
    QByteArray name;
    QByteArray symbol;
    ValueType type;
    int32_t fieldType;
};

QList<FieldShape> shapes(const VkFieldList& schema) {
    QList<FieldShape> list;
    for (const VkField& field : schema)
        list.append({field.name, field.symbol, field.valueType, field.fieldType});
    return list;
}

bool operator==(const FieldShape& a, const FieldShape& b) {
    return a.name == b.name && a.symbol == b.symbol && a.type == b.type && a.fieldType == b.fieldType;
}

void PrintTo(const FieldShape& shape, std::ostream* out) {
    *out << shape.name.constData() << "/" << shape.symbol.constData() << "/" << int(shape.type) << "/"
         << shape.fieldType;
}

const VkField& field(const VkSourcePtr& source, const QByteArray& name) {
    static const VkField none;
    const int idx = fieldIdx(source, name);
    return idx >= 0 ? source->schema().at(idx) : none;
}

} // namespace

TEST(VcfSourceTypeManager, ClaimsVcfSuffixesInAnyCase) {
    VkSourceTypeRegistry& registry = VkSourceTypeRegistry::instance();
    for (const char* path : {"a.vcf", "a.VCF.GZ", "a.gvcf", "b.gVcf.Gz", "c.vcf.gz"}) {
        VkSourceTypeManager* manager = registry.managerForPath(QString::fromLatin1(path));
        ASSERT_NE(manager, nullptr) << path;
        EXPECT_EQ(manager->typeId(), VcfSourceTypeManager::TypeId) << path;
    }
    EXPECT_EQ(registry.managerForTypeId(3)->typeName(), QStringLiteral("VCF"));
    for (const char* path : {"a.vcf.bgz", "a.vcf.txt"}) {
        VkSourceTypeManager* manager = registry.managerForPath(QString::fromLatin1(path));
        EXPECT_TRUE(!manager || manager->typeId() != VcfSourceTypeManager::TypeId) << path;
    }
}

TEST(VcfSourceTypeManager, OpeningFailuresSayWhy) {
    VcfFiles files;
    const QString missing = files.path(QStringLiteral("missing.vcf"));
    EXPECT_EQ(openSource(missing)->errorText(), missing + QStringLiteral(" does not exist"));

    const QString noTitles =
        files.write(QStringLiteral("t.vcf"), "##fileformat=VCFv4.2\n20\t1\t.\tA\tG\t.\t.\t.\n");
    EXPECT_EQ(openSource(noTitles)->errorText(),
              QStringLiteral("Header does not end with proper VCF column titles: #CHROM  POS ..."));
    const QString empty = files.write(QStringLiteral("e.vcf"), QByteArray());
    EXPECT_EQ(openSource(empty)->errorText(),
              QStringLiteral("Header does not end with proper VCF column titles: #CHROM  POS ..."));

    const QString indexed = files.writeIndexed(QStringLiteral("i.vcf.gz"),
                                               vcfHeader() + "20\t5\t.\tA\tG\t.\t.\t.\tGT\t0\t0\t0\n");
    writeFile(indexed + QStringLiteral(".tbi"), "not an index");
    EXPECT_EQ(openSource(indexed)->errorText(),
              QStringLiteral("Unable to open VCF.GZ.TBI index file %1.tbi").arg(indexed));

    // A gzip stream cut off inside the header.
    QByteArray gzipped;
    writeGzip(files.path(QStringLiteral("whole.gz")), vcfHeader() + QByteArray(100000, '#'));
    gzipped = readFile(files.path(QStringLiteral("whole.gz")));
    const QString truncated = files.write(QStringLiteral("cut.vcf.gz"), gzipped.left(gzipped.size() / 2));
    EXPECT_EQ(openSource(truncated)->errorText(),
              QStringLiteral("Error while opening VCF.GZ %1").arg(truncated));
}

TEST(VcfSourceTypeManager, NamesTheCallerAndTheBuildFromTheHeader) {
    // The rest of the description is pinned by the golden schema of the example.
    VcfFiles files;
    const VkSourcePtr source = openSource(
        files.write(QStringLiteral("calls.vcf"), vcfHeader() + "20\t5\t.\tA\tG\t.\t.\t.\tGT\t0\t0\t0\n"));
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(source->info().source, QStringLiteral("GATK"));
    EXPECT_EQ(source->info().coordInfo.coordSysId, QStringLiteral("GRCh_37,Chromosome,Homo sapiens"));
    EXPECT_EQ(source->info().docInfo.descriptionHtml(),
              QStringLiteral("<p>A VCF file with 3 samples called with GATK with the reference "
                             "file:///refs/hg19.fa</p>"));

    const QByteArray bare = "##fileformat=VCFv4.1\n##source=CASAVA-1.8\n"
                            "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n";
    const VkSourcePtr casava = openSource(files.write(QStringLiteral("casava.vcf"), bare));
    EXPECT_EQ(casava->info().source, QStringLiteral("CASAVA"));
    EXPECT_TRUE(casava->info().coordInfo.coordSysId.isEmpty());
}

TEST(VcfSourceTypeManager, PrecomputeOfTheGenomicIndexUntilABgzipCopyHasAnIndex) {
    VcfFiles files;
    const QByteArray text = vcfHeader() + "20\t5\t.\tA\tG\t.\t.\t.\tGT\t0\t0\t0\n";
    const QString plain = files.write(QStringLiteral("p.vcf"), text);
    QString message;
    VkSourcePtr source = openSource(plain);
    EXPECT_TRUE(source->manager()->precomputeNeeded(*source, QStringLiteral("GenomicIndex"), &message));
    EXPECT_EQ(message, QStringLiteral("Compressing and indexing this VCF source. Please wait..."));
    EXPECT_FALSE(source->manager()->precomputeNeeded(*source, QStringLiteral("AlignmentCoverage"), &message));

    writeBgzf(plain + QStringLiteral(".gz"), {text});
    source = openSource(plain);
    EXPECT_EQ(source->info().properties.value("BgzipFile").toQString(), plain + QStringLiteral(".gz"));
    EXPECT_TRUE(source->manager()->precomputeNeeded(*source, QStringLiteral("GenomicIndex"), &message));
    EXPECT_EQ(message, QStringLiteral("Computing a tabix TBI index for this VCF source. Please wait..."));

    buildVcfIndex(plain + QStringLiteral(".gz"));
    writeFile(plain + QStringLiteral(".gz.covtsf"), "x");
    source = openSource(plain + QStringLiteral(".gz"));
    EXPECT_EQ(source->info().properties.value("IndexFile").toQString(), plain + QStringLiteral(".gz.tbi"));
    EXPECT_EQ(source->info().properties.value("VarCoverageUrl").toQString(),
              plain + QStringLiteral(".gz.covtsf:1"));
    EXPECT_FALSE(source->manager()->precomputeNeeded(*source, QStringLiteral("GenomicIndex"), &message));
}

TEST(VcfSchema, FieldsFollowTheHeader) {
    VcfFiles files;
    const VkSourcePtr source = openSource(files.write(QStringLiteral("s.vcf"), vcfHeader()));
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    using VT = ValueType;
    const int32_t locus = VkField::LocusAttribute;
    const int32_t matrix = VkField::Matrix;
    const QList<FieldShape> expected = {{"Ref/Alt", "", VT::String, locus},
                                        {"Identifier", "ID", VT::StringArray, locus},
                                        {"Reference", "REF", VT::String, locus},
                                        {"Alternates", "ALT", VT::StringArray, locus},
                                        {"Quality", "QUAL", VT::Float, locus},
                                        {"Filter", "FILTER", VT::CategoricalArray, locus},
                                        {"Read Depth", "DP", VT::Int, locus},
                                        {"Alt Allele Freq", "AF", VT::FloatArray, locus},
                                        {"Alt Allele Counts", "AC", VT::IntArray, locus},
                                        {"End Pos", "END", VT::Int, locus},
                                        {"GENE", "GENE", VT::String, locus},
                                        {"CSQ", "CSQ", VT::StringArray, locus},
                                        {"Flags", "", VT::CategoricalArray, locus},
                                        {"0/1 Genotypes", "GT", VT::String, matrix},
                                        {"Allelic Depths", "AD", VT::IntArray, matrix},
                                        {"Read Depths", "DP", VT::Int, matrix},
                                        {"GT Likelihoods", "GL", VT::FloatArray, matrix},
                                        {"Filters", "FT", VT::String, matrix},
                                        {"Samples", "", VT::String, VkField::EntityAttribute}};
    EXPECT_EQ(shapes(source->schema()), expected);

    // Documentation, Number and link templates are pinned by the golden schema of the example; this
    // header adds what the example lacks: a PASS filter the header leaves implicit, a second flag.
    const VkField& filter = field(source, "Filter");
    EXPECT_EQ(filter.enumNames, QVector<QByteArray>({"PASS", "LowQual"}));
    EXPECT_EQ(filter.props.value("enumDocs").stringVector(),
              QVector<QByteArray>({"Passes Filters", "Low quality, QUAL below 30"}));
    EXPECT_EQ(field(source, "Flags").enumNames, QVector<QByteArray>({"DB", "SOMATIC"}));
    EXPECT_TRUE(field(source, "0/1 Genotypes").isGenotypic());
    EXPECT_FALSE(field(source, "Allelic Depths").isGenotypic());
}

TEST(VcfSchema, ValueTypesComeFromTypeAndNumber) {
    QByteArray extra;
    const QList<QPair<QByteArray, QByteArray>> forms = {
        {"Number=0,Type=Integer", "i"},    {"Number=1,Type=Integer", "i"},  {"Number=2,Type=Integer", "@i"},
        {"Number=A,Type=Integer", "@i"},   {"Number=R,Type=Float", "@f4"},  {"Number=G,Type=Float", "@f4"},
        {"Number=.,Type=Float", "@f4"},    {"Number=1,Type=Float", "f4"},   {"Number=1,Type=Character", "s"},
        {"Number=4,Type=Character", "@s"}, {"Number=1,Type=String", "s"},   {"Type=Integer", "@i"},
        {"Number=1,Type=Blob", "s"},       {"Number=10,Type=Integer", "@i"}};
    for (int i = 0; i < forms.size(); ++i)
        extra += "##INFO=<ID=K" + QByteArray::number(i) + "," + forms.at(i).first + ",Description=\"k\">\n";
    extra += "##INFO=<ID=F1,Number=1,Type=Flag,Description=\"a flag with a wrong Number\">\n";
    VcfFiles files;
    const VkSourcePtr source = openSource(files.write(QStringLiteral("t.vcf"), vcfHeader(extra)));
    for (int i = 0; i < forms.size(); ++i) {
        const VkField& key = field(source, "K" + QByteArray::number(i));
        EXPECT_EQ(ShortType::text(key.valueType), forms.at(i).second) << forms.at(i).first.constData();
    }
    EXPECT_EQ(fieldIdx(source, "F1"), -1);
    EXPECT_TRUE(field(source, "Flags").enumNames.contains("F1"));
}

TEST(VcfSchema, FormatKeysHoldingAColonAreLeftOut) {
    VcfFiles files;
    const QByteArray extra = "##FORMAT=<ID=GT:GL,Number=.,Type=String,Description=\"(Undefined tag)\">\n";
    const VkSourcePtr source = openSource(files.write(QStringLiteral("c.vcf"), vcfHeader(extra)));
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(fieldIdx(source, "GT:GL"), -1);
    EXPECT_GE(fieldIdx(source, "GT Likelihoods"), 0);
}

TEST(VcfSchema, SitesOnlyFilesHaveNoMatrixFields) {
    VcfFiles files;
    const VkSourcePtr source =
        openSource(files.write(QStringLiteral("sites.vcf"), vcfHeader(QByteArray(), QByteArray())));
    ASSERT_TRUE(source->isValid());
    EXPECT_EQ(source->info().entityCount, 0);
    for (const VkField& field : source->schema())
        EXPECT_EQ(field.fieldType, VkField::LocusAttribute) << field.name.constData();
    EXPECT_EQ(source->schema().last().name, "Flags");
}
