#pragma once

#include <QByteArray>
#include <QString>

// The transform:// URL form of a transform: "transform://<name>/b64/<options>/" with the options'
// JSON in Base64 (percent-encoded), "transform://<name>/b64z/<options>/" when the JSON is longer
// than 32768 bytes (compressed first: a zlib stream after its 4-byte big-endian length), or
// "transform://<name>/json/ <options>" with the JSON as it is.
namespace TransformUrl {

constexpr int TypeId = 11;
constexpr int MaxPlainBase64 = 32768;

bool isTransformUrl(const QString& url);
// Encoding 0 is "b64" (or "b64z"), 1 is "json"; any other gives an empty text.
QString make(const QString& name, const QByteArray& optionsJson, int encoding);

struct Parsed {
    QString name;
    QString encoding;
    QByteArray optionsJson;
};
// Splits a URL into its name, encoding word and decoded options text. Fails with "Unrecognized
// transform encoding: %1" (the word, or "unknown" when empty) or with why the payload does not
// decode.
bool parse(const QString& url, Parsed* parsed, QString* error);

} // namespace TransformUrl
