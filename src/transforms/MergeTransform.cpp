#include "transforms/MergeTransform.h"

#include "transforms/AppendRecordsTransform.h"

#include <QFileInfo>
#include <QSet>
#include <QUrl>

QByteArray MergeSampleNames::fileBaseName(const VkSource& input) {
    QString path = input.path();
    if (path.contains(QLatin1String("://")))
        path = QUrl(path).path();
    const QString file = QFileInfo(path).fileName();
    const QString base = file.section(QLatin1Char('.'), 0, 0);
    return (base.isEmpty() ? input.info().name : base).toUtf8();
}

MergeSampleNames MergeSampleNames::decide(const QList<VkSourcePtr>& inputs, const MergeOptions& options) {
    MergeSampleNames names;
    QSet<QByteArray> taken;
    const QVector<SampleRemapping> remapping = options.sourceRemapping();
    for (int i = 0; i < inputs.size(); ++i) {
        const QByteArray base = fileBaseName(*inputs.at(i));
        QVector<QByteArray> samples = remappedSampleNames(remapping, i, sampleNamesOf(inputs.at(i)->info()));
        for (QByteArray& name : samples) {
            if (options.sampleNamesPrependFileName())
                name = base + '-' + name;
            if (options.sampleNamesDisambiguate() && taken.contains(name)) {
                int suffix = 2;
                while (taken.contains(name + '-' + QByteArray::number(suffix)))
                    ++suffix;
                name += '-' + QByteArray::number(suffix);
            }
            if (!taken.contains(name))
                names.fileNames.append(base);
            taken.insert(name);
        }
        names.perInput.append(samples);
    }
    return names;
}
