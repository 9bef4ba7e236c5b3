#pragma once

#include "formats/dsv/DelimitedTextFieldMap.h"
#include "formats/dsv/DelimitedTextGenomic.h"
#include "formats/dsv/DelimitedTextReaderOptions.h"
#include "formats/dsv/DelimitedTextSplitter.h"
#include "formats/dsv/DelimitedTextValues.h"
#include "formats/dsv/TextPattern.h"
#include "source/values/SharedNames.h"
#include "source/model/VkFeature.h"

#include <vector>

namespace DelimitedText {

// The layout of one delimited file and what is known about it so far. Lines are handed to it in
// file order: while probing it finds the header and samples the column types, which it writes
// into its options; afterwards it turns data lines into features. The options are compiled
// once, so reading a line touches no option record and allocates only the values it returns.
class Reader {
public:
    // Takes a private copy of the options (the defaults for a null record).
    explicit Reader(const DelimitedTextReaderOptions& options);

    // The options with everything the probe established.
    const DelimitedTextReaderOptions& options() const { return m_options; }
    const FieldList& fieldList() const { return m_columns; }
    const FieldMap& fieldMap() const { return m_map; }
    // A pattern that does not compile, a failed probe, or a field map that does not fit.
    const QString& errorText() const { return m_error; }
    bool hasError() const { return !m_error.isEmpty(); }

    // Probing. NeedMore until the header is known and the type sample is complete; Failed with
    // errorText() set. HeaderNotFound: the header search gave up; probe again without a header.
    enum class Probe { NeedMore, Complete, HeaderNotFound, Failed };
    Probe probeLine(const char* line, int size, qint64 position);
    // Ends the probe where the lines ran out or the sample was complete: names empty columns,
    // sets the types and genomic columns, and stores the layout in the options. Fails when no
    // data line was seen.
    bool finishProbe();
    // Whether the lines ran out while a header was being searched for and none was found.
    bool headerNotFound() const {
        return m_headerPending && (m_options.headerLine() >= 0 || m_options.headerLinePatternType() != -1);
    }

    // Readies reading with the layout in the options (probed or given), once. False when the
    // layout cannot be used.
    bool prepare();
    // Whether a line holds data: not blank or ignored, and not before the first data line.
    bool isDataLine(const char* line, int size, qint64 position) const;
    // Fills the listed fields of a feature from a data line. False when the line is skipped: its
    // start or stop does not parse, or its column count differs when a match is required.
    bool readFeature(const char* line, int size, const QList<int>& fields, VkFeature* feature);

    bool isMissing(const char* data, int size) const;

private:
    struct ColumnVote {
        ValueKind kind = ValueKind::None;
        bool list = false;
        int listSamples = 0;
    };

    Probe fail(const QString& error);
    bool isSkipped(const char* line, int size) const;
    Probe findHeader(const char* line, int size);
    bool takeHeader(const char* line, int size);
    bool takeGeneratedHeader(const char* line, int size);
    QByteArray generatedName(int column) const;
    void sampleDataLine(const char* line, int size, qint64 position);
    void vote(ColumnVote& column, Span value);
    ValueType votedType(const ColumnVote& column) const;
    bool locate(VkSegment* segment);
    Span cell(int column) const;
    PVariant convert(Span value, ValueType type);

    DelimitedTextReaderOptions m_options;
    Splitter m_lines;
    Splitter m_lists;
    TextPattern m_headerPattern;
    TextPattern m_ignorePattern;
    std::vector<TextPattern> m_missing;
    uint64_t m_missingLengths = 0;   // bit n: an Equals pattern of n bytes
    bool m_missingAnyLength = false; // a pattern of another kind, which may match any length
    GenomicColumns m_genomic;
    int m_headerLine;
    int m_maxHeaderSearch;
    int m_maxTypeSamples;
    int m_maxListSamples;
    bool m_ignoreBlank;
    bool m_headerModify;
    bool m_requireCount;
    bool m_dynamic;
    bool m_trim;
    bool m_oneBased;
    qint64 m_dataStart;

    FieldList m_columns;
    FieldMap m_map;
    std::vector<ColumnVote> m_votes;
    std::vector<Span> m_cells;
    std::vector<Span> m_items;
    SharedNames m_names;
    QString m_error;

    // Probe state: lines seen, lines that could be the header, data lines sampled for types.
    qint64 m_lineNumber = 0;
    int m_keptLines = 0;
    int m_sampled = 0;
    bool m_headerPending = true;
    bool m_headerFromFile = false;
    bool m_dataStartPending = true;
    bool m_prepared = false;
};

} // namespace DelimitedText
