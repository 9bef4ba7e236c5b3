#pragma once

#include "formats/vcf/VcfHeaderRecord.h"

#include <QSet>
#include <QString>

namespace TextFile {
class Reader;
}

// The header of a VCF file: its "##" records in file order and the sample names of the "#CHROM"
// column title line, which ends the header.
class VcfHeader {
public:
    // The message for a header that does not end with a well-formed column title line.
    static QString columnTitlesError();

    // Reads the header from the start of the reader's current read, up to and including the
    // column title line. False with the reason when the header is malformed; when the reader
    // failed, errorText() of the reader says why and the returned message is empty.
    bool read(TextFile::Reader& reader, QString* error);
    // Reads one line that begins with "#"; false with the reason when it is a malformed column
    // title line. Lines after the column titles are not header lines.
    bool addLine(const char* line, int length, QString* error);

    // Declares the FILTER names, INFO keys and FORMAT keys that a data line uses but the header
    // does not define, as htslib does on meeting them: INFO keys with a value and FORMAT keys as
    // one String, INFO keys without a value as flags. GL and PL are declared with one value per
    // genotype, as htslib expects of a header that declares them.
    void declareKeysOf(const char* line, int length);

    // Whether the column title line was read.
    bool isComplete() const { return m_complete; }
    // Header lines read, column titles included: the line number of the last header line.
    int lineCount() const { return m_lineCount; }

    const QVector<VcfHeaderRecord>& records() const { return m_records; }
    // The value of the first plain record with the key; empty when there is none.
    QByteArray value(const char* key) const;
    const QVector<QByteArray>& sampleNames() const { return m_sampleNames; }

private:
    bool readColumnTitles(const QByteArray& line, QString* error);
    void addRecord(const VcfHeaderRecord& record);
    struct Span {
        const char* begin;
        const char* end;
        size_t size() const { return size_t(end - begin); }
    };
    template <class Visit> static void forEachItem(Span column, char separator, Visit visit);
    void declareIfNew(const char* kind, Span id, const char* numberAndType);
    void declare(const char* kind, const QByteArray& id, const char* numberAndType);

    QVector<VcfHeaderRecord> m_records;
    QVector<QByteArray> m_sampleNames;
    // "KIND:ID" of every structured record.
    QSet<QByteArray> m_declared;
    QByteArray m_lookup; // scratch "KIND:ID" of declareIfNew
    int m_lineCount = 0;
    bool m_complete = false;
};
