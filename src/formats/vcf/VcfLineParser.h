#pragma once

#include "formats/vcf/VcfMatrixValues.h"
#include "formats/vcf/VcfSchema.h"
#include "source/model/VkFeature.h"
#include "source/values/TextCache.h"

#include <QSet>
#include <QStringList>

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Turns the data lines of one VCF source into features, filling only the fields asked for: with no
// INFO field asked for, INFO is only searched for END; with no matrix field asked for, the sample
// columns are not looked at.
//
// Malformed input, the way bcftools users know it. What htslib refuses ends the read with an error:
// a line with fewer than 8 columns, or fewer sample columns than the header names (an empty
// column counts as none), a POS that is not a number (or is past 2^31 - 1, beyond 32-bit
// positions), a FORMAT value that does not read as its declared type, a genotype that is not
// one, and more values in a sample than FORMAT keys. An INFO or QUAL number that does not read,
// or an INFO number outside the 32-bit range, is missing with a warning naming file and line;
// htslib goes on silently there, storing missing or what a prefix gives ("12z" as 12), and we
// keep going too but do not guess. FORMAT numbers outside the 32-bit range are missing without
// a warning, as htslib has them, since one file can hold millions. Where htslib quietly alters a
// line we read it the same way but say so: a NUL byte ends the line (an error when that loses
// columns the line needs), an INFO key given twice keeps its first value, and sample columns
// beyond the header's names are skipped; the last two are told once per file.
class VcfLineParser {
public:
    // trimAlleles: drop the leading bases that REF and every ALT share (the padding base of
    // indels), moving the start right; an allele trimmed to nothing is written "-".
    VcfLineParser(const VcfSchema& schema, const QList<int>& fieldList, bool trimAlleles);
    ~VcfLineParser();

    // Parses one data line into a feature. False, with the problem (without the line's location),
    // when the line is malformed.
    bool parse(const char* line, int length, VkFeature* feature, QString* problem);
    // What the last line parsed had that was read as missing or skipped, one text each.
    const QStringList& warnings() const { return m_warnings; }
    // The CHROM and POS columns of the last line, "CHROM:POS", to locate messages.
    QString site() const;

private:
    // REF and the ALT alleles of the current line, after any trimming; they point into the line.
    struct Alleles {
        std::string_view ref;
        std::vector<std::string_view> alts;
        int32_t trimmed = 0;
    };

    bool endAtNul(const char* line, int* length, QString* problem);
    bool splitColumns(int length, QString* problem);
    bool readPosition(int32_t* start, QString* problem) const;
    bool checkReferenceEnd(int32_t start, QString* problem) const;
    const QByteArray& chromosome(const char* name);
    void readAlleles();
    void trimAlleles();
    void fillAlleles(PVariantVector& values);
    PVariant readIds(const char* p) const;
    PVariant readQuality(const char* p);
    PVariant readFilters(const char* p);
    PVariant filtersOf(const char* p);
    // Reads the INFO column; returns END, or 0 when there is none.
    int32_t readInfo(char* p, PVariantVector& values);
    PVariant flagsValue();
    bool firstOnLine(const VcfKey& key);
    int32_t findEnd(const char* p) const;
    void readInfoValue(const VcfKey& key, const char* p, PVariant* value);
    bool readSamples(PVariantVector& values, QString* problem);
    void resolveFormat(const char* format);
    void warnUndeclared(const char* kind, const char* id, int length);
    // True the first time a topic comes up: some warnings are told once, so a damaged file does
    // not repeat itself on every line.
    bool firstWarning(const QByteArray& topic);

    const VcfSchema& m_schema;
    const int m_fieldCount;
    const bool m_trimAlleles;
    std::vector<bool> m_wanted;
    bool m_wantAlleles = false;
    bool m_wantInfo = false;
    bool m_wantFlags = false;
    PVariant m_sampleNames;

    std::string m_line;
    // The first nine columns, each NUL-terminated in m_line; m_samples is where the sample columns
    // begin (after FORMAT's tab), or null.
    char* m_columns[9] = {};
    int m_columnCount = 0;
    const char* m_samples = nullptr;

    Alleles m_alleles;
    std::string m_joined;
    QByteArray m_chromosome;
    TextCache m_texts;
    QStringList m_warnings;
    QSet<QByteArray> m_warned;
    // The last few FILTER texts and flag combinations read, with their values; the flags of the
    // current line.
    struct RecentFilters {
        std::string text;
        PVariant value;
    };
    struct RecentFlags {
        std::vector<int32_t> codes;
        PVariant value;
    };
    std::array<RecentFilters, 4> m_recentFilters;
    size_t m_nextRecentFilters = 0;
    std::array<RecentFlags, 4> m_recentFlags;
    size_t m_nextRecentFlags = 0;
    std::vector<int32_t> m_flagCodes;
    // Per INFO key, the number of the last line that gave it, to find keys given twice.
    std::vector<uint32_t> m_infoSeen;
    uint32_t m_lineStamp = 0;

    // One collector per matrix field asked for; m_lineColumns maps each key of the current FORMAT
    // column to its collector (null for keys not asked for).
    std::vector<std::unique_ptr<VcfMatrixValues>> m_matrix;
    std::string m_format;
    bool m_formatResolved = false;
    std::vector<VcfMatrixValues*> m_lineColumns;
};
