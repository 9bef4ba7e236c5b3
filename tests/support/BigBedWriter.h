#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// Writes small bigBed files for tests: uncompressed, without zoom levels, data blocks of
// ItemsPerBlock items (never spanning two chromosomes) under a one-node R tree, and a one-node
// chromosome tree.
namespace BigBedWriter {

constexpr int ItemsPerBlock = 10;

struct Item {
    QByteArray chromosome;
    quint32 start;
    quint32 end;
    // The columns after chromEnd, joined by tabs.
    QByteArray rest;
};

struct Chromosome {
    QByteArray name;
    quint32 length;
};

// Items must be sorted by chromosome (in the order of chromosomes) and start. Without autoSql the
// file declares none. Returns false when the file cannot be written.
bool write(const QString& path, const QVector<Chromosome>& chromosomes, const QVector<Item>& items,
           int fieldCount, const QByteArray& autoSql = QByteArray());

} // namespace BigBedWriter
