#pragma once

#include "meta/MetaTypeBase.h"

// A boolean option.
class MetaTypeBool : public MetaTypeUnit {
public:
    MetaTypeBool(QByteArray name, QString label, QString description, bool defaultValue);

    bool fromPVariant(const PVariant& value, QVariant& out) const override;
    PVariant toPVariant(const QVariant& value) const override;
    QVariant defaultValue() const override { return m_default; }
    // With byName "true"/"false" in any case; otherwise (or for any other word) 0 or 1.
    bool fromText(const QString& text, QVariant& out, bool byName) const override;
    QString toText(const QVariant& value, bool readable) const override;
    // A bool, or an integer that is 0 or 1.
    bool isValid(const QVariant& value) const override;
    QString invalidMessage() const override;

    // The element rule shared with the bool list kind.
    static bool parse(const QString& text, bool byName, bool& out);

private:
    bool m_default;
};
