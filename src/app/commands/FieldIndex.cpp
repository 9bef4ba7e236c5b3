#include "app/commands/FieldIndex.h"

#include "app/Console.h"
#include "app/GetOpt.h"

bool FieldIndex::parseArgs() {
    const QStringList args = arguments();
    if (args.size() < 3)
        return false;
    m_sourcePath = args.at(2);
    QString indexText = QStringLiteral("-notset-");
    if (args.size() >= 4) {
        GetOpt opts(3);
        opts.addOption(QStringLiteral("path"), &m_indexPath, QString());
        opts.addOption(QStringLiteral("index"), &indexText, QString());
        opts.parse();
    }
    if (!indexText.isEmpty()) {
        bool ok = false;
        m_fieldIndex = indexText.toInt(&ok);
        if (!ok) {
            Console::out(QStringLiteral("Not an integer: %1\n").arg(indexText));
            return false;
        }
        m_indexGiven = true;
    }
    m_pathGiven = !m_indexPath.isEmpty();
    return true;
}
