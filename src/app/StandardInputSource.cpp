#include "app/StandardInputSource.h"

#include "meta/Json.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QDir>

#include <algorithm>
#include <cstdio>

namespace {

// Far beyond any path or URL, and any description written by hand or by a program.
constexpr int kMaxPathBytes = 64 * 1024;
constexpr int kMaxDescriptionBytes = 16 * 1024 * 1024;
constexpr int kMaxQuoted = 200;

// Appends what standard input holds, up to one byte past limit so that a longer input shows.
void readUpTo(QByteArray* text, int limit) {
    char buffer[64 * 1024];
    while (text->size() <= limit) {
        const size_t wanted = std::min(sizeof buffer, size_t(limit + 1 - text->size()));
        const size_t count = std::fread(buffer, 1, wanted, stdin);
        if (count == 0)
            return;
        text->append(buffer, int(count));
    }
}

// The start of a text, on one line and without control characters, to show in a message.
QString quoted(const QString& text) {
    QString shown = text.left(kMaxQuoted);
    for (QChar& c : shown)
        if (!c.isPrint())
            c = QLatin1Char('?');
    return (text.size() > kMaxQuoted ? QStringLiteral("'%1...'") : QStringLiteral("'%1'")).arg(shown);
}

VkSourcePtr invalid(const QString& error) {
    VkSourcePtr source(new VkSource(QStringLiteral("stdin")));
    source->setErrorText(error);
    return source;
}

VkSourcePtr openDescription(const QByteArray& text) {
    if (text.size() > kMaxDescriptionBytes)
        return invalid(QStringLiteral("Failed to parse txsource through stdin: it holds more than %1 bytes")
                           .arg(kMaxDescriptionBytes));
    PVariant description;
    QString error;
    if (!Json::read(text, description, &error) || description.type() != ValueType::KeyValuePairs) {
        if (error.isEmpty())
            error = QStringLiteral("the text is not a source description");
        return invalid(QStringLiteral("Failed to parse txsource through stdin: ") + error);
    }
    return VkSourceTypeRegistry::instance().openDescription(description.map(), QDir::currentPath());
}

// A path is one line; the registry's messages quote it, shortened here when it is long.
VkSourcePtr openPath(const QByteArray& text) {
    const QString path = QString::fromUtf8(text.constData(), text.size()).trimmed();
    if (text.size() > kMaxPathBytes || text.contains('\0') || path.contains(QLatin1Char('\n')))
        return invalid(QStringLiteral("standard input holds neither a path nor a source description: %1")
                           .arg(quoted(path)));
    VkSourcePtr source = VkSourceTypeRegistry::instance().open(path);
    if (!source->isValid() && path.size() > kMaxQuoted)
        source->setErrorText(QString(source->errorText()).replace(path, quoted(path)));
    return source;
}

} // namespace

namespace StandardInputSource {

VkSourcePtr open() {
    QByteArray text;
    readUpTo(&text, kMaxPathBytes);
    if (!text.startsWith('{'))
        return openPath(text);
    readUpTo(&text, kMaxDescriptionBytes);
    return openDescription(text);
}

} // namespace StandardInputSource
