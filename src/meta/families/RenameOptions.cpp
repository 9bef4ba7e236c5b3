#include "meta/families/RenameOptions.h"

VK_DEFINE_OPTIONS(RenameOptions, VK_RENAME_OPTIONS)

QHash<QByteArray, QByteArray> chromosomeRenames(const RenameOptions& options) {
    QHash<QByteArray, QByteArray> renames;
    const QVector<QString> from = options.fromNames();
    const QVector<QString> to = options.toNames();
    for (int i = 0; i < qMin(from.size(), to.size()); ++i)
        renames.insert(from.at(i).toUtf8(), to.at(i).toUtf8());
    return renames;
}
