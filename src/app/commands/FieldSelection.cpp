#include "app/commands/FieldSelection.h"

#include "app/Console.h"

#include <QStringList>

bool parseFieldIndexList(const QString& text, QVector<int>& indexes) {
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QString trimmed = part.trimmed();
        if (trimmed.isEmpty())
            continue;
        bool ok = false;
        const int index = trimmed.toInt(&ok);
        if (!ok)
            return false;
        indexes.append(index);
    }
    return true;
}

bool readFieldGroup(const QString& text, QVector<FieldGroupSelection>& groups) {
    if (text.isEmpty())
        return true;

    QString name;
    QStringList parts;
    const int escaped = text.lastIndexOf(QLatin1String("\\,"));
    if (escaped > 0) {
        const int comma = text.indexOf(QLatin1Char(','), escaped + 2);
        name = comma < 0 ? text : text.left(comma);
        if (comma >= 0)
            parts = text.mid(comma + 1).split(QLatin1Char(','));
    } else {
        parts = text.split(QLatin1Char(','));
        name = parts.takeFirst();
    }
    name.replace(QLatin1String("\\,"), QLatin1String(","));

    if (parts.isEmpty()) {
        Console::out(QStringLiteral("No field indexes selected for group: \"%1\"").arg(name));
        return false;
    }
    FieldGroupSelection group{name, {}};
    if (!parseFieldIndexList(parts.join(QLatin1Char(',')), group.fieldIndexes)) {
        Console::out(QByteArray("group field idx must be integer values"));
        return false;
    }
    groups.append(group);
    return true;
}
