#pragma once

#include "formats/tsf/TsfCatalog.h"
#include "source/model/VkSourceInfo.h"

// How a source description and its fields map onto `source` and `field` rows, in both
// directions, so that the writer and the readers agree on the JSON columns.
namespace TsfSourceRecords {

// `field.field_meta` as first inserted: the field's map without "idx", "type", "fieldType"
// and "props".
QByteArray fieldMeta(const VkField& field);
// `field.field_meta` when writing ends: the same with the field's properties under "props".
QByteArray fieldMetaWithProps(const VkField& field);
// The field of a row: field_meta with "idx" (the field id) and "type" (parsed from
// field_type); the field type follows from the maps set (locus only: locus attribute, entity
// only: entity attribute, both: matrix). False with the parse message.
bool fieldFromRow(const TsfFieldRow& row, VkField* field, QString* error);

// `source.source_meta`: the properties with the set coordInfo keys ("coordSysId", "coverage",
// "usageSpace", "type", "featureType") and the style under "StyleTx".
QByteArray sourceMeta(const VkSourceInfo& info);
// `source.docs`: the option values of the description record.
QByteArray docs(const SourceMetaOptions& docInfo);
// The curation time text, the current time when none is set.
QString curated(const QDateTime& time);

// Fills name, uuid, counts, curated, docInfo, properties, coordInfo and stylesheet from a
// source row. JSON that does not parse is left out.
void applySourceRow(const TsfSourceRow& row, VkSourceInfo* info);

} // namespace TsfSourceRecords
