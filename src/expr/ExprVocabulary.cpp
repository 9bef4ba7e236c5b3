#include "expr/ExprVocabulary.h"

#include "expr/ExprValues.h"

#include <muparserx/mpError.h>
#include <muparserx/mpIOprt.h>
#include <muparserx/mpOprtNonCmplx.h>
#include <muparserx/mpParserBase.h>

#include <QRegularExpression>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

namespace ExprVocabulary {

namespace {

using Args = const mup::ptr_val_type*;

[[noreturn]] void fail(const std::string& message) {
    throw mup::ParserError(message);
}

// A compiled pattern kept between calls: the pattern of a filter is the same for every record.
class RegexCache {
public:
    const QRegularExpression& get(const std::string& pattern, bool anchored, bool caseInsensitive) {
        if (!m_valid || pattern != m_pattern || anchored != m_anchored ||
            caseInsensitive != m_caseInsensitive) {
            const QString text = QString::fromStdString(pattern);
            m_regex.setPattern(anchored ? QRegularExpression::anchoredPattern(text) : text);
            m_regex.setPatternOptions(caseInsensitive ? QRegularExpression::CaseInsensitiveOption
                                                      : QRegularExpression::NoPatternOption);
            if (!m_regex.isValid())
                fail("Invalid regular expression \"" + pattern +
                     "\": " + m_regex.errorString().toStdString());
            m_regex.optimize();
            m_pattern = pattern;
            m_anchored = anchored;
            m_caseInsensitive = caseInsensitive;
            m_valid = true;
        }
        return m_regex;
    }

private:
    QRegularExpression m_regex;
    std::string m_pattern;
    bool m_anchored = false;
    bool m_caseInsensitive = false;
    bool m_valid = false;
};

using Body = void (*)(mup::IValue& ret, Args args, RegexCache& regex);

// A function of the vocabulary: its name, argument count, description and body.
class ExprFunction : public mup::ICallback {
public:
    ExprFunction(const char* name, int argc, const char* description, Body body)
        : mup::ICallback(mup::cmFUNC, name, argc), m_description(description), m_body(body) {}

    void Eval(mup::ptr_val_type& ret, const mup::ptr_val_type* args, int) override {
        m_body(*ret, args, m_regex);
    }
    const mup::char_type* GetDesc() const override { return m_description; }
    mup::IToken* Clone() const override { return new ExprFunction(*this); }

private:
    const char* m_description;
    Body m_body;
    RegexCache m_regex;
};

using OperatorBody = void (*)(mup::IValue& ret, const mup::IValue& left, const mup::IValue& right);

class ExprOperator : public mup::IOprtBin {
public:
    ExprOperator(const char* name, int precedence, const char* description, OperatorBody body)
        : mup::IOprtBin(name, precedence, mup::oaLEFT), m_description(description), m_body(body) {}

    void Eval(mup::ptr_val_type& ret, const mup::ptr_val_type* args, int) override {
        m_body(*ret, *args[0], *args[1]);
    }
    const mup::char_type* GetDesc() const override { return m_description; }
    mup::IToken* Clone() const override { return new ExprOperator(*this); }

private:
    const char* m_description;
    OperatorBody m_body;
};

bool truth(const mup::IValue& value) {
    switch (value.GetType()) {
    case 'b':
        return value.GetBool();
    case 'i':
    case 'f':
        return !ExprValues::isMissingNumber(value) && value.GetFloat() != 0;
    case 's':
        return !value.GetString().empty();
    default:
        fail("A list holds a value that is neither a boolean nor a number");
    }
}

class Not : public mup::IOprtInfix {
public:
    Not() : mup::IOprtInfix("!", mup::prINFIX) {}
    void Eval(mup::ptr_val_type& ret, const mup::ptr_val_type* args, int) override {
        *ret = !truth(*args[0]);
    }
    const mup::char_type* GetDesc() const override {
        return "!( b ) - returns the inverse of the boolean variable b.";
    }
    mup::IToken* Clone() const override { return new Not(*this); }
};

// Calls visit on each element of an array, or on the value itself.
template <class Visit> void forEach(const mup::IValue& value, Visit visit) {
    if (value.GetType() != 'm') {
        visit(value);
        return;
    }
    const mup::matrix_type& array = value.GetArray();
    for (int row = 0; row < array.GetRows(); ++row)
        for (int col = 0; col < array.GetCols(); ++col)
            visit(array.At(row, col));
}

template <class Test> bool anyOf(const mup::IValue& value, Test test) {
    bool found = false;
    forEach(value, [&](const mup::IValue& element) { found = found || test(element); });
    return found;
}

const std::string& text(const mup::IValue& value) {
    return value.GetString();
}

bool sameChar(char a, char b, bool caseInsensitive) {
    return a == b || (caseInsensitive && std::tolower(uchar(a)) == std::tolower(uchar(b)));
}

bool containsText(const std::string& s, const std::string& part, bool caseInsensitive) {
    return std::search(s.begin(), s.end(), part.begin(), part.end(), [caseInsensitive](char a, char b) {
               return sameChar(a, b, caseInsensitive);
           }) != s.end();
}

bool equalText(const std::string& a, const std::string& b, bool caseInsensitive) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [caseInsensitive](char x, char y) { return sameChar(x, y, caseInsensitive); });
}

bool startsWith(const std::string& s, const std::string& prefix, bool caseInsensitive) {
    return s.size() >= prefix.size() && equalText(s.substr(0, prefix.size()), prefix, caseInsensitive);
}

bool endsWith(const std::string& s, const std::string& suffix, bool caseInsensitive) {
    return s.size() >= suffix.size() &&
           equalText(s.substr(s.size() - suffix.size()), suffix, caseInsensitive);
}

// The string tests: true when the string, or any string of an array, passes.
template <bool (*Test)(const std::string&, const std::string&, bool), bool CaseInsensitive>
void stringTest(mup::IValue& ret, Args args, RegexCache&) {
    const std::string& other = text(*args[1]);
    ret = anyOf(*args[0], [&](const mup::IValue& s) { return Test(text(s), other, CaseInsensitive); });
}

void allOf(mup::IValue& ret, Args args, RegexCache&) {
    bool all = true;
    forEach(*args[0], [&](const mup::IValue& element) { all = all && truth(element); });
    ret = all;
}

void anyTrue(mup::IValue& ret, Args args, RegexCache&) {
    ret = anyOf(*args[0], truth);
}

void join(mup::IValue& ret, Args args, RegexCache&) {
    ret = ExprValues::text(*args[0]);
}

void joinDelimited(mup::IValue& ret, Args args, RegexCache&) {
    ret = ExprValues::text(*args[0], text(*args[1]));
}

void overlaps(mup::IValue& ret, Args args, RegexCache&) {
    ret = text(*args[0]) == text(*args[3]) && args[1]->GetFloat() < args[5]->GetFloat() &&
          args[4]->GetFloat() < args[2]->GetFloat();
}

void distinctCount(mup::IValue& ret, Args args, RegexCache&) {
    std::vector<std::string> values;
    forEach(*args[0], [&](const mup::IValue& element) { values.push_back(ExprValues::text(element)); });
    std::sort(values.begin(), values.end());
    ret = mup::int_type(std::unique(values.begin(), values.end()) - values.begin());
}

void roundTo(mup::IValue& ret, Args args, RegexCache&) {
    if (ExprValues::isMissingNumber(*args[0])) {
        ret = ExprValues::kFloatNa;
        return;
    }
    const double scale = std::pow(10.0, double(args[1]->GetInteger()));
    ret = std::round(args[0]->GetFloat() * scale) / scale;
}

// The numbers of a list, missing ones left out.
std::vector<double> numbers(const mup::IValue& list) {
    std::vector<double> values;
    forEach(list, [&](const mup::IValue& element) {
        const char type = element.GetType();
        if ((type == 'i' || type == 'f') && !ExprValues::isMissingNumber(element))
            values.push_back(element.GetFloat());
    });
    return values;
}

// Linear interpolation between the two closest ranks.
void percentile(mup::IValue& ret, Args args, RegexCache&) {
    std::vector<double> values = numbers(*args[0]);
    if (values.empty()) {
        ret = ExprValues::kFloatNa;
        return;
    }
    std::sort(values.begin(), values.end());
    const double rank = std::clamp(args[1]->GetFloat(), 0.0, 100.0) / 100.0 * double(values.size() - 1);
    const size_t below = size_t(std::floor(rank));
    const size_t above = std::min(below + 1, values.size() - 1);
    ret = values[below] + (rank - double(below)) * (values[above] - values[below]);
}

// Standard deviation with the divisor count - lost (1 for the sample, 0 for the population).
void standardDeviation(mup::IValue& ret, const mup::IValue& list, size_t lost) {
    const std::vector<double> values = numbers(list);
    if (values.size() <= lost) {
        ret = ExprValues::kFloatNa;
        return;
    }
    double mean = 0;
    for (double value : values)
        mean += value;
    mean /= double(values.size());
    double squares = 0;
    for (double value : values)
        squares += (value - mean) * (value - mean);
    ret = std::sqrt(squares / double(values.size() - lost));
}

void sampleDeviation(mup::IValue& ret, Args args, RegexCache&) {
    standardDeviation(ret, *args[0], 1);
}

void populationDeviation(mup::IValue& ret, Args args, RegexCache&) {
    standardDeviation(ret, *args[0], 0);
}

constexpr const char* kSpace = " \t\r\n\v\f";

void trim(mup::IValue& ret, Args args, RegexCache&) {
    const std::string& s = text(*args[0]);
    const size_t first = s.find_first_not_of(kSpace);
    ret =
        first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of(kSpace) - first + 1);
}

void leftTrim(mup::IValue& ret, Args args, RegexCache&) {
    const std::string& s = text(*args[0]);
    const size_t first = s.find_first_not_of(kSpace);
    ret = first == std::string::npos ? std::string() : s.substr(first);
}

void rightTrim(mup::IValue& ret, Args args, RegexCache&) {
    const std::string& s = text(*args[0]);
    const size_t last = s.find_last_not_of(kSpace);
    ret = last == std::string::npos ? std::string() : s.substr(0, last + 1);
}

void unquote(mup::IValue& ret, Args args, RegexCache&) {
    const std::string& s = text(*args[0]);
    const size_t first = s.find_first_not_of("\"'");
    ret = first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of("\"'") - first + 1);
}

void regexpList(mup::IValue& ret, Args args, RegexCache& regex) {
    const QString subject = QString::fromStdString(text(*args[0]));
    std::vector<mup::Value> matches;
    QRegularExpressionMatchIterator it = regex.get(text(*args[1]), false, false).globalMatch(subject);
    while (it.hasNext())
        matches.emplace_back(it.next().captured(0).toStdString());
    ret = mup::matrix_type(matches);
}

bool searchRegex(Args args, RegexCache& regex, bool anchored, bool caseInsensitive) {
    return regex.get(text(*args[1]), anchored, caseInsensitive)
        .match(QString::fromStdString(text(*args[0])))
        .hasMatch();
}

void regexpMatch(mup::IValue& ret, Args args, RegexCache& regex) {
    ret = searchRegex(args, regex, true, false);
}

void regexpMatchInsensitive(mup::IValue& ret, Args args, RegexCache& regex) {
    ret = searchRegex(args, regex, false, true);
}

void regexpSubstring(mup::IValue& ret, Args args, RegexCache& regex) {
    ret = searchRegex(args, regex, false, false);
}

// Positions count from the end when negative, as in Python's slices.
void slice(mup::IValue& ret, Args args, RegexCache&) {
    const std::string& s = text(*args[0]);
    const auto position = [&s](mup::int_type at) {
        const mup::int_type size = mup::int_type(s.size());
        return std::clamp(at < 0 ? at + size : at, mup::int_type(0), size);
    };
    const mup::int_type begin = position(args[1]->GetInteger());
    const mup::int_type end = position(args[2]->GetInteger());
    ret = end > begin ? s.substr(size_t(begin), size_t(end - begin)) : std::string();
}

void split(mup::IValue& ret, Args args, RegexCache&) {
    const std::string& s = text(*args[0]);
    const std::string& separator = text(*args[1]);
    std::vector<mup::Value> parts;
    size_t from = 0;
    for (size_t at = separator.empty() ? std::string::npos : s.find(separator); at != std::string::npos;
         at = s.find(separator, from)) {
        parts.emplace_back(s.substr(from, at - from));
        from = at + separator.size();
    }
    parts.emplace_back(s.substr(from));
    ret = mup::matrix_type(parts);
}

void toText(mup::IValue& ret, Args args, RegexCache&) {
    ret = ExprValues::text(*args[0]);
}

bool equalScalars(const mup::IValue& a, const mup::IValue& b);

void isIn(mup::IValue& ret, const mup::IValue& item, const mup::IValue& list) {
    ret = anyOf(list, [&item](const mup::IValue& element) { return equalScalars(element, item); });
}

void modulo(mup::IValue& ret, const mup::IValue& left, const mup::IValue& right) {
    const bool integers = left.GetType() == 'i' && right.GetType() == 'i';
    if (ExprValues::isMissingNumber(left) || ExprValues::isMissingNumber(right)) {
        if (integers)
            ret = ExprValues::kIntNa;
        else
            ret = ExprValues::kFloatNa;
    } else if (integers) {
        if (right.GetInteger() == 0)
            fail("Division by zero in \"%\"");
        // x % -1 is 0; computing it would overflow for the smallest integer.
        ret = right.GetInteger() == -1 ? mup::int_type(0)
                                       : mup::int_type(left.GetInteger() % right.GetInteger());
    } else {
        ret = std::fmod(left.GetFloat(), right.GetFloat());
    }
}

// Comparisons that read lists and missing values the way variant filters do.
enum class Order { Less, LessOrEqual, Greater, GreaterOrEqual };

bool isNumber(const mup::IValue& value) {
    const char type = value.GetType();
    return type == 'i' || type == 'f' || type == 'b';
}

bool equalScalars(const mup::IValue& a, const mup::IValue& b) {
    if (a.GetType() == 's' || b.GetType() == 's')
        return a.GetType() == b.GetType() && a.GetString() == b.GetString();
    return isNumber(a) && isNumber(b) && a.GetFloat() == b.GetFloat();
}

bool equalValues(const mup::IValue& a, const mup::IValue& b) {
    const bool arrayA = a.GetType() == 'm';
    const bool arrayB = b.GetType() == 'm';
    if (arrayA && arrayB) {
        const mup::matrix_type& x = a.GetArray();
        const mup::matrix_type& y = b.GetArray();
        if (x.GetRows() != y.GetRows() || x.GetCols() != y.GetCols())
            return false;
        for (int row = 0; row < x.GetRows(); ++row)
            for (int col = 0; col < x.GetCols(); ++col)
                if (!equalScalars(x.At(row, col), y.At(row, col)))
                    return false;
        return true;
    }
    if (arrayA)
        return anyOf(a, [&b](const mup::IValue& element) { return equalScalars(element, b); });
    if (arrayB)
        return anyOf(b, [&a](const mup::IValue& element) { return equalScalars(a, element); });
    return equalScalars(a, b);
}

bool ordered(const mup::IValue& a, const mup::IValue& b, Order order) {
    if (a.GetType() == 's' && b.GetType() == 's') {
        const int c = a.GetString().compare(b.GetString());
        return order == Order::Less          ? c < 0
               : order == Order::LessOrEqual ? c <= 0
               : order == Order::Greater     ? c > 0
                                             : c >= 0;
    }
    if (!isNumber(a) || !isNumber(b))
        fail("Values of types '" + std::string(1, a.GetType()) + "' and '" + std::string(1, b.GetType()) +
             "' cannot be ordered");
    if (ExprValues::isMissingNumber(a) || ExprValues::isMissingNumber(b))
        return false;
    const double x = a.GetFloat();
    const double y = b.GetFloat();
    return order == Order::Less          ? x < y
           : order == Order::LessOrEqual ? x <= y
           : order == Order::Greater     ? x > y
                                         : x >= y;
}

template <Order O> void compareOrder(mup::IValue& ret, const mup::IValue& left, const mup::IValue& right) {
    if (left.GetType() == 'm' && right.GetType() == 'm')
        fail("Two lists cannot be ordered");
    if (left.GetType() == 'm')
        ret = anyOf(left, [&right](const mup::IValue& element) { return ordered(element, right, O); });
    else if (right.GetType() == 'm')
        ret = anyOf(right, [&left](const mup::IValue& element) { return ordered(left, element, O); });
    else
        ret = ordered(left, right, O);
}

void compareEqual(mup::IValue& ret, const mup::IValue& left, const mup::IValue& right) {
    ret = equalValues(left, right);
}

void compareNotEqual(mup::IValue& ret, const mup::IValue& left, const mup::IValue& right) {
    if (left.GetType() == 'm' && right.GetType() != 'm')
        ret = anyOf(left, [&right](const mup::IValue& element) { return !equalScalars(element, right); });
    else if (right.GetType() == 'm' && left.GetType() != 'm')
        ret = anyOf(right, [&left](const mup::IValue& element) { return !equalScalars(left, element); });
    else
        ret = !equalValues(left, right);
}

// Whether two lists have shapes an operator can combine. The library asserts on some mismatches
// instead of reporting them (a row times a column of another length), which would end the process.
template <class Library> bool shapesFit(const mup::IValue&, const mup::IValue&) {
    return true;
}
template <> bool shapesFit<mup::OprtMul>(const mup::IValue& left, const mup::IValue& right) {
    return left.GetType() != 'm' || right.GetType() != 'm' || left.GetCols() == right.GetRows();
}
bool sameShape(const mup::IValue& left, const mup::IValue& right) {
    return left.GetType() != 'm' || right.GetType() != 'm' ||
           (left.GetRows() == right.GetRows() && left.GetCols() == right.GetCols());
}
template <> bool shapesFit<mup::OprtAdd>(const mup::IValue& left, const mup::IValue& right) {
    return sameShape(left, right);
}
template <> bool shapesFit<mup::OprtSub>(const mup::IValue& left, const mup::IValue& right) {
    return sameShape(left, right);
}

// One of the library's arithmetic operators, giving a missing value when an operand is one: the
// sentinel of a missing number must not take part in a sum as if it were a value.
template <class Library> class MissingPropagating : public Library {
public:
    void Eval(mup::ptr_val_type& ret, const mup::ptr_val_type* args, int argc) override {
        if (argc == 2 && !shapesFit<Library>(*args[0], *args[1]))
            throw mup::ParserError(mup::ErrorContext(mup::ecMATRIX_DIMENSION_MISMATCH, -1, this->GetIdent()));
        // An empty list gives an empty list: the library asserts on some of them (a transposed one).
        for (int i = 0; i < argc; ++i) {
            if (args[i]->GetType() == 'm' && args[i]->GetRows() * args[i]->GetCols() == 0) {
                *ret = mup::Value(0, mup::float_type(0));
                return;
            }
        }
        bool missing = false;
        bool integers = true;
        for (int i = 0; i < argc; ++i) {
            missing = missing || ExprValues::isMissingNumber(*args[i]);
            integers = integers && args[i]->GetType() == 'i';
        }
        if (!missing)
            Library::Eval(ret, args, argc);
        else if (integers)
            *ret = ExprValues::kIntNa;
        else
            *ret = ExprValues::kFloatNa;
    }
    mup::IToken* Clone() const override { return new MissingPropagating(*this); }
};

template <class Library> void replaceArithmetic(mup::ParserXBase& parser) {
    auto* oprt = new MissingPropagating<Library>;
    parser.RemoveOprt(oprt->GetIdent());
    parser.DefineOprt(oprt);
}

struct FunctionEntry {
    const char* name;
    int argc;
    const char* description;
    Body body;
};

const FunctionEntry kFunctions[] = {
    {"all", 1, "all( l ) - returns true if all of the values in list l are true", allOf},
    {"any", 1, "any( l ) - returns true if any of the values in list l are true", anyTrue},
    {"contains", 2, "contains( s , b ) - returns true if the string s contains the substring b.",
     stringTest<containsText, false>},
    {"icontains", 2,
     "contains( s , b ) - returns true if the string s contains the case insensitive substring b.",
     stringTest<containsText, true>},
    {"endswith", 2, "endswith( s , e ) - returns true if string s ends with case sensitive suffix e.",
     stringTest<endsWith, false>},
    {"iendswith", 2, "iendswith( s , e ) - returns true if string s ends with case insensitive suffix e.",
     stringTest<endsWith, true>},
    {"equals", 2,
     "equals( s , b ) - returns true if the string (or array of strings) s equals the string  b.",
     stringTest<equalText, false>},
    {"iequals", 2, "iequals( s1 , s2 ) - returns true if string s1 is equal to case insensitive s2.",
     stringTest<equalText, true>},
    {"istartswith", 2,
     "startswith( s , p ) - returns true if the string s starts with case insensitive prefix p.",
     stringTest<startsWith, true>},
    {"join", 1, "join( l ) - returns the values in list l joined to a string.", join},
    {"joindelim", 2,
     "joindelim( l , d ) - returns the values in list l joined to a string, seperated by delimiter d.",
     joinDelimited},
    {"overlaps", 6,
     "overlaps( chr1 , start1, end1, chr2, start1, start2 ) - returns true if the chromosome chr1 matches "
     "chr2, "
     "and range of start1-end1 and start2-end2 overlap.",
     overlaps},
    {"sizeofd", 1, "sizeofd( l ) - returns the number of distinct elements", distinctCount},
    {"round", 2, "round( v, p ) - rounds the decimal value v with p points of precision", roundTo},
    {"percentile", 2, "percentile( l , n ) - returns the nth percentile value in the list l", percentile},
    {"stdev", 1, "stdev( l ) - returns the sample standard deviation of the values in the list",
     sampleDeviation},
    {"stdevp", 1, "stdevp( l ) - returns the population standard deviation of the values in the list",
     populationDeviation},
    {"trim", 1, "trim( s ) - trims leading and trailing whitespace from the string s", trim},
    {"ltrim", 1, "ltrim( s ) - trims leading whitespace from the string s", leftTrim},
    {"rtrim", 1, "rtrim( s ) - trims trailing whitespace from the string s", rightTrim},
    {"unquote", 1, "unquote( s ) - trims leading and trailing quotes from the string s", unquote},
    {"regexplist", 2,
     "regexplist( s , e ) - list of substrings matching case sensitive regexp e in string s.", regexpList},
    {"regexpmatch", 2,
     "regexpmatch(string, expression) - returns true if regular expression e is an exact match of string s.",
     regexpMatch},
    {"regexpmatchins", 2,
     "regexpmatchins( s, exp ) - returns true if there is a case insensitive match of the regular expression "
     "exp "
     "in string s.",
     regexpMatchInsensitive},
    {"regexpsubstr", 2,
     "regexpsubstr(string, expression) -  returns true if there is a match of the regular expression exp in "
     "string s.",
     regexpSubstring},
    {"slice", 3,
     "slice( s , b, e ) - returns the substring created from string s, beginning at position b, and ending "
     "at "
     "position e. Negative values for e can be used to index backwards from the end of the string s.",
     slice},
    {"startswith", 2, "startswith( s , p ) - returns true if the string s starts with prefix p.",
     stringTest<startsWith, false>},
    {"split", 2,
     "split( s1 , s2 ) -  returns a list created by splitting string s1 at each occurrence of string s2.",
     split},
    {"tostr", 1, "tostr( v ) - return the value v cast to a string.", toText},
};

void replaceOperator(mup::ParserXBase& parser, const char* name, int precedence, const char* description,
                     OperatorBody body) {
    if (parser.IsOprtDefined(name))
        parser.RemoveOprt(name);
    parser.DefineOprt(new ExprOperator(name, precedence, description, body));
}

} // namespace

void addTo(mup::ParserXBase& parser) {
    for (const FunctionEntry& function : kFunctions)
        parser.DefineFun(new ExprFunction(function.name, function.argc, function.description, function.body));
    parser.DefineInfixOprt(new Not);
    parser.DefineOprt(
        new ExprOperator("in", 7, " i in l - returns true if item i was found in list l.", isIn));
    parser.DefineOprt(new ExprOperator("%", 12, "modulo operator", modulo));

    replaceOperator(parser, "==", mup::prRELATIONAL1, "equal; a list equals a value when any element does",
                    compareEqual);
    replaceOperator(parser, "!=", mup::prRELATIONAL1, "not equal; a list when any element differs",
                    compareNotEqual);
    replaceOperator(parser, "<", mup::prRELATIONAL2, "less than; false for a missing number",
                    compareOrder<Order::Less>);
    replaceOperator(parser, "<=", mup::prRELATIONAL2, "less or equal; false for a missing number",
                    compareOrder<Order::LessOrEqual>);
    replaceOperator(parser, ">", mup::prRELATIONAL2, "greater than; false for a missing number",
                    compareOrder<Order::Greater>);
    replaceOperator(parser, ">=", mup::prRELATIONAL2, "greater or equal; false for a missing number",
                    compareOrder<Order::GreaterOrEqual>);

    replaceArithmetic<mup::OprtAdd>(parser);
    replaceArithmetic<mup::OprtSub>(parser);
    replaceArithmetic<mup::OprtMul>(parser);
    replaceArithmetic<mup::OprtDiv>(parser);
    replaceArithmetic<mup::OprtPow>(parser);
    auto* sign = new MissingPropagating<mup::OprtSign>;
    parser.RemoveInfixOprt(sign->GetIdent());
    parser.DefineInfixOprt(sign);

    parser.DefineConst("BOOL_NA", mup::Value(ExprValues::kBoolNa));
    parser.DefineConst("INT_NA", mup::Value(ExprValues::kIntNa));
    parser.DefineConst("FLOAT_NA", mup::Value(ExprValues::kFloatNa));
}

} // namespace ExprVocabulary
