#pragma once

#include <QByteArray>
#include <QString>

// Standard output carries help texts and results, standard error progress and
// errors. Both are written as UTF-8 and flushed at once so that the two streams
// interleave in the order the program wrote them.
namespace Console {
void out(const QByteArray& bytes);
void out(const QString& text);
void err(const QByteArray& bytes);
void err(const QString& text);
} // namespace Console
