#include "transforms/PrefixSearchTransform.h"

#include "formats/tsf/TsfFieldReader.h"
#include "formats/tsf/TsfIndexReader.h"
#include "formats/tsf/TsfSourceResource.h"
#include "transforms/framework/TransformRegistry.h"

namespace {
[[maybe_unused]] const TransformRegistration<PrefixSearchTransform> kRegistration;
} // namespace

bool PrefixSearchTransform::open(QString* error) {
    const VkSourcePtr& input = inputs().first();
    const auto* resource = input->resource<TsfSourceResource>();
    if (!resource || resource->fieldIndexes.isEmpty()) {
        *error = QStringLiteral("No fields are indexed in this TSF file: %1").arg(input->path());
        return false;
    }
    const QByteArray symbol = typedOptions().fieldSymbol().toUtf8();
    m_fields.clear();
    for (const VkField& field : input->schema())
        if (resource->fieldIndexes.contains(field.idx) && (symbol.isEmpty() || field.symbol == symbol))
            m_fields.append(field.idx);
    if (m_fields.isEmpty()) {
        *error = QStringLiteral("No fields in source are searchable or match provided fieldList: %1")
                     .arg(QString::fromUtf8(symbol));
        return false;
    }
    return true;
}

// The search runs once per read; the records found are then read by id, in the source's order.
FeatureCursorPtr PrefixSearchTransform::createFeatureReader(const ReadRequest& request,
                                                            QString* error) const {
    const VkSourcePtr& input = inputs().first();
    TsfFieldReader reader(input);
    if (!reader.isOpen()) {
        *error = reader.errorText();
        return nullptr;
    }
    const QList<VkSegment> regions =
        request.kind == ReadRequest::Region ? request.regions : QList<VkSegment>();
    std::vector<qint64> records;
    QString reason;
    if (!TsfIndexReader(reader).search(typedOptions().prefix(), regions, m_fields, &records, &reason)) {
        *error = QStringLiteral("Unable setup up a prefix search transform: ") + reason;
        return nullptr;
    }
    ReadRequest byId;
    byId.kind = ReadRequest::Ids;
    byId.ids = QList<qint64>(records.begin(), records.end());
    byId.fieldList = request.fieldList;
    byId.computeProgress = request.computeProgress;
    return openInput(input, byId, error);
}
