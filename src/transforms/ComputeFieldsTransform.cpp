#include "transforms/ComputeFieldsTransform.h"

#include "expr/Expression.h"
#include "source/values/ShortType.h"
#include "transforms/framework/FeatureEditCursor.h"
#include "transforms/framework/TransformRegistry.h"

#include <QVarLengthArray>

#include <algorithm>

namespace {

[[maybe_unused]] const TransformRegistration<ComputeFieldsTransform> kRegistration;

// A type given by its name ("Float Array") or its short text ("@f4").
ValueType typeNamed(const QString& text) {
    for (ValueType type :
         {ValueType::Bool, ValueType::Int, ValueType::Int64, ValueType::Float, ValueType::Float64,
          ValueType::String, ValueType::IntArray, ValueType::FloatArray, ValueType::StringArray})
        if (text.compare(ValueTypes::name(type), Qt::CaseInsensitive) == 0)
            return type;
    ShortType shortType;
    return ShortType::parse(text.toUtf8(), &shortType) ? shortType.type : ValueType::Invalid;
}

bool isComputable(ValueType type, bool perSample) {
    switch (type) {
    case ValueType::Bool:
    case ValueType::Int:
    case ValueType::Float:
    case ValueType::String:
        return true;
    case ValueType::Int64:
    case ValueType::Float64:
    case ValueType::IntArray:
    case ValueType::FloatArray:
    case ValueType::StringArray:
        return !perSample;
    default:
        return false;
    }
}

// One sample's values of a computed field gathered into the field's per-sample array.
class SampleValues {
public:
    SampleValues(ValueType type, int samples) : m_type(type) {
        if (type == ValueType::Int)
            m_ints.reserve(samples);
        else if (type == ValueType::Float)
            m_floats.reserve(samples);
        else if (type == ValueType::Bool)
            m_bools.reserve(samples);
        else
            m_texts.reserve(samples);
    }
    void append(const PVariant& value) {
        if (m_type == ValueType::Int)
            m_ints << value.intValue();
        else if (m_type == ValueType::Float)
            m_floats << value.floatValue();
        else if (m_type == ValueType::Bool)
            m_bools << value.boolByte();
        else
            m_texts << value.bytes();
    }
    PVariant take() {
        if (m_type == ValueType::Int)
            return PVariant(std::move(m_ints));
        if (m_type == ValueType::Float)
            return PVariant(std::move(m_floats));
        if (m_type == ValueType::Bool)
            return PVariant(std::move(m_bools));
        return PVariant(std::move(m_texts));
    }

private:
    ValueType m_type;
    QVector<int32_t> m_ints;
    QVector<float> m_floats;
    QVector<uint8_t> m_bools;
    QVector<QByteArray> m_texts;
};

// The input's features with the computed values inserted.
class ComputeFieldsReader : public FeatureEditCursor {
public:
    ComputeFieldsReader(FeatureCursorPtr input, QVector<ComputeFieldsTransform::Computed> computed,
                        std::vector<std::unique_ptr<Expression>> expressions, int insertAt, int sampleCount)
        : FeatureEditCursor(std::move(input)), m_computed(std::move(computed)),
          m_expressions(std::move(expressions)), m_insertAt(insertAt), m_sampleCount(sampleCount) {}

private:
    bool edit(VkFeature& feature, QString* error) override {
        // Every expression reads the input's fields where they are, before any value is inserted.
        QVarLengthArray<PVariant, 8> computed(m_computed.size());
        for (int k = 0; k < m_computed.size(); ++k)
            if (!compute(feature, k, &computed[k], error))
                return false;
        PVariantVector& values = feature.values();
        if (values.size() < m_insertAt)
            values.resize(m_insertAt);
        for (int k = 0; k < m_computed.size(); ++k)
            values.insert(m_insertAt + k, std::move(computed[k]));
        return true;
    }
    bool compute(const VkFeature& feature, int k, PVariant* out, QString* error) {
        const ComputeFieldsTransform::Computed& computed = m_computed[k];
        Expression& expression = *m_expressions[size_t(k)];
        expression.load(feature);
        if (!computed.perSample)
            return expression.compute(feature, -1, computed.type, out, error);
        SampleValues samples(computed.type, m_sampleCount);
        for (int sample = 0; sample < m_sampleCount; ++sample) {
            PVariant value;
            if (!expression.compute(feature, sample, computed.type, &value, error))
                return false;
            samples.append(value);
        }
        *out = samples.take();
        return true;
    }

    QVector<ComputeFieldsTransform::Computed> m_computed;
    std::vector<std::unique_ptr<Expression>> m_expressions;
    int m_insertAt;
    int m_sampleCount;
};

} // namespace

ComputeFieldsTransform::ComputeFieldsTransform(ComputeFieldsOptions options)
    : SingleSourceTransform(std::move(options)) {}

bool ComputeFieldsTransform::addField(const ComputedFieldOptions& options, VkFieldList* added,
                                      QString* error) {
    const QByteArray symbol = options.symbol().toUtf8();
    const VkFieldList& input = inputs().first()->schema();
    const auto named = [&symbol](const VkField& field) { return field.symbol == symbol; };
    if (symbol.isEmpty()) {
        *error = QStringLiteral("A computed field needs a symbol");
        return false;
    }
    if (std::any_of(input.begin(), input.end(), named) || std::any_of(added->begin(), added->end(), named)) {
        *error = QStringLiteral("The source already has a field %1").arg(options.symbol());
        return false;
    }
    Computed computed{options.expression(), typeNamed(options.type()), options.perSample()};
    if (!isComputable(computed.type, computed.perSample)) {
        *error = QStringLiteral("A computed field cannot have the type %1%2")
                     .arg(options.type(), computed.perSample ? QStringLiteral(" per sample") : QString());
        return false;
    }
    const Expression::Scope scope = computed.perSample ? Expression::Scope::Sample : Expression::Scope::Locus;
    std::unique_ptr<Expression> expression = Expression::compile(computed.expression, input, scope, error);
    if (!expression || !expression->check(computed.type, error))
        return false;
    for (int field : expression->fieldsRead())
        if (!m_fieldsRead.contains(field))
            m_fieldsRead << field;

    const QByteArray name = options.name().isEmpty() ? symbol : options.name().toUtf8();
    VkField field(0, name, symbol, computed.type,
                  computed.perSample ? VkField::Matrix : VkField::LocusAttribute);
    field.doc = QStringLiteral("Computed as %1").arg(computed.expression);
    field.props.insert("Number", PVariant(ValueTypes::isVector(computed.type) ? "." : "1"));
    added->append(field);
    m_computed << computed;
    return true;
}

bool ComputeFieldsTransform::open(QString* error) {
    const VkFieldList& input = inputs().first()->schema();
    const ComputeFieldsOptions options = typedOptions();
    m_computed.clear();
    m_fieldsRead.clear();
    m_inputFieldCount = input.size();
    VkFieldList added;
    for (const ComputedFieldOptions& computed : options.computedFields())
        if (!addField(computed, &added, error))
            return false;
    const int requested = options.insertFieldAtIdx();
    m_insertAt = requested >= 0 && requested < m_inputFieldCount ? requested : m_inputFieldCount;
    VkFieldList& schema = info().schema;
    schema = input;
    for (int k = 0; k < added.size(); ++k)
        schema.insert(m_insertAt + k, added[k]);
    for (int idx = 0; idx < schema.size(); ++idx)
        schema[idx].idx = idx;
    return true;
}

FeatureCursorPtr ComputeFieldsTransform::createFeatureReader(const ReadRequest& request,
                                                             QString* error) const {
    const VkFieldList& input = inputs().first()->schema();
    std::vector<std::unique_ptr<Expression>> expressions;
    for (const Computed& computed : m_computed) {
        const Expression::Scope scope =
            computed.perSample ? Expression::Scope::Sample : Expression::Scope::Locus;
        expressions.push_back(Expression::compile(computed.expression, input, scope, error));
        if (!expressions.back())
            return nullptr;
    }
    ReadRequest inputRequest = request;
    inputRequest.fieldList.clear();
    const int added = m_computed.size();
    for (int field : request.fieldList)
        if (field >= 0 && field < m_insertAt)
            inputRequest.fieldList << field;
        else if (field >= m_insertAt + added && field < m_inputFieldCount + added)
            inputRequest.fieldList << field - added;
    for (int field : m_fieldsRead)
        if (!inputRequest.fieldList.contains(field))
            inputRequest.fieldList << field;
    FeatureCursorPtr cursor = openInput(inputs().first(), inputRequest, error);
    if (!cursor)
        return nullptr;
    return std::make_unique<ComputeFieldsReader>(std::move(cursor), m_computed, std::move(expressions),
                                                 m_insertAt,
                                                 std::max(inputs().first()->info().entityCount, 0));
}
