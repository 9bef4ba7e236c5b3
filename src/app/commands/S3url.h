#pragma once

#include "app/Task.h"

// Prints a time-limited, query-string-signed (signature version 2) S3 URL.
class S3url : public Task {
public:
    S3url() : Task(QStringLiteral(":/s3urlhelp.txt")) {}
    bool parseArgs() override;
    int run() override;

    // The URL for an object, valid until `expires` (seconds since 1970, UTC).
    static QByteArray signedUrl(const QString& bucket, const QString& key, const QString& accessKey,
                                const QString& secretKey, qint64 expires);

private:
    QString m_bucket;
    QString m_key;
    QString m_accessKey;
    QString m_secretKey;
    int m_lifetime = 0;
};
