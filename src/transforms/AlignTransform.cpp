#include "transforms/AlignTransform.h"

#include "source/reference/ReferenceLookup.h"
#include "source/reference/ReferenceSequence.h"
#include "transforms/framework/TransformRegistry.h"

#include <QFileInfo>

namespace {

[[maybe_unused]] const TransformRegistration<LeftAlignTransform> kLeftRegistration;
[[maybe_unused]] const TransformRegistration<RightAlignTransform> kRightRegistration;

AlignFields alleleFields(const VkFieldList& schema) {
    AlignFields fields;
    for (const VkField& field : schema) {
        if (field.symbol == "REF" && fields.ref < 0)
            fields.ref = field.idx;
        else if (field.symbol == "ALT" && fields.alt < 0)
            fields.alt = field.idx;
        else if ((field.symbol == "RefAlt" || field.name == "Ref/Alt") && fields.refAlt < 0)
            fields.refAlt = field.idx;
    }
    return fields;
}

} // namespace

template <class Options, class Reader> bool AlignTransform<Options, Reader>::open(QString* error) {
    const VkSourcePtr& input = this->inputs().first();
    // Alleles as the file writes them, with the base before an indel: the aligner anchors on it.
    input->info().properties.insert("LimitPrefixTrimming", PVariant("true"));
    const Options options = this->typedOptions();
    m_settings.fields = alleleFields(input->schema());
    if (!m_settings.fields.hasAlleles()) {
        *error = QStringLiteral("Source must have a Ref and Alts to be left aligned");
        return false;
    }
    if (!m_settings.reference) {
        // A reference beside the input file is found first, as one beside a file the program opens.
        const QFileInfo file(input->inputPaths().value(0, input->path()));
        const QString folder = file.exists() ? file.absolutePath() : QString();
        m_settings.reference = options.refCoordSysId().isEmpty()
                                   ? ReferenceLookup::findFor(input->info(), folder)
                                   : ReferenceLookup::find(options.refCoordSysId(), folder);
    }
    if (!m_settings.reference || !ReferenceSequence::of(*m_settings.reference)) {
        *error = QStringLiteral("No reference sequence was found to align %1 against").arg(input->path());
        return false;
    }
    m_settings.windowSize = options.windowSize();
    m_settings.duplicateRecords = options.duplicateRecords();
    return true;
}

template <class Options, class Reader>
FeatureCursorPtr AlignTransform<Options, Reader>::createFeatureReader(const ReadRequest& request,
                                                                      QString* error) const {
    ReadRequest inputRequest = request;
    for (int field : {m_settings.fields.ref, m_settings.fields.alt, m_settings.fields.refAlt})
        if (field >= 0 && !inputRequest.fieldList.contains(field))
            inputRequest.fieldList << field;
    FeatureCursorPtr input = this->openInput(this->inputs().first(), inputRequest, error);
    if (!input)
        return nullptr;
    return std::make_unique<Reader>(std::move(input), m_settings);
}

template class AlignTransform<LeftAlignOptions, LeftAlignReader>;
template class AlignTransform<RightAlignOptions, RightAlignReader>;
