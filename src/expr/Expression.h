#pragma once

#include "source/model/VkFeature.h"
#include "source/model/VkField.h"

#include <QString>
#include <QVector>

#include <memory>

namespace mup {
class IValue;
}
class SimpleCondition;

// A user's expression over the fields of a feature, parsed once by muparserx and bound to a schema.
//
// Each name resolves once, before evaluation: to the field with that symbol (a field without a
// symbol is named by its name), else "Chr", "Start" and "Stop" (exactly so) to the feature's
// segment. A symbol that names both a locus field and a sample field (INFO DP and FORMAT DP) binds
// to the locus field in a locus expression and to the sample field in a sample expression. In a
// locus expression a sample field is the list of its values over all samples; in a sample
// expression it is the one sample's value.
//
// Evaluating assigns the bound fields' values into the parser's variables in place and runs the
// parsed form: no parsing and, for scalars, no allocation per feature. An Expression is used by one
// thread at a time; each reader compiles its own.
class Expression {
public:
    enum class Scope { Locus, Sample };

    // The indexes the segment names bind to.
    static constexpr int ChrIdx = -1;
    static constexpr int StartIdx = -2;
    static constexpr int StopIdx = -3;

    // Parses and binds the text; null with the reason: the parser's message, or "Unbound variables: "
    // and the names that bind to nothing joined by ", ".
    static std::unique_ptr<Expression> compile(const QString& text, const VkFieldList& schema, Scope scope,
                                               QString* error);
    ~Expression();

    // The index each name bound to, in the order of the names.
    const QVector<int>& bindings() const { return m_bindings; }
    // The schema fields the expression reads (segment names left out).
    QList<int> fieldsRead() const;
    // True when only Chr, Start and Stop are read.
    bool readsOnlySegment() const { return fieldsRead().isEmpty(); }

    // Starts a feature: test and compute then read its segment and locus values (put into the
    // parser's variables once, when first needed) and each sample's values of the sample fields.
    void load(const VkFeature& feature);
    // The expression's truth for one feature and, in a sample expression, one sample: a boolean, or a
    // number other than 0 and missing. An index past the end of a list makes it false (and a computed
    // value missing). False, with the message, when evaluation fails.
    bool test(const VkFeature& feature, int sample, bool* result, QString* error);
    // The expression's value for one feature as a value of type; false with the message when it fails
    // or gives a value that cannot be of that type.
    bool compute(const VkFeature& feature, int sample, ValueType type, PVariant* out, QString* error);
    // Evaluates once on a placeholder value of each field's type, so that an expression whose types do
    // not fit fails before any feature is read. With type Invalid the result must be a truth value.
    bool check(ValueType type, QString* error);

private:
    class Parser;
    Expression();
    // The value for a feature and sample; null when an index ran past the end of a list.
    bool evaluate(const VkFeature& feature, int sample, const mup::IValue** result, QString* error);
    void evaluateParsed(const mup::IValue** result);
    void loadLocus(const VkFeature& feature);

    std::unique_ptr<Parser> m_parser;
    QVector<int> m_bindings;
    // The comparisons-only form of the expression, tested without the parser; null for others.
    std::unique_ptr<SimpleCondition> m_simple;
    // Whether the locus values of the feature last loaded are in the parser's variables.
    bool m_locusLoaded = false;
};
