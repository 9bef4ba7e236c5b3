#include "transforms/framework/TransformUrl.h"

#include <QUrl>

namespace TransformUrl {

namespace {
const QLatin1String kScheme("transform://");
// Options are a few kilobytes; a length prefix far beyond that is damage, not options.
constexpr quint32 kMaxOptionsBytes = 64u << 20;

quint32 declaredLength(const QByteArray& compressed) {
    if (compressed.size() < 4)
        return 0;
    const auto* bytes = reinterpret_cast<const uchar*>(compressed.constData());
    return quint32(bytes[0]) << 24 | quint32(bytes[1]) << 16 | quint32(bytes[2]) << 8 | bytes[3];
}
} // namespace

bool isTransformUrl(const QString& url) {
    return url.startsWith(kScheme, Qt::CaseInsensitive);
}

QString make(const QString& name, const QByteArray& optionsJson, int encoding) {
    switch (encoding) {
    case 0: {
        const bool compress = optionsJson.size() > MaxPlainBase64;
        const QByteArray payload = compress ? qCompress(optionsJson) : optionsJson;
        return QStringLiteral("transform://%1/%2/%3/")
            .arg(name, compress ? QStringLiteral("b64z") : QStringLiteral("b64"),
                 QString::fromLatin1(QUrl::toPercentEncoding(QString::fromLatin1(payload.toBase64()))));
    }
    case 1:
        return QStringLiteral("transform://%1/json/ %2").arg(name, QString::fromUtf8(optionsJson));
    default:
        return QString();
    }
}

bool parse(const QString& url, Parsed* parsed, QString* error) {
    const QString rest = url.mid(kScheme.size());
    const int hostEnd = rest.indexOf(QLatin1Char('/'));
    parsed->name = rest.left(hostEnd < 0 ? rest.size() : hostEnd);
    const int encodingEnd = hostEnd < 0 ? -1 : rest.indexOf(QLatin1Char('/'), hostEnd + 1);
    parsed->encoding = hostEnd < 0 ? QString() : rest.mid(hostEnd + 1, encodingEnd < 0 ? -1 : encodingEnd - hostEnd - 1);
    QString payload = encodingEnd < 0 ? QString() : rest.mid(encodingEnd + 1);

    if (parsed->encoding == QLatin1String("json")) {
        parsed->optionsJson = payload.toUtf8();
        return true;
    }
    if (parsed->encoding != QLatin1String("b64") && parsed->encoding != QLatin1String("b64z")) {
        *error = QStringLiteral("Unrecognized transform encoding: %1")
                     .arg(parsed->encoding.isEmpty() ? QStringLiteral("unknown") : parsed->encoding);
        return false;
    }
    if (payload.endsWith(QLatin1Char('/')))
        payload.chop(1);
    const QByteArray decoded = QByteArray::fromBase64(QByteArray::fromPercentEncoding(payload.toLatin1()));
    if (parsed->encoding == QLatin1String("b64")) {
        parsed->optionsJson = decoded;
        return true;
    }
    const quint32 length = declaredLength(decoded);
    parsed->optionsJson = length > 0 && length <= kMaxOptionsBytes ? qUncompress(decoded) : QByteArray();
    if (parsed->optionsJson.isEmpty()) {
        *error = QStringLiteral("The compressed options of transform %1 do not decompress").arg(parsed->name);
        return false;
    }
    return true;
}

} // namespace TransformUrl
