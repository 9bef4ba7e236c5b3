#include "app/SysInfo.h"

#include <QFile>
#include <QSysInfo>

#include <sys/resource.h>
#include <unistd.h>

namespace {
qint64 totalMemoryMiB() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return (qint64(pages) * qint64(pageSize)) >> 20;
}

qint64 openFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return -1;
    return qint64(limit.rlim_cur);
}

void raiseOpenFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return;
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
}
} // namespace

namespace SysInfo {
QString processorDescription() {
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (!cpuinfo.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QString name;
    int processors = 0;
    const QList<QByteArray> lines = cpuinfo.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const int colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = line.left(colon).trimmed();
        if (key == "processor")
            ++processors;
        else if (key == "model name" && name.isEmpty())
            name = QString::fromUtf8(line.mid(colon + 1)).simplified();
    }
    if (processors > 1)
        return QStringLiteral("%1 (%2 cores)").arg(name).arg(processors);
    return name;
}

QByteArray report() {
    const QString product = QSysInfo::prettyProductName();
    const QString machine =
        QStringLiteral("%1, %2 %3")
            .arg(product, processorDescription(), QStringLiteral("%1 MB RAM").arg(totalMemoryMiB()));
    QByteArray text;
    text += "prettyProductName:" + product.toUtf8() + '\n';
    text += "productVersion:" + QSysInfo::productVersion().toUtf8() + '\n';
    text += "buildAbi:" + QSysInfo::buildAbi().toUtf8() + '\n';
    text += "cvlDesc:" + machine.toUtf8() + '\n';
    text += "defaultMaxFileHandles:" + QByteArray::number(openFileLimit()) + '\n';
    raiseOpenFileLimit();
    text += "afterSettingMax:" + QByteArray::number(openFileLimit()) + '\n';
    return text;
}
} // namespace SysInfo
