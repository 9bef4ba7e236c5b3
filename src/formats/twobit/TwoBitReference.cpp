#include "formats/twobit/TwoBitReference.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {
constexpr quint32 Signature = 0x1A412743;

// Bounds-checked reads of the mapped file in the byte order its signature shows.
class MappedFile {
public:
    MappedFile(const uchar* data, qint64 size) : m_data(data), m_size(size) {}

    bool readSignature() {
        quint32 signature = 0;
        if (m_size < 16)
            return false;
        std::memcpy(&signature, m_data, 4);
        m_swapped = signature == qbswap(Signature);
        return m_swapped || signature == Signature;
    }
    bool swapped() const { return m_swapped; }
    bool contains(qint64 offset, qint64 length) const {
        return offset >= 0 && length >= 0 && offset <= m_size && length <= m_size - offset;
    }
    bool word(qint64 offset, quint32* value) const {
        if (!contains(offset, 4))
            return false;
        std::memcpy(value, m_data + offset, 4);
        if (m_swapped)
            *value = qbswap(*value);
        return true;
    }
    bool quad(qint64 offset, quint64* value) const {
        if (!contains(offset, 8))
            return false;
        std::memcpy(value, m_data + offset, 8);
        if (m_swapped)
            *value = qbswap(*value);
        return true;
    }
    const uchar* at(qint64 offset) const { return m_data + offset; }

private:
    const uchar* m_data;
    qint64 m_size;
    bool m_swapped = false;
};
} // namespace

TwoBitReference::TwoBitReference(QVector<Sequence> sequences, QVector<Record> records,
                                 std::unique_ptr<QFile> file, const uchar* data, bool swapped)
    : ReferenceSequence(std::move(sequences)), m_records(std::move(records)), m_file(std::move(file)),
      m_data(data), m_swapped(swapped) {}

QSharedPointer<TwoBitReference> TwoBitReference::open(const QString& path, QString* error) {
    auto file = std::make_unique<QFile>(path);
    if (!file->exists()) {
        *error = QStringLiteral("%1 does not exist").arg(path);
        return nullptr;
    }
    const auto invalid = [&](const char* why) {
        *error = QStringLiteral("%1 is not a valid 2bit file: %2").arg(path, QLatin1String(why));
        return nullptr;
    };
    const qint64 size = file->size();
    const uchar* data = file->open(QIODevice::ReadOnly) && size > 0 ? file->map(0, size) : nullptr;
    if (!data)
        return invalid("it cannot be read");
    MappedFile mapped(data, size);
    quint32 version = 0;
    quint32 count = 0;
    if (!mapped.readSignature() || !mapped.word(4, &version) || !mapped.word(8, &count))
        return invalid("its signature is missing");
    if (version > 1)
        return invalid("its version is not 0 or 1");

    QVector<Sequence> sequences;
    QVector<Record> records;
    qint64 at = 16;
    for (quint32 i = 0; i < count; ++i) {
        if (!mapped.contains(at, 1) || !mapped.contains(at + 1, *mapped.at(at)))
            return invalid("its index is cut short");
        const int nameSize = *mapped.at(at);
        const QByteArray name(reinterpret_cast<const char*>(mapped.at(at + 1)), nameSize);
        at += 1 + nameSize;
        quint64 offset = 0;
        quint32 offset32 = 0;
        const bool read = version == 1 ? mapped.quad(at, &offset) : mapped.word(at, &offset32);
        if (!read)
            return invalid("its index is cut short");
        at += version == 1 ? 8 : 4;
        if (version == 0)
            offset = offset32;

        // A record: length, N blocks (starts, sizes), mask blocks (starts, sizes), a reserved word,
        // then the packed bases.
        Record record{};
        quint32 length = 0;
        qint64 pos = qint64(offset);
        if (!mapped.word(pos, &length) || !mapped.word(pos + 4, &record.nCount))
            return invalid("a sequence record lies outside the file");
        record.nBlocks = pos + 8;
        pos = record.nBlocks + 8 * qint64(record.nCount);
        if (!mapped.word(pos, &record.maskCount))
            return invalid("a sequence record lies outside the file");
        record.maskBlocks = pos + 4;
        record.packed = record.maskBlocks + 8 * qint64(record.maskCount) + 4;
        if (!mapped.contains(record.packed, (qint64(length) + 3) / 4))
            return invalid("the bases of a sequence lie outside the file");
        // Feature positions are 32-bit.
        if (length > quint32(INT32_MAX))
            return invalid("a sequence is longer than 2^31 - 1 bases");
        sequences.append({name, qint64(length)});
        records.append(record);
    }
    return QSharedPointer<TwoBitReference>(new TwoBitReference(std::move(sequences), std::move(records),
                                                               std::move(file), data, mapped.swapped()));
}

quint32 TwoBitReference::word(qint64 offset) const {
    quint32 value = 0;
    std::memcpy(&value, m_data + offset, 4);
    return m_swapped ? qbswap(value) : value;
}

template <class Fn>
void TwoBitReference::forBlocks(qint64 offset, quint32 count, qint64 start, qint64 stop, Fn fn) const {
    const qint64 sizes = offset + 4 * qint64(count);
    // Blocks are sorted and disjoint: start from the last one that begins at or before start.
    quint32 low = 0;
    quint32 high = count;
    while (low < high) {
        const quint32 mid = low + (high - low) / 2;
        if (word(offset + 4 * qint64(mid)) <= start)
            low = mid + 1;
        else
            high = mid;
    }
    for (quint32 i = low > 0 ? low - 1 : 0; i < count; ++i) {
        const qint64 blockStart = word(offset + 4 * qint64(i));
        if (blockStart >= stop)
            break;
        const qint64 from = std::max(start, blockStart);
        const qint64 to = std::min(stop, blockStart + qint64(word(sizes + 4 * qint64(i))));
        if (from < to)
            fn(from - start, to - start);
    }
}

bool TwoBitReference::fetch(int index, qint64 start, qint64 stop, QByteArray* out, QString*) const {
    static const char kBases[] = "TCAG";
    const Record& record = m_records[index];
    out->resize(int(stop - start));
    char* bases = out->data();
    const uchar* packed = m_data + record.packed;
    for (qint64 pos = start; pos < stop; ++pos)
        bases[pos - start] = kBases[(packed[pos >> 2] >> (6 - 2 * (pos & 3))) & 3];
    forBlocks(record.nBlocks, record.nCount, start, stop,
              [bases](qint64 from, qint64 to) { std::fill(bases + from, bases + to, 'N'); });
    forBlocks(record.maskBlocks, record.maskCount, start, stop, [bases](qint64 from, qint64 to) {
        std::transform(bases + from, bases + to, bases + from, [](char c) { return char(c | 0x20); });
    });
    return true;
}
