#include "writers/WriterTestSupport.h"
#include "writers/XlsxWriterWorker.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
TabularWriterFieldGroup group(const QString& name, const QVector<int>& fields,
                              const QString& color = QString()) {
    TabularWriterFieldGroup result;
    result.setGroupName(name);
    result.setGroupFields(fields);
    result.setColor(color);
    return result;
}

XlsxWriterTask xlsxTask(const QString& path, const QVector<TabularWriterFieldGroup>& groups,
                        const QVector<int>& matrixFields = {}) {
    XlsxWriterSourceOptions sheet;
    sheet.setFieldGroups(groups);
    sheet.setMatrixFieldGroup(group(QStringLiteral("dummyName"), matrixFields));
    XlsxWriterTask task;
    task.setOutputFilePath(path);
    task.setWorksheets({sheet});
    return task;
}

WriteResult writeXlsx(const VkSourcePtr& source, const XlsxWriterTask& task) {
    return runWriter(
        [&](VkEventedThread* readerThread) { return new XlsxWriterWorker(source, task, readerThread); });
}

// One part of the workbook's zip container, through the unzip tool.
QByteArray part(const QString& workbook, const QString& name) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), workbook, name});
    unzip.waitForFinished(30000);
    return unzip.readAllStandardOutput();
}

// The text of the inline string cells of one row, in column order.
QStringList rowTexts(const QByteArray& sheet, int row) {
    const QByteArray start = "<row r=\"" + QByteArray::number(row) + "\"";
    const int from = sheet.indexOf(start);
    const int to = sheet.indexOf("</row>", from);
    QStringList texts;
    for (int at = sheet.indexOf("<t", from); at >= 0 && at < to; at = sheet.indexOf("<t", at + 1)) {
        const int open = sheet.indexOf('>', at) + 1;
        if (sheet.at(at + 2) != '>' && sheet.at(at + 2) != ' ')
            continue;
        texts.append(QString::fromUtf8(sheet.mid(open, sheet.indexOf("</t>", open) - open)));
    }
    return texts;
}

class XlsxWriterTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
};
} // namespace

TEST_F(XlsxWriterTest, WritesGroupHeadersSampleGroupsAndTypedCells) {
    const XlsxWriterTask task =
        xlsxTask(path("out.xlsx"),
                 {group(QStringLiteral("Depth, and more"), {0, 6}, QStringLiteral("#FFCC00")),
                  group(QStringLiteral("Links"), {5})},
                 {3, 4});
    const WriteResult result = writeXlsx(variantTable("xlsx-groups"), task);
    ASSERT_TRUE(result.ended);
    ASSERT_EQ(result.error, QString());
    ASSERT_EQ(result.outputs.size(), 1);

    const QByteArray sheet = part(path("out.xlsx"), QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_EQ(rowTexts(sheet, 1), (QStringList{"Depth, and more", "Links", "S1", "S2"}));
    EXPECT_EQ(rowTexts(sheet, 2), (QStringList{"Chr", "Start", "Stop", "Depth", "Quality", "Identifier",
                                               "Genotype", "Allelic Depths", "Genotype", "Allelic Depths"}));
    // Start is 1-based in a worksheet; numbers stay numbers, lists become text.
    EXPECT_TRUE(sheet.contains("<c r=\"B3\" t=\"n\"><v>100</v></c>") ||
                sheet.contains("<c r=\"B3\"><v>100</v>"))
        << sheet.toStdString();
    EXPECT_TRUE(sheet.contains("<v>50.5</v>"));
    EXPECT_EQ(rowTexts(sheet, 3), (QStringList{"1", "rs1", "0/1", "5,5", "1/1", "0,9"}));
    EXPECT_TRUE(sheet.contains("<hyperlink ref=\"F3\""));
    EXPECT_TRUE(sheet.contains("<pane "));

    EXPECT_TRUE(part(path("out.xlsx"), QStringLiteral("xl/comments1.xml")).contains("Read depth"));
    EXPECT_TRUE(part(path("out.xlsx"), QStringLiteral("xl/worksheets/_rels/sheet1.xml.rels"))
                    .contains("https://example.org/snp/rs1"));
    EXPECT_TRUE(part(path("out.xlsx"), QStringLiteral("xl/styles.xml")).contains("FFFFCC00"));
}

TEST_F(XlsxWriterTest, WithoutGroupsWritesEveryFieldUnderOneTitleRow) {
    const WriteResult result = writeXlsx(variantTable("xlsx-all"), xlsxTask(path("all.xlsx"), {}));
    ASSERT_EQ(result.error, QString());
    const QByteArray sheet = part(path("all.xlsx"), QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_EQ(rowTexts(sheet, 1),
              (QStringList{"Chr", "Start", "Stop", "Depth", "Alternates", "S1:Genotype", "S2:Genotype",
                           "S1:Allelic Depths", "S2:Allelic Depths", "Identifier", "Quality"}));
    EXPECT_EQ(rowTexts(sheet, 4), (QStringList{"2", "C", "1/1", "0/1", "0,3", "1,2", "rs\t2"}));
    EXPECT_TRUE(part(path("all.xlsx"), QStringLiteral("xl/workbook.xml")).contains("name=\"table\""));

    // Sample fields collated by sample are not written field by field as well.
    ASSERT_EQ(writeXlsx(variantTable("xlsx-all"), xlsxTask(path("collated.xlsx"), {}, {3})).error, QString());
    const QByteArray collated = part(path("collated.xlsx"), QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_EQ(rowTexts(collated, 1), (QStringList{"S1", "S2"}));
    EXPECT_EQ(rowTexts(collated, 2), (QStringList{"Chr", "Start", "Stop", "Depth", "Alternates", "Identifier",
                                                  "Quality", "Genotype", "Genotype"}));
}

TEST_F(XlsxWriterTest, FailuresLeaveNoWorkbookBehind) {
    const WriteResult broken = writeXlsx(variantTable("xlsx-fail", 1), xlsxTask(path("out.xlsx"), {}));
    EXPECT_EQ(broken.error, QStringLiteral("broken record 1"));
    const WriteResult noFolder = writeXlsx(variantTable("xlsx-fail"), xlsxTask(path("none/out.xlsx"), {}));
    EXPECT_TRUE(noFolder.error.startsWith(QStringLiteral("Could not open file to write ")));
    EXPECT_TRUE(folderFiles(m_dir.path()).isEmpty()) << folderFiles(m_dir.path()).join(' ').toStdString();
}
