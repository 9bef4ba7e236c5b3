#include "transforms/AnnotateTranscriptTransform.h"

#include "source/reference/ReferenceLookup.h"
#include "source/reference/ReferenceSequence.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "transforms/AnnotateTranscriptReader.h"
#include "transforms/framework/TransformRegistry.h"

namespace {
[[maybe_unused]] const TransformRegistration<AnnotateTranscriptTransform> kTranscript;
} // namespace

bool AnnotateTranscriptTransform::open(QString* error) {
    return openReference(error) && LeftJoinTransform::open(error);
}

bool AnnotateTranscriptTransform::openReference(QString* error) {
    const QString url = AnnotateTranscriptOptions(options()).referenceUrl();
    m_reference =
        url.isEmpty() ? ReferenceLookup::findFor(left()->info()) : VkSourceTypeRegistry::instance().open(url);
    if (!m_reference) {
        *error = QStringLiteral("The transcript annotation needs the reference sequence of the variants' "
                                "genome: none was found, name one with --referenceUrl");
        return false;
    }
    if (!m_reference->isValid()) {
        *error = QStringLiteral("The reference %1 cannot be opened: %2").arg(url, m_reference->errorText());
        return false;
    }
    if (!ReferenceSequence::of(*m_reference)) {
        *error = QStringLiteral("The reference %1 is not a FASTA or 2bit reference sequence").arg(url);
        return false;
    }
    return true;
}

bool AnnotateTranscriptTransform::validateInputs(QString* error) const {
    if (!LeftJoinTransform::validateInputs(error))
        return false;
    TranscriptSource layout;
    if (!layout.setup(right()->schema(), error)) {
        *error = QStringLiteral("The annotation input source is invalid: ") + *error;
        return false;
    }
    return true;
}

bool AnnotateTranscriptTransform::buildFieldGroups(QString* error) {
    if (!m_layout.setup(right()->schema(), error))
        return false;
    m_fields = std::make_shared<AnnotateTranscriptFields>();
    addGroup(m_fields);
    return true;
}

QString AnnotateTranscriptTransform::defaultOutputName() const {
    return QStringLiteral("Annotate Transcript with ") + right()->info().name;
}

FeatureCursorPtr AnnotateTranscriptTransform::createJoinReader(const ReadRequest&, ReadRequest leftRequest,
                                                               QList<int>, QString* error) const {
    FeatureCursorPtr leftCursor = openInput(left(), leftRequest, error);
    if (!leftCursor)
        return nullptr;
    TranscriptCatalog catalog(right(), m_layout, ReferenceSequence::of(*m_reference));
    return std::make_unique<AnnotateTranscriptReader>(std::move(leftCursor), std::move(catalog), m_fields,
                                                      rows());
}
