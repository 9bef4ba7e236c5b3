#pragma once

#include "formats/tsf/TsfValueArray.h"
#include "source/model/VkField.h"
#include "source/values/TextCache.h"

#include <QString>

class TypedChunkTableReader;

// Builds the values features carry for one locus field, a batch of records at a time. The chunk
// holding a run of records is looked up once for the run, and values that repeat from record to
// record (alleles, filters, flags, short lists of counts) come out as copies of one value instead
// of being allocated for every record: short texts through a TextCache, short lists through a
// small table of the lists last built, keyed by their stored bytes.
class TsfLocusGather {
public:
    explicit TsfLocusGather(VkField field);

    // Sets *out[j] to the value at rows[j] of a column of the table, for j < count. False with
    // the message when a chunk cannot be read or holds a category code outside the field's.
    bool gather(TypedChunkTableReader& table, int column, const qint64* rows, int count, PVariant* const* out,
                QString* error);

    // A value as stored (category codes for Categorical fields) as features carry it: codes
    // become categories, code and name. A code past the field's categories is damage, not a
    // missing value.
    static bool categoryValue(const VkField& field, const PVariant& stored, PVariant* value, QString* error);

private:
    // A list built lately, found again by the bytes it was stored as.
    struct Recent {
        ValueType type = ValueType::Invalid;
        int count = -1;
        uint64_t key = 0;
        PVariant value;
    };

    bool valueAt(const TsfValueArray& chunk, int position, PVariant* value, QString* error);
    // The stored bytes of a short list packed into a key; false when the list is too long.
    static bool listKey(const TsfValueArray& chunk, int position, uint64_t* key);

    VkField m_field;
    TextCache m_texts;
    Recent m_recent[256];
};
