#pragma once

#include "formats/track/IntervalIndex.h"
#include "source/model/VkFeature.h"
#include "source/model/VkField.h"
#include "source/registry/VkResourceData.h"

// A structured JSON track held in memory: its features, the fields they carry and an interval
// index over them. The file is an array of feature objects, or an object whose "features" member
// is one. Each object has a "chromosome" (or "chr", "chrom"), a "start" and a "stop" (or "end"),
// 0-based and half-open; its other members, and the members of a nested "fields" object, are its
// values. A field takes the type its values share: Int widens to Int64 and Float64, Int arrays to
// Float64 arrays, and values of unrelated types make it a String.
class JsonTrack : public VkResourceData {
public:
    // Fails with "'%1' does not exist" for a missing file, or with what is wrong with its text.
    bool load(const QString& path, QString* error);

    const VkFieldList& schema() const { return m_schema; }
    const VkFeatureList& features() const { return m_features; }
    const IntervalIndex& index() const { return m_index; }

private:
    bool readFeature(const PVariantMap& object, int number, VkFeature* feature, QString* error);
    void addFieldTypes(const PVariantMap& object);

    QString m_path;
    VkFieldList m_schema;
    VkFeatureList m_features;
    IntervalIndex m_index;
};
