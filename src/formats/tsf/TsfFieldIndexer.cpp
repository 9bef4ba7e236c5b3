#include "formats/tsf/TsfFieldIndexer.h"

#include "formats/tsf/TsfCatalog.h"
#include "formats/tsf/TsfSourceResource.h"
#include "meta/Json.h"
#include "source/registry/VkSourceTypeManager.h"

#include <QFile>
#include <QFileInfo>

#include <leveldb/db.h>
#include <leveldb/write_batch.h>

#include <memory>
#include <string>

namespace {

constexpr int kBatchSize = 1024;
constexpr int kRecordBytes = 8;
constexpr char kTableKind[] = "lex_idx";

// Key and record number in one store key: the lower-cased value, a 0 byte, then the record number
// big-endian, so that the store's byte order is key order, then record order.
void encodeKey(const QByteArray& lowered, qint64 record, std::string* key) {
    key->assign(lowered.constData(), size_t(lowered.size()));
    key->push_back('\0');
    for (int shift = 8 * (kRecordBytes - 1); shift >= 0; shift -= 8)
        key->push_back(char((quint64(record) >> shift) & 0xff));
}

// Empty values are not searchable: every prefix search names at least one character.
void addKey(const QByteArray& value, qint64 record, std::string* key, leveldb::WriteBatch* writes) {
    if (value.isEmpty())
        return;
    encodeKey(value.toLower(), record, key);
    writes->Put(*key, leveldb::Slice());
}

QByteArray keyText(const leveldb::Slice& key) {
    return QByteArray(key.data(), int(key.size()) - kRecordBytes - 1);
}

qint64 keyRecord(const leveldb::Slice& key) {
    quint64 record = 0;
    for (size_t i = key.size() - kRecordBytes; i < key.size(); ++i)
        record = (record << 8) | uchar(key.data()[i]);
    return qint64(record);
}

// A name of the TSF naming scheme that no table of the file has yet.
QString freeTableName(const TsfDatabase& db, qint64 number) {
    QString name = TsfLayout::tableName(number, kTableKind);
    while (db.hasTable(name))
        name = TsfLayout::tableName(++number, kTableKind);
    return name;
}

} // namespace

// The LevelDB store, removed with its folder however the indexing ends.
class TsfFieldIndexer::Store {
public:
    explicit Store(QString path) : m_path(std::move(path)) {}
    ~Store() {
        m_db.reset();
        if (m_opened)
            leveldb::DestroyDB(QFile::encodeName(m_path).toStdString(), leveldb::Options());
    }

    bool open(QString* error) {
        leveldb::Options options;
        options.create_if_missing = true;
        options.error_if_exists = true;
        leveldb::DB* db = nullptr;
        const leveldb::Status status =
            leveldb::DB::Open(options, QFile::encodeName(m_path).toStdString(), &db);
        if (!status.ok()) {
            *error = QStringLiteral("Cannot create the index store %1: %2")
                         .arg(m_path, QString::fromStdString(status.ToString()));
            return false;
        }
        m_db.reset(db);
        m_opened = true;
        return true;
    }

    bool write(leveldb::WriteBatch& batch, QString* error) {
        const leveldb::Status status = m_db->Write(leveldb::WriteOptions(), &batch);
        batch.Clear();
        if (!status.ok())
            *error = QStringLiteral("Cannot write the index store %1: %2")
                         .arg(m_path, QString::fromStdString(status.ToString()));
        return status.ok();
    }

    std::unique_ptr<leveldb::Iterator> iterator() const {
        return std::unique_ptr<leveldb::Iterator>(m_db->NewIterator(leveldb::ReadOptions()));
    }

private:
    QString m_path;
    std::unique_ptr<leveldb::DB> m_db;
    bool m_opened = false;
};

TsfFieldIndexer::TsfFieldIndexer(VkSourcePtr source, int field, QString storePath)
    : m_source(std::move(source)), m_field(field), m_storePath(std::move(storePath)) {}

QString TsfFieldIndexer::defaultStorePath(const QString& sourcePath) {
    return QFileInfo(sourcePath).absoluteFilePath() + QStringLiteral(".fieldidx");
}

int TsfFieldIndexer::firstStringField(const VkSource& source) {
    for (const VkField& field : source.schema())
        if (field.valueType == ValueType::String && !field.isMatrix())
            return field.idx;
    return -1;
}

bool TsfFieldIndexer::run(const PrecomputeProgress& progress, QString* error) {
    if (!m_source->resource<TsfSourceResource>()) {
        *error = QStringLiteral("Not a TSF file:  %1").arg(m_source->path());
        return false;
    }
    const VkFieldList schema = m_source->schema();
    if (m_field < 0 || m_field >= schema.size() || schema.at(m_field).isMatrix() ||
        (schema.at(m_field).valueType != ValueType::String &&
         schema.at(m_field).valueType != ValueType::StringArray)) {
        *error = QStringLiteral("Field %1 of %2 is not a String or String Array field of its records")
                     .arg(m_field)
                     .arg(m_source->path());
        return false;
    }
    Store store(m_storePath);
    return store.open(error) && collect(store, progress, error) && writeIndex(store, error);
}

bool TsfFieldIndexer::collect(Store& store, const PrecomputeProgress& progress, QString* error) {
    const FeatureCursorPtr cursor =
        m_source->manager()->openCursor(m_source, ReadRequest::all({m_field}), error);
    if (!cursor)
        return false;
    const qint64 total = m_source->info().locusCount;
    qint64 record = 0;
    VkFeatureList batch;
    leveldb::WriteBatch writes;
    std::string key;
    while (!cursor->atEnd()) {
        batch.clear();
        if (!cursor->fill(batch, kBatchSize, error))
            return false;
        for (const VkFeature& feature : qAsConst(batch)) {
            const PVariant& value = feature.value(m_field);
            if (value.type() == ValueType::StringArray)
                for (const QByteArray& item : value.stringVector())
                    addKey(item, record, &key, &writes);
            else
                addKey(value.bytes(), record, &key, &writes);
            ++record;
        }
        if (!store.write(writes, error))
            return false;
        if (!progress(record, total)) {
            *error = QStringLiteral("Cancelled");
            return false;
        }
    }
    return true;
}

bool TsfFieldIndexer::writeIndex(Store& store, QString* error) {
    const auto* resource = m_source->resource<TsfSourceResource>();
    TsfDatabase db;
    if (!db.open(resource->databasePath, TsfDatabase::Mode::ReadWrite, error) || !db.exec("BEGIN;", error))
        return false;
    TsfCatalog catalog(db);
    qint64 number = 0;
    TsfIndexRow index{
        resource->sourceId, QString::number(m_field), QLatin1String(TsfLayout::LexIndexType), QString(), -1,
        QByteArray()};
    const bool written = dropOldIndex(db, error) && catalog.nextTableNumber(&number, error) &&
                         writeRows(db, store, freeTableName(db, number), &index, error) &&
                         catalog.insertIndex(index, error) && db.exec("COMMIT;", error);
    if (!written) {
        QString ignored;
        db.exec("ROLLBACK;", &ignored);
    }
    return written;
}

bool TsfFieldIndexer::dropOldIndex(TsfDatabase& db, QString* error) {
    QVector<TsfIndexRow> indexes;
    if (!TsfCatalog(db).readIndexes(m_source->resource<TsfSourceResource>()->sourceId, &indexes, error))
        return false;
    for (const TsfIndexRow& old : qAsConst(indexes)) {
        if (old.fieldId != QString::number(m_field) || old.idxType != QLatin1String(TsfLayout::LexIndexType))
            continue;
        TsfStatement dropRow(db, "DELETE FROM idx WHERE source_id = ? AND field_id = ? AND idx_type = ?");
        dropRow.bind(1, old.sourceId).bindText(2, old.fieldId).bindText(3, old.idxType);
        TsfStatement dropTable(db, "DELETE FROM tbl WHERE id = ?");
        dropTable.bind(1, old.dataTableId);
        if (!dropRow.run(error) || !dropTable.run(error))
            return false;
        if (TsfLayout::isPlainIdentifier(old.queryTableName) &&
            !db.exec(QStringLiteral("DROP TABLE IF EXISTS %1;").arg(old.queryTableName).toUtf8(), error))
            return false;
    }
    return true;
}

bool TsfFieldIndexer::writeRows(TsfDatabase& db, Store& store, const QString& table, TsfIndexRow* index,
                                QString* error) {
    if (!db.exec(QStringLiteral("CREATE TABLE %1 (key TEXT, record INTEGER);").arg(table).toUtf8(), error))
        return false;
    TsfStatement insert(db, QStringLiteral("INSERT INTO %1 VALUES (?,?)").arg(table).toUtf8());
    QByteArray first;
    QByteArray last;
    const std::unique_ptr<leveldb::Iterator> it = store.iterator();
    for (it->SeekToFirst(); it->Valid(); it->Next()) {
        last = keyText(it->key());
        if (first.isNull())
            first = last;
        insert.bindText(1, last).bind(2, keyRecord(it->key()));
        if (!insert.run(error))
            return false;
    }
    if (!it->status().ok()) {
        *error = QStringLiteral("Cannot read the index store %1: %2")
                     .arg(m_storePath, QString::fromStdString(it->status().ToString()));
        return false;
    }
    // Rows go in in key order, so the index is built in one sorted pass.
    if (!db.exec(QStringLiteral("CREATE INDEX %1_key ON %1 (key);").arg(table).toUtf8(), error))
        return false;
    PVariantMap meta;
    meta.insert("minVal", PVariant(QString::fromUtf8(first)));
    meta.insert("maxVal", PVariant(QString::fromUtf8(last)));
    index->queryTableName = table;
    index->idxMeta = Json::write(PVariant(meta));
    return TsfCatalog(db).registerTable(table, TsfLayout::RawFormat, "{}", &index->dataTableId, error);
}
