#pragma once

#include "source/registry/VkResourceData.h"
#include "source/registry/VkSource.h"

#include <QByteArray>
#include <QHash>
#include <QSharedPointer>
#include <QString>
#include <QVector>

// The bases of a reference genome (a FASTA or 2bit file), shared by every reader of its source and
// by the code that needs reference bases of a region (index, coverage, left-align, the VCF writer).
// Bases keep the case they were stored in: lower case marks soft-masked repeats.
//
// As a source, a reference is a list of windows of WindowSize bases (the last window of a sequence
// is shorter), one "Allele Sequence" feature each with the window's bases in the field SEQ. Windows
// keep features small whatever the chromosome length, and written back in order they give the
// sequence again.
class ReferenceSequence : public VkResourceData {
public:
    struct Sequence {
        QByteArray name;
        qint64 length = 0;
    };

    static constexpr int32_t WindowSize = 10000;

    // The reference a source holds, or null when the source is no reference sequence.
    static ReferenceSequence* of(const VkSource& source);
    // Describes the source of a reference file and makes the reference its resource: the file's
    // name, folder and size, the schema, the feature type, the feature count and the assembly when
    // the file name names one. False when there is no reference (it could not be opened).
    static bool describeSource(VkSource& source, QSharedPointer<ReferenceSequence> reference);
    // The assembly that a file name or assembly name points to ("hg19", "GRCh38"), as a
    // coordSysId; empty when it names none.
    static QString coordSysIdForName(const QString& name);

    // The sequences in file order.
    const QVector<Sequence>& sequences() const { return m_sequences; }
    // The index of a sequence by its exact name; -1 when absent.
    int indexOf(const QByteArray& name) const { return m_index.value(name, -1); }
    // The index of a chromosome, also under the other usual naming ("1" for "chr1", "MT" for
    // "chrM" and back); -1 when absent.
    int resolve(const QByteArray& chromosome) const;
    // The length of a chromosome (resolved as above); -1 when absent.
    qint64 length(const QByteArray& chromosome) const;

    // The bases [start, stop) of a chromosome (resolved as above), cut at its end. False, with the
    // reason, for an unknown chromosome or a file that cannot be read. Safe from any thread.
    bool bases(const QByteArray& chromosome, qint64 start, qint64 stop, QByteArray* out,
               QString* error) const;
    // The same, empty on failure.
    QByteArray bases(const QByteArray& chromosome, qint64 start, qint64 stop) const;

    qint64 windowCount() const;

protected:
    explicit ReferenceSequence(QVector<Sequence> sequences);
    // Reads bases [start, stop) of a sequence, 0 <= start <= stop <= its length. Called from any
    // thread.
    virtual bool fetch(int index, qint64 start, qint64 stop, QByteArray* out, QString* error) const = 0;

private:
    void describe(VkSourceInfo& info) const;

    QVector<Sequence> m_sequences;
    QHash<QByteArray, int> m_index;
};
