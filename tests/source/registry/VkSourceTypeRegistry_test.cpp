#include "source/registry/VkSourceTypeManager.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <gtest/gtest.h>

namespace {
VkSourceTypeRegistry& registry() {
    return VkSourceTypeRegistry::instance();
}
} // namespace

TEST(VkSourceTypeRegistry, ClaimsPathsBySuffixInAnyCase) {
    VkSourceTypeManager* vcf = registry().managerForPath(QStringLiteral("/data/TRIO.VCF.GZ"));
    ASSERT_NE(vcf, nullptr);
    EXPECT_EQ(vcf->typeId(), 3);
    EXPECT_EQ(registry().managerForPath(QStringLiteral("genes.bed.gz"))->typeId(), 7);
    EXPECT_EQ(registry().managerForPath(QStringLiteral("calls.gvcf"))->typeId(), 3);
    EXPECT_EQ(registry().managerForPath(QStringLiteral("x.covtsf"))->typeId(), 1);
    EXPECT_EQ(registry().managerForPath(QStringLiteral("transform://annotate?x")),
              registry().managerForTypeId(11));
    EXPECT_EQ(registry().managerForPath(QStringLiteral("https://host/a.vcf.gz"))->typeId(), 15);
    EXPECT_EQ(registry().managerForPath(QStringLiteral("notes.doc")), nullptr);
}

TEST(VkSourceTypeRegistry, TypeIdsAndFormatNames) {
    EXPECT_EQ(registry().managerForTypeId(6), nullptr);
    EXPECT_EQ(registry().managerForTypeId(18), nullptr);
    EXPECT_EQ(VkSourceTypeRegistry::formatName(3), QStringLiteral("VCF"));
    EXPECT_EQ(VkSourceTypeRegistry::formatName(16), QString());
    EXPECT_EQ(VkSourceTypeRegistry::typeIdForFormatText(QStringLiteral("vCf")), 3);
    EXPECT_EQ(VkSourceTypeRegistry::typeIdForFormatText(QStringLiteral("MyTransform")), 11);
    EXPECT_EQ(VkSourceTypeRegistry::typeIdForFormatText(QStringLiteral("text")), -1);
    // "bed" is looked for after "bam", "vcf" and the others.
    EXPECT_EQ(VkSourceTypeRegistry::typeIdForFormatText(QStringLiteral("bed-from-vcf")), 3);
}

TEST(VkSourceTypeRegistry, OpenFailuresAreInvalidSourcesWithTheirReason) {
    VkSourcePtr unknown = registry().open(QStringLiteral("/data/notes.doc"));
    EXPECT_FALSE(unknown->isValid());
    EXPECT_EQ(unknown->errorText(), QStringLiteral("The file is of an unrecognized type: /data/notes.doc"));
    EXPECT_TRUE(unknown->typeName().isEmpty());

    VkSourcePtr badUrl = registry().open(QStringLiteral("http://exa mple.com/a%zz.vcf"));
    EXPECT_FALSE(badUrl->isValid());
    EXPECT_TRUE(badUrl->errorText().startsWith(QStringLiteral("The source URL was invalid: ")));

    VkSourcePtr remote = registry().open(QStringLiteral("s3://bucket/trio.vcf.gz"));
    EXPECT_FALSE(remote->isValid());
    EXPECT_EQ(remote->errorText(),
              QStringLiteral("Object-store sources are not supported: s3://bucket/trio.vcf.gz"));
}
