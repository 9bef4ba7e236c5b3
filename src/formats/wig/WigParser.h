#pragma once

#include "formats/track/LineParser.h"
#include "source/model/VkField.h"

// Lines of a wig file: "variableStep chrom=... [span=...]" followed by "position value" lines,
// "fixedStep chrom=... start=... [step=...] [span=...]" followed by one value per line, and
// bedGraph lines ("chromosome start end value", 0-based) as some wig files hold. Each data line
// is one feature with a Float "Value"; wig positions are 1-based.
class WigParser : public LineParser {
public:
    explicit WigParser(const QList<int>& fields);

    static VkFieldList schema();

    Outcome parse(const char* line, int length, VkFeature& feature, QString* reason) override;
    // A data line alone does not say where it lies: the value is its last word.
    bool reparse(const char* line, int length, const VkSegment& segment, VkFeature& feature,
                 QString* reason) override;

private:
    enum class Step { None, Variable, Fixed };

    bool declare(Step step, const ByteRange* words, int count, QString* reason);
    Outcome readData(const ByteRange* words, int count, VkFeature& feature, QString* reason);
    bool setSpan(int64_t position, VkFeature& feature, QString* reason);
    bool readValue(const ByteRange& text, VkFeature& feature, QString* reason);

    Step m_step = Step::None;
    QByteArray m_chromosome;
    int64_t m_next = 0; // 1-based position of the next fixedStep value
    int32_t m_stepSize = 1;
    int32_t m_span = 1;
};
