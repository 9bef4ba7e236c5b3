#include "support/FormatTestSupport.h"

#include "source/readers/VkFeatureStream.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace FormatTest {

QByteArray runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return QByteArray();
    }
    return process.readAllStandardOutput();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray sampleBases(int length, uint32_t seed) {
    QByteArray bases(length, 'A');
    uint32_t state = seed;
    for (int i = 0; i < length; ++i) {
        state = state * 1664525u + 1013904223u;
        bases[i] = "ACGT"[state >> 30];
    }
    for (int i = length / 5; i < length / 5 + 600 && i < length; ++i)
        bases[i] = char(bases[i] | 0x20);
    for (int i = length / 2; i < length / 2 + 500 && i < length; ++i)
        bases[i] = 'N';
    return bases;
}

QByteArray fastaRecord(const QByteArray& header, const QByteArray& bases, int lineWidth) {
    QByteArray text = ">" + header + "\n";
    for (int i = 0; i < bases.size(); i += lineWidth)
        text += bases.mid(i, lineWidth) + "\n";
    return text;
}

QByteArray samtoolsBases(const QString& path, const QByteArray& chromosome, int start, int stop) {
    const QByteArray region =
        chromosome + ":" + QByteArray::number(start + 1) + "-" + QByteArray::number(stop);
    QList<QByteArray> lines =
        runTool(QStringLiteral("samtools"), {QStringLiteral("faidx"), path, QString::fromUtf8(region)})
            .split('\n');
    lines.removeFirst();
    return lines.join();
}

VkFeatureList readAll(const VkSourcePtr& source, ReadRequest request) {
    if (request.fieldList.isEmpty())
        for (int i = 0; i < source->schema().size(); ++i)
            request.fieldList.append(i);
    VkFeatureStream stream(source, request);
    VkFeatureList all;
    if (!stream.start()) {
        ADD_FAILURE() << stream.errorText().toStdString();
        return all;
    }
    VkFeatureList batch;
    while (stream.next(batch)) {
        all.append(batch);
        batch.clear();
    }
    EXPECT_TRUE(stream.errorText().isEmpty()) << stream.errorText().toStdString();
    return all;
}

VkFeatureList readRegions(const VkSourcePtr& source, const QList<VkSegment>& regions, int mode) {
    ReadRequest request;
    request.kind = ReadRequest::Region;
    request.regions = regions;
    request.mode = mode;
    return readAll(source, request);
}

} // namespace FormatTest
