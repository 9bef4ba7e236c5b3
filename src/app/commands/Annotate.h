#pragma once

#include "app/Task.h"

// Joins an input source with an annotation source by one of four algorithms.
class Annotate : public Task {
public:
    Annotate() : Task(QStringLiteral(":/annotatehelp.txt")) {}
    bool parseArgs() override;
    int run() override { return notAvailable("annotate"); }

private:
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
