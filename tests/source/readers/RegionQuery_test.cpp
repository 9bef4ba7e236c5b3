// Many region queries through one re-aimed cursor answer exactly what a fresh read of each region
// answers, on VCF (tabix) and TSF sources, including records that reach across several queries.
#include "source/readers/RegionQuery.h"
#include "source/registry/VkSourceTypeManager.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/Cli.h"
#include "support/FormatTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

// Three chromosomes of dense SNVs with deletions of a few hundred bases and structural variants
// whose END lies thousands of bases on, bgzip-compressed over several blocks and tabix-indexed.
QString writeIndexedVcf(const QTemporaryDir& dir) {
    std::mt19937 random(7);
    QByteArray text = "##fileformat=VCFv4.2\n##INFO=<ID=END,Number=1,Type=Integer,Description=\"End\">\n"
                      "##INFO=<ID=PAD,Number=1,Type=String,Description=\"Padding\">\n";
    for (const char* chromosome : {"1", "2", "3"})
        text += "##contig=<ID=" + QByteArray(chromosome) + ",length=10000000>\n";
    text += "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n";
    const QByteArray pad(60, 'x');
    int id = 0;
    for (const char* chromosome : {"1", "2", "3"}) {
        int position = 100;
        for (int i = 0; i < 2500; ++i, ++id) {
            position += 1 + int(random() % 40);
            const int kind = int(random() % 50);
            QByteArray ref = "A";
            QByteArray alt = "C";
            QByteArray info = "PAD=" + pad;
            if (kind == 0)
                ref = "A" + QByteArray(200 + int(random() % 300), 'C');
            if (kind == 1) {
                alt = "<DEL>";
                info += ";END=" + QByteArray::number(position + 3000 + int(random() % 3000));
            }
            text += QByteArray(chromosome) + '\t' + QByteArray::number(position) + "\tv" +
                    QByteArray::number(id) + '\t' + ref + '\t' + alt + "\t50\tPASS\t" + info + '\n';
        }
    }
    const QString plain = dir.filePath(QStringLiteral("calls.vcf"));
    FormatTest::writeFile(plain, text);
    FormatTest::runTool(QStringLiteral("bgzip"), {QStringLiteral("-f"), plain});
    FormatTest::runTool(QStringLiteral("tabix"),
                        {QStringLiteral("-p"), QStringLiteral("vcf"), plain + ".gz"});
    return plain + ".gz";
}

// Queries as a join makes them (sites in order, with windows), and some that break the order:
// going back, switching chromosome, naming a chromosome the file lacks, asking for two regions.
QList<QList<VkSegment>> queries() {
    std::mt19937 random(11);
    QList<QList<VkSegment>> list;
    for (const char* chromosome : {"1", "2", "3"}) {
        int position = 0;
        for (int i = 0; i < 400; ++i) {
            position += int(random() % 150);
            const int width = random() % 5 == 0 ? 1 + int(random() % 2000) : 1;
            list.append({VkSegment(chromosome, position, position + width)});
        }
    }
    list.append({VkSegment("1", 5000, 5001)});
    list.append({VkSegment("3", 10, 60000)});
    list.append({VkSegment("2", 40000, 40100)});
    list.append({VkSegment("X", 0, 100000)});
    list.append({VkSegment("2", 20000, 20500), VkSegment("2", 20100, 21000), VkSegment("1", 300, 900)});
    list.append({VkSegment("2", 20600, 20601)});
    return list;
}

QStringList describe(const VkFeatureList& features) {
    QStringList list;
    for (const VkFeature& feature : features)
        list << feature.segment().toString() + ' ' + feature.value(1).toQString();
    return list;
}

void expectSameAnswers(const QString& path) {
    const VkSourcePtr source = VkSourceTypeRegistry::instance().open(path);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    const QList<int> fields = {0, 1, 2, 3};
    RegionQuery reused(source, fields);
    int found = 0;
    for (const QList<VkSegment>& regions : queries()) {
        QString error;
        VkFeatureList answer;
        ASSERT_TRUE(reused.start(regions, &error) && reused.readAll(answer, &error)) << error.toStdString();
        const VkFeatureList fresh = FormatTest::readAll(source, ReadRequest::byRegion(regions, fields));
        ASSERT_EQ(describe(answer), describe(fresh))
            << path.toStdString() << " " << regions.first().toString().toStdString();
        found += answer.size();
    }
    EXPECT_GT(found, 1000);
}

} // namespace

TEST(RegionQuery, ReaimedCursorsAnswerLikeFreshReads) {
    QTemporaryDir dir;
    const QString vcf = writeIndexedVcf(dir);
    expectSameAnswers(vcf);

    const QString tsf = dir.filePath(QStringLiteral("calls.tsf"));
    const CliResult write = runVarkit({QStringLiteral("writetsf"), vcf, tsf});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    expectSameAnswers(tsf);
}

TEST(RegionQuery, TabixAnswersMatchBcftools) {
    QTemporaryDir dir;
    const QString vcf = writeIndexedVcf(dir);
    const VkSourcePtr source = VkSourceTypeRegistry::instance().open(vcf);
    RegionQuery reused(source, {1});
    const QList<QList<VkSegment>> all = queries();
    for (int i = 0; i < all.size(); i += 37) {
        const VkSegment& region = all[i].first();
        QString error;
        VkFeatureList answer;
        ASSERT_TRUE(reused.start({region}, &error) && reused.readAll(answer, &error)) << error.toStdString();
        QStringList ids;
        for (const VkFeature& feature : answer)
            ids << feature.value(1).toQString();
        const QByteArray theirs =
            FormatTest::runTool(QStringLiteral("bcftools"), {"query", "-f", "%ID %END\\n", "-r",
                                                             QStringLiteral("%1:%2-%3")
                                                                 .arg(QString::fromUtf8(region.chromosome()))
                                                                 .arg(region.start() + 1)
                                                                 .arg(region.stop()),
                                                             vcf});
        // bcftools takes a record's END into account only when the format names it.
        QStringList expected;
        for (const QByteArray& line : theirs.trimmed().split('\n'))
            if (!line.isEmpty())
                expected << QString::fromUtf8(line.split(' ').first());
        EXPECT_EQ(ids, expected) << region.toString().toStdString();
    }
}
