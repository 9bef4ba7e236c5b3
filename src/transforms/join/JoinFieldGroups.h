#pragma once

#include "transforms/join/JoinFieldGroup.h"

#include <QStringList>

// The general-purpose field groups of the joins.
namespace JoinFields {
// The field named by symbol, else by name ("RefAlt" also finds "Ref/Alt"); -1 when there is none.
int find(const VkFieldList& schema, const QString& key);
} // namespace JoinFields

// Copies of some left fields, looked up by symbol or name.
class LeftHandPassThrough : public JoinFieldGroup {
public:
    explicit LeftHandPassThrough(QStringList names) : m_names(std::move(names)) {}
    bool setup(const VkSource& left, const VkSource& right, QString* error) override;
    QList<int> leftFields() const override { return m_indexes; }
    void computeValues(const VkFeature& left, const JoinMatches& matches, int row,
                       PVariantVector& out) const override;

private:
    QStringList m_names;
    QList<int> m_indexes;
};

// The right fields listed (every locus field of the right source when the list is empty), from
// the match each output record stands for: one record per match, told apart by an identifier
// field whose symbol begins "RIGHT_ID_". A right field whose symbol a left field already has is
// prefixed with the right source's name.
class RightHandPassThrough : public JoinFieldGroup {
public:
    RightHandPassThrough(QStringList names, bool withId) : m_names(std::move(names)), m_withId(withId) {}
    bool setup(const VkSource& left, const VkSource& right, QString* error) override;
    bool rowPerMatch() const override { return true; }
    QList<int> rightFields() const override { return m_indexes; }
    void computeValues(const VkFeature& left, const JoinMatches& matches, int row,
                       PVariantVector& out) const override;

protected:
    void appendRow(const JoinMatch* match, PVariantVector& out) const;

private:
    QStringList m_names;
    bool m_withId;
    QList<int> m_indexes;
};

// The same fields from the first match only: one record per left feature.
class RightHandSingleMatchPassThrough : public RightHandPassThrough {
public:
    explicit RightHandSingleMatchPassThrough(QStringList names)
        : RightHandPassThrough(std::move(names), false) {}
    bool rowPerMatch() const override { return false; }
    void computeValues(const VkFeature& left, const JoinMatches& matches, int row,
                       PVariantVector& out) const override;
};

// Per right field, the distinct values over all matches, as a list. Symbols default to the right
// field's followed by "(s)"; booleans become the categories "True" and "False".
class UniqFieldValue : public JoinFieldGroup {
public:
    // names: the right fields; displayNames and symbols, when given, name the output fields.
    UniqFieldValue(QStringList names, QStringList displayNames = {}, QStringList symbols = {})
        : m_names(std::move(names)), m_displayNames(std::move(displayNames)), m_symbols(std::move(symbols)) {}
    bool setup(const VkSource& left, const VkSource& right, QString* error) override;
    QList<int> rightFields() const override { return m_indexes; }
    void computeValues(const VkFeature& left, const JoinMatches& matches, int row,
                       PVariantVector& out) const override;

private:
    QStringList m_names;
    QStringList m_displayNames;
    QStringList m_symbols;
    QList<int> m_indexes;
    QVector<ValueType> m_inputTypes;
};

// "# Matched", the number of matches, or "Matched?", whether there is one.
class RightHandFeatureCounter : public JoinFieldGroup {
public:
    enum Mode { Count, Flag };
    explicit RightHandFeatureCounter(Mode mode, QString name = QString())
        : m_mode(mode), m_name(std::move(name)) {}
    bool setup(const VkSource& left, const VkSource& right, QString* error) override;
    void computeValues(const VkFeature& left, const JoinMatches& matches, int row,
                       PVariantVector& out) const override;

private:
    Mode m_mode;
    QString m_name;
};

// "Region", "Span" and "Similarity Coefficient" (the Jaccard index of the left feature and the
// region, as a percentage) of the match a record stands for, or of the first match.
class RegionPairFieldGroup : public JoinFieldGroup {
public:
    bool setup(const VkSource& left, const VkSource& right, QString* error) override;
    void computeValues(const VkFeature& left, const JoinMatches& matches, int row,
                       PVariantVector& out) const override;
};

// Keeps only the matches whose categorical field holds one of the given categories.
class CategoriesFilter : public JoinFieldGroup {
public:
    CategoriesFilter(QString field, QStringList categories)
        : m_field(std::move(field)), m_categories(std::move(categories)) {}
    bool setup(const VkSource& left, const VkSource& right, QString* error) override;
    bool isFilter() const override { return true; }
    bool filter(const VkFeature& left, const JoinMatches& candidates,
                std::vector<char>& flags) const override;
    QList<int> rightFields() const override { return {m_index}; }
    void computeValues(const VkFeature&, const JoinMatches&, int, PVariantVector&) const override {}

private:
    QString m_field;
    QStringList m_categories;
    int m_index = -1;
    QVector<int32_t> m_codes;
};
