#include "app/commands/LeftAlign.h"

#include "app/Console.h"
#include "app/GetOpt.h"
#include "app/commands/WriterCommand.h"
#include "formats/vcf/VCFWriterRunner.h"
#include "source/model/VkSourceInfo.h"
#include "source/reference/ReferenceLookup.h"
#include "source/registry/LocalSourceWatcher.h"
#include "transforms/AlignTransform.h"
#include "transforms/framework/FnTransformSourceTypeManager.h"

#include <QDir>
#include <QFileInfo>

bool LeftAlign::parseArgs() {
    if (arguments().size() < 3)
        return false;
    GetOpt opts(2);
    opts.addArgument(QStringLiteral("input"), &m_sourcePath);
    opts.addOption(QStringLiteral("refFolder"), &m_refFolder, QString());
    opts.addArgument(QStringLiteral("output file"), &m_destinationPath);
    opts.addSwitch(QStringLiteral("dup"), &m_duplicate);
    opts.parse();
    return !m_sourcePath.isEmpty() && !m_refFolder.isEmpty();
}

int LeftAlign::run() {
    initDataFolders();
    const VkSourcePtr source = openInput(m_sourcePath);
    if (!source->isValid())
        return printError(
            QStringLiteral("\nsource %1 is not valid:\n%2\n").arg(m_sourcePath, source->errorText()));
    const QString featureType = source->featureType();
    if (featureType != QLatin1String(FeatureTypeName::Variant) &&
        featureType != QLatin1String(FeatureTypeName::VariantMap))
        return printError(
            QStringLiteral("\nsource %1 is not valid for .vcf output\nOnly Variant and Variant Maps "
                           "can be left aligned and written VCF")
                .arg(m_sourcePath));
    if (!QFileInfo(m_refFolder).exists())
        return printError(QStringLiteral("Reference folder not found: %1\n").arg(m_refFolder));
    const QString sourceFolder = QFileInfo(m_sourcePath).absolutePath();
    if (QFileInfo(sourceFolder).isDir())
        LocalSourceWatcher::open(QStringLiteral("auto"), sourceFolder);
    LocalSourceWatcher::open(QStringLiteral("parameter"), m_refFolder);

    if (m_destinationPath.isEmpty())
        m_destinationPath = defaultDestination();
    const QByteArray announcement =
        QStringLiteral("Writing left aligned vcf to: %1\n").arg(m_destinationPath).toUtf8();
    m_destinationPath == QLatin1String("/dev/stdout") ? Console::err(announcement)
                                                      : Console::out(announcement);

    const VkSourcePtr reference = findReference(*source);
    if (!reference)
        return printError(QStringLiteral("No reference sequence (FASTA or 2bit) for %1 was found in %2\n")
                              .arg(m_sourcePath, m_refFolder));
    LeftAlignOptions options;
    options.setDuplicateRecords(m_duplicate);
    const auto transform = std::make_shared<LeftAlignTransform>(options);
    transform->setReference(reference);
    QString error;
    if (!transform->setInputs({source}, &error))
        return printError(error + QLatin1Char('\n'));

    VCFWriterTask task;
    task.setOutputFilePath(m_destinationPath);
    task.setSortWindowSize(kSortWindow);
    return WriterCommand::runVcfWriter(FnTransformSourceTypeManager::sourceFor(transform), task);
}

// The reference of the source's build in the folder, else the folder's reference of whatever
// build: a folder holding the one reference of the data is enough.
VkSourcePtr LeftAlign::findReference(const VkSource& source) const {
    if (VkSourcePtr reference = ReferenceLookup::findFor(source.info(), m_refFolder))
        return reference;
    return ReferenceLookup::find(QString(), m_refFolder);
}

// The source path up to (and with) the last dot of its file name, then "leftAligned.vcf".
QString LeftAlign::defaultDestination() const {
    const int dot = m_sourcePath.lastIndexOf(QLatin1Char('.'));
    const bool inFileName = dot > m_sourcePath.lastIndexOf(QLatin1Char('/'));
    const QString stem = inFileName ? m_sourcePath.left(dot + 1) : m_sourcePath + QLatin1Char('.');
    return stem + QStringLiteral("leftAligned.vcf");
}
