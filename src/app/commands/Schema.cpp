#include "app/commands/Schema.h"

#include "app/Console.h"
#include "meta/Json.h"
#include "source/registry/LocalSourceWatcher.h"

#include <QCoreApplication>
#include <QFileInfo>

bool parseSingleSourceArgs(QString& sourcePath) {
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return false;
    sourcePath = args.at(2);
    return true;
}

int Schema::run() {
    initDataFolders();
    if (QFileInfo(m_sourcePath).isDir())
        return printFolder();
    const VkSourcePtr source = openInput(m_sourcePath);
    if (const int status = checkInput(source, m_sourcePath))
        return status;
    Console::out(Json::write(PVariant(source->info().toMap()), Json::Style::Readable) + '\n');
    return 0;
}

int Schema::printFolder() const {
    QVector<PVariantMap> schemas;
    for (const VkSourcePtr& source :
         LocalSourceWatcher::open(QStringLiteral("local"), m_sourcePath)->sources())
        if (source->isValid())
            schemas.append(source->info().toMap());
    Console::out(Json::write(PVariant(schemas), Json::Style::OneLine) + '\n');
    return 0;
}
