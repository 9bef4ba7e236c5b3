#include "formats/track/TrackTestSupport.h"

#include <QTemporaryDir>

using namespace TrackTest;

TEST(TwentyThreeAndMeSource, ClaimsTxtFilesWithTheRsidHeaderOnly) {
    QTemporaryDir scratch;
    const QString genome = dataPath(QStringLiteral("twentythreeandme/genome.txt"));
    VkSourceTypeManager* manager = VkSourceTypeRegistry::instance().managerForPath(genome);
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager->typeId(), 20);

    const QString table = scratch.filePath(QStringLiteral("table.txt"));
    writeFile(table, "rsid\tchromosome\tposition\tgenotype\nrs1\t1\t100\tAA\n");
    const QString late = scratch.filePath(QStringLiteral("late.txt"));
    writeFile(late, "# notes\nrs1\t1\t100\tAA\n# rsid\tchromosome\tposition\tgenotype\n");
    const QString renamed = scratch.filePath(QStringLiteral("genome.tsv"));
    QFile::copy(genome, renamed);
    for (const QString& path : {table, late, renamed})
        EXPECT_TRUE(!VkSourceTypeRegistry::instance().managerForPath(path) ||
                    VkSourceTypeRegistry::instance().managerForPath(path)->typeId() != 20)
            << path.toStdString();
}

TEST(TwentyThreeAndMeSource, ReadsGenotypesAtOneBasePositions) {
    VkSourcePtr source = open(dataPath(QStringLiteral("twentythreeandme/genome.txt")));
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(source->typeName(), QStringLiteral("23andMe"));
    ASSERT_EQ(source->schema().size(), 2);
    EXPECT_EQ(source->schema()[0].name, QByteArray("rsid"));
    EXPECT_EQ(source->schema()[1].name, QByteArray("genotype"));

    const VkFeatureList all = readAll(source);
    ASSERT_EQ(all.size(), 9);
    EXPECT_EQ(all[0].segment(), VkSegment("1", 69868, 69869));
    EXPECT_EQ(all[0].value(0).bytes(), QByteArray("rs548049170"));
    EXPECT_EQ(all[2].value(1).bytes(), QByteArray("--"));
    EXPECT_EQ(all[8].segment(), VkSegment("MT", 16518, 16519));

    const VkFeatureList region =
        readRegions(source, {VkSegment("1", 700000, 753000), VkSegment("X", 0, 3000000)});
    QList<QByteArray> ids;
    for (const VkFeature& feature : region)
        ids.append(feature.value(0).bytes());
    EXPECT_EQ(ids, QList<QByteArray>({"i713426", "rs116587930", "rs3131972", "rs2185539"}));
}

TEST(TwentyThreeAndMeSource, MalformedLineNamesTheFileAndLine) {
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("genome.txt"));
    writeFile(path, "# rsid\tchromosome\tposition\tgenotype\nrs1\t1\t100\tAA\nrs2\t1\tX\tAG\n");
    EXPECT_EQ(openError(path), path.toStdString() + " line 3: invalid position 'X'");
}
