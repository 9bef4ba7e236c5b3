#pragma once

#include "formats/text/TextFileReader.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <htslib/bgzf.h>
#include <htslib/tbx.h>
#include <zlib.h>

#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"' << bytes.toStdString() << '"';
}

// Writers of test files in each compressed form, and a reader that collects every line.

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// One plain gzip member, as gzip writes.
inline void writeGzip(const QString& path, const QByteArray& bytes) {
    gzFile file = gzopen(path.toLocal8Bit().constData(), "wb");
    gzwrite(file, bytes.constData(), static_cast<unsigned>(bytes.size()));
    gzclose(file);
}

// BGZF with a block boundary after each part (parts over 64 KiB are split further), then the
// end-of-file block.
inline bool writeBgzf(const QString& path, const QList<QByteArray>& parts) {
    BGZF* file = bgzf_open(path.toLocal8Bit().constData(), "w");
    bool written = file != nullptr;
    for (const QByteArray& part : parts)
        written = written && bgzf_write(file, part.constData(), part.size()) == part.size() &&
                  bgzf_flush(file) == 0;
    return bgzf_close(file) == 0 && written;
}

inline bool buildVcfIndex(const QString& bgzfPath) {
    return tbx_index_build(bgzfPath.toLocal8Bit().constData(), 0, &tbx_conf_vcf) == 0;
}

// The standard output of a peer tool such as tabix.
inline QByteArray runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}

inline QList<QByteArray> splitLines(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Every line of the reader's current read; positions too when asked.
inline QList<QByteArray> readLines(TextFile::Reader& reader, QList<qint64>* positions = nullptr) {
    QList<QByteArray> lines;
    int length = 0;
    qint64 position = 0;
    while (const char* line = reader.nextLine(&length, positions ? &position : nullptr)) {
        lines.append(QByteArray(line, length));
        if (positions)
            positions->append(position);
    }
    return lines;
}
