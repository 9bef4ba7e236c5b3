#pragma once

#include <QString>
#include <QVector>

// Field selections typed on the command line by the write commands.

// Reads "1, ,3" as the field indexes 1 and 3: parts are trimmed and empty parts
// skipped; false when a part is not an integer.
bool parseFieldIndexList(const QString& text, QVector<int>& indexes);

// A named group of field indexes, written as "name,1,2"; a name may hold
// commas escaped as "\,".
struct FieldGroupSelection {
    QString name;
    QVector<int> fieldIndexes;
};

// Reads one group; an empty text is accepted and adds nothing. Prints the
// reason to standard output and returns false when the text is not a group.
bool readFieldGroup(const QString& text, QVector<FieldGroupSelection>& groups);
