#include "transforms/MergeVariantsTransform.h"

#include "source/values/TextCache.h"
#include "transforms/AppendRecordsTransform.h"
#include "transforms/MergeFieldValues.h"
#include "transforms/MergeInputCursors.h"
#include "transforms/MergeSampleColumn.h"
#include "transforms/framework/TransformRegistry.h"

#include <QHash>

#include <deque>
#include <string>

using MergeFieldValues::AlleleNumber;

namespace {

[[maybe_unused]] const TransformRegistration<MergeVariantsTransform> kRegistration;

// A merged genotype no input called.
const QByteArray kMissingGenotype = QByteArrayLiteral("./.");

int symbolIndex(const VkFieldList& schema, const QByteArray& key) {
    for (const VkField& field : schema)
        if (MergeInputLayout::keyOf(field) == key)
            return field.idx;
    return -1;
}

// What the output record's place and alleles depend on: these fields are computed, not merged.
bool isAlleleOrSampleField(const QByteArray& key) {
    return key == "REF" || key == "ALT" || key == "Ref/Alt" || key == "Samples" || key == "FileName";
}

// The behaviour of the fixed columns when no entry names them: they stay, whatever the default.
int fixedColumnBehavior(const QByteArray& key) {
    if (key == "ID" || key == "FILTER" || key == "Flags")
        return MergeUnique;
    if (key == "QUAL")
        return MergeTakeFirst;
    if (key == "END")
        return MergeNumericMax;
    return -1;
}

} // namespace

// Everything a reader needs, fixed when the transform opens.
struct MergeVariantsPlan {
    struct InputFields {
        int ref = -1;
        int alt = -1;
        int refAlt = -1;
        // The input field of each output field; -1 where the input has none.
        QVector<int> inputOf;
    };

    MergeInputLayout layout;
    QVector<int> behaviors;
    QVector<AlleleNumber> alleleNumbers;
    // Record-level input fields that become sample fields.
    QVector<bool> toSample;
    QVector<InputFields> inputs;
    int ref = -1;
    int alt = -1;
    int refAlt = -1;
    int genotype = -1;
    int fileName = -1;
    PVariant sampleNames;
    PVariant fileNames;
    bool onlyMatchingRefAlts = false;
    bool onlyMatchingAlternates = false;
    bool mergeDifferentTypes = false;
};

namespace {

// One input record at the merged place, with its alleles.
struct Site {
    int input = 0;
    VkFeature feature;
    QByteArray ref;
    QVector<QByteArray> alts;

    bool isSnv() const {
        if (ref.size() != 1)
            return false;
        return std::all_of(alts.begin(), alts.end(), [](const QByteArray& alt) { return alt.size() == 1; });
    }
};

class MergeVariantsReader : public FeatureCursor {
public:
    MergeVariantsReader(std::shared_ptr<const MergeVariantsPlan> plan, MergeInputCursors inputs)
        : m_plan(std::move(plan)), m_inputs(std::move(inputs)), m_column(m_plan->layout.sampleCount()) {}

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
        for (int filled = 0; filled < maxCount; ++filled) {
            if (m_pending.empty() && !mergeNextPlace(error))
                return error->isEmpty();
            if (m_pending.empty())
                return true;
            batch.append(std::move(m_pending.front()));
            m_pending.pop_front();
        }
        return true;
    }
    bool atEnd() const override { return m_pending.empty() && m_inputs.atEnd(); }
    int percentDone() const override { return m_inputs.percentDone(); }
    bool canReseek() const override { return m_inputs.canReseek(); }
    bool reseek(const QList<VkSegment>& regions, QString* error) override {
        m_pending.clear();
        return m_inputs.reseek(regions, error);
    }

private:
    using Group = std::vector<const Site*>;

    // Gathers every input's records at the first place and queues the merged records; false at
    // the end or on a read error (then with the reason).
    bool mergeNextPlace(QString* error) {
        QString problem;
        const int first = m_inputs.nextInput(&problem);
        if (first < 0) {
            *error = problem;
            return false;
        }
        const VkSegment place = m_inputs.head(first).segment();
        m_sites.clear();
        for (int i = 0; i < m_inputs.count(); ++i) {
            while (m_inputs.hasHead(i) && m_inputs.head(i).segment().chromosome() == place.chromosome() &&
                   m_inputs.head(i).segment().start() == place.start()) {
                m_sites.push_back(siteOf(i, m_inputs.takeHead(i)));
                if (!m_inputs.refill(i, error))
                    return false;
            }
        }
        groupSites();
        for (size_t g = 0; g < m_groupCount; ++g)
            m_pending.push_back(merged(m_groups[g]));
        return true;
    }

    // Built around the moved feature: a default-made feature would allocate a record of its own.
    Site siteOf(int input, VkFeature feature) const {
        const MergeVariantsPlan::InputFields& fields = m_plan->inputs.at(input);
        QByteArray ref;
        QVector<QByteArray> alts;
        if (fields.ref >= 0 && fields.alt >= 0) {
            ref = feature.value(fields.ref).toText();
            alts = feature.value(fields.alt).stringVector();
        } else {
            const QList<QByteArray> alleles = feature.value(fields.refAlt).toText().split('/');
            ref = alleles.value(0);
            for (int i = 1; i < alleles.size(); ++i)
                alts.append(alleles.at(i));
        }
        return Site{input, std::move(feature), std::move(ref), std::move(alts)};
    }

    bool mergeable(const Site& a, const Site& b) const {
        if (a.ref != b.ref)
            return false;
        if (m_plan->onlyMatchingRefAlts && a.alts != b.alts)
            return false;
        if (m_plan->onlyMatchingAlternates &&
            std::none_of(b.alts.begin(), b.alts.end(),
                         [&](const QByteArray& alt) { return a.alts.contains(alt); }))
            return false;
        return m_plan->mergeDifferentTypes || a.isSnv() == b.isSnv();
    }

    // Records merged together: at most one per input. A record joins the group with the same
    // alternates, else one sharing an alternate, else the first it may join. The groups' lists
    // are kept from place to place: only the first m_groupCount are in use.
    void groupSites() {
        m_groupCount = 0;
        for (const Site& site : m_sites) {
            auto open = [&](const Group& group) {
                return mergeable(*group.front(), site) &&
                       std::none_of(group.begin(), group.end(),
                                    [&](const Site* member) { return member->input == site.input; });
            };
            auto sameAlts = [&](const Group& group) {
                return open(group) && group.front()->alts == site.alts;
            };
            auto sharesAlt = [&](const Group& group) {
                return open(group) &&
                       std::any_of(site.alts.begin(), site.alts.end(),
                                   [&](const QByteArray& alt) { return group.front()->alts.contains(alt); });
            };
            const auto begin = m_groups.begin();
            const auto end = begin + std::ptrdiff_t(m_groupCount);
            auto found = std::find_if(begin, end, sameAlts);
            if (found == end)
                found = std::find_if(begin, end, sharesAlt);
            if (found == end)
                found = std::find_if(begin, end, open);
            if (found != end) {
                found->push_back(&site);
                continue;
            }
            if (m_groupCount == m_groups.size())
                m_groups.emplace_back();
            m_groups[m_groupCount++].assign(1, &site);
        }
    }

    // Numbers every record's alleles in the merged alternate list (m_alts, m_alleleMaps) and notes
    // which records keep their numbering (m_identity).
    void mapAlleles(const Group& group) {
        m_alts.clear();
        if (m_alleleMaps.size() < group.size())
            m_alleleMaps.resize(group.size());
        for (size_t i = 0; i < group.size(); ++i) {
            QVector<int>& map = m_alleleMaps[i];
            map.resize(1);
            map[0] = 0;
            for (const QByteArray& alt : group[i]->alts) {
                int idx = m_alts.indexOf(alt);
                if (idx < 0) {
                    idx = m_alts.size();
                    m_alts.append(alt);
                }
                map.append(idx + 1);
            }
        }
        // A record's values need no re-indexing when its alleles keep their numbers and nothing
        // was added after them (per-allele lists would have to widen).
        m_identity.clear();
        if (m_genotypeMaps.size() < group.size())
            m_genotypeMaps.resize(group.size());
        for (size_t i = 0; i < group.size(); ++i) {
            const QVector<int>& map = m_alleleMaps[i];
            bool same = map.size() == m_alts.size() + 1;
            for (int k = 0; k < map.size() && same; ++k)
                same = map.at(k) == k;
            m_identity.push_back(same);
            if (!same)
                MergeFieldValues::genotypeMap(map, &m_genotypeMaps[i]);
        }
    }

    VkFeature merged(const Group& group) {
        mapAlleles(group);
        const int alleles = m_alts.size() + 1;
        VkSegment segment = group.front()->feature.segment();
        for (const Site* site : group)
            segment.setStop(std::max(segment.stop(), site->feature.segment().stop()));

        const VkFieldList& schema = m_plan->layout.schema();
        PVariantVector values(schema.size());
        for (int out = 0; out < schema.size(); ++out)
            if (out != m_plan->ref && out != m_plan->alt && out != m_plan->refAlt)
                values[out] = mergedValue(out, group, alleles);
        setAlleles(*group.front(), values);
        if (m_plan->layout.samplesField() >= 0)
            values[m_plan->layout.samplesField()] = m_plan->sampleNames;
        if (m_plan->fileName >= 0)
            values[m_plan->fileName] = m_plan->fileNames;
        return VkFeature(segment, std::move(values));
    }

    // The merged record's REF, ALT and Ref/Alt. Its alternates are mostly the first record's own,
    // and then shared with it; the joined text is a shared one.
    void setAlleles(const Site& first, PVariantVector& values) {
        const QVector<QByteArray>& alts = m_identity.front() ? first.alts : m_alts;
        if (m_plan->ref >= 0)
            values[m_plan->ref] = PVariant(first.ref);
        if (m_plan->alt >= 0)
            values[m_plan->alt] = PVariant(alts);
        if (m_plan->refAlt < 0)
            return;
        m_joined.assign(first.ref.constData(), size_t(first.ref.size()));
        for (const QByteArray& alt : alts)
            m_joined.append(1, '/').append(alt.constData(), size_t(alt.size()));
        values[m_plan->refAlt] = PVariant(m_alleleTexts.text(m_joined.data(), int(m_joined.size())));
    }

    PVariant mergedValue(int out, const Group& group, int alleles) {
        const VkField& field = m_plan->layout.schema().at(out);
        if (field.fieldType == VkField::EntityAttribute)
            return PVariant();
        const AlleleNumber number = m_plan->alleleNumbers.at(out);
        if (field.isMatrix())
            return sampleColumn(out, group, alleles);
        if (group.size() == 1 && number != AlleleNumber::None && m_identity.front())
            return inputValue(*group.front(), out);
        m_inputValues.resize(0);
        for (const Site* site : group)
            m_inputValues.append(inputValue(*site, out));
        if (number == AlleleNumber::None)
            return MergeFieldValues::merge(m_plan->behaviors.at(out), m_inputValues, field.valueType);
        PVariant merged;
        for (size_t i = 0; i < group.size(); ++i)
            MergeFieldValues::reindexList(m_inputValues.at(int(i)), m_alleleMaps[i], number, alleles,
                                          &merged);
        return merged;
    }

    const PVariant& inputValue(const Site& site, int out) const {
        return site.feature.value(m_plan->inputs.at(site.input).inputOf.value(out, -1));
    }

    PVariant sampleColumn(int out, const Group& group, int alleles) {
        // Placed values and remaps are pointed to: no reallocation once placing starts. An input's
        // own value belongs to its site, which outlives the column.
        m_placed.clear();
        m_placed.reserve(group.size());
        m_remaps.resize(group.size());
        for (size_t i = 0; i < group.size(); ++i) {
            const Site& site = *group[i];
            const QVector<int>& samples = m_plan->layout.input(site.input).samples;
            const PVariant& value = inputValue(site, out);
            if (m_plan->toSample.at(out)) {
                m_placed.push_back(perSample(value, samples.size()));
                m_column.place(m_placed.back(), samples);
            } else if (out == m_plan->genotype && !m_identity[i]) {
                m_placed.push_back(
                    MergeFieldValues::reindexGenotypes(value, m_alleleMaps[i], m_genotypeTexts));
                m_column.place(m_placed.back(), samples);
            } else {
                m_column.place(value, samples, remapOf(out, i, alleles));
            }
        }
        return m_column.take(out == m_plan->genotype ? kMissingGenotype : QByteArray());
    }

    // How a group member's lists of a per-allele field are laid onto the merged alleles; none when
    // the field has no values per allele or the member keeps its numbering.
    const MergeFieldValues::ListRemap* remapOf(int out, size_t member, int alleles) {
        const AlleleNumber number = m_plan->alleleNumbers.at(out);
        if (number == AlleleNumber::None || m_identity[member])
            return nullptr;
        m_remaps[member] = {&m_alleleMaps[member], &m_genotypeMaps[member], number, alleles};
        return &m_remaps[member];
    }

    // A record-level value repeated for each of an input's samples.
    static PVariant perSample(const PVariant& value, int samples) {
        switch (value.type()) {
        case ValueType::Int:
            return PVariant(QVector<int32_t>(samples, value.intValue()));
        case ValueType::Float:
            return PVariant(QVector<float>(samples, value.floatValue()));
        case ValueType::String:
            return PVariant(QVector<QByteArray>(samples, value.bytes()));
        default:
            return value.isValid() ? PVariant(PVariantVector(samples, value)) : PVariant();
        }
    }

    std::shared_ptr<const MergeVariantsPlan> m_plan;
    MergeInputCursors m_inputs;
    std::deque<VkFeature> m_pending;
    // Scratch space of one place, kept so that merging allocates little beyond its output.
    std::vector<Site> m_sites;
    std::vector<Group> m_groups;
    size_t m_groupCount = 0;
    std::vector<QVector<int>> m_alleleMaps;
    std::vector<QVector<int>> m_genotypeMaps;
    std::vector<MergeFieldValues::ListRemap> m_remaps;
    std::vector<bool> m_identity;
    QVector<PVariant> m_inputValues;
    std::vector<PVariant> m_placed;
    MergeSampleColumn m_column;
    TextCache m_genotypeTexts;
    QVector<QByteArray> m_alts;
    std::string m_joined;
    TextCache m_alleleTexts;
};

} // namespace

MergeVariantsTransform::MergeVariantsTransform(MergeVariantsOptions options)
    : MergeTransform(std::move(options)) {}

MergeVariantsTransform::~MergeVariantsTransform() = default;

bool MergeVariantsTransform::checkInput(const VkSource& input, QString* error) const {
    const VkSourceInfo& info = input.info();
    if (info.coordInfo.featureType != QLatin1String(FeatureTypeName::Variant)) {
        *error = QStringLiteral("Unsupported feature type in merge transform.");
        return false;
    }
    if (symbolIndex(info.schema, "REF") >= 0 && symbolIndex(info.schema, "ALT") >= 0)
        return true;
    const int refAlt = symbolIndex(info.schema, "Ref/Alt");
    if (refAlt < 0) {
        *error = QStringLiteral(
                     " Neither Reference and Alternate fields, nor a Ref/Alt field could be found in ") +
                 input.path();
        return false;
    }
    if (info.schema.at(refAlt).valueType != ValueType::String) {
        *error =
            QStringLiteral(
                "Reference and Alternate fields were not found and could not be computed from the Ref/Alt "
                "field for: ") +
            input.path();
        return false;
    }
    return true;
}

QVector<int> MergeVariantsTransform::decideBehaviors(MergeInputLayout& layout) const {
    const MergeVariantsOptions options = typedOptions();
    const int fallback = options.mergeBehavior() == MergeDefault ? MergeTakeFirst : options.mergeBehavior();
    QHash<QByteArray, int> given;
    for (const FieldMergeBehaviorOptions& entry : options.fieldMergeBehaviors())
        given.insert(entry.fieldSymbol().toUtf8(), entry.mergeBehavior());
    auto behaviorOf = [&](const VkField& field) {
        const QByteArray key = MergeInputLayout::keyOf(field);
        if (field.fieldType != VkField::LocusAttribute || isAlleleOrSampleField(key))
            return int(MergeTakeFirst);
        const int own = given.value(key, MergeDefault);
        if (own != MergeDefault)
            return own;
        const int fixed = fixedColumnBehavior(key);
        return fixed >= 0 ? fixed : fallback;
    };
    QVector<int> omitted;
    QVector<int> behaviors;
    for (int idx = 0; idx < layout.schema().size(); ++idx) {
        VkField& field = layout.field(idx);
        const int behavior = behaviorOf(field);
        if (behavior == MergeOmit) {
            omitted.append(idx);
            continue;
        }
        behaviors.append(behavior);
        if (behavior == MergeSample) {
            field.fieldType = VkField::Matrix;
        } else if (MergeFieldValues::alleleNumberOf(field) == AlleleNumber::None) {
            const ValueType type = MergeFieldValues::outputType(field.valueType, behavior);
            if (type != field.valueType && ValueTypes::isVector(type))
                field.props.insert("Number", PVariant("."));
            field.valueType = type;
        }
    }
    layout.dropFields(omitted);
    return behaviors;
}

bool MergeVariantsTransform::open(QString* error) {
    auto plan = std::make_shared<MergeVariantsPlan>();
    MergeInputLayout& layout = plan->layout;
    for (const VkSourcePtr& input : inputs()) {
        if (!checkInput(*input, error))
            return false;
        QByteArray conflict;
        if (!layout.addInput(input->schema(), &conflict)) {
            *error = QStringLiteral("Unable to map field with symbol: %1. ").arg(QString::fromUtf8(conflict));
            return false;
        }
    }
    const MergeSampleNames names = MergeSampleNames::decide(inputs(), typedOptions());
    for (int i = 0; i < inputs().size(); ++i)
        layout.addSamples(i, sampleNamesOf(inputs().at(i)->info()), names.perInput.at(i));
    plan->behaviors = decideBehaviors(layout);
    if (layout.samplesField() >= 0) {
        VkField fileName(0, "Sample Source File Name", "FileName", ValueType::String,
                         VkField::EntityAttribute);
        fileName.doc = QStringLiteral("The base name of the file each sample came from");
        layout.insertField(layout.samplesField(), fileName);
        plan->behaviors.insert(layout.samplesField() - 1, MergeTakeFirst);
    }
    layout.finish();

    const VkFieldList& schema = layout.schema();
    for (const VkField& field : schema) {
        plan->alleleNumbers.append(MergeFieldValues::alleleNumberOf(field));
        plan->toSample.append(plan->behaviors.at(field.idx) == MergeSample);
        if (field.isMatrix() && field.symbol == "GT")
            plan->genotype = field.idx;
    }
    plan->ref = symbolIndex(schema, "REF");
    plan->alt = symbolIndex(schema, "ALT");
    plan->refAlt = symbolIndex(schema, "Ref/Alt");
    plan->fileName = symbolIndex(schema, "FileName");
    for (int i = 0; i < inputs().size(); ++i) {
        MergeVariantsPlan::InputFields fields;
        const VkFieldList& own = inputs().at(i)->schema();
        fields.ref = symbolIndex(own, "REF");
        fields.alt = symbolIndex(own, "ALT");
        fields.refAlt = symbolIndex(own, "Ref/Alt");
        fields.inputOf.fill(-1, schema.size());
        const QVector<int>& targets = layout.input(i).fields;
        for (int field = 0; field < targets.size(); ++field)
            if (targets.at(field) >= 0)
                fields.inputOf[targets.at(field)] = field;
        plan->inputs.append(fields);
    }
    plan->sampleNames = PVariant(layout.sampleNames());
    plan->fileNames = PVariant(names.fileNames);
    const MergeVariantsOptions options = typedOptions();
    plan->onlyMatchingRefAlts = options.onlyMergeMatchingRefAlts();
    plan->onlyMatchingAlternates = options.onlyMergeMatchingAlternates();
    plan->mergeDifferentTypes = options.mergeDifferentRecordTypes();

    QList<ChromosomeOrder> orders;
    for (const VkSourcePtr& input : inputs())
        orders << input->info().chromosomeOrder;
    info().schema = schema;
    info().entityCount = layout.sampleCount();
    info().properties.insert("SampleNames", plan->sampleNames);
    info().chromosomeOrder = ChromosomeOrder::merged(orders);
    nameMerged();
    m_plan = std::move(plan);
    return true;
}

namespace {
// The input fields a merge reads: those with a place in the output, and the alleles. Fields the
// merge omits are not parsed at all.
QList<int> readFields(const MergeVariantsPlan::InputFields& fields) {
    QList<int> read;
    for (int field : fields.inputOf)
        if (field >= 0 && !read.contains(field))
            read << field;
    for (int allele : {fields.ref, fields.alt, fields.refAlt})
        if (allele >= 0 && !read.contains(allele))
            read << allele;
    std::sort(read.begin(), read.end());
    return read;
}
} // namespace

FeatureCursorPtr MergeVariantsTransform::createFeatureReader(const ReadRequest& request,
                                                             QString* error) const {
    // Small batches: a record is merged soon after it is parsed, while its values are still in
    // cache, and its memory goes back to the allocator in time for the next records of its input.
    MergeInputCursors cursors(outputInfo().chromosomeOrder, 32);
    for (int i = 0; i < inputs().size(); ++i) {
        const VkSourcePtr& input = inputs().at(i);
        const bool hasMatrix = std::any_of(input->schema().begin(), input->schema().end(),
                                           [](const VkField& field) { return field.isMatrix(); });
        if (hasMatrix && m_plan->layout.input(i).samples.isEmpty()) {
            *error = QStringLiteral("Samples not set for source reader");
            return nullptr;
        }
        ReadRequest inputRequest = request;
        inputRequest.fieldList = readFields(m_plan->inputs.at(i));
        QString problem;
        FeatureCursorPtr cursor = openInput(input, inputRequest, &problem);
        if (!cursor) {
            *error = QStringLiteral("Could not create file readers");
            if (!problem.isEmpty())
                *error += QStringLiteral(": ") + problem;
            return nullptr;
        }
        cursors.add(std::move(cursor));
    }
    return std::make_unique<MergeVariantsReader>(m_plan, std::move(cursors));
}
