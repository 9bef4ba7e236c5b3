#pragma once

#include "formats/track/ByteRange.h"
#include "source/model/VkFeature.h"
#include "source/values/SharedNames.h"

#include <QList>
#include <QString>

#include <vector>

// Turns the lines of one track format into features. A parser fills only the fields it was asked
// for; a stateful format (wig) keeps what its declaration lines said between calls. A parser is
// used by one reader at a time.
class LineParser {
public:
    enum Outcome {
        Record,   // the line is a feature
        Skip,     // a header, comment, blank or declaration line
        Malformed // the line breaks the format; the reason says how
    };

    LineParser(int fieldCount, const QList<int>& fields);
    virtual ~LineParser() = default;

    // Reads one line (without its line end). For a record, sets the feature's segment and the
    // wanted values; the feature comes with one empty value per field.
    virtual Outcome parse(const char* line, int length, VkFeature& feature, QString* reason) = 0;
    // Makes a record again from a line an in-memory index kept, with the segment found when it was
    // first read (a wig data line alone does not say where it lies). By default parses the line.
    virtual bool reparse(const char* line, int length, const VkSegment& segment, VkFeature& feature,
                         QString* reason);

    // Lines of UCSC-style track files that carry no record: blank lines, "#" comments, and the
    // "track" and "browser" lines.
    static bool isHeaderLine(const char* line, int length);
    // Reads a coordinate of at least minimum. False with the reason otherwise, which tells a number
    // past the largest 32-bit position apart from text that is no number.
    static bool readPosition(const ByteRange& text, const char* what, int32_t minimum, int32_t* value,
                             QString* reason);
    // The reason given for a position past the largest 32-bit one.
    static QString beyondLargestPosition(const char* what, const QString& number);

    int fieldCount() const { return m_fieldCount; }
    bool wants(int idx) const { return m_wanted[size_t(idx)]; }
    bool wantsAny() const { return m_wantsAny; }

protected:
    // The shared copy of a name that repeats on many lines (chromosomes, strands, categories).
    const QByteArray& intern(const char* data, int size) { return m_names.intern(data, size); }

private:
    int m_fieldCount;
    std::vector<bool> m_wanted;
    bool m_wantsAny = false;
    SharedNames m_names;
};
