#pragma once

#include "formats/tsf/TsfCatalog.h"
#include "formats/tsf/TsfChunkCodec.h"
#include "formats/tsf/TsfSourceRecords.h"
#include "meta/Json.h"

#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

// Reads what the TSF writer stored straight from the tables, without the TSF readers, so the
// writer's tests check the layout itself.
namespace TsfWriterTest {

inline PVariantMap jsonObject(const QByteArray& json) {
    PVariant value;
    Json::read(json, value);
    return value.map();
}

// One written file, opened read-only, with its first source.
struct WrittenFile {
    explicit WrittenFile(const QString& path) {
        QString error;
        opened = db.open(path, TsfDatabase::Mode::ReadOnly, &error);
        QVector<TsfSourceRow> sources;
        if (opened && TsfCatalog(db).readSources(&sources, &error) && !sources.isEmpty())
            source = sources.first();
        EXPECT_TRUE(opened && source.id >= 0) << error.toStdString();
    }

    TsfFieldRow field(qint64 fieldId) {
        TsfFieldRow row;
        QString error;
        EXPECT_TRUE(TsfCatalog(db).readField(source.id, fieldId, &row, &error)) << error.toStdString();
        return row;
    }

    TsfChunkTableMeta tableMeta(qint64 tableId) {
        TsfTableRow table;
        QString error;
        TsfChunkTableMeta meta;
        EXPECT_TRUE(TsfCatalog(db).readTable(tableId, &table, &error) &&
                    TsfChunkTableMeta::fromJson(table.meta, QString(), &meta, &error))
            << error.toStdString();
        return meta;
    }

    QString tableName(qint64 tableId) {
        TsfTableRow table;
        QString name;
        QString error;
        EXPECT_TRUE(TsfCatalog(db).readTable(tableId, &table, &error) &&
                    TsfLayout::parseTableUri(table.uri, &name, &error))
            << error.toStdString();
        return name;
    }

    // Every value of a column of a chunk table, chunk after chunk.
    PVariantVector column(qint64 tableId, int column) {
        const TsfChunkTableMeta meta = tableMeta(tableId);
        TsfStatement query(
            db, QStringLiteral("SELECT chunk FROM %1 WHERE chunk_id = ?").arg(tableName(tableId)).toUtf8());
        PVariantVector values;
        for (qint64 chunk = 0; chunk < meta.chunkCount(); ++chunk) {
            query.bind(1, TsfLayout::chunkId(chunk, column));
            if (!query.next()) {
                ADD_FAILURE() << "missing chunk " << chunk << " of column " << column;
                return values;
            }
            int size = 0;
            const char* blob = query.columnBlob(0, &size);
            TsfValueArray decoded;
            QString error;
            EXPECT_TRUE(TsfChunkCodec::decode(blob, size, &decoded, &error)) << error.toStdString();
            for (int i = 0; i < decoded.size(); ++i)
                values.append(decoded.valueAt(i));
            query.reset();
        }
        return values;
    }

    // The values of a field in record (or entity) order.
    PVariantVector fieldValues(qint64 fieldId, int entity = 0) {
        const TsfFieldRow row = field(fieldId);
        return column(row.tableId, row.fieldTableIdx.toInt() + entity);
    }

    // Record positions through the genomic index's data table and its reverse map.
    QVector<VkSegment> positions() {
        const TsfFieldRow chr = field(TsfLayout::ChrFieldId);
        const QVector<QByteArray> names = jsonObject(chr.fieldMeta).value("enum").stringVector();
        const PVariantVector chromosomes = column(chr.tableId, TsfLayout::GidxChrColumn);
        const PVariantVector starts = column(chr.tableId, TsfLayout::GidxStartColumn);
        const PVariantVector stops = column(chr.tableId, TsfLayout::GidxStopColumn);
        const PVariantVector rows = column(chr.tableId, TsfLayout::GidxReverseColumn);
        QVector<VkSegment> segments;
        for (const PVariant& row : rows) {
            const int at = row.intValue();
            segments.append(VkSegment(names.value(chromosomes.at(at).intValue()), starts.at(at).intValue(),
                                      stops.at(at).intValue()));
        }
        return segments;
    }

    PVariantMap docs() { return jsonObject(source.docs); }
    PVariantMap sourceMeta() { return jsonObject(source.sourceMeta); }

    TsfDatabase db;
    bool opened = false;
    TsfSourceRow source;
};

// Runs the sqlite3 command-line tool on a file.
inline QByteArray sqlite3Query(const QString& path, const QString& sql) {
    QProcess process;
    process.start(QStringLiteral("sqlite3"), {path, sql});
    process.waitForFinished(30000);
    return process.readAllStandardOutput();
}

} // namespace TsfWriterTest
