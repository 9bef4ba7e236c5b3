#include "support/TwoBitWriter.h"

#include <QList>
#include <QPair>
#include <QtEndian>

namespace {
using Blocks = QList<QPair<quint32, quint32>>;

void putWord(QByteArray& out, quint32 value) {
    const quint32 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), 4);
}

// The runs of bases for which the test holds, as (start, size).
template <class Test> Blocks runs(const QByteArray& bases, Test test) {
    Blocks blocks;
    for (int i = 0; i < bases.size();) {
        if (!test(bases[i])) {
            ++i;
            continue;
        }
        const int start = i;
        while (i < bases.size() && test(bases[i]))
            ++i;
        blocks.append({quint32(start), quint32(i - start)});
    }
    return blocks;
}

void putBlocks(QByteArray& out, const Blocks& blocks) {
    putWord(out, quint32(blocks.size()));
    for (const auto& block : blocks)
        putWord(out, block.first);
    for (const auto& block : blocks)
        putWord(out, block.second);
}

QByteArray record(const QByteArray& bases) {
    QByteArray out;
    putWord(out, quint32(bases.size()));
    putBlocks(out, runs(bases, [](char c) { return c == 'N' || c == 'n'; }));
    putBlocks(out, runs(bases, [](char c) { return c >= 'a' && c <= 'z'; }));
    putWord(out, 0);
    QByteArray packed((bases.size() + 3) / 4, '\0');
    for (int i = 0; i < bases.size(); ++i) {
        int code = 0;
        switch (bases[i] & ~0x20) {
        case 'C':
            code = 1;
            break;
        case 'A':
            code = 2;
            break;
        case 'G':
            code = 3;
            break;
        }
        packed[i / 4] = char(packed[i / 4] | (code << (6 - 2 * (i % 4))));
    }
    return out + packed;
}
} // namespace

QByteArray TwoBitWriter::fromFasta(const QByteArray& fasta) {
    QList<QPair<QByteArray, QByteArray>> sequences;
    for (const QByteArray& line : fasta.split('\n')) {
        if (line.startsWith('>'))
            sequences.append({line.mid(1).split(' ').first(), QByteArray()});
        else if (!sequences.isEmpty())
            sequences.last().second += line.trimmed();
    }
    QByteArray index;
    qint64 indexSize = 0;
    for (const auto& sequence : sequences)
        indexSize += 1 + sequence.first.size() + 4;
    QByteArray records;
    for (const auto& sequence : sequences) {
        index.append(char(sequence.first.size()));
        index.append(sequence.first);
        putWord(index, quint32(16 + indexSize + records.size()));
        records.append(record(sequence.second));
    }
    QByteArray header;
    putWord(header, 0x1A412743);
    putWord(header, 0);
    putWord(header, quint32(sequences.size()));
    putWord(header, 0);
    return header + index + records;
}
