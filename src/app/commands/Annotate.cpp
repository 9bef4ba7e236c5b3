#include "app/commands/Annotate.h"

#include "app/Console.h"
#include "app/GetOpt.h"
#include "app/commands/WriterCommand.h"
#include "formats/tsf/TsfWriterTaskList.h"
#include "meta/Json.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "tasks/TaskListRunnerLogger.h"
#include "tasks/VkSourceTaskListRunner.h"
#include "transforms/framework/FnTransformSourceTypeManager.h"
#include "transforms/framework/TransformRegistry.h"
#include "transforms/join/JoinFieldGroups.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

namespace {

// The registered name of the transform each algorithm word builds.
QString transformName(const QString& algorithm) {
    if (algorithm == QLatin1String("variant"))
        return QStringLiteral("annotateVariant");
    if (algorithm == QLatin1String("dbnsfp"))
        return QStringLiteral("annotateDbNSFP");
    if (algorithm == QLatin1String("transcript"))
        return QStringLiteral("annotateTranscript");
    return QStringLiteral("annotateOverlapRegion");
}

int genomicMatchMode(const QString& value) {
    const QString word = value.toLower();
    if (word == QLatin1String("within"))
        return GenomicMatchWithin;
    if (word == QLatin1String("exact"))
        return GenomicMatchExact;
    return GenomicMatchOverlap;
}

int matchingFeatureSummary(const QString& value) {
    const QString word = value.toLower();
    if (word == QLatin1String("flag"))
        return MatchingFeaturePresent;
    if (word == QLatin1String("count"))
        return MatchingFeatureCount;
    return NoSummary;
}

int allelicMatchMode(const QString& value) {
    const QString word = value.toLower();
    if (word == QLatin1String("exact"))
        return ExactAllelicMatch;
    if (word == QLatin1String("all"))
        return AllAllelicMatch;
    return ClosestAllelicMatch;
}

int annotationMode(const QString& value) {
    return value.toLower() == QLatin1String("onetoone") ? OneToOneAnnotation : OneToManyAnnotation;
}

// The prediction fields are named with commas between them.
QVector<QString> fieldList(const QString& text) {
    QVector<QString> fields;
    for (const QString& field : text.split(QLatin1Char(',')))
        if (!field.trimmed().isEmpty())
            fields << field.trimmed();
    return fields;
}

} // namespace

bool Annotate::parseArgs() {
    const QStringList args = arguments();
    if (args.size() < 3)
        return false;
    m_algorithm = args.at(2).toLower();

    GetOpt opts(3);
    opts.addOption(QStringLiteral("view"), &m_viewerPath, QString());
    opts.addSwitch(QStringLiteral("url"), &m_urlOnly);
    opts.addOption(QStringLiteral("includeInputFields"), &m_includeInputFields, QString());
    if (m_algorithm == QLatin1String("region")) {
        opts.addOption(QStringLiteral("genomicMatch"), &m_genomicMatch, QStringLiteral("Overlap"));
        opts.addOption(QStringLiteral("summary"), &m_summary, QStringLiteral("None"));
    } else if (m_algorithm == QLatin1String("variant")) {
        opts.addOption(QStringLiteral("allelicMatch"), &m_allelicMatch, QStringLiteral("Closest"));
        opts.addOption(QStringLiteral("mode"), &m_annotationMode, QStringLiteral("OneToMany"));
    } else if (m_algorithm == QLatin1String("dbnsfp")) {
        opts.addOption(QStringLiteral("predFields"), &m_predictionFields, QString());
    } else if (m_algorithm == QLatin1String("transcript")) {
        opts.addOption(QStringLiteral("referenceUrl"), &m_referenceUrl, QString());
    } else {
        Console::out(QStringLiteral("Unknown annotation algorithm: %1\n").arg(m_algorithm));
        return false;
    }
    opts.addArgument(QStringLiteral("input"), &m_inputPath);
    opts.addArgument(QStringLiteral("annot"), &m_annotationPath);
    return opts.parse();
}

int Annotate::run() {
    initDataFolders();
    QList<VkSourcePtr> sources;
    if (const int status = openSources(&sources))
        return status;
    QString error;
    const FnTransformPtr transform = buildTransform(sources, &error);
    if (!transform)
        return printError(error + QLatin1Char('\n'));
    if (!m_viewerPath.isEmpty()) {
        if (!QProcess::startDetached(m_viewerPath, {transform->url()}))
            return printError(QStringLiteral("Could not start %1\n").arg(m_viewerPath));
        return 0;
    }
    if (m_urlOnly) {
        Console::out(transform->url() + QLatin1Char('\n'));
        return 0;
    }
    return writeTsf(transform, sources);
}

int Annotate::openSources(QList<VkSourcePtr>* sources) {
    for (const QString& path : {m_inputPath, m_annotationPath}) {
        VkSourcePtr source = VkSourceTypeRegistry::instance().open(path);
        if (!source->isValid()) {
            printHelp();
            return printError(
                QStringLiteral("\nsource %1 is not valid:\n%2\n").arg(path, source->errorText()));
        }
        sources->append(source);
    }
    return 0;
}

LeftJoinAnnotationOptions Annotate::buildOptions(const VkSource& input) const {
    LeftJoinAnnotationOptions options;
    if (m_algorithm == QLatin1String("variant")) {
        AnnotateVariantOptions variant;
        variant.setAllelicMatchMode(allelicMatchMode(m_allelicMatch));
        variant.setAnnotationMode(annotationMode(m_annotationMode));
        options = variant;
    } else if (m_algorithm == QLatin1String("dbnsfp")) {
        AnnotateDbNSFPOptions dbNSFP;
        dbNSFP.setVotingPredictionFields(fieldList(m_predictionFields));
        options = dbNSFP;
    } else if (m_algorithm == QLatin1String("transcript")) {
        AnnotateTranscriptOptions transcript;
        // The URL of the transform reopens from any folder, so a file is named by its absolute path.
        const bool isFile = !m_referenceUrl.isEmpty() && !m_referenceUrl.contains(QLatin1String("://"));
        transcript.setReferenceUrl(isFile ? QFileInfo(m_referenceUrl).absoluteFilePath() : m_referenceUrl);
        options = transcript;
    } else {
        AnnotateOverlapRegionOptions region;
        region.setGenomicMatchMode(genomicMatchMode(m_genomicMatch));
        region.setMatchingFeatureSummary(matchingFeatureSummary(m_summary));
        options = region;
    }
    // The viewer shows the annotation fields beside the input fields named here; the alleles
    // by default, when the input has them.
    if (!m_viewerPath.isEmpty()) {
        const bool hasRefAlt = JoinFields::find(input.schema(), QStringLiteral("RefAlt")) >= 0;
        options.setLeftSourcePassThroughFields(!m_includeInputFields.isEmpty() ? m_includeInputFields
                                               : hasRefAlt                     ? QStringLiteral("RefAlt")
                                                                               : QString());
    }
    return options;
}

FnTransformPtr Annotate::buildTransform(const QList<VkSourcePtr>& sources, QString* error) const {
    const QByteArray options = Json::writeOptions(buildOptions(*sources.first()), Json::Style::Compact);
    const FnTransformPtr transform = TransformRegistry::instance().createTransform(
        transformName(m_algorithm), options, QStringLiteral("json"), error);
    if (!transform || !transform->setInputs(sources, error))
        return nullptr;
    return transform;
}

QString Annotate::outputPath(const VkSource& input, const VkSource& annotation, const QString& algorithm) {
    const QString folder = QFileInfo(input.inputPaths().value(0, input.path())).absolutePath();
    return folder + QLatin1Char('/') + WriterCommand::baseName(input) + QLatin1Char('_') +
           WriterCommand::baseName(annotation) + QLatin1Char('_') + algorithm + QStringLiteral(".tsf");
}

int Annotate::writeTsf(const FnTransformPtr& transform, const QList<VkSourcePtr>& sources) const {
    const VkSourcePtr output = FnTransformSourceTypeManager::sourceFor(transform);
    const QString destination = outputPath(*sources.at(0), *sources.at(1), m_algorithm);
    VkSourceTaskListRunner runner;
    TaskListRunnerLogger logger(&runner);
    runner.start(TsfWriterTaskList::build(output->path(), destination), {output});
    QCoreApplication::exec();
    return runner.errorText().isEmpty() ? 0 : 1;
}
