#pragma once

#include "app/Task.h"

#include "meta/families/AnnotationOptions.h"
#include "transforms/framework/FnTransform.h"

// Joins an input source with an annotation source by one of four algorithms, then hands the
// result to the viewer, prints its URL, or writes it to a TSF file named after both sources.
class Annotate : public Task {
public:
    Annotate() : Task(QStringLiteral(":/annotatehelp.txt")) {}
    bool parseArgs() override;
    int run() override;

private:
    // Opens both sources; 0, or the exit status after printing why one is invalid.
    int openSources(QList<VkSourcePtr>* sources);
    // The algorithm's option record, values compared lower-cased; unknown values keep the default.
    LeftJoinAnnotationOptions buildOptions(const VkSource& input) const;
    FnTransformPtr buildTransform(const QList<VkSourcePtr>& sources, QString* error) const;
    int writeTsf(const FnTransformPtr& transform, const QList<VkSourcePtr>& sources) const;
    // Where the result is written: beside the input, "<input>_<annotation>_<algorithm>.tsf", each
    // source named as the writers name their outputs ("calls.vcf" for calls.vcf.gz).
    static QString outputPath(const VkSource& input, const VkSource& annotation, const QString& algorithm);

    QString m_algorithm;
    QString m_inputPath;
    QString m_annotationPath;
    QString m_viewerPath;
    bool m_urlOnly = false;
    QString m_includeInputFields;
    QString m_genomicMatch;
    QString m_summary;
    QString m_allelicMatch;
    QString m_annotationMode;
    QString m_predictionFields;
    QString m_referenceUrl;
};
