#include "transforms/AllelicPrimitivesTransform.h"

#include "source/values/TextCache.h"
#include "transforms/AllelicPrimitivesDecomposer.h"
#include "transforms/framework/TransformRegistry.h"

#include <algorithm>
#include <deque>

namespace {

[[maybe_unused]] const TransformRegistration<AllelicPrimitivesTransform> kRegistration;

constexpr int kInputBatch = 1024;
const char* const kCollision = "Invalid Variant Collision in Allelic Primitives";

enum class Role { Ref, Alt, RefAlt, Genotype, Info, Sample };

Role roleOf(const VkField& field) {
    if (field.symbol == "REF")
        return Role::Ref;
    if (field.symbol == "ALT")
        return Role::Alt;
    if (field.symbol == "RefAlt" || field.name == "Ref/Alt")
        return Role::RefAlt;
    if (field.isMatrix() && field.symbol == "GT")
        return Role::Genotype;
    return field.fieldType == VkField::LocusAttribute ? Role::Info : Role::Sample;
}

} // namespace

// What open() decided: which input field each output field is, and where the alleles and the
// genotypes are on either side.
struct AllelicPrimitivesLayout {
    QVector<int> inputOf;
    int inRef = -1, inAlt = -1, inRefAlt = -1, inGenotype = -1;
    int outRef = -1, outAlt = -1, outRefAlt = -1, outGenotype = -1;
    bool useMnps = false;
    bool remapGenotypes = false;
    int maxLength = 200;

    bool hasAlleles() const { return (inRef >= 0 && inAlt >= 0) || inRefAlt >= 0; }
};

namespace {

// Rewrites the genotypes of a record for one of its primitives: a called allele is 1 when it is
// one of the alternates the primitive comes from, else 0. Texts are few per record, so each is
// worked out once and shared.
class GenotypeRemapper {
public:
    explicit GenotypeRemapper(TextCache* texts) : m_texts(texts) {}

    PVariant remap(const PVariant& genotypes, const QVarLengthArray<int, 2>& sources) {
        if (genotypes.type() != ValueType::StringArray)
            return genotypes;
        m_known.clear();
        const QVector<QByteArray>& input = genotypes.stringVector();
        QVector<QByteArray> output(input.size());
        for (int sample = 0; sample < input.size(); ++sample)
            output[sample] = remapOne(input[sample], sources);
        return PVariant(std::move(output));
    }

private:
    const QByteArray& remapOne(const QByteArray& genotype, const QVarLengthArray<int, 2>& sources) {
        for (const auto& known : m_known)
            if (known.first == genotype)
                return known.second;
        m_known.push_back({genotype, write(genotype, sources)});
        return m_known.back().second;
    }

    QByteArray write(const QByteArray& genotype, const QVarLengthArray<int, 2>& sources) {
        const char separator = genotype.contains('|') ? '|' : '/';
        QByteArray text;
        bool called = false;
        bool carries = false;
        for (const QByteArray& allele : genotype.split(separator)) {
            if (!text.isEmpty())
                text += separator;
            bool isNumber = false;
            const int index = allele.toInt(&isNumber);
            if (!isNumber) {
                text += '.';
                continue;
            }
            called = true;
            const bool carried =
                index > 0 && std::find(sources.begin(), sources.end(), index) != sources.end();
            carries = carries || carried;
            text += carried ? '1' : '0';
        }
        if (!called)
            return m_texts->text("./.", 3);
        if (!carries)
            return separator == '|' ? m_texts->text("0|0", 3) : m_texts->text("0/0", 3);
        return m_texts->text(text.constData(), text.size());
    }

    TextCache* m_texts;
    std::vector<std::pair<QByteArray, QByteArray>> m_known;
};

// The transform's reader: each input record's primitive records, kept in position order across
// neighbouring records in a small buffer (a record's primitives lie at or after its start, so
// everything before the next record's start is final).
class AllelicPrimitivesReader : public FeatureCursor {
public:
    AllelicPrimitivesReader(FeatureCursorPtr input, std::shared_ptr<const AllelicPrimitivesLayout> layout)
        : m_input(std::move(input)), m_layout(std::move(layout)), m_decomposer(m_layout->useMnps),
          m_genotypes(&m_texts) {}

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
        int added = 0;
        for (;;) {
            for (; m_ready > 0 && added < maxCount; --m_ready, ++added) {
                batch.append(std::move(m_pending.front()));
                m_pending.pop_front();
            }
            if (added == maxCount)
                return true;
            if (m_input->atEnd()) {
                m_ready = int(m_pending.size());
                if (m_ready == 0)
                    return true;
                continue;
            }
            m_inputBatch.clear();
            if (!m_input->fill(m_inputBatch, kInputBatch, error))
                return false;
            for (const VkFeature& feature : qAsConst(m_inputBatch))
                split(feature);
        }
    }
    bool atEnd() const override { return m_pending.empty() && m_input->atEnd(); }
    int percentDone() const override { return m_input->percentDone(); }
    bool canReseek() const override { return m_input->canReseek(); }
    bool reseek(const QList<VkSegment>& regions, QString* error) override {
        m_pending.clear();
        m_ready = 0;
        return m_input->reseek(regions, error);
    }

private:
    void split(const VkFeature& feature) {
        release(feature.segment());
        m_primitives.clear();
        if (!decompose(feature)) {
            hold(passedThrough(feature));
            return;
        }
        for (const auto& [primitive, sources] : m_primitives)
            hold(primitiveRecord(feature, primitive, sources));
    }

    // Rules in order: unreadable, without alternates, too long or a plain substitution pass
    // unchanged, and so does a record that yields one primitive the same as itself.
    bool decompose(const VkFeature& feature) {
        if (!readAlleles(feature) || m_alts.isEmpty())
            return false;
        const int maxLength = m_layout->maxLength;
        const auto tooLong = [maxLength](const QByteArray& allele) { return allele.size() > maxLength; };
        if (tooLong(m_ref) || std::any_of(m_alts.begin(), m_alts.end(), tooLong))
            return false;
        const auto oneBase = [](const QByteArray& allele) { return allele.size() == 1; };
        if (oneBase(m_ref) && std::all_of(m_alts.begin(), m_alts.end(), oneBase))
            return false;
        m_decomposer.decompose(feature.segment().start(), m_ref, m_alts, &m_primitives);
        if (m_primitives.empty())
            return false;
        if (m_layout->remapGenotypes && hasCollision()) {
            qWarning("%s at %s:%d: the record is kept unsplit", kCollision,
                     feature.segment().chromosome().constData(), feature.segment().start() + 1);
            return false;
        }
        return !(m_primitives.size() == 1 && m_alts.size() == 1 && m_ref.size() < 2);
    }

    bool readAlleles(const VkFeature& feature) {
        const AllelicPrimitivesLayout& layout = *m_layout;
        m_alts.clear();
        if (layout.inRef >= 0 && layout.inAlt >= 0) {
            const PVariant& ref = feature.value(layout.inRef);
            const PVariant& alts = feature.value(layout.inAlt);
            if (ref.type() != ValueType::String || alts.type() != ValueType::StringArray)
                return false;
            m_ref = ref.bytes();
            m_alts = alts.stringVector();
        } else {
            const PVariant& refAlt = feature.value(layout.inRefAlt);
            if (refAlt.type() != ValueType::String)
                return false;
            const QList<QByteArray> alleles = refAlt.bytes().split('/');
            m_ref = alleles.first();
            for (int i = 1; i < alleles.size(); ++i)
                m_alts.append(alleles[i]);
        }
        // "." alone: a record without alternates.
        if (m_alts.size() == 1 && m_alts.first() == ".")
            m_alts.clear();
        return !m_ref.isEmpty();
    }

    // One alternate giving different primitives at one position cannot be written as genotypes:
    // a haplotype carries one allele per site.
    bool hasCollision() const {
        for (auto it = m_primitives.begin(), next = std::next(it); next != m_primitives.end(); it = next++) {
            if (it->first.position != next->first.position)
                continue;
            for (int source : it->second)
                if (next->second.contains(source))
                    return true;
        }
        return false;
    }

    VkFeature passedThrough(const VkFeature& input) const {
        PVariantVector values(m_layout->inputOf.size());
        for (int out = 0; out < values.size(); ++out)
            values[out] = input.value(m_layout->inputOf[out]);
        return VkFeature(input.segment(), std::move(values));
    }

    VkFeature primitiveRecord(const VkFeature& input, const AllelicPrimitive& primitive,
                              const QVarLengthArray<int, 2>& sources) {
        const AllelicPrimitivesLayout& layout = *m_layout;
        VkFeature record = passedThrough(input);
        record.setSegment(VkSegment(input.segment().chromosome(), primitive.position,
                                    primitive.position + primitive.ref.size()));
        const QByteArray ref = m_texts.text(primitive.ref.constData(), primitive.ref.size());
        const QByteArray alt = m_texts.text(primitive.alt.constData(), primitive.alt.size());
        if (layout.outRef >= 0)
            record.setValue(layout.outRef, PVariant(ref));
        if (layout.outAlt >= 0)
            record.setValue(layout.outAlt, PVariant(QVector<QByteArray>{alt}));
        if (layout.outRefAlt >= 0)
            record.setValue(layout.outRefAlt, PVariant(ref + '/' + alt));
        if (layout.outGenotype >= 0 && layout.remapGenotypes)
            record.setValue(layout.outGenotype, m_genotypes.remap(input.value(layout.inGenotype), sources));
        return record;
    }

    // Marks as final every held record that no later input record can precede.
    void release(const VkSegment& next) {
        while (m_ready < int(m_pending.size())) {
            const VkSegment& held = m_pending[size_t(m_ready)].segment();
            if (held.chromosome() == next.chromosome() && held.start() > next.start())
                break;
            ++m_ready;
        }
    }

    void hold(VkFeature record) {
        const auto byStart = [](int32_t start, const VkFeature& held) {
            return start < held.segment().start();
        };
        const auto at =
            std::upper_bound(m_pending.begin() + m_ready, m_pending.end(), record.segment().start(), byStart);
        m_pending.insert(at, std::move(record));
    }

    FeatureCursorPtr m_input;
    std::shared_ptr<const AllelicPrimitivesLayout> m_layout;
    AllelicPrimitivesDecomposer m_decomposer;
    TextCache m_texts;
    GenotypeRemapper m_genotypes;
    VkFeatureList m_inputBatch;
    // Records in output order; the first m_ready of them are final.
    std::deque<VkFeature> m_pending;
    int m_ready = 0;
    AllelicPrimitiveSet m_primitives;
    QByteArray m_ref;
    QVector<QByteArray> m_alts;
};

void setAlleleField(VkField* field, const char* name, const char* symbol) {
    field->name = name;
    field->symbol = symbol;
}

} // namespace

AllelicPrimitivesTransform::AllelicPrimitivesTransform(AllelicPrimitivesOptions options)
    : SingleSourceTransform(std::move(options)) {}

AllelicPrimitivesTransform::~AllelicPrimitivesTransform() = default;

bool AllelicPrimitivesTransform::open(QString* error) {
    const VkSourcePtr& input = inputs().first();
    // The input's own trimming of shared leading bases would take away the base indels hang on.
    input->info().properties.insert("LimitPrefixTrimming", PVariant("true"));
    const AllelicPrimitivesOptions options = typedOptions();
    auto layout = std::make_shared<AllelicPrimitivesLayout>();
    VkFieldList& schema = info().schema;
    schema.clear();
    for (const VkField& field : input->schema()) {
        const Role role = roleOf(field);
        const bool kept = role == Role::Ref || role == Role::Alt || role == Role::RefAlt ||
                          (role == Role::Info ? options.keepInfo() : options.keepGeno());
        int* inputSide[] = {&layout->inRef, &layout->inAlt, &layout->inRefAlt, &layout->inGenotype};
        int* outputSide[] = {&layout->outRef, &layout->outAlt, &layout->outRefAlt, &layout->outGenotype};
        const int slot = int(role);
        if (slot <= int(Role::Genotype) && *inputSide[slot] < 0) {
            *inputSide[slot] = field.idx;
            if (kept)
                *outputSide[slot] = schema.size();
        }
        if (!kept)
            continue;
        VkField copy = field;
        copy.idx = schema.size();
        if (role == Role::Ref)
            setAlleleField(&copy, "Reference", "REF");
        else if (role == Role::Alt)
            setAlleleField(&copy, "Alternates", "ALT");
        else if (role == Role::RefAlt)
            setAlleleField(&copy, "Ref/Alt", "RefAlt");
        layout->inputOf.append(field.idx);
        schema.append(copy);
    }
    if (layout->inRef < 0 && layout->inAlt < 0 && layout->inRefAlt < 0) {
        *error = QStringLiteral("Source must have a REF, ALT, or a REF/ALT field.\n");
        return false;
    }
    layout->useMnps = options.useMNPs();
    layout->remapGenotypes = layout->inGenotype >= 0 && !options.splitGenotypes();
    layout->maxLength = options.maxLength();
    m_layout = std::move(layout);
    return true;
}

FeatureCursorPtr AllelicPrimitivesTransform::createFeatureReader(const ReadRequest& request,
                                                                 QString* error) const {
    const AllelicPrimitivesLayout& layout = *m_layout;
    if (!layout.hasAlleles()) {
        *error = QStringLiteral("A valid ref and alt were not found or able to be computed");
        return nullptr;
    }
    ReadRequest inputRequest = request;
    inputRequest.fieldList.clear();
    for (int field : request.fieldList)
        if (field >= 0 && field < layout.inputOf.size())
            inputRequest.fieldList << layout.inputOf[field];
    for (int field : {layout.inRef, layout.inAlt, layout.inRefAlt, layout.inGenotype})
        if (field >= 0 && !inputRequest.fieldList.contains(field))
            inputRequest.fieldList << field;
    FeatureCursorPtr input = openInput(inputs().first(), inputRequest, error);
    if (!input)
        return nullptr;
    return std::make_unique<AllelicPrimitivesReader>(std::move(input), m_layout);
}
