#pragma once

#include "meta/MetaTypeBase.h"

#include <QRegExp>

// A text option, optionally constrained by a pattern (whole-text match) and a not-empty flag.
class MetaTypeString : public MetaTypeUnit {
public:
    MetaTypeString(QByteArray name, QString label, QString description, QString defaultValue);

    bool fromPVariant(const PVariant& value, QVariant& out) const override;
    PVariant toPVariant(const QVariant& value) const override;
    QVariant defaultValue() const override { return m_default; }
    bool fromText(const QString& text, QVariant& out, bool byName) const override;
    QString toText(const QVariant& value, bool readable) const override;
    bool isValid(const QVariant& value) const override;
    QString invalidMessage() const override;

    // An empty pattern checks nothing.
    void setPattern(const QRegExp& pattern) { m_pattern = pattern; }
    const QRegExp& pattern() const { return m_pattern; }
    void setNotEmpty(bool notEmpty) { m_notEmpty = notEmpty; }
    bool notEmpty() const { return m_notEmpty; }

private:
    QString m_default;
    QRegExp m_pattern;
    bool m_notEmpty = false;
};
