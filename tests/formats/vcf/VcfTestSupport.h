#pragma once

#include "formats/text/TextTestFiles.h"
#include "source/readers/VkFeatureStream.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>

// VCF files written for a test, opened through the registry and read to the end, and the bcftools
// runs that tests compare varkit with.

// A header with one key of every Type and Number form and three samples; "%1" is where extra header
// lines go.
inline QByteArray vcfHeader(const QByteArray& extra = QByteArray(), const QByteArray& samples = "A\tB\tC") {
    return "##fileformat=VCFv4.2\n"
           "##source=GATK HaplotypeCaller\n"
           "##reference=file:///refs/hg19.fa\n"
           "##contig=<ID=20,length=63025520>\n"
           "##contig=<ID=21,length=48129895>\n"
           "##FILTER=<ID=LowQual,Description=\"Low quality, QUAL below 30\">\n"
           "##INFO=<ID=DP,Number=1,Type=Integer,Description=\"Total depth\">\n"
           "##INFO=<ID=AF,Number=A,Type=Float,Description=\"Allele frequency\">\n"
           "##INFO=<ID=AC,Number=A,Type=Integer,Description=\"Allele count\">\n"
           "##INFO=<ID=END,Number=1,Type=Integer,Description=\"End position\">\n"
           "##INFO=<ID=GENE,Number=1,Type=String,Description=\"Gene symbol\">\n"
           "##INFO=<ID=CSQ,Number=.,Type=String,Description=\"Consequences\">\n"
           "##INFO=<ID=DB,Number=0,Type=Flag,Description=\"dbSNP membership\">\n"
           "##INFO=<ID=SOMATIC,Number=0,Type=Flag,Description=\"Somatic mutation\">\n" +
           extra +
           "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
           "##FORMAT=<ID=AD,Number=R,Type=Integer,Description=\"Allelic depths\">\n"
           "##FORMAT=<ID=DP,Number=1,Type=Integer,Description=\"Read depth\">\n"
           "##FORMAT=<ID=GL,Number=G,Type=Float,Description=\"Genotype likelihoods\">\n"
           "##FORMAT=<ID=FT,Number=1,Type=String,Description=\"Sample filter\">\n"
           "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO" +
           (samples.isEmpty() ? QByteArray() : "\tFORMAT\t" + samples) + "\n";
}

// Collects the warnings readers log, from whatever thread, instead of printing them.
class WarningLog {
public:
    WarningLog() {
        s_messages.clear();
        m_previous = qInstallMessageHandler(&WarningLog::handle);
    }
    ~WarningLog() { qInstallMessageHandler(m_previous); }
    QStringList messages() const {
        QMutexLocker lock(&s_mutex);
        return s_messages;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext&, const QString& message) {
        QMutexLocker lock(&s_mutex);
        if (type == QtWarningMsg)
            s_messages.append(message);
    }
    QtMessageHandler m_previous;
    static inline QMutex s_mutex;
    static inline QStringList s_messages;
};

class VcfFiles {
public:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString write(const QString& name, const QByteArray& text) const {
        writeFile(path(name), text);
        return path(name);
    }
    // A bgzip copy with its tabix index.
    QString writeIndexed(const QString& name, const QByteArray& text) const {
        writeBgzf(path(name), {text});
        buildVcfIndex(path(name));
        return path(name);
    }

private:
    QTemporaryDir m_dir;
};

inline VkSourcePtr openSource(const QString& path, const PVariantMap& properties = PVariantMap()) {
    VkSourcePtr source = VkSourceTypeRegistry::instance().open(path);
    for (const PVariantMap::Entry& entry : properties)
        source->info().properties.insert(entry.key, entry.value);
    return source;
}

// Every feature the request reads; the read's error, if any, in error.
inline VkFeatureList readFeatures(const VkSourcePtr& source, ReadRequest request = ReadRequest(),
                                  QString* error = nullptr, bool allFields = true) {
    if (allFields && request.fieldList.isEmpty())
        for (int idx = 0; idx < source->schema().size(); ++idx)
            request.fieldList.append(idx);
    VkFeatureStream stream(source, request);
    VkFeatureList all;
    VkFeatureList batch;
    if (stream.start())
        while (stream.next(batch))
            all.append(batch);
    if (error)
        *error = stream.errorText();
    return all;
}

inline VkFeatureList readRegions(const VkSourcePtr& source, const QList<VkSegment>& regions,
                                 QString* error = nullptr) {
    ReadRequest request;
    request.kind = ReadRequest::Region;
    request.regions = regions;
    return readFeatures(source, request, error);
}

inline int fieldIdx(const VkSourcePtr& source, const QByteArray& name) {
    for (const VkField& field : source->schema())
        if (field.name == name)
            return field.idx;
    return -1;
}

struct ProgramRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a program to its end; standard input comes from the file when one is named.
inline ProgramRun runProgram(const QString& program, const QStringList& arguments,
                             const QString& standardInputFile = QString()) {
    QProcess process;
    if (!standardInputFile.isEmpty())
        process.setStandardInputFile(standardInputFile);
    process.start(program, arguments);
    process.waitForFinished(60000);
    ProgramRun result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

inline ProgramRun bcftoolsQuery(const QString& path, const QString& format) {
    return runProgram(QStringLiteral("bcftools"),
                      {QStringLiteral("query"), QStringLiteral("-f"), format, path});
}
