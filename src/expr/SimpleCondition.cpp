#include "expr/SimpleCondition.h"

#include "expr/ExprValues.h"
#include "expr/Expression.h"

#include <cctype>
#include <cstdlib>

namespace {

enum class Op { Less, LessOrEqual, Greater, GreaterOrEqual, Equal, NotEqual };

// One number as the parser sees it: its value and whether it is a missing value's sentinel.
struct Number {
    double value = 0;
    bool missing = false;
};

bool compare(Number a, Number b, Op op) {
    switch (op) {
    case Op::Equal:
        return a.value == b.value;
    case Op::NotEqual:
        return a.value != b.value;
    default:
        break;
    }
    if (a.missing || b.missing)
        return false;
    switch (op) {
    case Op::Less:
        return a.value < b.value;
    case Op::LessOrEqual:
        return a.value <= b.value;
    case Op::Greater:
        return a.value > b.value;
    default:
        return a.value >= b.value;
    }
}

Number intNumber(int64_t value, bool missing) {
    return missing ? Number{double(ExprValues::kIntNa), true} : Number{double(value), false};
}

Number floatNumber(float value) {
    return value == PVariant::MissingFloat ? Number{ExprValues::kFloatNa, true}
                                           : Number{ExprValues::widen(value), false};
}

Number float64Number(double value) {
    return value == PVariant::MissingFloat64 ? Number{ExprValues::kFloatNa, true} : Number{value, false};
}

// The numbers of a value: one for a scalar, each element of a list. False for a value of another kind.
template <class Visit> bool forEachNumber(const PVariant& value, Visit visit) {
    switch (value.type()) {
    case ValueType::Int:
        visit(intNumber(value.intValue(), value.intValue() == PVariant::MissingInt));
        return true;
    case ValueType::Int64:
        visit(intNumber(value.int64Value(), value.int64Value() == PVariant::MissingInt64));
        return true;
    case ValueType::Float:
        visit(floatNumber(value.floatValue()));
        return true;
    case ValueType::Float64:
        visit(float64Number(value.float64Value()));
        return true;
    case ValueType::IntArray:
        for (int32_t v : value.intVector())
            visit(intNumber(v, v == PVariant::MissingInt));
        return true;
    case ValueType::FloatArray:
        for (float v : value.floatVector())
            visit(floatNumber(v));
        return true;
    case ValueType::Float64Array:
        for (double v : value.float64Vector())
            visit(float64Number(v));
        return true;
    default:
        return false;
    }
}

bool isNumberType(ValueType type) {
    return type == ValueType::Int || type == ValueType::Int64 || type == ValueType::Float ||
           type == ValueType::Float64;
}

} // namespace

struct SimpleCondition::Node {
    enum Kind { Or, And, Not, Compare };
    Kind kind = Compare;
    int left = -1;
    int right = -1;
    Op op = Op::Equal;
    // A comparison's operands: a field, Start or Stop (by index), or a constant (field -4).
    int fields[2] = {kConstant, kConstant};
    bool perSample[2] = {false, false};
    Number constants[2];
    ValueType types[2] = {ValueType::Invalid, ValueType::Invalid};

    static constexpr int kConstant = -4;
};

struct SimpleCondition::Operand {
    Number number;
    const PVariant* list = nullptr;
};

// A recursive descent over the text; any token outside the form makes the whole text not simple.
class SimpleCondition::Reader {
public:
    Reader(const QByteArray& text, const QHash<QByteArray, int>& bound, const VkFieldList& schema,
           bool sampleScope, std::vector<Node>* nodes)
        : m_text(text), m_bound(bound), m_schema(schema), m_sampleScope(sampleScope), m_nodes(nodes) {}

    bool read(int* root) { return readOr(root) && (skipSpace(), m_at == m_text.size()); }

private:
    bool readOr(int* node) { return readJoined(node, "||", Node::Or, &Reader::readAnd); }
    bool readAnd(int* node) { return readJoined(node, "&&", Node::And, &Reader::readUnary); }

    bool readJoined(int* node, const char* joiner, Node::Kind kind, bool (Reader::*readPart)(int*)) {
        if (!(this->*readPart)(node))
            return false;
        while (take(joiner)) {
            Node joined;
            joined.kind = kind;
            joined.left = *node;
            if (!(this->*readPart)(&joined.right))
                return false;
            *node = add(joined);
        }
        return true;
    }

    // "!" binds tighter than a comparison in the parser, so only "!( ... )" is taken here.
    bool readUnary(int* node) {
        if (take("!")) {
            Node negated;
            negated.kind = Node::Not;
            if (!take("(") || !readOr(&negated.left) || !take(")"))
                return false;
            *node = add(negated);
            return true;
        }
        if (take("("))
            return readOr(node) && take(")");
        return readComparison(node);
    }

    bool readComparison(int* node) {
        Node comparison;
        if (!readOperand(&comparison, 0) || !readOp(&comparison.op) || !readOperand(&comparison, 1))
            return false;
        // Two lists compare element by element in the parser; that is not this form.
        if (isList(comparison.types[0]) && isList(comparison.types[1]))
            return false;
        *node = add(comparison);
        return true;
    }

    bool readOp(Op* op) {
        const std::pair<const char*, Op> ops[] = {{"<=", Op::LessOrEqual}, {">=", Op::GreaterOrEqual},
                                                  {"==", Op::Equal},       {"!=", Op::NotEqual},
                                                  {"<", Op::Less},         {">", Op::Greater}};
        for (const auto& [text, value] : ops)
            if (take(text)) {
                *op = value;
                return true;
            }
        return false;
    }

    bool readOperand(Node* node, int side) {
        skipSpace();
        const int start = m_at;
        if (m_at < m_text.size() && (std::isalpha(uchar(m_text[m_at])) || m_text[m_at] == '_')) {
            while (m_at < m_text.size() && (std::isalnum(uchar(m_text[m_at])) || m_text[m_at] == '_'))
                ++m_at;
            return readName(m_text.mid(start, m_at - start), node, side);
        }
        return readNumber(node, side);
    }

    bool readName(const QByteArray& name, Node* node, int side) {
        if (name == "INT_NA" || name == "FLOAT_NA" || name == "BOOL_NA") {
            node->constants[side] = name == "INT_NA"     ? Number{double(ExprValues::kIntNa), true}
                                    : name == "FLOAT_NA" ? Number{ExprValues::kFloatNa, true}
                                                         : Number{double(ExprValues::kBoolNa), false};
            return true;
        }
        const auto found = m_bound.constFind(name);
        if (found == m_bound.constEnd())
            return false;
        const int idx = found.value();
        node->fields[side] = idx;
        if (idx == Expression::StartIdx || idx == Expression::StopIdx) {
            node->types[side] = ValueType::Int;
            return true;
        }
        if (idx < 0)
            return false;
        const VkField& field = m_schema.at(idx);
        node->types[side] = field.valueType;
        node->perSample[side] = field.isMatrix();
        if (field.isMatrix())
            return m_sampleScope && isNumberType(field.valueType);
        return isNumberType(field.valueType) || isNumberType(ValueTypes::elementOf(field.valueType));
    }

    // A numeric literal, with an optional sign; an integer keeps the parser's missing-Int reading.
    bool readNumber(Node* node, int side) {
        const char* begin = m_text.constData() + m_at;
        char* end = nullptr;
        const double value = std::strtod(begin, &end);
        if (end == begin || std::isalpha(uchar(*end)) || *end == '_')
            return false;
        const QByteArray literal(begin, int(end - begin));
        if (literal.contains("0x") || literal.contains("0X") || literal.contains("inf") ||
            literal.contains("nan"))
            return false;
        const bool integer = !literal.contains('.') && !literal.contains('e') && !literal.contains('E');
        m_at += int(end - begin);
        node->constants[side] = {value, integer ? value == double(ExprValues::kIntNa)
                                                : value == ExprValues::kFloatNa};
        return true;
    }

    static bool isList(ValueType type) { return ValueTypes::elementOf(type) != ValueType::Invalid; }

    void skipSpace() {
        while (m_at < m_text.size() && std::isspace(uchar(m_text[m_at])))
            ++m_at;
    }
    bool take(const char* token) {
        skipSpace();
        const int length = int(qstrlen(token));
        if (m_text.mid(m_at, length) != token)
            return false;
        // "<" is not the start of "<=", nor "!" of "!=", "&&" of "&&&".
        const QByteArray next = m_text.mid(m_at + length, 1);
        if (length == 1 && next == "=" && QByteArray("<>!=").contains(token[0]))
            return false;
        m_at += length;
        return true;
    }
    int add(const Node& node) {
        m_nodes->push_back(node);
        return int(m_nodes->size() - 1);
    }

    const QByteArray m_text;
    const QHash<QByteArray, int>& m_bound;
    const VkFieldList& m_schema;
    const bool m_sampleScope;
    std::vector<Node>* m_nodes;
    int m_at = 0;
};

SimpleCondition::SimpleCondition() = default;

SimpleCondition::~SimpleCondition() = default;

std::unique_ptr<SimpleCondition> SimpleCondition::compile(const QString& text,
                                                          const QHash<QByteArray, int>& bound,
                                                          const VkFieldList& schema, bool sampleScope) {
    std::unique_ptr<SimpleCondition> condition(new SimpleCondition);
    Reader reader(text.toUtf8(), bound, schema, sampleScope, &condition->m_nodes);
    if (!reader.read(&condition->m_root))
        return nullptr;
    return condition;
}

bool SimpleCondition::test(const VkFeature& feature, int sample, bool* result) const {
    m_undecided = false;
    *result = holds(m_nodes[size_t(m_root)], feature, sample);
    return !m_undecided;
}

bool SimpleCondition::holds(const Node& node, const VkFeature& feature, int sample) const {
    switch (node.kind) {
    case Node::Or:
        return holds(m_nodes[size_t(node.left)], feature, sample) ||
               holds(m_nodes[size_t(node.right)], feature, sample);
    case Node::And:
        return holds(m_nodes[size_t(node.left)], feature, sample) &&
               holds(m_nodes[size_t(node.right)], feature, sample);
    case Node::Not:
        return !holds(m_nodes[size_t(node.left)], feature, sample);
    default:
        break;
    }
    const Operand a = operand(node, 0, feature, sample);
    const Operand b = operand(node, 1, feature, sample);
    if (!a.list && !b.list)
        return compare(a.number, b.number, node.op);
    // A list holds when any element does; the other operand is a single number.
    bool any = false;
    const bool read = forEachNumber(a.list ? *a.list : *b.list, [&](Number element) {
        any = any || (a.list ? compare(element, b.number, node.op) : compare(a.number, element, node.op));
    });
    m_undecided = m_undecided || !read;
    return any;
}

SimpleCondition::Operand SimpleCondition::operand(const Node& node, int side, const VkFeature& feature,
                                                  int sample) const {
    const int idx = node.fields[side];
    if (idx == Node::kConstant)
        return {node.constants[side], nullptr};
    if (idx == Expression::StartIdx || idx == Expression::StopIdx) {
        const VkSegment& segment = feature.segment();
        return {{double(idx == Expression::StartIdx ? segment.start() : segment.stop()), false}, nullptr};
    }
    const PVariant& value = feature.value(idx);
    const ValueType type = node.types[side];
    const bool intType = type == ValueType::Int || type == ValueType::Int64;
    const Number missing = intType ? intNumber(0, true) : Number{ExprValues::kFloatNa, true};
    if (node.perSample[side]) {
        if (!value.isVector() || sample >= value.size())
            return {missing, nullptr};
        if (value.type() == ValueType::IntArray)
            return {
                intNumber(value.intVector().at(sample), value.intVector().at(sample) == PVariant::MissingInt),
                nullptr};
        if (value.type() == ValueType::FloatArray)
            return {floatNumber(value.floatVector().at(sample)), nullptr};
        m_undecided = true;
        return {missing, nullptr};
    }
    if (!value.isValid()) {
        static const PVariant kEmpty{QVector<float>()};
        return {missing, ValueTypes::elementOf(type) != ValueType::Invalid ? &kEmpty : nullptr};
    }
    if (value.isVector())
        return {missing, &value};
    Number number = missing;
    m_undecided = m_undecided || !forEachNumber(value, [&number](Number n) { number = n; });
    return {number, nullptr};
}
