#include "formats/dsv/DelimitedTextGenomic.h"

#include "formats/dsv/DelimitedTextValues.h"
#include "formats/dsv/TextPattern.h"
#include "source/values/ValueType.h"

#include <cstring>
#include <strings.h>

namespace DelimitedText {

namespace {
// Tried in order; the more specific names of each role come first.
const char* const kStartPatterns[] = {R"(^(chr\w*\W*)?(start|beg(in)?)$)",
                                      R"(^(chr\w*\W*)?(start|beg(in)?)?(\W*)pos(ition)$)",
                                      R"((start|pos(ition)?|beg(in)?))"};
const char* const kStopPatterns[] = {R"(^(chr\w*\W*)?(stop|end)$)",
                                     R"(^(chr\w*\W*)?(stop|end)(\W*)pos(ition)$)", R"((stop|end))"};
const char* const kSegmentPatterns[] = {R"(^chr(om(osome)?)?$)", R"(^(seg(ment)?|contig|seq(uence)?)$)",
                                        R"(chr(om(osome)?)?)", R"((seg(ment)?|contig|interval|seq(uence)?))"};

template <size_t N>
int findColumn(const char* const (&patterns)[N], const QVector<QByteArray>& names, const QVector<int>& types,
               ValueType type, const GenomicColumns& taken) {
    for (const char* pattern : patterns) {
        const TextPattern matcher(TextPattern::RegExp, pattern, false);
        for (int i = 0; i < names.size(); ++i) {
            if (types.value(i) != int(type) || i == taken.segment || i == taken.start || i == taken.stop)
                continue;
            if (matcher.matches(names[i]))
                return i;
        }
    }
    return -1;
}
} // namespace

GenomicColumns detectGenomicColumns(const QVector<QByteArray>& names, const QVector<int>& types,
                                    GenomicColumns found) {
    if (found.start < 0)
        found.start = findColumn(kStartPatterns, names, types, ValueType::Int, found);
    if (found.stop < 0)
        found.stop = findColumn(kStopPatterns, names, types, ValueType::Int, found);
    if (found.segment < 0)
        found.segment = findColumn(kSegmentPatterns, names, types, ValueType::String, found);
    if (found.segment < 0)
        found.segment = findColumn(kSegmentPatterns, names, types, ValueType::Int, found);
    return found;
}

Span normalizeChromosome(Span name, bool trim) {
    if (trim && name.size > 3 && strncasecmp(name.data, "chr", 3) == 0)
        name = Span{name.data + 3, name.size - 3};
    if (name.size == 1) {
        switch (name.data[0]) {
        case 'x':
            return Span{"X", 1};
        case 'y':
            return Span{"Y", 1};
        case 'm':
            return Span{"M", 1};
        default:
            break;
        }
    } else if (name.size == 2 && name.data[0] == 'm' && name.data[1] == 't') {
        return Span{"MT", 2};
    }
    return name;
}

bool parseLocus(Span text, Span* chromosome, int32_t* start, int32_t* stop, bool* hasStop) {
    // The last colon: contig names such as HLA alleles hold colons of their own.
    const char* colon = static_cast<const char*>(memrchr(text.data, ':', size_t(text.size)));
    if (!colon)
        return false;
    *chromosome = Span{text.data, int(colon - text.data)};
    const char* range = colon + 1;
    const int rangeSize = int(text.data + text.size - range);
    const char* dash = static_cast<const char*>(std::memchr(range, '-', size_t(rangeSize)));
    *hasStop = dash != nullptr;
    if (!dash)
        return parseInt(range, rangeSize, start);
    return parseInt(range, int(dash - range), start) &&
           parseInt(dash + 1, int(range + rangeSize - dash - 1), stop);
}

} // namespace DelimitedText
