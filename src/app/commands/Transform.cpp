#include "app/commands/Transform.h"

#include "app/Console.h"
#include "app/GetOpt.h"

namespace {
bool toInt(const QString& text, int& value) {
    bool ok = false;
    value = text.toInt(&ok);
    return ok;
}
} // namespace

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
