#pragma once

#include "source/VkField.h"

// A rule attached to a field that values of the field must follow.
class FieldConstraint {
public:
    virtual ~FieldConstraint();
    // Records the constraint in the field description.
    virtual void applyTo(VkField& field) const = 0;
    virtual bool accepts(const PVariant& value) const = 0;
};

// Restricts a Categorical field (T = int) or a Categorical Array field (T = QVector<int>) to the
// codes and names of an enum. Missing values are always accepted.
template <class T> class EnumNamesConstraint : public FieldConstraint {
public:
    // Parallel lists; extra codes or names beyond the shorter list are dropped.
    EnumNamesConstraint(QVector<int32_t> codes, QVector<QByteArray> names)
        : m_enum(std::move(codes), std::move(names)) {}

    const CategoricalVector& enumeration() const { return m_enum; }

    void applyTo(VkField& field) const override {
        field.enumValues = m_enum.codes();
        field.enumNames = m_enum.names();
    }

    bool accepts(const PVariant& value) const override;

    // The value of a code, sharing the enum's name; a missing value for an unknown code.
    PVariant valueOf(int32_t code) const {
        const int index = m_enum.codes().indexOf(code);
        return index >= 0 ? PVariant::categorical(code, m_enum.name(index))
                          : PVariant::missing(ValueType::Categorical);
    }

private:
    bool holds(int32_t code, const QByteArray& name) const {
        if (code == PVariant::MissingCategorical)
            return true;
        const int index = m_enum.codes().indexOf(code);
        return index >= 0 && m_enum.name(index) == name;
    }

    CategoricalVector m_enum;
};

template <> inline bool EnumNamesConstraint<int>::accepts(const PVariant& value) const {
    return value.type() == ValueType::Categorical && holds(value.categoricalCode(), value.categoricalName());
}

template <> inline bool EnumNamesConstraint<QVector<int>>::accepts(const PVariant& value) const {
    if (value.type() != ValueType::CategoricalArray)
        return false;
    const CategoricalVector& values = value.categoricalVector();
    for (int i = 0; i < values.size(); ++i) {
        if (!holds(values.code(i), values.name(i)))
            return false;
    }
    return true;
}
