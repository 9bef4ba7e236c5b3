#include "support/BigBedWriter.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>

namespace {
template <class T> void put(QByteArray& out, T value) {
    const T le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), sizeof(T));
}

struct Block {
    quint32 chromId;
    quint32 start;
    quint32 end;
    int count;
    QByteArray bytes;
};

QVector<Block> dataBlocks(const QVector<BigBedWriter::Chromosome>& chromosomes,
                          const QVector<BigBedWriter::Item>& items) {
    QVector<Block> blocks;
    for (const BigBedWriter::Item& item : items) {
        quint32 id = 0;
        while (chromosomes[int(id)].name != item.chromosome)
            ++id;
        if (blocks.isEmpty() || blocks.last().chromId != id ||
            blocks.last().count == BigBedWriter::ItemsPerBlock)
            blocks.append({id, item.start, item.end, 0, QByteArray()});
        Block& block = blocks.last();
        ++block.count;
        block.end = std::max(block.end, item.end);
        put<quint32>(block.bytes, id);
        put<quint32>(block.bytes, item.start);
        put<quint32>(block.bytes, item.end);
        block.bytes.append(item.rest).append('\0');
    }
    return blocks;
}

QByteArray chromosomeTree(const QVector<BigBedWriter::Chromosome>& chromosomes) {
    int keySize = 1;
    for (const auto& chromosome : chromosomes)
        keySize = std::max(keySize, int(chromosome.name.size()));
    QByteArray tree;
    put<quint32>(tree, 0x78CA8C91);
    put<quint32>(tree, quint32(chromosomes.size()));
    put<quint32>(tree, quint32(keySize));
    put<quint32>(tree, 8);
    put<quint64>(tree, quint64(chromosomes.size()));
    put<quint64>(tree, 0);
    tree.append(char(1)).append(char(0));
    put<quint16>(tree, quint16(chromosomes.size()));
    for (int i = 0; i < chromosomes.size(); ++i) {
        tree.append(chromosomes[i].name.leftJustified(keySize, '\0'));
        put<quint32>(tree, quint32(i));
        put<quint32>(tree, chromosomes[i].length);
    }
    return tree;
}

QByteArray rTree(const QVector<Block>& blocks, const QVector<quint64>& offsets, quint64 endOfData) {
    QByteArray tree;
    put<quint32>(tree, 0x2468ACE0);
    put<quint32>(tree, quint32(std::max(1, int(blocks.size()))));
    put<quint64>(tree, quint64(blocks.size()));
    put<quint32>(tree, blocks.isEmpty() ? 0 : blocks.first().chromId);
    put<quint32>(tree, blocks.isEmpty() ? 0 : blocks.first().start);
    put<quint32>(tree, blocks.isEmpty() ? 0 : blocks.last().chromId);
    put<quint32>(tree, blocks.isEmpty() ? 0 : blocks.last().end);
    put<quint64>(tree, endOfData);
    put<quint32>(tree, 1);
    put<quint32>(tree, 0);
    tree.append(char(1)).append(char(0));
    put<quint16>(tree, quint16(blocks.size()));
    for (int i = 0; i < blocks.size(); ++i) {
        put<quint32>(tree, blocks[i].chromId);
        put<quint32>(tree, blocks[i].start);
        put<quint32>(tree, blocks[i].chromId);
        put<quint32>(tree, blocks[i].end);
        put<quint64>(tree, offsets[i]);
        put<quint64>(tree, quint64(blocks[i].bytes.size()));
    }
    return tree;
}
} // namespace

bool BigBedWriter::write(const QString& path, const QVector<Chromosome>& chromosomes,
                         const QVector<Item>& items, int fieldCount, const QByteArray& autoSql) {
    constexpr quint64 HeaderSize = 64;
    constexpr quint64 SummarySize = 40;
    const quint64 sqlOffset = autoSql.isEmpty() ? 0 : HeaderSize;
    const quint64 summaryOffset = HeaderSize + (autoSql.isEmpty() ? 0 : quint64(autoSql.size()) + 1);
    const quint64 chromTreeOffset = summaryOffset + SummarySize;
    const QByteArray chromTree = chromosomeTree(chromosomes);
    const quint64 dataOffset = chromTreeOffset + quint64(chromTree.size());

    const QVector<Block> blocks = dataBlocks(chromosomes, items);
    QByteArray data;
    put<quint64>(data, quint64(items.size()));
    QVector<quint64> offsets;
    for (const Block& block : blocks) {
        offsets.append(dataOffset + quint64(data.size()));
        data.append(block.bytes);
    }
    const quint64 indexOffset = dataOffset + quint64(data.size());

    QByteArray out;
    put<quint32>(out, 0x8789F2EB);
    put<quint16>(out, 4);
    put<quint16>(out, 0);
    put<quint64>(out, chromTreeOffset);
    put<quint64>(out, dataOffset);
    put<quint64>(out, indexOffset);
    put<quint16>(out, quint16(fieldCount));
    put<quint16>(out, quint16(std::min(fieldCount, 12)));
    put<quint64>(out, sqlOffset);
    put<quint64>(out, summaryOffset);
    put<quint32>(out, 0);
    put<quint64>(out, 0);
    if (!autoSql.isEmpty())
        out.append(autoSql).append('\0');
    quint64 covered = 0;
    for (const Item& item : items)
        covered += item.end - item.start;
    put<quint64>(out, covered);
    // Minimum, maximum, sum and sum of squares: all zero, as the test files carry no scores.
    for (int i = 0; i < 4; ++i)
        put<quint64>(out, 0);
    out.append(chromTree).append(data).append(rTree(blocks, offsets, indexOffset));

    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}
