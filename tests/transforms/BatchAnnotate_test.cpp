// Batch annotations: the records of their per-feature joins, and the identifier join.
#include "meta/Json.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/FormatTestSupport.h"
#include "transforms/framework/TransformUrl.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
const QString kExample = QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz");

VkSourcePtr openJoin(const QString& name, const QString& left, const QString& right,
                     PVariantMap fields = {}) {
    fields.insert("sourceUrls", PVariant::fromStringList({left, right}));
    const PVariantMap options{{"fields", PVariant(fields)}};
    return VkSourceTypeRegistry::instance().open(
        TransformUrl::make(name, Json::write(PVariant(options), Json::Style::Compact), 0));
}

// Every record as text: its place and values.
QStringList recordsOf(const VkSourcePtr& source) {
    QStringList records;
    for (const VkFeature& feature : FormatTest::readAll(source)) {
        QStringList values{feature.segment().toString()};
        for (const PVariant& value : feature.values())
            values << QString::fromUtf8(value.toText());
        records << values.join('|');
    }
    return records;
}

// The value of one field of every record.
QList<QByteArray> column(const VkSourcePtr& source, const QByteArray& symbol) {
    const int idx = source->info().fieldIndex(symbol);
    EXPECT_GE(idx, 0) << symbol.constData();
    QList<QByteArray> values;
    for (const VkFeature& feature : FormatTest::readAll(source))
        values << feature.value(idx).toText();
    return values;
}
} // namespace

TEST(BatchAnnotate, GivesTheRecordsOfThePerFeatureJoin) {
    QTemporaryDir dir;
    const QString regions = dir.filePath("regions.bed");
    FormatTest::writeFile(regions,
                          "20\t60000\t70000\tWIDE\n20\t68748\t68749\tEXACT\n20\t1345679\t1345700\tEND\n"
                          "21\t0\t20000000\tHALF\n");
    struct Pair {
        QString batch;
        QString single;
        QString right;
    };
    const QList<Pair> pairs = {
        {"batchAnnotateRegion", "annotateRegion", regions},
        {"batchAnnotateOverlapRegion", "annotateOverlapRegion", regions},
        {"batchAnnotateOverlapCNV", "annotateOverlapRegion", regions},
        {"batchAnnotateVariant", "annotateVariant", kExample},
    };
    const PVariantMap fields{{"matchingFeatureSummary", PVariant("MatchingFeatureCount")},
                             {"genomicMatchMode", PVariant("GenomicMatchWithin")},
                             {"featureCounterFieldName", PVariant("Matches")}};
    for (const Pair& pair : pairs) {
        const VkSourcePtr batch = openJoin(pair.batch, kExample, pair.right, fields);
        const VkSourcePtr single = openJoin(pair.single, kExample, pair.right, fields);
        ASSERT_TRUE(batch->isValid()) << batch->errorText().toStdString();
        ASSERT_TRUE(single->isValid()) << single->errorText().toStdString();
        EXPECT_TRUE(batch->path().startsWith("transform://" + pair.batch + "/"));
        EXPECT_EQ(batch->schema(), single->schema());
        const QStringList records = recordsOf(batch);
        EXPECT_EQ(records, recordsOf(single)) << pair.batch.toStdString();
        EXPECT_GE(records.size(), 50);
    }
    const VkSourcePtr alone = VkSourceTypeRegistry::instance().open(TransformUrl::make(
        "batchAnnotateRegion", "{\"fields\":{\"sourceUrls\":[\"" + kExample.toUtf8() + "\"]}}", 1));
    EXPECT_EQ(alone->errorText(), "Inadequate number of sources provided to transform: batchAnnotateRegion.");
}

// Left features "id0" to "id2999" over three batches, on two chromosomes; the right records carry
// every third identifier, on other chromosomes and in another order, the ninths twice.
TEST(BatchAnnotate, IdentifierJoinMatchesRecordsCarryingTheSameIdentifierWhereverTheyLie) {
    QTemporaryDir dir;
    const QString left = dir.filePath("left.bed");
    const QString right = dir.filePath("right.bed");
    QByteArray leftText;
    QByteArray rightText;
    for (int i = 0; i < 3000; ++i)
        leftText += (i < 1500 ? "1\t" : "2\t") + QByteArray::number(i * 10) + '\t' +
                    QByteArray::number(i * 10 + 5) + "\tid" + QByteArray::number(i) + '\n';
    for (int i = 2997; i >= 0; i -= 3) {
        const QByteArray id = "\tid" + QByteArray::number(i) + '\n';
        rightText += "3\t" + QByteArray::number((3000 - i) * 100) + '\t' +
                     QByteArray::number((3000 - i) * 100 + 1) + id;
        if (i % 9 == 0)
            rightText += "X\t" + QByteArray::number(i) + '\t' + QByteArray::number(i) + id;
    }
    FormatTest::writeFile(left, leftText);
    FormatTest::writeFile(right, rightText);

    const VkSourcePtr join = openJoin("batchAnnotateID", left, right,
                                      {{"leftIdField", PVariant("NAME")},
                                       {"rightIdField", PVariant("NAME")},
                                       {"matchingFeatureSummary", PVariant("MatchingFeatureCount")}});
    ASSERT_TRUE(join->isValid()) << join->errorText().toStdString();
    const QList<QByteArray> names = column(join, "NAME");
    const QList<QByteArray> counts = column(join, "MATCHED_COUNT");
    const QList<QByteArray> matched = column(join, "right_NAME");
    int row = 0;
    for (int i = 0; i < 3000; ++i) {
        const int expected = i % 9 == 0 ? 2 : i % 3 == 0 ? 1 : 0;
        for (int match = 0; match < std::max(1, expected); ++match, ++row) {
            ASSERT_LT(row, names.size());
            ASSERT_EQ(names.at(row), "id" + QByteArray::number(i));
            ASSERT_EQ(counts.at(row).toInt(), expected) << "id" << i;
            EXPECT_EQ(matched.at(row), expected ? names.at(row) : QByteArray()) << "id" << i;
        }
    }
    EXPECT_EQ(row, names.size());

    const VkSourcePtr noField =
        openJoin("batchAnnotateID", left, right, {{"rightIdField", PVariant("GENE")}});
    EXPECT_EQ(noField->errorText(), QStringLiteral("Unable to find field ID"));
}

// A VCF's identifiers are a list: a record matches on any of them, and "." matches nothing.
TEST(BatchAnnotate, IdentifierJoinOfVariantsMatchesAnyOfTheirIdentifiers) {
    QTemporaryDir dir;
    const QString database = dir.filePath("db.vcf");
    FormatTest::writeFile(database, "##fileformat=VCFv4.2\n#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n"
                                    "1\t100\trs6078030\tC\tT\t.\t.\tSOURCE=a\n"
                                    "1\t200\trs6040355;rs2236681\tA\tG\t.\t.\tSOURCE=b\n"
                                    "2\t5\t.\tA\tG\t.\t.\tSOURCE=c\n");
    const VkSourcePtr join = openJoin("batchAnnotateID", kExample, database,
                                      {{"matchingFeatureSummary", PVariant("MatchingFeatureCount")},
                                       {"outputFieldList", PVariant::fromStringList({"SOURCE"})}});
    ASSERT_TRUE(join->isValid()) << join->errorText().toStdString();
    const QList<QByteArray> ids = column(join, "ID");
    const QList<QByteArray> sources = column(join, "SOURCE");
    QStringList matches;
    for (int i = 0; i < ids.size(); ++i)
        if (!sources.at(i).isEmpty())
            matches << QString::fromUtf8(ids.at(i) + '>' + sources.at(i));
    EXPECT_EQ(matches, QStringList({"rs6078030>a", "rs6040355>b", "rs2236681>b"}));
    EXPECT_EQ(ids.size(), 50);
}
