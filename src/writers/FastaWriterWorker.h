#pragma once

#include "tasks/TaskRecords.h"
#include "writers/WriterWorker.h"

#include <memory>
#include <vector>

class TextOutput;

// Writes an allele-sequence source as FASTA: a ">chromosome" line for each chromosome, then its
// bases, LineWidth to a line. The source's features are consecutive pieces of each sequence; a gap
// between two pieces is filled with N and bases already written are not repeated. With
// writeFilePerChr, each chromosome goes to a file of its own named after the output path
// ("genome.fasta" gives "genome.chr1.fasta"); the files take their names only when all are written.
class FastaWriterWorker : public WriterWorker {
    Q_OBJECT
public:
    static constexpr int LineWidth = 60;

    FastaWriterWorker(VkSourcePtr source, FastaWriterTask task, VkEventedThread* readerThread);
    ~FastaWriterWorker() override;

    // The file of one chromosome when writing a file per chromosome.
    static QString chromosomePath(const QString& outputPath, const QByteArray& chromosome);

protected:
    bool write(QString* error) override;

private:
    bool writePiece(const VkFeature& feature, QString* error);
    bool startSequence(const QByteArray& chromosome, QString* error);
    void appendBases(const char* bases, qint64 count);
    void appendN(qint64 count);
    void endLine();
    // The field that holds the bases: "SEQ", else the first String field.
    int sequenceField() const;

    FastaWriterTask m_task;
    int m_field = -1;
    std::vector<std::unique_ptr<TextOutput>> m_outputs;
    TextOutput* m_output = nullptr;
    QByteArray m_chromosome;
    qint64 m_position = 0;
    int m_lineFill = 0;
};
