#pragma once

#include "source/model/VkFeature.h"
#include "source/model/VkField.h"

#include <QHash>

#include <memory>
#include <vector>

// The common filter shape, comparisons of numeric fields with numbers joined by "&&" and "||"
// ("QUAL > 30 && AF < 0.05", "GQ >= 20 || GQ == INT_NA"), evaluated without the parser. A filter
// over a hundred samples evaluates its sample expression millions of times; this form costs a few
// comparisons each. The results are those of the parser with varkit's operators: a list holds when
// any element does, an ordering with a missing number is false, "==" and "!=" compare missing values
// as the NA constants. Anything else (arithmetic, functions, strings) is left to the parser.
class SimpleCondition {
public:
    // The condition, or null when the text is not of this form. bound maps each name of the text to
    // its field index (or Start and Stop to their reserved indexes); sampleScope reads matrix fields
    // per sample.
    static std::unique_ptr<SimpleCondition> compile(const QString& text, const QHash<QByteArray, int>& bound,
                                                    const VkFieldList& schema, bool sampleScope);
    ~SimpleCondition();

    // The condition's truth for a feature (and a sample); false when a value is of a kind this form
    // does not read, and the parser must decide.
    bool test(const VkFeature& feature, int sample, bool* result) const;

private:
    struct Node;
    class Reader;
    // A comparison's operand: a single number, or a list of them.
    struct Operand;
    SimpleCondition();
    bool holds(const Node& node, const VkFeature& feature, int sample) const;
    Operand operand(const Node& node, int side, const VkFeature& feature, int sample) const;

    std::vector<Node> m_nodes;
    int m_root = -1;
    mutable bool m_undecided = false;
};
