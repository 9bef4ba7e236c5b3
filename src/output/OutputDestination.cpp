#include "output/OutputDestination.h"

#include <QFile>
#include <QRegularExpression>

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Linux gives up on symbolic link chains longer than this too.
constexpr int kMaxLinkHops = 40;

// The descriptor named by a path such as "/dev/stdout" or "/proc/self/fd/3"; -1 for other paths.
int namedDescriptor(const QString& path) {
    if (path == QLatin1String("/dev/stdout"))
        return STDOUT_FILENO;
    if (path == QLatin1String("/dev/stderr"))
        return STDERR_FILENO;
    static const QRegularExpression numbered(QStringLiteral("^/(?:dev|proc/self)/fd/(\\d{1,9})$"));
    const QRegularExpressionMatch match = numbered.match(path);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QByteArray folderOf(const QByteArray& path) {
    const int slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// Follows symbolic links, also dangling ones, to the path a new file would take. A loop is left
// as it is: creating the file then fails with the system's reason.
QByteArray followLinks(QByteArray path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info;
        if (lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = readlink(path.constData(), target.data(), size_t(target.size()));
        if (length <= 0 || length >= target.size())
            return path;
        target.truncate(int(length));
        path = target.startsWith('/') ? target : folderOf(path) + '/' + target;
    }
    return path;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

bool OutputDestination::resolve(const QString& destination, OutputDestination* resolved, QString* error) {
    if (destination.isEmpty()) {
        *error = QStringLiteral("No destination was given to write");
        return false;
    }
    *resolved = OutputDestination();
    resolved->path = destination;
    resolved->descriptor = namedDescriptor(destination);
    if (resolved->descriptor >= 0) {
        resolved->kind = Kind::Stream;
        return true;
    }
    struct stat info;
    const QByteArray encoded = QFile::encodeName(destination);
    if (stat(encoded.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            *error = QStringLiteral("The destination %1 is a directory; give the name of a file to write")
                         .arg(destination);
            return false;
        }
        if (!S_ISREG(info.st_mode)) {
            resolved->kind = Kind::Stream;
            return true;
        }
    }
    resolved->path = QFile::decodeName(followLinks(encoded));
    return true;
}

bool OutputDestination::checkNotAnInput(const QString& destination, const QStringList& inputs,
                                        QString* error) {
    struct stat written;
    if (stat(QFile::encodeName(destination).constData(), &written) != 0)
        return true;
    for (const QString& input : inputs) {
        struct stat read;
        if (stat(QFile::encodeName(input).constData(), &read) == 0 && sameFile(read, written)) {
            *error = QStringLiteral("The destination %1 is the input %2; writing it would destroy what is "
                                    "being read. Give another destination")
                         .arg(destination, input);
            return false;
        }
    }
    return true;
}

bool OutputDestination::isStream(const QString& destination) {
    OutputDestination resolved;
    QString error;
    return resolve(destination, &resolved, &error) && resolved.kind == Kind::Stream;
}

bool OutputDestination::isStandardOutput(const QString& destination) {
    if (namedDescriptor(destination) == STDOUT_FILENO)
        return true;
    struct stat named;
    struct stat out;
    return stat(QFile::encodeName(destination).constData(), &named) == 0 && fstat(STDOUT_FILENO, &out) == 0 &&
           sameFile(named, out);
}
