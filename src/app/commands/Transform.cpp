#include "app/commands/Transform.h"

#include "app/Console.h"
#include "app/GetOpt.h"
#include "formats/vcf/VcfSourceTypeManager.h"
#include "meta/families/AllelicPrimitivesOptions.h"
#include "meta/families/AltRatioOptions.h"
#include "meta/families/BAMCoverageStatsOptions.h"
#include "meta/families/MergeOptions.h"
#include "source/registry/VkSourceTypeManager.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "transforms/AllelicPrimitivesTransform.h"
#include "transforms/AltRatioTransform.h"
#include "transforms/AppendRecordsTransform.h"
#include "transforms/BAMCoverageStatsTransform.h"
#include "transforms/MergeVariantsTransform.h"

#include <QFileInfo>
#include <QProcess>

namespace {
bool toInt(const QString& text, int& value) {
    bool ok = false;
    value = text.toInt(&ok);
    return ok;
}

using BehaviorList = std::pair<const QStringList*, MergeBehavior>;

// The merge options of mergevcfs: each symbol of a behaviour's option list gets that behaviour.
MergeVariantsOptions mergeVcfsOptions(bool prependFileName, bool changeSampleNames,
                                      std::initializer_list<BehaviorList> lists) {
    MergeVariantsOptions options;
    options.setSampleNamesPrependFileName(prependFileName);
    options.setSampleNamesDisambiguate(changeSampleNames);
    QVector<FieldMergeBehaviorOptions> behaviors;
    for (const auto& [symbols, behavior] : lists) {
        for (const QString& symbol : *symbols) {
            FieldMergeBehaviorOptions entry;
            entry.setFieldSymbol(symbol);
            entry.setMergeBehavior(behavior);
            behaviors.append(entry);
        }
    }
    options.setFieldMergeBehaviors(behaviors);
    return options;
}

bool needs(const VkSource& source, const char* usage) {
    QString message;
    return source.manager()->precomputeNeeded(source, QLatin1String(usage), &message);
}
} // namespace

int Transform::run() {
    initDataFolders();
    QList<VkSourcePtr> sources;
    if (const int status = openSources(&sources))
        return status;
    QString error;
    const FnTransformPtr transform = buildTransform(sources, &error);
    if (!transform)
        return printError(error + QLatin1Char('\n'));
    if (m_urlOnly)
        Console::out(transform->url() + QLatin1Char('\n'));
    if (!m_viewerPath.isEmpty() && !QProcess::startDetached(m_viewerPath, {transform->url()}))
        return printError(QStringLiteral("Could not start %1\n").arg(m_viewerPath));
    return 0;
}

int Transform::openSources(QList<VkSourcePtr>* sources) {
    for (const QString& path : qAsConst(m_sourcePaths)) {
        VkSourcePtr source = VkSourceTypeRegistry::instance().open(path);
        if (!source->isValid()) {
            printHelp();
            return printError(
                QStringLiteral("\nsource %1 is not valid:\n%2\n").arg(path, source->errorText()));
        }
        if (needs(*source, "GenomicIndex") ||
            (m_transform == QLatin1String("coveragestats") && needs(*source, "AlignmentCoverage"))) {
            printHelp();
            return printError(QStringLiteral("Can not use, an index is required for: %1\n").arg(path));
        }
        if (m_transform == QLatin1String("mergevcfs") && source->typeId() != VcfSourceTypeManager::TypeId)
            return printError(
                QStringLiteral("Merge vcfs requires all sources to be vcfs, this source is not: %1\n")
                    .arg(path));
        sources->append(source);
    }
    return 0;
}

FnTransformPtr Transform::buildTransform(const QList<VkSourcePtr>& sources, QString* error) const {
    FnTransformPtr transform;
    if (m_transform == QLatin1String("altratio")) {
        AltRatioOptions options;
        options.setObservedFieldIdx(m_observedIdx);
        options.setDepthFieldIdx(m_depthIdx);
        if (!m_fieldSymbol.isEmpty())
            options.setAltRatioFieldSymbol(m_fieldSymbol);
        transform = std::make_shared<AltRatioTransform>(options);
    } else if (m_transform == QLatin1String("allelicprimitives")) {
        AllelicPrimitivesOptions options;
        options.setUseMNPs(m_useMnps);
        options.setKeepInfo(m_keepInfo);
        options.setKeepGeno(m_keepGeno);
        // -1, the option's default on the command line, keeps the transform's own limit.
        if (m_maxLength >= 0)
            options.setMaxLength(m_maxLength);
        transform = std::make_shared<AllelicPrimitivesTransform>(options);
    } else if (m_transform == QLatin1String("coveragestats")) {
        BAMCoverageStatsOptions options;
        // Absolute paths keep the URL usable from any folder.
        QVector<QString> bamFiles;
        for (const QString& path : m_referencePaths)
            bamFiles << QFileInfo(path).absoluteFilePath();
        options.setBamFiles(bamFiles);
        options.setTargetDepth(m_targetDepth);
        transform = std::make_shared<BAMCoverageStatsTransform>(options);
    } else if (m_transform == QLatin1String("appendrecords")) {
        transform = std::make_shared<AppendRecordsTransform>(AppendRecordsOptions());
    } else if (m_transform == QLatin1String("mergevcfs")) {
        transform = std::make_shared<MergeVariantsTransform>(
            mergeVcfsOptions(m_samplePrependFileName, m_changeSampleNames,
                             {{&m_mergeUnique, MergeUnique},
                              {&m_mergeNumericMean, MergeNumericMean},
                              {&m_mergeSample, MergeSample},
                              {&m_mergeTakeAll, MergeTakeAll},
                              {&m_mergeTakeFirst, MergeTakeFirst},
                              {&m_mergeClear, MergeClear}}));
    }
    if (!transform || !transform->setInputs(sources, error))
        return nullptr;
    return transform;
}

bool Transform::parseArgs() {
    const QStringList args = arguments();
    if (args.size() < 3)
        return false;
    m_transform = args.at(2).toLower();

    GetOpt opts(3);
    opts.addOption(QStringLiteral("view"), &m_viewerPath, QString());
    opts.addSwitch(QStringLiteral("url"), &m_urlOnly);
    if (m_transform == QLatin1String("appendrecords"))
        return parseAppendRecords(opts);
    if (m_transform == QLatin1String("allelicprimitives"))
        return parseAllelicPrimitives(opts);
    if (m_transform == QLatin1String("altratio"))
        return parseAltRatio(opts);
    if (m_transform == QLatin1String("coveragestats"))
        return parseCoverageStats(opts);
    if (m_transform == QLatin1String("mergevcfs"))
        return parseMergeVcfs(opts);
    Console::out(QStringLiteral("Unknown transform: %1\n").arg(m_transform));
    return false;
}

bool Transform::parseAppendRecords(GetOpt& opts) {
    opts.addVarLengthOption(QStringLiteral("sources"), &m_sourcePaths);
    return opts.parse() && !m_sourcePaths.isEmpty();
}

bool Transform::parseAllelicPrimitives(GetOpt& opts) {
    QString input;
    QString maxLength;
    opts.addArgument(QStringLiteral("input"), &input);
    opts.addSwitch(QStringLiteral("useMNPs"), &m_useMnps);
    opts.addSwitch(QStringLiteral("keepInfo"), &m_keepInfo);
    opts.addSwitch(QStringLiteral("keepGeno"), &m_keepGeno);
    opts.addOption(QStringLiteral("maxLength"), &maxLength, QStringLiteral("-1"));
    const bool parsed = opts.parse();
    m_sourcePaths.append(input);
    return parsed && toInt(maxLength, m_maxLength);
}

bool Transform::parseAltRatio(GetOpt& opts) {
    QString input;
    QString observedIdx;
    QString depthIdx;
    opts.addArgument(QStringLiteral("input"), &input);
    opts.addOption(QStringLiteral("observedIdx"), &observedIdx, QStringLiteral("-1"));
    opts.addOption(QStringLiteral("depthIdx"), &depthIdx, QStringLiteral("-1"));
    opts.addOption(QStringLiteral("fieldSymbol"), &m_fieldSymbol, QString());
    const bool parsed = opts.parse();
    m_sourcePaths.append(input);
    return parsed && toInt(observedIdx, m_observedIdx) && toInt(depthIdx, m_depthIdx);
}

bool Transform::parseCoverageStats(GetOpt& opts) {
    QString input;
    QString targetDepth;
    opts.addArgument(QStringLiteral("input"), &input);
    opts.addOption(QStringLiteral("targetDepth"), &targetDepth, QStringLiteral("-1"));
    opts.addVarLengthOption(QStringLiteral("reference"), &m_referencePaths);
    const bool parsed = opts.parse();
    if (!input.isEmpty())
        m_sourcePaths.append(input);
    return parsed && toInt(targetDepth, m_targetDepth) && !m_sourcePaths.isEmpty();
}

bool Transform::parseMergeVcfs(GetOpt& opts) {
    bool dontChangeSampleNames = false;
    opts.addSwitch(QStringLiteral("samplePrependFileName"), &m_samplePrependFileName);
    opts.addSwitch(QStringLiteral("dontChangeSampleNames"), &dontChangeSampleNames);
    opts.addRepeatableOption(QLatin1Char('m'), &m_mergeUnique);
    opts.addRepeatableOption(QLatin1Char('c'), &m_mergeNumericMean);
    opts.addRepeatableOption(QLatin1Char('u'), &m_mergeSample);
    opts.addRepeatableOption(QLatin1Char('a'), &m_mergeTakeAll);
    opts.addRepeatableOption(QLatin1Char('i'), &m_mergeTakeFirst);
    opts.addRepeatableOption(QLatin1Char('e'), &m_mergeClear);
    opts.addVarLengthOption(QStringLiteral("sources"), &m_sourcePaths);
    const bool parsed = opts.parse();
    m_changeSampleNames = !dontChangeSampleNames;
    if (!parsed || m_sourcePaths.isEmpty()) {
        Console::out(QByteArray("No source files were specified"));
        return false;
    }
    return true;
}
