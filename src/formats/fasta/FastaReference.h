#pragma once

#include "source/reference/ReferenceSequence.h"

#include <QMutex>
#include <QSharedPointer>

struct faidx_t;

// A FASTA file read through its faidx index (".fai", and ".gzi" for a bgzip-compressed file). A
// missing or outdated index is built and, once the file has opened, kept next to it when the folder
// can be written (in memory only otherwise); plain gzip cannot be indexed and is refused.
// Uncompressed files are read mapped (MappedFastaReference), bgzip-compressed ones through faidx.
class FastaReference : public ReferenceSequence {
public:
    ~FastaReference() override;

    // Opens the file, building its index when needed; null, with the reason, on failure.
    static QSharedPointer<ReferenceSequence> open(const QString& path, QString* error);

protected:
    bool fetch(int index, qint64 start, qint64 stop, QByteArray* out, QString* error) const override;

private:
    FastaReference(QString path, QVector<Sequence> sequences, faidx_t* index);
    static QSharedPointer<ReferenceSequence> openIndexed(const QString& path, const QString& faiPath,
                                                         const QString& gziPath, QString* error);
    static QSharedPointer<ReferenceSequence> load(const QString& path, const QString& faiPath,
                                                  const QString& gziPath, QString* error);

    QString m_path;

    // faidx keeps one file position, so fetches take turns.
    mutable QMutex m_mutex;
    faidx_t* m_index;
};
