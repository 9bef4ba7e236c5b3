#pragma once

namespace mup {
class ParserXBase;
}

// The functions, operators and constants that varkit adds to the expression parser.
//
// Functions (in the order they are registered): all, any, contains, icontains, endswith, iendswith,
// equals, iequals, istartswith, join, joindelim, overlaps, sizeofd, round, percentile, stdev, stdevp,
// trim, ltrim, rtrim, unquote, regexplist, regexpmatch, regexpmatchins, regexpsubstr, slice,
// startswith, split, tostr. The string tests take a string or an array of strings (true when any
// element passes). Operators: the prefix "!", "in" and "%".
//
// The comparison operators are replaced so that they read fields the way variant filters do: a
// list compared with a single value is true when any element is (so "AF < 0.05" works for a
// per-allele list), and an ordering comparison ("<", "<=", ">", ">=") with a missing number is
// false. "==" and "!=" compare missing values like any other, so "DP == INT_NA" finds them.
// Arithmetic ("+", "-", "*", "/", "^" and the sign) with a missing number gives a missing number.
namespace ExprVocabulary {

void addTo(mup::ParserXBase& parser);

} // namespace ExprVocabulary
