#include "transforms/AltRatioTransform.h"

#include "source/values/SampleMatrix.h"
#include "transforms/framework/FeatureEditCursor.h"
#include "transforms/framework/TransformRegistry.h"

#include <algorithm>

namespace {

[[maybe_unused]] const TransformRegistration<AltRatioTransform> kRegistration;

constexpr int32_t kMissingCount = PVariant::MissingInt;
constexpr float kMissingRatio = PVariant::MissingFloat;

// The counts a field holds for one record, or for one sample of a matrix field: a single Int or
// a run of Ints. Elements past the end read as missing.
struct Counts {
    const int32_t* list = nullptr;
    int size = 0;
    int32_t single = kMissingCount;

    int32_t at(int i) const {
        if (i < 0 || i >= size)
            return kMissingCount;
        return list ? list[i] : single;
    }
    // The sum of the counts that are not missing.
    int64_t sum(int first = 0, int end = -1) const {
        int64_t total = 0;
        for (int i = first; i < (end < 0 ? size : std::min(end, size)); ++i)
            if (at(i) != kMissingCount)
                total += at(i);
        return total;
    }
};

Counts countsOf(const PVariant& value) {
    Counts counts;
    if (value.type() == ValueType::Int) {
        counts.single = value.intValue();
        counts.size = 1;
    } else if (value.type() == ValueType::IntArray) {
        counts.list = value.intVector().constData();
        counts.size = value.intVector().size();
    }
    return counts;
}

// How many counts a matrix value holds over all samples.
int countBound(const PVariant& value) {
    if (value.isSampleMatrix())
        return value.sampleMatrix().values().size();
    if (value.type() != ValueType::VectorOfData)
        return value.size();
    int total = 0;
    for (const PVariant& sample : value.variantVector())
        total += std::max(sample.size(), 1);
    return total;
}

// A matrix value's counts, resolved once per record so that each sample's are found by pointer:
// an Int Array holds one count per sample, a SampleMatrix of Ints a run per sample, a Vector of
// Data one value per sample.
class SampleCounts {
public:
    explicit SampleCounts(const PVariant& value) : m_value(&value) {
        if (value.type() == ValueType::IntArray) {
            m_ints = value.intVector().constData();
            m_samples = value.size();
        } else if (value.isSampleMatrix() && value.sampleMatrix().elementType() == ValueType::IntArray) {
            const SampleMatrix& matrix = value.sampleMatrix();
            m_ints = matrix.values().intVector().constData();
            m_offsets = matrix.offsets().constData();
            m_samples = matrix.sampleCount();
        } else if (value.type() == ValueType::VectorOfData) {
            m_samples = value.size();
        }
    }
    int samples() const { return m_samples; }
    Counts at(int sample) const {
        Counts counts;
        if (sample >= m_samples)
            return counts;
        if (m_offsets) {
            counts.list = m_ints + m_offsets[sample];
            counts.size = m_offsets[sample + 1] - m_offsets[sample];
        } else if (m_ints) {
            counts.single = m_ints[sample];
            counts.size = 1;
        } else {
            return countsOf(m_value->variantVector().at(sample));
        }
        return counts;
    }

private:
    const PVariant* m_value;
    const int32_t* m_ints = nullptr;
    const int32_t* m_offsets = nullptr;
    int m_samples = 0;
};

float ratio(int64_t part, int64_t whole) {
    return float(part) / float(whole);
}

bool isCountType(ValueType type) {
    return type == ValueType::Int || type == ValueType::IntArray;
}

} // namespace

// How the fraction is computed from the fields a source has. One is chosen per opened transform;
// compute() is called from any reader's thread and reads only what setup() fixed.
class AltRatioComputation {
public:
    static constexpr int MaxCountFields = 2;

    virtual ~AltRatioComputation() = default;

    // Locates the ALT field (needed to tell how many alternates a record has).
    bool findAltField(const VkFieldList& schema, QString* error) {
        m_altIdx = indexOf(schema, "ALT");
        if (m_altIdx < 0)
            *error = QStringLiteral("Could not find the ALT field for Alt Ratio Calculation");
        return m_altIdx >= 0;
    }
    // Float (one value per record or sample) or Float Array (one per alternate).
    ValueType outputType() const { return m_outputType; }
    bool isMatrix() const { return m_matrix; }
    // The input fields compute() reads.
    QList<int> inputFields() const {
        QList<int> fields(m_countFields.begin(), m_countFields.end());
        if (m_altIdx >= 0)
            fields << m_altIdx;
        return fields;
    }
    // The new value for one record.
    virtual PVariant compute(const VkFeature& feature) const = 0;
    // True when the schema has the fields this computation needs; otherwise the reason.
    virtual bool setup(const VkFieldList& schema, const AltRatioOptions& options, QString* error) = 0;

protected:
    // Runs unit over the record, or over each sample of a matrix record, and packs what it wrote.
    // unit(counts, altCount, out) writes the values of one record or sample (at most as many as
    // the first field has counts, or one) and returns how many; it is inlined into the loop.
    template <class Unit> PVariant computeWith(const VkFeature& feature, Unit unit) const;

    // The field given by index, or else the first field with one of the symbols; -1 for none.
    static int pick(const VkFieldList& schema, int givenIdx, std::initializer_list<const char*> symbols) {
        if (givenIdx >= 0)
            return givenIdx < schema.size() ? givenIdx : -1;
        for (const char* symbol : symbols) {
            const int found = indexOf(schema, symbol);
            if (found >= 0)
                return found;
        }
        return -1;
    }
    // The observed counts ("FAO", else "AO", unless an index is given) and a second field; false
    // with the reason when either is missing.
    static bool pickObservedAnd(const VkFieldList& schema, int observedIdx, int secondIdx,
                                std::initializer_list<const char*> secondSymbols, const char* secondMissing,
                                int* observed, int* second, QString* error) {
        *observed = pick(schema, observedIdx, {"FAO", "AO"});
        *second = pick(schema, secondIdx, secondSymbols);
        if (*observed < 0)
            *error = QStringLiteral("Unable to find suitable alternate observed depth field\n");
        else if (*second < 0)
            *error = QString::fromLatin1(secondMissing);
        return *observed >= 0 && *second >= 0;
    }
    static int indexOf(const VkFieldList& schema, const char* symbol) {
        for (const VkField& field : schema)
            if (field.symbol == symbol)
                return field.idx;
        return -1;
    }

    QVector<int> m_countFields;
    int m_altIdx = -1;
    ValueType m_outputType = ValueType::FloatArray;
    bool m_matrix = false;
};

template <class Unit> PVariant AltRatioComputation::computeWith(const VkFeature& feature, Unit unit) const {
    const int altCount = m_altIdx >= 0 ? feature.value(m_altIdx).size() : 0;
    Counts counts[MaxCountFields];
    if (!m_matrix) {
        int bound = 1;
        for (int i = 0; i < m_countFields.size(); ++i) {
            counts[i] = countsOf(feature.value(m_countFields[i]));
            bound = std::max(bound, counts[i].size);
        }
        QVector<float> values(bound);
        values.resize(unit(counts, altCount, values.data()));
        if (m_outputType == ValueType::FloatArray)
            return PVariant(std::move(values));
        return PVariant(values.isEmpty() ? kMissingRatio : values.first());
    }
    const SampleCounts columns[MaxCountFields] = {SampleCounts(feature.value(m_countFields.value(0))),
                                                  SampleCounts(feature.value(m_countFields.value(1)))};
    const int samples = columns[0].samples();
    // No sample has more values than counts in the first field, or one.
    const int bound = samples + countBound(feature.value(m_countFields.first()));
    QVector<float> values(bound);
    float* out = values.data();
    QVector<int32_t> offsets;
    if (m_outputType == ValueType::FloatArray) {
        offsets.resize(samples + 1);
        offsets[0] = 0;
    }
    for (int sample = 0; sample < samples; ++sample) {
        for (int i = 0; i < m_countFields.size(); ++i)
            counts[i] = columns[i].at(sample);
        const int written = unit(counts, altCount, out);
        if (m_outputType == ValueType::Float) {
            if (written == 0)
                *out = kMissingRatio;
            ++out;
        } else {
            out += written;
            offsets[sample + 1] = int32_t(out - values.constData());
        }
    }
    values.resize(int(out - values.constData()));
    if (m_outputType == ValueType::Float)
        return PVariant(std::move(values));
    return PVariant(SampleMatrix(PVariant(std::move(values)), std::move(offsets)));
}

namespace {

// A computation whose unit(counts, altCount, out) is called for the record or each sample, inlined.
template <class Self> class UnitComputation : public AltRatioComputation {
public:
    PVariant compute(const VkFeature& feature) const override {
        const Self& self = static_cast<const Self&>(*this);
        return computeWith(feature, [&self](const Counts* counts, int altCount, float* out) {
            return self.unit(counts, altCount, out);
        });
    }
};

// [reference depth, depth of alternate 1, ...]: used only when it has one count per allele.
class AllelicDepthAltRatio : public UnitComputation<AllelicDepthAltRatio> {
public:
    bool setup(const VkFieldList& schema, const AltRatioOptions& options, QString* error) override {
        const int idx = pick(schema, options.allelicDepthIdx(), {symbol()});
        if (idx < 0 || !isCountType(schema.at(idx).valueType)) {
            *error = notFound();
            return false;
        }
        if (!findAltField(schema, error))
            return false;
        m_countFields = {idx};
        m_matrix = schema.at(idx).isMatrix();
        m_outputType = ValueType::FloatArray;
        return true;
    }

    static int unit(const Counts* counts, int altCount, float* out) {
        const Counts& depths = counts[0];
        if (depths.size != altCount + 1)
            return 0;
        const int64_t total = depths.sum();
        for (int k = 1; k < depths.size; ++k)
            *out++ = total > 0 && depths.at(k) != kMissingCount ? ratio(depths.at(k), total) : kMissingRatio;
        return depths.size - 1;
    }

protected:
    virtual const char* symbol() const { return "AD"; }
    virtual QString notFound() const { return QStringLiteral("A suitable AD field was not found"); }
};

class CLCAD2AllelicDepthAltRatio : public AllelicDepthAltRatio {
protected:
    const char* symbol() const override { return "CLCAD2"; }
    QString notFound() const override { return QStringLiteral("A suitable CLCAD2 field was not found"); }
};

// Alternate observations per alternate and one reference observation count.
class AOROAltRatio : public UnitComputation<AOROAltRatio> {
public:
    bool setup(const VkFieldList& schema, const AltRatioOptions& options, QString* error) override {
        int observed = -1;
        int reference = -1;
        if (!pickObservedAnd(schema, options.observedFieldIdx(), options.referenceObservationIdx(),
                             {"FRO", "RO"}, "Unable to find suitable reference observed depth field\n",
                             &observed, &reference, error))
            return false;
        const VkField& ao = schema.at(observed);
        const VkField& ro = schema.at(reference);
        if (ao.isMatrix() != ro.isMatrix()) {
            *error = QStringLiteral("AO and RO fields are not the same type (one is a matrix field/ one is a "
                                    "locus field)");
            return false;
        }
        if (!isCountType(ao.valueType) || !isCountType(ro.valueType)) {
            *error = ao.isMatrix()
                         ? QStringLiteral("Matrix fields do not have the type Int, IntArray")
                         : QStringLiteral("Locus fields AO and RO do not have the type Int, IntArray");
            return false;
        }
        m_countFields = {observed, reference};
        m_matrix = ao.isMatrix();
        m_outputType = ValueType::FloatArray;
        return true;
    }

public:
    int unit(const Counts* counts, int, float* out) const {
        const Counts& observed = counts[0];
        const int32_t reference = counts[1].at(0);
        const int64_t denominator = int64_t(reference) + observed.sum();
        for (int i = 0; i < observed.size; ++i) {
            const bool missing =
                reference == kMissingCount || observed.at(i) == kMissingCount || denominator == 0;
            out[i] = missing ? kMissingRatio : ratio(observed.at(i), denominator);
        }
        return observed.size;
    }
};

// Observed alternate counts over the total depth.
class DepthAltRatio : public UnitComputation<DepthAltRatio> {
public:
    bool setup(const VkFieldList& schema, const AltRatioOptions& options, QString* error) override {
        int observed = -1;
        int depth = -1;
        if (!pickObservedAnd(schema, options.observedFieldIdx(), options.depthFieldIdx(), {"FDP", "DP"},
                             "Unable to find suitable observed reference depth field\n", &observed, &depth,
                             error))
            return false;
        const VkField& ao = schema.at(observed);
        const VkField& dp = schema.at(depth);
        if (!isCountType(dp.valueType)) {
            *error = QStringLiteral("Depth field is not an Int, Int Array, or Vector");
            return false;
        }
        if (!isCountType(ao.valueType)) {
            *error = QStringLiteral("Observed Field is not and Int, Int Array, or Vector");
            return false;
        }
        if (ao.isMatrix() != dp.isMatrix()) {
            *error = QStringLiteral("Field types are incompatible");
            return false;
        }
        m_countFields = {observed, depth};
        m_matrix = ao.isMatrix();
        m_outputType = ao.valueType == ValueType::Int ? ValueType::Float : ValueType::FloatArray;
        return true;
    }

public:
    int unit(const Counts* counts, int, float* out) const {
        const Counts& observed = counts[0];
        const Counts& depth = counts[1];
        const bool perElementDepth = depth.size > 1;
        if (perElementDepth && depth.size != observed.size)
            return 0;
        const int values = m_outputType == ValueType::Float ? 1 : observed.size;
        for (int i = 0; i < values; ++i) {
            const int32_t dp = depth.at(perElementDepth ? i : 0);
            const int32_t ao = observed.at(i);
            out[i] = dp == kMissingCount || dp < 1 || ao == kMissingCount ? kMissingRatio : ratio(ao, dp);
        }
        return values;
    }
};

// Reference forward, reference reverse, alternate forward, alternate reverse.
class DP4AltRatio : public UnitComputation<DP4AltRatio> {
public:
    bool setup(const VkFieldList& schema, const AltRatioOptions& options, QString* error) override {
        const int idx = pick(schema, options.dp4Idx(), {"DP4"});
        if (idx < 0 || !isCountType(schema.at(idx).valueType)) {
            *error = QStringLiteral("A suitable DP4 field was not found");
            return false;
        }
        m_countFields = {idx};
        m_matrix = schema.at(idx).isMatrix();
        m_outputType = ValueType::Float;
        return true;
    }

public:
    int unit(const Counts* counts, int, float* out) const {
        const int64_t total = counts[0].sum(0, 4);
        *out = total < 1 ? kMissingRatio : ratio(counts[0].sum(2, 4), total);
        return 1;
    }
};

// The computation for a schema, or null with the last reason a candidate gave.
std::unique_ptr<AltRatioComputation> chooseComputation(const VkFieldList& schema,
                                                       const AltRatioOptions& options, QString* error) {
    std::unique_ptr<AltRatioComputation> candidates[] = {
        std::make_unique<CLCAD2AllelicDepthAltRatio>(), std::make_unique<AOROAltRatio>(),
        std::make_unique<DepthAltRatio>(), std::make_unique<AllelicDepthAltRatio>(),
        std::make_unique<DP4AltRatio>()};
    QString last;
    for (auto& candidate : candidates) {
        QString reason;
        if (candidate->setup(schema, options, &reason))
            return std::move(candidate);
        if (!reason.isEmpty())
            last = reason;
    }
    *error = last.isEmpty() ? QStringLiteral("Could not find required fields for alt ratio") : last;
    return nullptr;
}

// The transform's reader: the input's features with the fraction inserted.
class AltRatioReader : public FeatureEditCursor {
public:
    AltRatioReader(FeatureCursorPtr input, std::shared_ptr<const AltRatioComputation> computation,
                   int insertAt)
        : FeatureEditCursor(std::move(input)), m_computation(std::move(computation)), m_insertAt(insertAt) {}

private:
    bool edit(VkFeature& feature, QString*) override {
        PVariant value = m_computation ? m_computation->compute(feature) : PVariant();
        PVariantVector& values = feature.values();
        if (values.size() < m_insertAt)
            values.resize(m_insertAt);
        values.insert(m_insertAt, std::move(value));
        return true;
    }

    std::shared_ptr<const AltRatioComputation> m_computation;
    int m_insertAt;
};

} // namespace

AltRatioTransform::AltRatioTransform(AltRatioOptions options) : SingleSourceTransform(std::move(options)) {}

AltRatioTransform::~AltRatioTransform() = default;

bool AltRatioTransform::open(QString* error) {
    const VkFieldList& input = inputs().first()->schema();
    const AltRatioOptions options = typedOptions();
    m_inputFieldCount = input.size();
    m_computation.reset();
    info().schema = input;
    const QByteArray symbol = options.altRatioFieldSymbol().toUtf8();
    if (std::any_of(input.begin(), input.end(),
                    [&](const VkField& field) { return field.symbol == symbol; })) {
        qWarning("%s already has a field %s: the alt ratio is not added",
                 qUtf8Printable(inputs().first()->path()), symbol.constData());
        return true;
    }
    std::unique_ptr<AltRatioComputation> computation = chooseComputation(input, options, error);
    if (!computation)
        return false;
    const int requested = options.insertFieldAtIdx();
    m_insertAt = requested >= 0 && requested < m_inputFieldCount ? requested : m_inputFieldCount;

    VkField field(m_insertAt, options.altRatioFieldName().toUtf8(), symbol, computation->outputType(),
                  computation->isMatrix() ? VkField::Matrix : VkField::LocusAttribute);
    field.doc = QStringLiteral("Computed Alternate Allele Frequency");
    field.props.insert("Number", PVariant(computation->outputType() == ValueType::Float ? "1" : "A"));
    VkFieldList& schema = info().schema;
    schema.insert(m_insertAt, field);
    for (int idx = 0; idx < schema.size(); ++idx)
        schema[idx].idx = idx;
    m_computation = std::move(computation);
    return true;
}

FeatureCursorPtr AltRatioTransform::createFeatureReader(const ReadRequest& request, QString* error) const {
    if (!m_computation)
        return openInput(inputs().first(), request, error);
    ReadRequest inputRequest = request;
    inputRequest.fieldList.clear();
    bool computed = false;
    for (int field : request.fieldList) {
        if (field == m_insertAt)
            computed = true;
        else if (field >= 0 && field <= m_inputFieldCount)
            inputRequest.fieldList << (field < m_insertAt ? field : field - 1);
    }
    if (computed)
        for (int field : m_computation->inputFields())
            if (!inputRequest.fieldList.contains(field))
                inputRequest.fieldList << field;
    FeatureCursorPtr input = openInput(inputs().first(), inputRequest, error);
    if (!input)
        return nullptr;
    return std::make_unique<AltRatioReader>(std::move(input), computed ? m_computation : nullptr, m_insertAt);
}
