#include "formats/track/TrackTestSupport.h"

#include <QTemporaryDir>

using namespace TrackTest;

TEST(Idf2Source, ClaimsItsSuffixesAndReportsTheUnsupportedLayout) {
    QTemporaryDir scratch;
    for (const char* name : {"cache.netCache.idf", "depth.covidf", "samples.IDF"}) {
        const QString path = scratch.filePath(QString::fromLatin1(name));
        ASSERT_NE(VkSourceTypeRegistry::instance().managerForPath(path), nullptr);
        EXPECT_EQ(VkSourceTypeRegistry::instance().managerForPath(path)->typeId(), 0);
        EXPECT_EQ(openError(path), path.toStdString() + " does not exist");

        writeFile(path, QByteArray("SQLite format 3\0", 16));
        VkSourcePtr source = open(path);
        EXPECT_FALSE(source->isValid());
        EXPECT_EQ(source->typeName(), QStringLiteral("IDF2"));
        EXPECT_TRUE(source->errorText().startsWith(QStringLiteral("Unsupported IDF2 layout in ") + path))
            << source->errorText().toStdString();
    }
}
