#pragma once

#include "app/Task.h"

#include "transforms/framework/FnTransform.h"

class GetOpt;

// Applies one of the variant transforms to one or more sources and hands the
// result to the viewer or prints its URL; no file is written.

class Transform : public Task {
public:
    Transform() : Task(QStringLiteral(":/transformhelp.txt")) {}
    bool parseArgs() override;
    int run() override;

private:
    // Opens and checks every source; 0, or the exit status after printing why one is unusable.
    int openSources(QList<VkSourcePtr>* sources);
    FnTransformPtr buildTransform(const QList<VkSourcePtr>& sources, QString* error) const;
    bool parseAppendRecords(GetOpt& opts);
    bool parseAllelicPrimitives(GetOpt& opts);
    bool parseAltRatio(GetOpt& opts);
    bool parseCoverageStats(GetOpt& opts);
    bool parseMergeVcfs(GetOpt& opts);

    QString m_transform;
    QString m_viewerPath;
    bool m_urlOnly = false;
    QStringList m_sourcePaths;
    bool m_useMnps = false;
    bool m_keepInfo = false;
    bool m_keepGeno = false;
    int m_maxLength = -1;
    int m_observedIdx = -1;
    int m_depthIdx = -1;
    QString m_fieldSymbol;
    int m_targetDepth = -1;
    QStringList m_referencePaths;
    // Field symbols per merge behaviour: Unique, NumericMean, Sample, TakeAll, TakeFirst, Clear.
    QStringList m_mergeUnique;
    QStringList m_mergeNumericMean;
    QStringList m_mergeSample;
    QStringList m_mergeTakeAll;
    QStringList m_mergeTakeFirst;
    QStringList m_mergeClear;
    bool m_samplePrependFileName = false;
    bool m_changeSampleNames = true;
};
