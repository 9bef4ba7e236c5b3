#include "app/commands/S3url.h"

#include "app/Console.h"

#include <QDateTime>
#include <QUrl>

#include <openssl/evp.h>
#include <openssl/hmac.h>

namespace {
const char* const kServiceHost = "s3.amazonaws.com";

QByteArray hmacSha1Base64(const QByteArray& key, const QByteArray& message) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha1(), key.constData(), key.size(), reinterpret_cast<const unsigned char*>(message.constData()),
         size_t(message.size()), digest, &length);
    return QByteArray(reinterpret_cast<const char*>(digest), int(length)).toBase64();
}
} // namespace

bool S3url::parseArgs() {
    const QStringList args = arguments();
    if (args.size() != 7)
        return false;
    m_bucket = args.at(2);
    m_key = args.at(3);
    m_accessKey = args.at(4);
    m_secretKey = args.at(5);
    bool ok = false;
    m_lifetime = args.at(6).toInt(&ok, 10);
    return ok;
}

int S3url::run() {
    const qint64 expires = QDateTime::currentSecsSinceEpoch() + m_lifetime;
    Console::out(signedUrl(m_bucket, m_key, m_accessKey, m_secretKey, expires));
    return 0;
}

QByteArray S3url::signedUrl(const QString& bucket, const QString& key, const QString& accessKey,
                            const QString& secretKey, qint64 expires) {
    const QByteArray encodedKey = QUrl::toPercentEncoding(key, "/");
    const QByteArray expiresText = QByteArray::number(expires);
    QByteArray resource;
    if (!bucket.isEmpty())
        resource = "/" + bucket.toUtf8();
    resource += "/" + encodedKey;
    const QByteArray stringToSign = "GET\n\n\n" + expiresText + "\n" + resource;
    const QByteArray signature = hmacSha1Base64(secretKey.toUtf8(), stringToSign);

    QByteArray url = "https://";
    if (!bucket.isEmpty())
        url += bucket.toUtf8() + ".";
    url += QByteArray(kServiceHost) + "/" + encodedKey;
    url += "?Signature=" + QUrl::toPercentEncoding(QString::fromLatin1(signature));
    url += "&Expires=" + expiresText;
    url += "&AWSAccessKeyId=" + QUrl::toPercentEncoding(accessKey);
    return url;
}
