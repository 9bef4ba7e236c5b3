#include "expr/Expression.h"

#include "expr/ExprValues.h"
#include "expr/ExprVocabulary.h"
#include "expr/ShortCutCheck.h"
#include "expr/SimpleCondition.h"

#include <muparserx/mpParser.h>

#include <QStringList>

#include <exception>

namespace {

// Runs work, turning whatever the library throws into a message: its own, or "Unknown exception".
template <class Work> bool guarded(Work work, QString* error) {
    std::string message;
    try {
        work();
        return true;
    } catch (const mup::ParserError& e) {
        message = e.GetMsg();
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
    }
    *error = message.empty() ? QStringLiteral("Unknown exception") : QString::fromStdString(message);
    return false;
}

// The field a name binds to in a scope, or -1.
int fieldFor(const QByteArray& name, const VkFieldList& schema, Expression::Scope scope) {
    int other = -1;
    for (const VkField& field : schema) {
        const QByteArray& fieldName = field.symbol.isEmpty() ? field.name : field.symbol;
        if (fieldName != name)
            continue;
        if (field.isMatrix() == (scope == Expression::Scope::Sample))
            return field.idx;
        if (other < 0)
            other = field.idx;
    }
    return other;
}

int segmentIndexFor(const QByteArray& name) {
    if (name == "Chr")
        return Expression::ChrIdx;
    if (name == "Start")
        return Expression::StartIdx;
    if (name == "Stop")
        return Expression::StopIdx;
    return 0;
}

} // namespace

// The parser with one value object per bound name; the parser's variables point at them.
class Expression::Parser {
public:
    Parser() : parser(mup::pckALL_NON_COMPLEX) { ExprVocabulary::addTo(parser); }

    mup::ParserX parser;
    std::vector<std::unique_ptr<mup::Value>> values;
    // Per bound name: whether its value changes per sample, and its type (for placeholders).
    std::vector<bool> perSample;
    std::vector<ValueType> types;
};

Expression::Expression() : m_parser(std::make_unique<Parser>()) {}

Expression::~Expression() = default;

std::unique_ptr<Expression> Expression::compile(const QString& text, const VkFieldList& schema, Scope scope,
                                                QString* error) {
    if (!ShortCutCheck::check(text, error))
        return nullptr;
    std::unique_ptr<Expression> expression(new Expression);
    Parser& p = *expression->m_parser;
    QStringList unbound;
    QHash<QByteArray, int> bound;
    const bool parsed = guarded(
        [&] {
            p.parser.SetExpr(text.toStdString());
            for (const auto& entry : p.parser.GetExprVar()) {
                const QByteArray name = QByteArray::fromStdString(entry.first);
                const int field = fieldFor(name, schema, scope);
                const int idx = field >= 0 ? field : segmentIndexFor(name);
                if (field < 0 && idx == 0) {
                    unbound << QString::fromUtf8(name);
                    continue;
                }
                const bool sampleField = idx >= 0 && schema.at(idx).isMatrix();
                ValueType type = idx >= 0 ? schema.at(idx).valueType
                                          : (idx == ChrIdx ? ValueType::String : ValueType::Int);
                if (sampleField && scope == Scope::Locus && ValueTypes::arrayOf(type) != ValueType::Invalid)
                    type = ValueTypes::arrayOf(type);
                p.values.push_back(std::make_unique<mup::Value>());
                p.perSample.push_back(sampleField && scope == Scope::Sample);
                p.types.push_back(type);
                expression->m_bindings << idx;
                bound.insert(name, idx);
                p.parser.DefineVar(entry.first, mup::Variable(p.values.back().get()));
            }
        },
        error);
    if (!parsed)
        return nullptr;
    if (!unbound.isEmpty()) {
        *error = QStringLiteral("Unbound variables: ") + unbound.join(QStringLiteral(", "));
        return nullptr;
    }
    expression->m_simple = SimpleCondition::compile(text, bound, schema, scope == Scope::Sample);
    return expression;
}

QList<int> Expression::fieldsRead() const {
    QList<int> fields;
    for (int idx : m_bindings)
        if (idx >= 0 && !fields.contains(idx))
            fields << idx;
    return fields;
}

void Expression::load(const VkFeature&) {
    m_locusLoaded = false;
}

void Expression::loadLocus(const VkFeature& feature) {
    Parser& p = *m_parser;
    m_locusLoaded = true;
    for (int i = 0; i < m_bindings.size(); ++i) {
        mup::Value& value = *p.values[size_t(i)];
        switch (m_bindings[i]) {
        case ChrIdx:
            ExprValues::assign(value, PVariant(feature.segment().chromosome()), ValueType::String);
            break;
        case StartIdx:
            value = mup::int_type(feature.segment().start());
            break;
        case StopIdx:
            value = mup::int_type(feature.segment().stop());
            break;
        default:
            if (!p.perSample[size_t(i)])
                ExprValues::assign(value, feature.value(m_bindings[i]), p.types[size_t(i)]);
        }
    }
}

bool Expression::evaluate(const VkFeature& feature, int sample, const mup::IValue** result, QString* error) {
    Parser& p = *m_parser;
    *result = nullptr;
    return guarded(
        [&] {
            if (!m_locusLoaded)
                loadLocus(feature);
            for (int i = 0; i < m_bindings.size(); ++i)
                if (p.perSample[size_t(i)])
                    ExprValues::assignSample(*p.values[size_t(i)], feature.value(m_bindings[i]), sample,
                                             p.types[size_t(i)]);
            evaluateParsed(result);
        },
        error);
}

void Expression::evaluateParsed(const mup::IValue** result) {
    try {
        *result = &m_parser->parser.Eval();
    } catch (const mup::ParserError& e) {
        // An index past the end of a list reads a value the record does not have.
        if (e.GetCode() != mup::ecINDEX_OUT_OF_BOUNDS && e.GetCode() != mup::ecINDEX_DIMENSION)
            throw;
    }
}

namespace {

bool truthOf(const mup::IValue& value, bool* result, QString* error) {
    const char type = value.GetType();
    if (type == 'b')
        *result = value.GetBool();
    else if (type == 'i' || type == 'f')
        *result = !ExprValues::isMissingNumber(value) && value.GetFloat() != 0;
    else {
        *error = QStringLiteral("The expression gives %1 where a true or false value is needed")
                     .arg(type == 's' ? QStringLiteral("a string") : QStringLiteral("a list"));
        return false;
    }
    return true;
}

bool fieldValueOf(const mup::IValue& value, ValueType type, PVariant* out, QString* error) {
    if (ExprValues::toField(value, type, out))
        return true;
    *error = QStringLiteral("The expression's value %1 cannot be a value of type %2")
                 .arg(QString::fromStdString(ExprValues::text(value)), ValueTypes::name(type));
    return false;
}

} // namespace

bool Expression::test(const VkFeature& feature, int sample, bool* result, QString* error) {
    if (m_simple && m_simple->test(feature, sample, result))
        return true;
    const mup::IValue* value = nullptr;
    if (!evaluate(feature, sample, &value, error))
        return false;
    *result = false;
    return !value || truthOf(*value, result, error);
}

bool Expression::compute(const VkFeature& feature, int sample, ValueType type, PVariant* out,
                         QString* error) {
    const mup::IValue* value = nullptr;
    if (!evaluate(feature, sample, &value, error))
        return false;
    if (!value) {
        *out = PVariant::missing(type);
        return true;
    }
    return fieldValueOf(*value, type, out, error);
}

bool Expression::check(ValueType type, QString* error) {
    Parser& p = *m_parser;
    const mup::IValue* value = nullptr;
    const bool evaluated = guarded(
        [&] {
            for (size_t i = 0; i < p.values.size(); ++i)
                ExprValues::assignPlaceholder(*p.values[i], p.types[i]);
            evaluateParsed(&value);
        },
        error);
    if (!evaluated)
        return false;
    // A placeholder list has one element: an index past it says nothing about the types.
    if (!value)
        return true;
    if (type == ValueType::Invalid) {
        bool truth = false;
        return truthOf(*value, &truth, error);
    }
    PVariant out;
    return fieldValueOf(*value, type, &out, error);
}
