#include "formats/fasta/MappedFastaReference.h"

#include <algorithm>
#include <cstring>

MappedFastaReference::MappedFastaReference(QVector<Sequence> sequences, QVector<Layout> layouts,
                                           std::unique_ptr<QFile> file, const uchar* data)
    : ReferenceSequence(std::move(sequences)), m_layouts(std::move(layouts)), m_file(std::move(file)),
      m_data(data) {}

QSharedPointer<MappedFastaReference> MappedFastaReference::open(const QString& path, const QString& faiPath,
                                                                QString* error) {
    QFile fai(faiPath);
    auto file = std::make_unique<QFile>(path);
    const qint64 size = file->size();
    const uchar* data = file->open(QIODevice::ReadOnly) && size > 0 ? file->map(0, size) : nullptr;
    if (!data || !fai.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 or its index %2 cannot be read").arg(path, faiPath);
        return nullptr;
    }
    QVector<Sequence> sequences;
    QVector<Layout> layouts;
    while (!fai.atEnd()) {
        const QList<QByteArray> columns = fai.readLine().trimmed().split('\t');
        if (columns.size() < 5)
            continue;
        const Sequence sequence{columns[0], columns[1].toLongLong()};
        const Layout layout{columns[2].toLongLong(), columns[3].toLongLong(), columns[4].toLongLong()};
        const bool fits = layout.lineBases > 0 && layout.lineWidth >= layout.lineBases &&
                          layout.offset >= 0 &&
                          (sequence.length == 0 ||
                           layout.offset + (sequence.length - 1) / layout.lineBases * layout.lineWidth +
                                   (sequence.length - 1) % layout.lineBases <
                               size);
        if (!fits) {
            *error = QStringLiteral("The index %1 does not match %2: remove it to have it built again")
                         .arg(faiPath, path);
            return nullptr;
        }
        sequences.append(sequence);
        layouts.append(layout);
    }
    if (sequences.isEmpty()) {
        *error = QStringLiteral("%1 holds no sequences").arg(path);
        return nullptr;
    }
    return QSharedPointer<MappedFastaReference>(
        new MappedFastaReference(std::move(sequences), std::move(layouts), std::move(file), data));
}

bool MappedFastaReference::fetch(int index, qint64 start, qint64 stop, QByteArray* out, QString*) const {
    const Layout& layout = m_layouts[index];
    out->resize(int(stop - start));
    char* bases = out->data();
    // Copy line by line: the bases of a line are contiguous, line ends are skipped.
    for (qint64 pos = start; pos < stop;) {
        const qint64 column = pos % layout.lineBases;
        const qint64 count = std::min(stop - pos, layout.lineBases - column);
        std::memcpy(bases, m_data + layout.offset + pos / layout.lineBases * layout.lineWidth + column,
                    size_t(count));
        bases += count;
        pos += count;
    }
    return true;
}
