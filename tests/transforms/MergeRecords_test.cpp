#include "formats/vcf/VcfTestSupport.h"

#include <gtest/gtest.h>

namespace {

QString mergeRecordsUrl(const QString& input, const QByteArray& extraFields) {
    return QStringLiteral("transform://mergeRecords/json/ {\"fields\":{\"sourceUrls\":[\"%1\"]%2}}")
        .arg(input, QString::fromUtf8(extraFields));
}

// Records at one place merge; with a record type field, only those of one type do.
TEST(MergeRecords, RecordsSharingPlaceAndTypeBecomeOne) {
    VcfFiles files;
    const QString input =
        files.writeIndexed("in.vcf.gz", "##fileformat=VCFv4.2\n##contig=<ID=1,length=1000>\n"
                                        "##INFO=<ID=DP,Number=1,Type=Integer,Description=\"Depth\">\n"
                                        "##INFO=<ID=KIND,Number=1,Type=String,Description=\"Kind\">\n"
                                        "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n"
                                        "1\t10\trs1\tA\tC\t.\t.\tDP=2;KIND=x\n"
                                        "1\t10\trs2\tA\tG\t.\t.\tDP=6;KIND=x\n"
                                        "1\t10\trs3\tA\tT\t.\t.\tDP=1;KIND=y\n"
                                        "1\t20\trs4\tG\tT\t.\t.\tDP=3;KIND=x\n");
    const QByteArray behaviors =
        R"(,"mergeBehavior":"TakeFirst","fieldMergeBehaviors":[)"
        R"({"className":"FieldMergeBehaviorOptions","fields":{"fieldSymbol":"DP","mergeBehavior":"NumericMax"}},)"
        R"({"className":"FieldMergeBehaviorOptions","fields":{"fieldSymbol":"ALT","mergeBehavior":"Unique"}}])";
    auto read = [&](const QByteArray& extra) {
        const VkSourcePtr source = openSource(mergeRecordsUrl(input, behaviors + extra));
        EXPECT_TRUE(source->isValid()) << source->errorText().toStdString();
        QStringList rows;
        const int alt = source->info().fieldIndex("ALT");
        const int dp = source->info().fieldIndex("DP");
        for (const VkFeature& feature : readFeatures(source))
            rows << QStringLiteral("%1 %2 %3")
                        .arg(feature.segment().start())
                        .arg(QString::fromUtf8(feature.value(alt).toText()))
                        .arg(feature.value(dp).intValue());
        return rows;
    };
    EXPECT_EQ(read(QByteArray()), QStringList({"9 C,G,T 6", "19 T 3"}));
    EXPECT_EQ(read(R"(,"recordTypeField":"KIND")"), QStringList({"9 C,G 6", "9 T 1", "19 T 3"}));
    EXPECT_EQ(openSource(mergeRecordsUrl(input, R"(,"recordTypeField":"NONE")"))->errorText(),
              QStringLiteral("Unable to map field with symbol: NONE. "));
}

} // namespace
