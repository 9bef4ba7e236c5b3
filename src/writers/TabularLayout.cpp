#include "writers/TabularLayout.h"

namespace {
bool isWritable(const VkField& field) {
    return field.fieldType == VkField::LocusAttribute || field.isMatrix();
}
} // namespace

bool TabularLayout::build(const VkSourceInfo& info, const TabularWriterSourceOptions& options,
                          QString* error) {
    m_schema = info.schema;
    m_columns.clear();
    m_groups.clear();
    m_fieldList.clear();
    m_sampleNames = sampleNamesOf(info);

    QVector<TabularWriterFieldGroup> groups = options.fieldGroups();
    const TabularWriterFieldGroup matrixGroup = options.matrixFieldGroup();
    if (groups.isEmpty()) {
        // Sample fields collated by sample are not repeated field by field.
        const bool collated = !matrixGroup.groupFields().isEmpty();
        QVector<int> fields;
        for (const VkField& field : info.schema)
            if (field.fieldType == VkField::LocusAttribute || (field.isMatrix() && !collated))
                fields.append(field.idx);
        TabularWriterFieldGroup all;
        all.setGroupFields(fields);
        groups.append(all);
    }
    for (const TabularWriterFieldGroup& group : qAsConst(groups))
        if (!addGroup(group, error))
            return false;
    return addSampleGroups(matrixGroup, error);
}

bool TabularLayout::hasNamedGroups() const {
    for (const TabularGroup& group : m_groups)
        if (!group.name.isEmpty())
            return true;
    return false;
}

bool TabularLayout::checkField(int idx, QString* error) {
    if (idx < 0 || idx >= m_schema.size()) {
        *error = QStringLiteral("Field index %1 is not in the source's schema").arg(idx);
        return false;
    }
    const VkField& field = m_schema.at(idx);
    if (!isWritable(field)) {
        *error = QStringLiteral("Field %1 holds one value per entity and cannot be written as a column")
                     .arg(QString::fromUtf8(field.name));
        return false;
    }
    if (field.isMatrix() && m_sampleNames.isEmpty()) {
        *error = QStringLiteral("Field %1 has a value per sample, but the source does not name its samples")
                     .arg(QString::fromUtf8(field.name));
        return false;
    }
    return true;
}

void TabularLayout::useField(int idx) {
    if (!m_fieldList.contains(idx))
        m_fieldList.append(idx);
}

bool TabularLayout::addGroup(const TabularWriterFieldGroup& group, QString* error) {
    TabularGroup header{group.groupName(), group.color(), m_columns.size(), 0, false};
    for (int idx : group.groupFields()) {
        if (!checkField(idx, error))
            return false;
        useField(idx);
        if (!m_schema.at(idx).isMatrix()) {
            m_columns.append({idx, -1, m_groups.size()});
            continue;
        }
        for (int sample = 0; sample < m_sampleNames.size(); ++sample)
            m_columns.append({idx, sample, m_groups.size()});
    }
    header.columnCount = m_columns.size() - header.firstColumn;
    if (header.columnCount > 0)
        m_groups.append(header);
    return true;
}

bool TabularLayout::addSampleGroups(const TabularWriterFieldGroup& group, QString* error) {
    const QVector<int> fields = group.groupFields();
    for (int idx : fields) {
        if (!checkField(idx, error))
            return false;
        useField(idx);
    }
    if (fields.isEmpty())
        return true;
    for (int sample = 0; sample < m_sampleNames.size(); ++sample) {
        for (int idx : fields)
            m_columns.append({idx, m_schema.at(idx).isMatrix() ? sample : -1, m_groups.size()});
        m_groups.append({QString::fromUtf8(m_sampleNames.at(sample)), group.color(),
                         m_columns.size() - fields.size(), fields.size(), true});
    }
    return true;
}

QByteArray TabularLayout::locusTitle(int locusColumn) {
    static const QByteArray titles[LocusColumnCount] = {QByteArrayLiteral("Chr"), QByteArrayLiteral("Start"),
                                                        QByteArrayLiteral("Stop")};
    return titles[locusColumn];
}

QByteArray TabularLayout::nameTitle(const TabularColumn& column, bool withSample) const {
    const VkField& field = m_schema.at(column.field);
    const QByteArray& name = field.name.isEmpty() ? field.symbol : field.name;
    return column.sample < 0 || !withSample ? name : m_sampleNames.at(column.sample) + ':' + name;
}

QByteArray TabularLayout::symbolTitle(const TabularColumn& column) const {
    const VkField& field = m_schema.at(column.field);
    const QByteArray& symbol = field.symbol.isEmpty() ? field.name : field.symbol;
    return column.sample < 0 ? symbol : m_sampleNames.at(column.sample) + ':' + symbol;
}

QVector<QByteArray> TabularLayout::sampleNamesOf(const VkSourceInfo& info) {
    const PVariant names = info.properties.value("SampleNames");
    QVector<QByteArray> samples;
    if (names.type() == ValueType::StringArray) {
        samples = names.stringVector();
    } else if (names.type() == ValueType::VectorOfData) {
        for (int i = 0; i < names.size(); ++i)
            samples.append(names.at(i).toText());
    }
    if (samples.isEmpty())
        for (int sample = 0; sample < info.entityCount; ++sample)
            samples.append(QByteArrayLiteral("Sample ") + QByteArray::number(sample + 1));
    return samples;
}
