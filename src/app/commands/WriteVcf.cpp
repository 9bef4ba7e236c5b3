#include "app/commands/WriteVcf.h"

#include "app/Console.h"
#include "app/GetOpt.h"
#include "app/commands/FieldSelection.h"
#include "app/commands/WriterCommand.h"
#include "formats/vcf/VCFWriterRunner.h"
#include "source/model/VkSourceInfo.h"

#include <QFileInfo>

bool WriteVcf::parseArgs() {
    const QStringList args = arguments();
    if (args.size() < 3)
        return false;
    m_sourcePath = args.at(2);
    if (args.size() >= 4) {
        m_destinationPath = args.at(3);
        m_destinationGiven = true;
    }
    if (args.size() < 5)
        return true;
    QString fields;
    GetOpt opts(4);
    opts.addOption(QStringLiteral("fields"), &fields, QString());
    opts.addOption(QStringLiteral("query"), &m_query, QString());
    opts.parse();
    if (!parseFieldIndexList(fields, m_fieldIndexes)) {
        Console::out(QByteArray("fields must only contain integer values"));
        return false;
    }
    return true;
}

int WriteVcf::run() {
    const VkSourcePtr opened = openInput(m_sourcePath);
    if (const int status = checkInput(opened, m_sourcePath))
        return status;
    const VkSourcePtr source = WriterCommand::queried(opened, m_query);
    if (!source)
        return 1;
    const QString featureType = source->featureType();
    if (featureType != QLatin1String(FeatureTypeName::Variant) &&
        featureType != QLatin1String(FeatureTypeName::VariantMap))
        return printError(
            QStringLiteral("source %1 is not valid for .vcf output!\nOnly Variant and Variant Maps can "
                           "be written to VCF. \nThis source is type: %2")
                .arg(m_sourcePath, featureType));
    if (!m_destinationGiven)
        m_destinationPath = WriterCommand::baseName(*opened) + QStringLiteral(".vcf");

    VCFWriterTask task;
    task.setOutputFilePath(m_destinationPath);
    task.setFieldList(m_fieldIndexes);
    task.setSortWindowSize(kSortWindow);
    return WriterCommand::runVcfWriter(source, task);
}
