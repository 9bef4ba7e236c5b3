#pragma once

#include "formats/tsf/TsfValueArray.h"
#include "source/model/VkField.h"

#include <QHash>
#include <vector>

class TsfMatrixTableWriter;

// Turns the values of one field into its storage column(s) while a source is written: converts
// each value to the field's type, maps Categorical names to the codes of a dictionary built in
// order of first appearance, and keeps the smallest and largest value of numeric fields.
// A locus or entity field fills one column; a matrix field fills one column per entity.
class TsfFieldColumn {
public:
    enum class Status {
        Ok,
        ConversionFailed,  // a locus or entity value that does not convert
        TooManyCategories, // the dictionary is full
        NotAVector,        // a matrix value that is no vector
        WrongElementType,  // a matrix vector of another element type
        WrongEntityCount   // a matrix vector of another length
    };

    // Distinct strings a Categorical or Categorical Array field may hold.
    static constexpr int MaxCategories = 200;

    explicit TsfFieldColumn(const VkField& field);

    const VkField& field() const { return m_field; }
    ValueType storageType() const { return m_field.valueType; }
    // Whether chunks can hold the field's values.
    bool isEncodable() const { return TsfValueArray::isStorable(storageType()); }
    bool isCategorical() const;

    // Categories known before any value, such as names a user listed; they take the first codes.
    void seedCategories(const QVector<QString>& names);
    // The categories the field declares, such as every FILTER and INFO flag of a VCF header, so that
    // those no value uses are kept too; left to the values when they would not all fit.
    void seedDeclaredCategories();
    const QVector<QByteArray>& categories() const { return m_categories; }

    // Appends one value of a locus or entity field.
    Status append(const PVariant& value, TsfValueArray& column);
    // Appends one matrix value (one element per entity) to the table's entity columns
    // [0, entityCount). A missing value or an empty vector appends missing values.
    Status appendMatrix(const PVariant& vector, TsfMatrixTableWriter& table, int entityCount);

    bool hasExtents() const { return m_hasExtents; }
    // Extents in the field's own kind: Int64 for integer fields, Float64 for the others.
    PVariant extentMin() const;
    PVariant extentMax() const;
    // The field with its categories as its enum and its extents as ExtentsMin / ExtentsMax.
    VkField finishedField() const;

private:
    bool appendConverted(const PVariant& value, TsfValueArray& column);
    Status appendCategorical(const PVariant& value, TsfValueArray& column);
    Status appendCategoricalArray(const PVariant& value, TsfValueArray& column);
    // The code of a category name, added when new; -1 when the dictionary is full.
    int32_t categoryCode(const QByteArray& name);
    QByteArray categoryName(const PVariant& value) const;
    bool appendMatrixFast(const PVariant& vector, TsfMatrixTableWriter& table, int entityCount);
    Status appendMatrixElements(const PVariant& vector, TsfMatrixTableWriter& table, int entityCount);
    void noteExtents(const PVariant& value);
    template <class T> void noteExtentsOf(const T* values, int count, T missing);
    void noteExtent(double value);

    VkField m_field;
    bool m_numeric = false;
    bool m_integral = false;
    QVector<QByteArray> m_categories;
    QHash<QByteArray, int32_t> m_codes;
    // Readers hand out shared name bytes, so most lookups end at this pointer comparison.
    QByteArray m_lastName;
    int32_t m_lastCode = -1;
    std::vector<int32_t> m_codeScratch;
    bool m_hasExtents = false;
    double m_min = 0;
    double m_max = 0;
};
