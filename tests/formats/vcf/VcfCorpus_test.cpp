// Every VCF that Debian packages ship as test data (scripts/fetch-corpus.sh), read record by record
// against bcftools.
#include "formats/vcf/VcfCorpusSupport.h"
#include "formats/vcf/VcfTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Silences the warnings readers log about the odd values these files hold.
class QuietLog {
public:
    QuietLog()
        : m_previous(qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {})) {}
    ~QuietLog() { qInstallMessageHandler(m_previous); }

private:
    QtMessageHandler m_previous;
};

// CHROM, POS, REF and ALT as `bcftools query` prints them, every field read as bcftools view does.
QList<QByteArray> varkitRecords(const VkSourcePtr& source, QString* error) {
    const int ref = source->info().fieldIndex("REF");
    const int alt = source->info().fieldIndex("ALT");
    QList<QByteArray> records;
    for (const VkFeature& feature : readFeatures(source, ReadRequest(), error)) {
        QByteArray alts;
        for (const QByteArray& allele : feature.value(alt).stringVector())
            alts += (alts.isEmpty() ? "" : ",") + allele;
        records.append(feature.segment().chromosome() + '\t' +
                       QByteArray::number(feature.segment().start() + 1) + '\t' + feature.value(ref).bytes() +
                       '\t' + (alts.isEmpty() ? "." : alts));
    }
    return records;
}

void expectClearError(const QString& path) {
    const VkSourcePtr source = openSource(path);
    QString error = source->errorText();
    if (source->isValid())
        varkitRecords(source, &error);
    EXPECT_FALSE(error.isEmpty()) << "varkit reads a file bcftools refuses";
}

void compareWithBcftools(const QString& path) {
    const QList<QByteArray> expected =
        splitLines(bcftoolsQuery(path, QStringLiteral("%CHROM\\t%POS\\t%REF\\t%ALT\\n")).out);
    const int samples =
        splitLines(
            runProgram(QStringLiteral("bcftools"), {QStringLiteral("query"), QStringLiteral("-l"), path}).out)
            .size();
    const VkSourcePtr source = openSource(path);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(source->info().entityCount, samples);
    QString error;
    const QList<QByteArray> records = varkitRecords(source, &error);
    if (beyond32BitPositions(error))
        return;
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(records.size(), expected.size());
    for (int i = 0; i < std::min(records.size(), expected.size()); ++i) {
        if (records.at(i) != expected.at(i)) {
            ADD_FAILURE() << "record " << i << ": varkit " << records.at(i).constData() << ", bcftools "
                          << expected.at(i).constData();
            break;
        }
    }
}

} // namespace

TEST(VcfCorpus, ReadsEveryFileLikeBcftools) {
    QString fetchError;
    const QStringList files = corpusFiles(&fetchError);
    if (files.isEmpty())
        GTEST_SKIP() << noCorpusReason(fetchError);
    const QuietLog quiet;
    int accepted = 0;
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        const bool bcftoolsReads =
            runProgram(QStringLiteral("bcftools"), {QStringLiteral("view"), path}).exitCode == 0;
        if (bcftoolsReads) {
            compareWithBcftools(path);
            ++accepted;
        } else {
            expectClearError(path);
        }
    }
    EXPECT_GT(accepted, files.size() / 2);
}
