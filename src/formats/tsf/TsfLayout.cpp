#include "formats/tsf/TsfLayout.h"

#include "meta/Json.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace TsfLayout {

bool classifyTableFormat(const QString& text, TableFormat* format, QString* error) {
    if (text.contains(QLatin1String(ChunkTableFormat)))
        *format = TableFormat::ChunkTable;
    else if (text.contains(QLatin1String(RawFormat)))
        *format = TableFormat::Raw;
    else if (text.contains(QLatin1String(Dsf3ColsFormat)))
        *format = TableFormat::Dsf3Cols;
    else {
        *error = QStringLiteral("Unrecognized table_type ") + text;
        return false;
    }
    return true;
}

QString tableName(qint64 number, const char* kind) {
    return QStringLiteral("%1%2_%3").arg(QLatin1Char('t')).arg(number).arg(QLatin1String(kind));
}

QString tableUri(const QString& tableName, const QString& uuid) {
    return QStringLiteral("table://this/?table=") + tableName + QStringLiteral("&uuid=") + uuid;
}

bool parseTableUri(const QString& uri, QString* tableName, QString* error) {
    const QUrl url(uri, QUrl::TolerantMode);
    if (!url.isValid() || url.scheme() != QLatin1String("table")) {
        *error = QStringLiteral("Unknown table URL format: ") + uri;
        return false;
    }
    const QUrlQuery query(url);
    const QString name = query.queryItemValue(QStringLiteral("table"), QUrl::FullyDecoded);
    if (url.host() != QLatin1String("this")) {
        *error = QStringLiteral("Only tables in the same file are currently supported. Unknown location %1 "
                                "for table %2")
                     .arg(url.host(), name.isEmpty() ? uri : name);
        return false;
    }
    if (!query.hasQueryItem(QStringLiteral("table"))) {
        *error = QStringLiteral("Missing table query item for table %1").arg(uri);
        return false;
    }
    *tableName = name;
    return true;
}

bool isPlainIdentifier(const QString& name) {
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return identifier.match(name).hasMatch();
}

bool parseColumnMap(const QString& map, qint64* tableId, int* column) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d+):(\\d+)$"));
    const QRegularExpressionMatch match = pattern.match(map);
    if (!match.hasMatch())
        return false;
    bool tableOk = false;
    bool columnOk = false;
    *tableId = match.captured(1).toLongLong(&tableOk);
    *column = match.captured(2).toInt(&columnOk);
    return tableOk && columnOk;
}

QString columnMap(qint64 tableId, int column) {
    return QStringLiteral("%1:%2").arg(tableId).arg(column);
}

} // namespace TsfLayout

QByteArray TsfChunkTableMeta::toJson() const {
    const PVariantMap map{{"field_count", PVariant(static_cast<long long>(fieldCount))},
                          {"record_count", PVariant(static_cast<long long>(recordCount))},
                          {"chunk_bits", PVariant(chunkBits)}};
    return Json::write(PVariant(map));
}

bool TsfChunkTableMeta::fromJson(const QByteArray& json, const QString& tableName, TsfChunkTableMeta* meta,
                                 QString* error) {
    PVariant parsed;
    TsfChunkTableMeta result;
    bool ok = Json::read(json, parsed) && parsed.type() == ValueType::KeyValuePairs;
    if (ok) {
        const PVariantMap& map = parsed.map();
        bool fieldOk = false;
        bool recordOk = false;
        bool bitsOk = false;
        result.fieldCount = map.value("field_count").toInt64(&fieldOk);
        result.recordCount = map.value("record_count").toInt64(&recordOk);
        result.chunkBits = map.value("chunk_bits").toInt(&bitsOk);
        ok = fieldOk && recordOk && bitsOk && result.fieldCount >= 0 && result.fieldCount <= INT32_MAX &&
             result.recordCount >= 0 && result.chunkBits >= 0 && result.chunkBits < 31 &&
             result.recordCount >> result.chunkBits < INT32_MAX;
    }
    if (!ok) {
        *error = QStringLiteral("Did not find expected field_count, record_count or chunk_bits attribute for "
                                "table ") +
                 tableName;
        return false;
    }
    *meta = result;
    return true;
}
