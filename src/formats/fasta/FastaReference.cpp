#include "formats/fasta/FastaReference.h"

#include "formats/fasta/MappedFastaReference.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <htslib/faidx.h>
#include <htslib/hts.h>

#include <cstdlib>

namespace {
// The compression of a file as htslib sees it; false when it cannot be opened.
bool detectCompression(const QString& path, htsCompression* compression) {
    htsFile* file = hts_open(QFile::encodeName(path).constData(), "r");
    if (!file)
        return false;
    *compression = hts_get_format(file)->compression;
    hts_close(file);
    return true;
}

bool isCurrent(const QString& index, const QFileInfo& data) {
    const QFileInfo info(index);
    return info.exists() && info.lastModified() >= data.lastModified();
}

// Builds the index in a folder of its own, so that nothing is written beside a file that turns out
// not to be FASTA, and a file in a read-only folder can still be read.
bool buildIndex(const QString& path, const QString& faiPath, const QString& gziPath, QString* error) {
    if (fai_build3(QFile::encodeName(path).constData(), QFile::encodeName(faiPath).constData(),
                   gziPath.isEmpty() ? nullptr : QFile::encodeName(gziPath).constData()) == 0)
        return true;
    *error = QStringLiteral("%1 is not a valid FASTA file: its index could not be built").arg(path);
    return false;
}

// Keeps a copy of a built index beside the file for the next run, when the folder can be written;
// otherwise the index lives in memory for this run only.
void keepIndex(const QString& built, const QString& destination) {
    QFile source(built);
    QSaveFile copy(destination);
    if (source.open(QIODevice::ReadOnly) && copy.open(QIODevice::WriteOnly) &&
        copy.write(source.readAll()) == source.size())
        copy.commit();
}
} // namespace

FastaReference::FastaReference(QString path, QVector<Sequence> sequences, faidx_t* index)
    : ReferenceSequence(std::move(sequences)), m_path(std::move(path)), m_index(index) {}

FastaReference::~FastaReference() {
    fai_destroy(m_index);
}

QSharedPointer<ReferenceSequence> FastaReference::open(const QString& path, QString* error) {
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = QStringLiteral("%1 does not exist").arg(path);
        return nullptr;
    }
    if (info.size() == 0) {
        *error = QStringLiteral("%1 holds no sequences").arg(path);
        return nullptr;
    }
    htsCompression compression = no_compression;
    if (!detectCompression(path, &compression)) {
        *error = QStringLiteral("%1 cannot be read").arg(path);
        return nullptr;
    }
    if (compression != no_compression && compression != bgzf) {
        *error = QStringLiteral("%1 is compressed with plain gzip, which cannot be indexed: recompress it "
                                "with bgzip to read it")
                     .arg(path);
        return nullptr;
    }
    const QString faiPath = path + QStringLiteral(".fai");
    const QString gziPath = compression == bgzf ? path + QStringLiteral(".gzi") : QString();
    if (isCurrent(faiPath, info) && (gziPath.isEmpty() || isCurrent(gziPath, info)))
        return openIndexed(path, faiPath, gziPath, error);
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        *error = QStringLiteral("Cannot index %1: no temporary folder: %2").arg(path, scratch.errorString());
        return nullptr;
    }
    const QString builtFai = scratch.filePath(QStringLiteral("index.fai"));
    const QString builtGzi = gziPath.isEmpty() ? QString() : scratch.filePath(QStringLiteral("index.gzi"));
    if (!buildIndex(path, builtFai, builtGzi, error))
        return nullptr;
    QSharedPointer<ReferenceSequence> reference = openIndexed(path, builtFai, builtGzi, error);
    if (reference) {
        keepIndex(builtFai, faiPath);
        if (!gziPath.isEmpty())
            keepIndex(builtGzi, gziPath);
    }
    return reference;
}

// Both readers take the whole index into memory when they open.
QSharedPointer<ReferenceSequence> FastaReference::openIndexed(const QString& path, const QString& faiPath,
                                                              const QString& gziPath, QString* error) {
    if (gziPath.isEmpty())
        return MappedFastaReference::open(path, faiPath, error);
    return load(path, faiPath, gziPath, error);
}

QSharedPointer<ReferenceSequence> FastaReference::load(const QString& path, const QString& faiPath,
                                                       const QString& gziPath, QString* error) {
    faidx_t* index = fai_load3(QFile::encodeName(path).constData(), QFile::encodeName(faiPath).constData(),
                               QFile::encodeName(gziPath).constData(), 0);
    if (!index) {
        *error = QStringLiteral("The index %1 of %2 cannot be read").arg(faiPath, path);
        return nullptr;
    }
    // Neighbouring windows come from the same bgzip blocks: keep a few decompressed.
    fai_set_cache_size(index, 4 << 20);
    QVector<Sequence> sequences;
    for (int i = 0; i < faidx_nseq(index); ++i) {
        const char* name = faidx_iseq(index, i);
        sequences.append({QByteArray(name), faidx_seq_len(index, name)});
    }
    if (sequences.isEmpty()) {
        fai_destroy(index);
        *error = QStringLiteral("%1 holds no sequences").arg(path);
        return nullptr;
    }
    return QSharedPointer<ReferenceSequence>(new FastaReference(path, std::move(sequences), index));
}

bool FastaReference::fetch(int index, qint64 start, qint64 stop, QByteArray* out, QString* error) const {
    const Sequence& sequence = sequences()[index];
    hts_pos_t length = 0;
    char* bases = nullptr;
    {
        QMutexLocker locker(&m_mutex);
        bases = faidx_fetch_seq64(m_index, sequence.name.constData(), start, stop - 1, &length);
    }
    if (!bases || length != stop - start) {
        std::free(bases);
        *error = QStringLiteral("Cannot read %1:%2-%3 from %4")
                     .arg(QString::fromUtf8(sequence.name))
                     .arg(start)
                     .arg(stop)
                     .arg(m_path);
        return false;
    }
    *out = QByteArray(bases, int(length));
    std::free(bases);
    return true;
}
