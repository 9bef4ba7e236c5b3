#include "transforms/BAMCoverageStatsTransform.h"

#include "transforms/BAMCoverageStatsCounter.h"
#include "transforms/framework/FeatureEditCursor.h"
#include "transforms/framework/TransformRegistry.h"

#include <QFileInfo>

#include <cctype>
#include <vector>

namespace {

[[maybe_unused]] const TransformRegistration<BAMCoverageStatsTransform> kRegistration;

const char kFilterNote[] = " Reads that are unmapped, secondary, failed QC or marked duplicate are left out; "
                           "deleted and skipped (intron) bases are not covered.";

// A name for each file's fields: its base name, made unique, when there are several files.
QStringList filePrefixes(const QStringList& paths) {
    QStringList prefixes;
    if (paths.size() == 1)
        return {QString()};
    for (const QString& path : paths) {
        const QString base = QFileInfo(path).completeBaseName();
        QString prefix = base;
        for (int n = 2; prefixes.contains(prefix); ++n)
            prefix = base + QLatin1Char('-') + QString::number(n);
        prefixes << prefix;
    }
    return prefixes;
}

QByteArray symbolOf(const QString& prefix, const char* symbol) {
    if (prefix.isEmpty())
        return symbol;
    QByteArray text = prefix.toUtf8() + '_' + symbol;
    for (char& c : text)
        if (!std::isalnum(uchar(c)) && c != '_')
            c = '_';
    // A symbol may stand as a VCF INFO key, which cannot start with a digit.
    return std::isdigit(uchar(text[0])) ? "B_" + text : text;
}

VkField statField(const QString& prefix, const QString& name, const char* symbol, ValueType type,
                  const QString& doc) {
    VkField field(0, (prefix.isEmpty() ? name : prefix + QLatin1Char(' ') + name).toUtf8(),
                  symbolOf(prefix, symbol), type);
    field.doc = doc;
    field.props.insert("Number", PVariant("1"));
    return field;
}

using Counters = std::vector<std::unique_ptr<BAMCoverageStatsCounter>>;

// The input's features with the span and each file's statistics appended.
class BAMCoverageStatsReader : public FeatureEditCursor {
public:
    BAMCoverageStatsReader(FeatureCursorPtr input, Counters counters, int inputFieldCount, int targetDepth)
        : FeatureEditCursor(std::move(input)), m_counters(std::move(counters)),
          m_inputFieldCount(inputFieldCount), m_targetDepth(targetDepth) {}

private:
    bool edit(VkFeature& feature, QString* error) override {
        PVariantVector& values = feature.values();
        values.resize(m_inputFieldCount);
        const int span = feature.segment().length();
        values.append(PVariant(span));
        for (const auto& counter : m_counters) {
            CoverageStats stats;
            if (!counter->measure(feature.segment(), m_targetDepth, &stats, error))
                return false;
            values.append(span > 0 ? PVariant(float(double(stats.depthSum) / span))
                                   : PVariant::missing(ValueType::Float));
            for (int32_t count : stats.atLeast)
                values.append(PVariant(int(count)));
            if (m_targetDepth > 0)
                values.append(PVariant(int(stats.atTarget)));
        }
        return true;
    }

    Counters m_counters;
    int m_inputFieldCount;
    int m_targetDepth;
};

} // namespace

void BAMCoverageStatsTransform::addBamFields(const QString& path, const QString& name, int targetDepth,
                                             VkFieldList* schema) const {
    const QString file = QFileInfo(path).fileName();
    *schema << statField(name, QStringLiteral("Mean Depth"), "MEAN_DEPTH", ValueType::Float,
                         QStringLiteral("The mean read depth over the feature's bases in %1.").arg(file) +
                             QLatin1String(kFilterNote));
    for (int threshold : CoverageStats::Thresholds)
        *schema << statField(name, QStringLiteral("Bases >= %1x").arg(threshold),
                             QByteArray("BASES_" + QByteArray::number(threshold) + "X").constData(),
                             ValueType::Int,
                             QStringLiteral("The number of the feature's bases covered by %1 or more reads "
                                            "in %2.")
                                     .arg(threshold)
                                     .arg(file) +
                                 QLatin1String(kFilterNote));
    if (targetDepth > 0)
        *schema << statField(
            name, QStringLiteral("Bases >= Target %1x").arg(targetDepth), "BASES_TARGET", ValueType::Int,
            QStringLiteral("The number of the feature's bases covered by at least the target "
                           "depth, %1 reads, in %2.")
                    .arg(targetDepth)
                    .arg(file) +
                QLatin1String(kFilterNote));
}

bool BAMCoverageStatsTransform::open(QString* error) {
    const BAMCoverageStatsOptions options = typedOptions();
    const QVector<QString> files = options.bamFiles();
    const QStringList paths(files.begin(), files.end());
    if (paths.isEmpty()) {
        *error = QStringLiteral("No BAM file was given to read the coverage from");
        return false;
    }
    for (const QString& path : paths)
        if (!BAMCoverageStatsCounter::open(path, error))
            return false;
    VkFieldList schema = inputs().first()->schema();
    m_inputFieldCount = schema.size();
    VkField span(0, "Feature Span", "FEATURE_SPAN", ValueType::Int);
    span.doc = QStringLiteral("The number of bases of the feature (Stop-Start).");
    span.props.insert("Number", PVariant("1"));
    schema << span;
    const QStringList prefixes = filePrefixes(paths);
    for (int i = 0; i < paths.size(); ++i)
        addBamFields(paths[i], prefixes[i], options.targetDepth(), &schema);
    for (int idx = 0; idx < schema.size(); ++idx)
        schema[idx].idx = idx;
    info().schema = schema;
    return true;
}

FeatureCursorPtr BAMCoverageStatsTransform::createFeatureReader(const ReadRequest& request,
                                                                QString* error) const {
    ReadRequest inputRequest = request;
    inputRequest.fieldList.clear();
    bool measured = false;
    for (int field : request.fieldList) {
        if (field >= 0 && field < m_inputFieldCount)
            inputRequest.fieldList << field;
        measured = measured || field >= m_inputFieldCount;
    }
    FeatureCursorPtr input = openInput(inputs().first(), inputRequest, error);
    // Reading only the input's fields reads no BAM file.
    if (!input || !measured)
        return input;
    const BAMCoverageStatsOptions options = typedOptions();
    Counters counters;
    for (const QString& path : options.bamFiles()) {
        counters.push_back(BAMCoverageStatsCounter::open(path, error));
        if (!counters.back())
            return nullptr;
    }
    return std::make_unique<BAMCoverageStatsReader>(std::move(input), std::move(counters), m_inputFieldCount,
                                                    options.targetDepth());
}
