#include "transforms/AppendRecordsTransform.h"

#include "transforms/MergeInputCursors.h"
#include "transforms/framework/TransformRegistry.h"

namespace {

[[maybe_unused]] const TransformRegistration<AppendRecordsTransform> kRegistration;

// The fields of an input that a request of output fields needs.
QList<int> inputFields(const MergeInputLayout::Input& input, const QList<int>& outputFields) {
    QList<int> fields;
    for (int i = 0; i < input.fields.size(); ++i)
        if (outputFields.contains(input.fields.at(i)))
            fields << i;
    return fields;
}

// The inputs' records, one at a time from whichever input comes first, in the output's shape.
class AppendRecordsReader : public FeatureCursor {
public:
    AppendRecordsReader(std::shared_ptr<const MergeInputLayout> layout, MergeInputCursors inputs)
        : m_layout(std::move(layout)), m_inputs(std::move(inputs)) {}

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
        for (int filled = 0; filled < maxCount; ++filled) {
            QString problem;
            const int next = m_inputs.nextInput(&problem);
            if (next < 0) {
                if (problem.isEmpty())
                    return true;
                *error = problem;
                return false;
            }
            batch.append(m_layout->remap(m_inputs.takeHead(next), next));
        }
        return true;
    }
    bool atEnd() const override { return m_inputs.atEnd(); }
    int percentDone() const override { return m_inputs.percentDone(); }
    bool canReseek() const override { return m_inputs.canReseek(); }
    bool reseek(const QList<VkSegment>& regions, QString* error) override {
        return m_inputs.reseek(regions, error);
    }

private:
    std::shared_ptr<const MergeInputLayout> m_layout;
    MergeInputCursors m_inputs;
};

} // namespace

QVector<QByteArray> sampleNamesOf(const VkSourceInfo& info) {
    const PVariant names = info.properties.value("SampleNames");
    if (names.type() == ValueType::StringArray)
        return names.stringVector();
    QVector<QByteArray> list;
    for (const QString& name : names.toStringList())
        list << name.toUtf8();
    return list;
}

QVector<QByteArray> remappedSampleNames(const QVector<SampleRemapping>& remapping, int inputIdx,
                                        QVector<QByteArray> names) {
    for (const SampleRemapping& entry : remapping) {
        if (entry.sourceIdx() != inputIdx)
            continue;
        const QVector<QString> given = entry.outNames();
        for (int i = 0; i < std::min(given.size(), names.size()); ++i)
            names[i] = given.at(i).toUtf8();
    }
    return names;
}

AppendRecordsTransform::AppendRecordsTransform(AppendRecordsOptions options)
    : FnTransform(std::move(options)) {}

bool AppendRecordsTransform::open(QString* error) {
    if (inputs().isEmpty()) {
        *error = QStringLiteral("No sources provided");
        return false;
    }
    const AppendRecordsOptions options(this->options());
    auto layout = std::make_shared<MergeInputLayout>();
    QList<ChromosomeOrder> orders;
    for (int i = 0; i < inputs().size(); ++i) {
        const VkSourceInfo& input = inputs().at(i)->info();
        if (input.coordInfo.featureType != QLatin1String(FeatureTypeName::Variant)) {
            *error = QStringLiteral("Non variant source type");
            return false;
        }
        QByteArray conflict;
        if (!layout->addInput(input.schema, &conflict)) {
            *error = QStringLiteral("Trying to append fields with incorrect type, from source: %1")
                         .arg(inputs().at(i)->path());
            return false;
        }
        const QVector<QByteArray> names = sampleNamesOf(input);
        layout->addSamples(i, names, remappedSampleNames(options.sourceRemapping(), i, names));
        orders << input.chromosomeOrder;
    }
    layout->finish();
    info().schema = layout->schema();
    info().entityCount = layout->sampleCount();
    info().properties.insert("SampleNames", PVariant(layout->sampleNames()));
    info().chromosomeOrder = ChromosomeOrder::merged(orders);
    m_layout = std::move(layout);
    return true;
}

FeatureCursorPtr AppendRecordsTransform::createFeatureReader(const ReadRequest& request,
                                                             QString* error) const {
    // Records pass through as they are read, so nothing is gained from small batches.
    MergeInputCursors cursors(outputInfo().chromosomeOrder, 1024);
    for (int i = 0; i < inputs().size(); ++i) {
        ReadRequest inputRequest = request;
        inputRequest.fieldList = inputFields(m_layout->input(i), request.fieldList);
        FeatureCursorPtr cursor = openInput(inputs().at(i), inputRequest, error);
        if (!cursor)
            return nullptr;
        cursors.add(std::move(cursor));
    }
    return std::make_unique<AppendRecordsReader>(m_layout, std::move(cursors));
}
