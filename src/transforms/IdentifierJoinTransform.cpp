#include "transforms/IdentifierJoinTransform.h"

#include "transforms/join/IdentifierBatchQueryReader.h"
#include "transforms/join/JoinFieldGroups.h"

int IdentifierJoinTransform::leftIdField() const {
    return JoinFields::find(left()->schema(), typedOptions().leftIdField());
}

int IdentifierJoinTransform::rightIdField() const {
    return JoinFields::find(right()->schema(), typedOptions().rightIdField());
}

bool IdentifierJoinTransform::validateInputs(QString* error) const {
    if (!LeftJoinTransform::validateInputs(error))
        return false;
    if (leftIdField() < 0 || rightIdField() < 0) {
        *error = QStringLiteral("Unable to find field ") +
                 (leftIdField() < 0 ? typedOptions().leftIdField() : typedOptions().rightIdField());
        return false;
    }
    return true;
}

bool IdentifierJoinTransform::buildFieldGroups(QString*) {
    const Options options = typedOptions();
    if (options.matchingFeatureSummary() == MatchingFeaturePresent)
        addGroup(std::make_shared<RightHandFeatureCounter>(RightHandFeatureCounter::Flag));
    else if (options.matchingFeatureSummary() == MatchingFeatureCount)
        addGroup(std::make_shared<RightHandFeatureCounter>(RightHandFeatureCounter::Count));
    const QVector<QString> rightNames = options.outputFieldList();
    addGroup(std::make_shared<RightHandPassThrough>(QStringList(rightNames.begin(), rightNames.end()), true));
    return true;
}

QString IdentifierJoinTransform::defaultOutputName() const {
    return QStringLiteral("Annotate Identifiers with ") + right()->info().name;
}

FeatureCursorPtr IdentifierJoinTransform::createJoinReader(const ReadRequest&, ReadRequest leftRequest,
                                                           QList<int> rightFields, QString* error) const {
    IdentifierBatchQueryReader::Join join{right(), leftIdField(), rightIdField(), rightFields, rows()};
    if (!leftRequest.fieldList.contains(join.leftIdField))
        leftRequest.fieldList << join.leftIdField;
    if (!join.rightFields.contains(join.rightIdField))
        join.rightFields << join.rightIdField;
    FeatureCursorPtr leftCursor = openInput(left(), leftRequest, error);
    if (!leftCursor)
        return nullptr;
    return std::make_unique<IdentifierBatchQueryReader>(std::move(leftCursor), std::move(join));
}
