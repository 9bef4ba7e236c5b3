#include "formats/tsf/TsfSparseArraySourceWriter.h"

#include "formats/tsf/TsfSourceRecords.h"
#include "meta/Json.h"
#include "tasks/TaskRecords.h"

#include <QUuid>

#include <algorithm>
#include <cstring>

namespace {

bool isSparseArraySource(const VkSourceInfo& info) {
    return info.coordInfo.featureType == QLatin1String(FeatureTypeName::AlleleSequence) ||
           info.coordInfo.featureType == QLatin1String(FeatureTypeName::DataSequence);
}

// The default value as the bytes of one stored base.
QByteArray defaultBytes(const PVariant& value, ValueType type) {
    QByteArray bytes(TsfValueArray::itemWidth(type), '\0');
    bool ok = false;
    const double number = value.toDouble(&ok);
    switch (type) {
    case ValueType::Character: {
        const QByteArray text =
            value.type() == ValueType::Character ? QByteArray(1, value.charValue()) : value.toText();
        bytes[0] = text.isEmpty() ? 'N' : text.at(0);
        break;
    }
    case ValueType::Bool:
        bytes[0] = char(ok ? uint8_t(number != 0) : PVariant::MissingBool);
        break;
    case ValueType::Int: {
        const int32_t v = ok ? int32_t(number) : 0;
        std::memcpy(bytes.data(), &v, sizeof v);
        break;
    }
    case ValueType::Float: {
        const float v = ok ? float(number) : 0.0f;
        std::memcpy(bytes.data(), &v, sizeof v);
        break;
    }
    default: {
        const double v = ok ? number : 0.0;
        std::memcpy(bytes.data(), &v, sizeof v);
        break;
    }
    }
    return bytes;
}

// The per-base values of one field value (one entity's for a matrix field): its bytes and count.
const char* baseValues(const PVariant& value, int* count) {
    switch (value.type()) {
    case ValueType::String:
        *count = value.bytes().size();
        return value.bytes().constData();
    case ValueType::IntArray:
        *count = value.size();
        return reinterpret_cast<const char*>(value.intVector().constData());
    case ValueType::FloatArray:
        *count = value.size();
        return reinterpret_cast<const char*>(value.floatVector().constData());
    case ValueType::Float64Array:
        *count = value.size();
        return reinterpret_cast<const char*>(value.float64Vector().constData());
    case ValueType::BoolArray:
        *count = value.size();
        return reinterpret_cast<const char*>(value.boolVector().constData());
    default:
        *count = 0;
        return nullptr;
    }
}

} // namespace

TsfSparseArraySettings TsfSparseArraySettings::forSource(const VkSourceInfo& info) {
    TsfSparseArraySettings settings;
    settings.sourceInfo = info;
    settings.arrayFields = info.schema;
    settings.entityCount = std::max(info.entityCount, 0);
    const int binSize = info.properties.value(TsfLayout::BinSizeKey).toInt();
    if (TsfSparseArrayLayout::isValidBinSize(binSize))
        settings.binSize = binSize;
    const bool bases = !info.schema.isEmpty() && info.schema.first().valueType == ValueType::String;
    settings.defaultArrayValue = bases ? PVariant("N") : PVariant(0);
    return settings;
}

void TsfSparseArraySettings::applyTask(const TsfWriterTask& task) {
    filePath = task.filePath();
    newFile = task.newFile();
    dropSegmentsList = task.dropSegmentsList();
    segmentRenameOptions = task.segmentRenameOptions();
    if (!task.sourceName().isEmpty())
        sourceInfo.name = task.sourceName();
}

TsfSparseArraySourceWriter::TsfSparseArraySourceWriter(TsfSparseArraySettings settings)
    : TsfDatabaseWriter(settings.filePath, settings.dropSegmentsList, settings.segmentRenameOptions),
      m_settings(std::move(settings)) {
    VkSourceInfo& info = m_settings.sourceInfo;
    info.docInfo = info.docInfo.isNull() ? SourceMetaOptions() : info.docInfo.clone();
    m_layout.binSize = m_settings.binSize;
    m_layout.coordSysId = info.coordInfo.coordSysId;
    m_layout.usageSpace = info.coordInfo.usageSpace;
    m_layout.assemblyData = info.docInfo.assemblyData();
    m_layout.defaultValue = m_settings.defaultArrayValue;
    for (const VkField& field : m_settings.arrayFields)
        m_expectedValues = std::max(m_expectedValues, field.idx + 1);
    if (!info.schema.isEmpty())
        m_expectedValues = info.schema.size();
}

TsfSparseArraySourceWriter::~TsfSparseArraySourceWriter() {
    if (isUnfinished())
        abandon();
}

ValueType TsfSparseArraySourceWriter::baseType(ValueType fieldType) {
    switch (fieldType) {
    case ValueType::String:
        return ValueType::Character;
    case ValueType::IntArray:
        return ValueType::Int;
    case ValueType::FloatArray:
        return ValueType::Float;
    case ValueType::Float64Array:
        return ValueType::Float64;
    case ValueType::BoolArray:
        return ValueType::Bool;
    default:
        return ValueType::Invalid;
    }
}

void TsfSparseArraySourceWriter::releaseTables() {
    m_table.reset();
}

QString TsfSparseArraySourceWriter::fieldsProblem() const {
    const VkFieldList& fields = m_settings.arrayFields;
    if (!isSparseArraySource(m_settings.sourceInfo))
        return QStringLiteral(
            "Can only convert reference sequence or coverage sources to TSF sparse array format.");
    if (fields.isEmpty())
        return QStringLiteral("No fields provided for sparse array writer.");
    for (const VkField& field : fields) {
        if (field.valueType != fields.first().valueType)
            return QStringLiteral("Sparse array field only supports multiple fields of the same type.");
        if (field.isMatrix() && field.valueType != ValueType::IntArray)
            return QStringLiteral("Only IntArray supported as sparse array matrix field.");
        if (field.isMatrix() && m_settings.entityCount <= 0)
            return QStringLiteral(
                "Expect entityCount to be > 0 when writing sparse array with matrix fields.");
        if (baseType(field.valueType) == ValueType::Invalid)
            return QStringLiteral("Invalid field type for sparse array field.");
    }
    if (!TsfSparseArrayLayout::isValidBinSize(m_settings.binSize))
        return QStringLiteral(
                   "Invalid bin size %1 for a sparse array source: a power of two from 256 to 1048576 "
                   "is needed")
            .arg(m_settings.binSize);
    return QString();
}

bool TsfSparseArraySourceWriter::start(QString* error) {
    if (!markStarted(error))
        return false;
    const QString problem = fieldsProblem();
    if (!problem.isEmpty())
        return fail(error, problem);
    m_baseType = baseType(m_settings.arrayFields.first().valueType);
    if (!openDatabase(m_settings.newFile, error) || !createLayout(error))
        return fail(error, QString());
    return true;
}

bool TsfSparseArraySourceWriter::createLayout(QString* error) {
    VkSourceInfo& info = m_settings.sourceInfo;
    info.properties.insert(TsfLayout::BinSizeKey, PVariant(m_settings.binSize));
    TsfSourceRow source;
    source.name = info.name;
    source.entityDim = m_settings.entityCount;
    source.uuid = info.uuid.isEmpty() ? QUuid::createUuid().toString() : info.uuid;
    source.curated = TsfSourceRecords::curated(info.curated);
    source.docs = TsfSourceRecords::docs(info.docInfo);
    source.sourceMeta = TsfSourceRecords::sourceMeta(info);
    qint64 number = 0;
    if (!m_catalog.insertSource(source, &m_sourceId, error) || !m_catalog.nextTableNumber(&number, error))
        return false;
    const QString tableName = TsfLayout::tableName(number, TsfLayout::SparseArrayKind);
    QVector<ValueType> columnTypes;
    for (const VkField& field : m_settings.arrayFields) {
        m_firstColumn.append(columnTypes.size());
        columnTypes += QVector<ValueType>(field.isMatrix() ? m_settings.entityCount : 1, m_baseType);
    }
    m_columnCount = columnTypes.size();
    if (!m_catalog.createChunkTable(tableName, error) ||
        !m_catalog.registerTable(tableName, TsfLayout::ChunkTableFormat, "{}", &m_tableId, error))
        return false;
    m_table = std::make_unique<TsfChunkTableWriter>(m_db, tableName, m_tableId, columnTypes,
                                                    m_layout.chunkBits(), TsfCompression::Zstd);
    for (int f = 0; f < m_settings.arrayFields.size(); ++f) {
        VkField field = m_settings.arrayFields.at(f);
        field.idx = f;
        field.props.insert(TsfLayout::SparseArrayDefaultValueKey, m_settings.defaultArrayValue);
        TsfFieldRow row;
        row.sourceId = m_sourceId;
        row.fieldId = f;
        row.tableId = m_tableId;
        row.locusIdxMap = QLatin1String(TsfLayout::SparseArrayMap);
        if (field.isMatrix())
            row.entityIdxMap = QLatin1String(TsfLayout::IdxIsId);
        row.fieldTableIdx = QString::number(m_firstColumn.at(f));
        row.fieldType = TsfChunkCodec::typeCode(m_baseType);
        row.fieldMeta = TsfSourceRecords::fieldMetaWithProps(field);
        if (!m_catalog.insertField(row, error))
            return false;
    }
    return true;
}

// Writing

bool TsfSparseArraySourceWriter::write(const VkFeatureList& features, QString* error) {
    if (!checkWritable(error))
        return false;
    for (int i = 0; i < features.size(); ++i)
        if (!writeFeature(features.at(i), i, error))
            return fail(error, QString());
    return true;
}

bool TsfSparseArraySourceWriter::writeFeature(const VkFeature& feature, int batchIndex, QString* error) {
    const VkSegment& segment = feature.segment();
    if (m_dropped.contains(segment.chromosome()))
        return true;
    if (feature.size() != m_expectedValues) {
        *error = QStringLiteral("Got %1 instead of expected %2 fields in feature %3")
                     .arg(feature.size())
                     .arg(m_expectedValues)
                     .arg(batchIndex);
        return false;
    }
    const int length = valueLength(feature, error);
    const QByteArray chromosome = m_renames.value(segment.chromosome(), segment.chromosome());
    if (length < 0 || !checkPosition(chromosome, segment, length, error))
        return false;
    if (length > 0 &&
        !copyValues(feature, segment.start(), int64_t(segment.start()) + length, segment.start(), error))
        return false;
    m_lastStop = int64_t(segment.start()) + length;
    if (!m_layout.chromosomes.isEmpty() && m_layout.chromosomes.last().name == m_chromosome)
        m_layout.chromosomes.last().length = m_lastStop;
    return true;
}

int TsfSparseArraySourceWriter::valueLength(const VkFeature& feature, QString* error) const {
    int length = -1;
    for (const VkField& field : m_settings.arrayFields) {
        const PVariant& value = feature.value(field.idx);
        if (!value.isValid())
            continue;
        const int count = field.isMatrix()                    ? value.at(0).size()
                          : value.type() == ValueType::String ? value.bytes().size()
                                                              : value.size();
        if (length >= 0 && count != length) {
            *error = QStringLiteral("Fields did not have matching lengths");
            return -1;
        }
        length = count;
    }
    return std::max(length, 0);
}

bool TsfSparseArraySourceWriter::checkPosition(const QByteArray& chromosome, const VkSegment& segment,
                                               int length, QString* error) {
    if (chromosome != m_chromosome) {
        if (m_finishedChromosomes.contains(chromosome)) {
            *error = QStringLiteral("Can not add data for chr %1. This chromosome has already been writen")
                         .arg(QString::fromUtf8(chromosome));
            return false;
        }
        if (m_bin >= 0 && !flushBin(error))
            return false;
        if (!m_chromosome.isEmpty())
            m_finishedChromosomes.insert(m_chromosome);
        m_chromosome = chromosome;
        m_lastStop = -1;
    }
    if (segment.start() < m_lastStop) {
        *error = QStringLiteral(
                     "Can not write values with chr: %1 start: %2 stop: %3. Features must be monotonically "
                     "increasing, and can not overlap. Last feature writen has stop pos %4")
                     .arg(QString::fromUtf8(chromosome))
                     .arg(segment.start())
                     .arg(int64_t(segment.start()) + length)
                     .arg(m_lastStop);
        return false;
    }
    return true;
}

bool TsfSparseArraySourceWriter::copyValues(const VkFeature& feature, int64_t from, int64_t to,
                                            int64_t offset, QString* error) {
    const int bits = m_layout.chunkBits();
    for (int64_t position = from; position < to;) {
        const int64_t bin = position >> bits;
        if (bin != m_bin && !openBin(bin, error))
            return false;
        const int64_t binEnd = (bin + 1) << bits;
        const int count = int(std::min(to, binEnd) - position);
        const int at = int(position - (bin << bits));
        for (int f = 0; f < m_settings.arrayFields.size(); ++f) {
            const VkField& field = m_settings.arrayFields.at(f);
            const PVariant& value = feature.value(field.idx);
            if (!field.isMatrix()) {
                copyField(value, m_firstColumn.at(f), position - offset, count, at);
                continue;
            }
            for (int e = 0; e < m_settings.entityCount; ++e)
                copyField(value.at(e), m_firstColumn.at(f) + e, position - offset, count, at);
        }
        position += count;
    }
    return true;
}

void TsfSparseArraySourceWriter::copyField(const PVariant& value, int column, int64_t from, int count,
                                           int at) {
    int available = 0;
    const char* values = baseValues(value, &available);
    if (!values || from >= available)
        return;
    const int width = TsfValueArray::itemWidth(m_baseType);
    const int copied = int(std::min<int64_t>(count, available - from));
    std::memcpy(m_table->column(column).bytes().data() + size_t(at) * size_t(width), values + from * width,
                size_t(copied) * size_t(width));
}

bool TsfSparseArraySourceWriter::openBin(int64_t bin, QString* error) {
    if (m_bin >= 0 && !flushBin(error))
        return false;
    for (int c = 0; c < m_columnCount; ++c)
        fillDefault(c);
    m_bin = bin;
    return true;
}

void TsfSparseArraySourceWriter::fillDefault(int column) {
    const QByteArray pattern = defaultBytes(m_settings.defaultArrayValue, m_baseType);
    TsfValueArray& values = m_table->column(column);
    values.clear();
    values.bytes().resize(size_t(m_settings.binSize) * size_t(pattern.size()));
    for (int i = 0; i < m_settings.binSize; ++i)
        std::memcpy(values.bytes().data() + size_t(i) * size_t(pattern.size()), pattern.constData(),
                    size_t(pattern.size()));
    values.setSize(m_settings.binSize);
}

bool TsfSparseArraySourceWriter::flushBin(QString* error) {
    for (int c = 0; c < m_columnCount; ++c)
        if (!m_table->flush(c, error))
            return false;
    m_layout.addBin(m_chromosome, m_bin, m_chunks++);
    m_layout.chromosomes.last().length = std::max<int64_t>(m_layout.chromosomes.last().length, m_lastStop);
    m_bin = -1;
    return true;
}

// Finishing

bool TsfSparseArraySourceWriter::finish(QString* error) {
    if (!checkWritable(error))
        return false;
    if (m_bin >= 0 && !flushBin(error))
        return fail(error, QString());
    if (m_chunks == 0)
        return fail(error, QStringLiteral("Write error: no data was provided. Either the input was empty or "
                                          "through filtering no records made it through to be written."));
    if (!finishTables(error))
        return fail(error, QString());
    return true;
}

bool TsfSparseArraySourceWriter::finishTables(QString* error) {
    TsfIndexRow index;
    index.sourceId = m_sourceId;
    index.fieldId = QStringLiteral("-1");
    index.idxType = QLatin1String(TsfLayout::SparseArrayIndexType);
    index.dataTableId = m_tableId;
    index.idxMeta = Json::write(PVariant(m_layout.toMap()));
    if (!m_table->finish(error) || !m_catalog.insertIndex(index, error) ||
        !m_catalog.updateSourceDims(m_sourceId, m_settings.entityCount, m_chunks, error))
        return false;
    return closeDatabase(error);
}
