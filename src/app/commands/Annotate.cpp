#include "app/commands/Annotate.h"

#include "app/Console.h"
#include "app/GetOpt.h"

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
