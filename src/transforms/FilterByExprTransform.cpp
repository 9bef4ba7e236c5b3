#include "transforms/FilterByExprTransform.h"

#include "transforms/framework/TransformRegistry.h"

namespace {

[[maybe_unused]] const TransformRegistration<FilterByExprTransform> kRegistration;

} // namespace

FilterByExprTransform::FilterByExprTransform(FilterByExprOptions options)
    : SingleSourceTransform(std::move(options)) {}

bool FilterByExprTransform::open(QString* error) {
    const VkSourceInfo& input = inputs().first()->info();
    const FilterByExprOptions options = typedOptions();
    info().schema = input.schema;
    m_settings = FilterByExprSettings();
    m_settings.expr = options.expr();
    m_settings.sampleExpr = options.sampleExpr();
    m_settings.schema = input.schema;
    m_settings.sampleCount = std::max(input.entityCount, 0);
    m_settings.sampleIdx = options.sampleExprSampleIdx();
    m_settings.andSampleResults = options.andSampleResults();
    m_settings.andLocusResults = options.andLocusResults();
    m_settings.cacheResults = options.cacheResults();
    m_settings.segmentOptimization = options.filterOnSegmentOptimization();
    if (m_settings.sampleIdx < -1 || m_settings.sampleIdx >= m_settings.sampleCount) {
        *error = QStringLiteral("Invalid sample filter idx: %1").arg(m_settings.sampleIdx);
        return false;
    }
    // Compiling once here reports unbound names and syntax errors when the transform opens.
    std::unique_ptr<FilterByExprReader> probe = FilterByExprReader::create(nullptr, m_settings, error);
    if (!probe)
        return false;
    m_fieldsRead = probe->fieldsRead();
    return true;
}

FeatureCursorPtr FilterByExprTransform::createFeatureReader(const ReadRequest& request,
                                                            QString* error) const {
    ReadRequest inputRequest = request;
    for (int field : m_fieldsRead)
        if (!inputRequest.fieldList.contains(field))
            inputRequest.fieldList << field;
    FeatureCursorPtr input = openInput(inputs().first(), inputRequest, error);
    if (!input)
        return nullptr;
    return FilterByExprReader::create(std::move(input), m_settings, error);
}
