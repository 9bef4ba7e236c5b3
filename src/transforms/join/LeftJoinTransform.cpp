#include "transforms/join/LeftJoinTransform.h"

#include "source/readers/ReadMode.h"
#include "transforms/join/JoinFieldGroups.h"
#include "transforms/join/LeftJoinReader.h"

bool LeftJoinTransform::validateInputs(QString* error) const {
    if (inputs().size() < 2) {
        *error = QStringLiteral("The annotation input source is invalid: no annotation source was given");
        return false;
    }
    if (!right()->isValid()) {
        *error = QStringLiteral("The annotation input source is invalid: ") + right()->errorText();
        return false;
    }
    return true;
}

void LeftJoinTransform::addLeftPassThrough() {
    QStringList names;
    for (const QString& name : joinOptions().leftSourcePassThroughFields().split(QLatin1Char(',')))
        if (!name.trimmed().isEmpty())
            names << name.trimmed();
    if (!names.isEmpty())
        addGroup(std::make_shared<LeftHandPassThrough>(names));
}

bool LeftJoinTransform::open(QString* error) {
    m_groups.clear();
    if (!validateInputs(error))
        return false;
    addLeftPassThrough();
    if (!buildFieldGroups(error))
        return false;
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
    const QString name = joinOptions().outputSourceName();
    info().name = name.isEmpty() ? defaultOutputName() : name;
    return true;
}

FeatureCursorPtr LeftJoinTransform::createFeatureReader(const ReadRequest& request, QString* error) const {
    ReadRequest leftRequest = request;
    leftRequest.fieldList.clear();
    for (int field : request.fieldList)
        if (field >= 0 && field < m_leftFieldCount)
            leftRequest.fieldList << field;
    QList<int> rightFields;
    for (const JoinFieldGroupPtr& group : m_groups) {
        for (int field : group->leftFields())
            if (!leftRequest.fieldList.contains(field))
                leftRequest.fieldList << field;
        for (int field : group->rightFields())
            if (!rightFields.contains(field))
                rightFields << field;
    }
    return createJoinReader(request, std::move(leftRequest), std::move(rightFields), error);
}

FeatureCursorPtr LeftJoinTransform::createJoinReader(const ReadRequest& request, ReadRequest leftRequest,
                                                     QList<int> rightFields, QString* error) const {
    FeatureCursorPtr leftCursor = openInput(left(), leftRequest, error);
    if (!leftCursor)
        return nullptr;
    // A whole read of a sorted right source is swept once; a region read of the left asks the right
    // source by region.
    const bool wholeRead = request.kind == ReadRequest::Offset && request.offset == 0;
    const bool sweep = wholeRead && right()->info().chromosomeOrder.isSorted();
    static const int kModes[] = {Vk::Overlap, Vk::Within, Vk::Exact};
    const int mode = kModes[qBound(0, joinOptions().genomicMatchMode(), 2)];
    return std::make_unique<LeftJoinReader>(
        std::move(leftCursor), std::make_unique<RightMatcher>(right(), rightFields, sweep), mode, rows());
}
