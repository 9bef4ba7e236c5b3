#include "transforms/MergeRecordsTransform.h"

#include "transforms/MergeFieldValues.h"
#include "transforms/framework/TransformRegistry.h"

#include <QHash>

namespace {
[[maybe_unused]] const TransformRegistration<MergeRecordsTransform> kRegistration;
constexpr int kInputBatch = 1024;
} // namespace

// The output field of each input field and how its values merge, fixed when the transform opens.
struct MergeRecordsPlan {
    struct Output {
        int input = -1;
        int behavior = MergeTakeFirst;
        ValueType type = ValueType::Invalid;
        bool matrix = false;
    };
    QVector<Output> outputs;
    int typeField = -1;
};

namespace {

class MergeRecordsReader : public FeatureCursor {
public:
    MergeRecordsReader(std::shared_ptr<const MergeRecordsPlan> plan, FeatureCursorPtr input)
        : m_plan(std::move(plan)), m_input(std::move(input)) {}

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
        for (int filled = 0; filled < maxCount; ++filled) {
            if (!refill(error))
                return false;
            if (m_next >= m_batch.size())
                return true;
            std::vector<VkFeature> group{std::move(m_batch[m_next++])};
            bool read = true;
            while ((read = refill(error)) && m_next < m_batch.size() &&
                   sameKey(group.front(), m_batch.at(m_next)))
                group.push_back(std::move(m_batch[m_next++]));
            if (!read)
                return false;
            batch.append(merged(group));
        }
        return true;
    }
    bool atEnd() const override { return m_next >= m_batch.size() && m_input->atEnd(); }
    int percentDone() const override { return m_input->percentDone(); }
    bool canReseek() const override { return m_input->canReseek(); }
    bool reseek(const QList<VkSegment>& regions, QString* error) override {
        m_batch.clear();
        m_next = 0;
        return m_input->reseek(regions, error);
    }

private:
    bool refill(QString* error) {
        while (m_next >= m_batch.size() && !m_input->atEnd()) {
            m_batch.clear();
            m_next = 0;
            if (!m_input->fill(m_batch, kInputBatch, error))
                return false;
        }
        return true;
    }
    bool sameKey(const VkFeature& a, const VkFeature& b) const {
        return a.segment() == b.segment() &&
               (m_plan->typeField < 0 || a.value(m_plan->typeField) == b.value(m_plan->typeField));
    }
    VkFeature merged(const std::vector<VkFeature>& group) const {
        PVariantVector values(m_plan->outputs.size());
        QVector<PVariant> inputs(int(group.size()));
        for (int out = 0; out < values.size(); ++out) {
            const MergeRecordsPlan::Output& output = m_plan->outputs.at(out);
            if (output.matrix || group.size() == 1) {
                values[out] = group.front().value(output.input);
                continue;
            }
            for (size_t i = 0; i < group.size(); ++i)
                inputs[int(i)] = group[i].value(output.input);
            values[out] = MergeFieldValues::merge(output.behavior, inputs, output.type);
        }
        return VkFeature(group.front().segment(), std::move(values));
    }

    std::shared_ptr<const MergeRecordsPlan> m_plan;
    FeatureCursorPtr m_input;
    VkFeatureList m_batch;
    int m_next = 0;
};

} // namespace

MergeRecordsTransform::MergeRecordsTransform(MergeRecordsOptions options)
    : MergeTransform(std::move(options)) {}

MergeRecordsTransform::~MergeRecordsTransform() = default;

bool MergeRecordsTransform::open(QString* error) {
    const MergeRecordsOptions options = typedOptions();
    const VkFieldList& input = inputs().first()->schema();
    auto plan = std::make_shared<MergeRecordsPlan>();
    const QByteArray typeField = options.recordTypeField().toUtf8();
    if (!typeField.isEmpty()) {
        plan->typeField = info().fieldIndex(typeField);
        if (plan->typeField < 0) {
            *error = QStringLiteral("Unable to map field with symbol: %1. ").arg(options.recordTypeField());
            return false;
        }
    }
    const int fallback = options.mergeBehavior() == MergeDefault ? MergeTakeFirst : options.mergeBehavior();
    QHash<QByteArray, int> given;
    for (const FieldMergeBehaviorOptions& entry : options.fieldMergeBehaviors())
        given.insert(entry.fieldSymbol().toUtf8(), entry.mergeBehavior());
    VkFieldList schema;
    for (const VkField& field : input) {
        const QByteArray key = field.symbol.isEmpty() ? field.name : field.symbol;
        int behavior = given.value(key, MergeDefault);
        if (behavior == MergeDefault)
            behavior = field.fieldType == VkField::LocusAttribute && field.idx != plan->typeField
                           ? fallback
                           : MergeTakeFirst;
        // Sample fields keep their values; a record field cannot become one in a single source.
        if (behavior == MergeSample || field.fieldType != VkField::LocusAttribute)
            behavior = MergeTakeFirst;
        if (behavior == MergeOmit)
            continue;
        VkField out = field;
        out.idx = schema.size();
        out.valueType = MergeFieldValues::outputType(field.valueType, behavior);
        plan->outputs.append(
            {field.idx, behavior, out.valueType, field.fieldType != VkField::LocusAttribute});
        schema.append(out);
    }
    info().schema = schema;
    nameMerged();
    m_plan = std::move(plan);
    return true;
}

FeatureCursorPtr MergeRecordsTransform::createFeatureReader(const ReadRequest& request,
                                                            QString* error) const {
    ReadRequest inputRequest = request;
    inputRequest.fieldList.clear();
    for (const MergeRecordsPlan::Output& output : m_plan->outputs)
        inputRequest.fieldList << output.input;
    if (m_plan->typeField >= 0 && !inputRequest.fieldList.contains(m_plan->typeField))
        inputRequest.fieldList << m_plan->typeField;
    FeatureCursorPtr input = openInput(inputs().first(), inputRequest, error);
    if (!input)
        return nullptr;
    return std::make_unique<MergeRecordsReader>(m_plan, std::move(input));
}
