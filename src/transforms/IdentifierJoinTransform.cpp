#include "transforms/IdentifierJoinTransform.h"

#include "transforms/join/IdentifierBatchQueryReader.h"
#include "transforms/join/JoinFieldGroups.h"

bool IdentifierJoinTransform::findIdFields(QString* error) {
    const Options options = typedOptions();
    m_leftIdField = JoinFields::find(left()->schema(), options.leftIdField());
    m_rightIdField = JoinFields::find(right()->schema(), options.rightIdField());
    if (m_leftIdField < 0 || m_rightIdField < 0) {
        *error = QStringLiteral("Unable to find field ") +
                 (m_leftIdField < 0 ? options.leftIdField() : options.rightIdField());
        return false;
    }
    return true;
}

void IdentifierJoinTransform::buildFieldGroups() {
    const Options options = typedOptions();
    m_groups.clear();
    QStringList leftNames;
    for (const QString& name : options.leftSourcePassThroughFields().split(QLatin1Char(',')))
        if (!name.trimmed().isEmpty())
            leftNames << name.trimmed();
    if (!leftNames.isEmpty())
        m_groups << std::make_shared<LeftHandPassThrough>(leftNames);
    if (options.matchingFeatureSummary() == MatchingFeaturePresent)
        m_groups << std::make_shared<RightHandFeatureCounter>(RightHandFeatureCounter::Flag);
    else if (options.matchingFeatureSummary() == MatchingFeatureCount)
        m_groups << std::make_shared<RightHandFeatureCounter>(RightHandFeatureCounter::Count);
    const QVector<QString> rightNames = options.outputFieldList();
    m_groups << std::make_shared<RightHandPassThrough>(QStringList(rightNames.begin(), rightNames.end()),
                                                       true);
}

bool IdentifierJoinTransform::open(QString* error) {
    if (!right()->isValid()) {
        *error = QStringLiteral("The annotation input source is invalid: ") + right()->errorText();
        return false;
    }
    if (!findIdFields(error))
        return false;
    buildFieldGroups();
    VkFieldList schema = left()->schema();
    m_leftFieldCount = schema.size();
    for (const JoinFieldGroupPtr& group : qAsConst(m_groups)) {
        if (!group->setup(*left(), *right(), error))
            return false;
        schema += group->outputFields();
    }
    for (int idx = 0; idx < schema.size(); ++idx)
        schema[idx].idx = idx;
    info().schema = schema;
    // Rows per match make the count unknown until read.
    info().locusCount = -1;
    const QString name = typedOptions().outputSourceName();
    info().name = name.isEmpty() ? QStringLiteral("Annotate Identifiers with ") + right()->info().name : name;
    return true;
}

FeatureCursorPtr IdentifierJoinTransform::createFeatureReader(const ReadRequest& request,
                                                              QString* error) const {
    ReadRequest leftRequest = request;
    leftRequest.fieldList.clear();
    for (int field : request.fieldList)
        if (field >= 0 && field < m_leftFieldCount)
            leftRequest.fieldList << field;
    IdentifierBatchQueryReader::Join join;
    join.right = right();
    join.leftIdField = m_leftIdField;
    join.rightIdField = m_rightIdField;
    join.rightFields << m_rightIdField;
    join.groups = m_groups;
    join.leftFieldCount = m_leftFieldCount;
    leftRequest.fieldList << m_leftIdField;
    for (const JoinFieldGroupPtr& group : m_groups) {
        for (int field : group->leftFields())
            if (!leftRequest.fieldList.contains(field))
                leftRequest.fieldList << field;
        for (int field : group->rightFields())
            if (!join.rightFields.contains(field))
                join.rightFields << field;
    }
    FeatureCursorPtr leftCursor = openInput(left(), leftRequest, error);
    if (!leftCursor)
        return nullptr;
    return std::make_unique<IdentifierBatchQueryReader>(std::move(leftCursor), std::move(join));
}
