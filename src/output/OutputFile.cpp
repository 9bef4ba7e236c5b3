#include "output/OutputFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Enough of the destination's name to recognise it while staying under the file name limit.
constexpr int kNameCharsInTemporary = 50;
constexpr int kCopyBlock = 1 << 20;
constexpr int kProbeBytes = 1 << 16;
constexpr int kCreateAttempts = 8;

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

QString reasonOf(int failedErrno) {
    return QString::fromLocal8Bit(std::strerror(failedErrno));
}

// Hidden, marked as varkit's and unique to this process, so a file left by a killed process is
// recognisable and never collides with a later write.
QString temporaryName(const QString& folder, const QString& name) {
    return folder + QStringLiteral("/.") + name.left(kNameCharsInTemporary) +
           QStringLiteral(".varkit-%1-%2.tmp")
               .arg(getpid())
               .arg(QRandomGenerator::global()->generate64(), 0, 36);
}

// Creates a new temporary file named after name in folder, in the charge of file; its descriptor,
// or -1 with errno set. The path is registered before the file exists, so that an interruption
// never finds it unregistered.
int createExclusive(const QString& folder, const QString& name, TemporaryFile& file) {
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        file.claim(temporaryName(folder, name));
        const int fd = ::open(encoded(file.path()).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        const int failedErrno = errno;
        // Not created here: another's file, or none.
        file.keep();
        errno = failedErrno;
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

bool writeAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// Copies everything from the start of from to to; 0, or the errno of the call that failed.
int copyContents(int from, int to) {
    if (lseek(from, 0, SEEK_SET) < 0)
        return errno;
    QByteArray block(kCopyBlock, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(from, block.data(), size_t(block.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            return 0;
        if (!writeAll(to, block.constData(), got))
            return errno;
    }
}

// Gives the file at path a second, temporary name beside like: a hard link, or a copy where links
// are not supported. 0, or the errno of the call that failed.
int secondName(const QByteArray& path, const QFileInfo& like, TemporaryFile& second) {
    const QString linkPath = temporaryName(like.absolutePath(), like.fileName());
    second.claim(linkPath);
    if (link(path.constData(), encoded(linkPath).constData()) == 0)
        return 0;
    second.keep();
    const int from = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (from < 0)
        return errno;
    const int to = createExclusive(like.absolutePath(), like.fileName(), second);
    int failedErrno = to < 0 ? errno : 0;
    if (to >= 0) {
        failedErrno = copyContents(from, to);
        if (::close(to) != 0 && !failedErrno)
            failedErrno = errno;
    }
    ::close(from);
    return failedErrno;
}

// Where a library wrote on a thread of its own, errno went with it; a file that still cannot grow
// tells why (a full disk, the file size limit). The errno of the failed growth, or 0.
int probeGrowth(int fd) {
    struct stat info;
    if (fstat(fd, &info) != 0)
        return 0;
    const QByteArray zeros(kProbeBytes, '\0');
    int failedErrno = 0;
    for (qint64 at = info.st_size, end = info.st_size + kProbeBytes; at < end;) {
        const ssize_t written = pwrite(fd, zeros.constData(), size_t(end - at), at);
        if (written <= 0) {
            failedErrno = written < 0 ? errno : 0;
            break;
        }
        at += written;
    }
    if (ftruncate(fd, info.st_size) != 0 && !failedErrno)
        failedErrno = errno;
    return failedErrno;
}

} // namespace

OutputFile::OutputFile(QString destination, Access access)
    : m_destination(std::move(destination)), m_access(access) {}

OutputFile::~OutputFile() {
    discard();
}

bool OutputFile::open(const QStringList& inputs, QString* error) {
    if (!OutputDestination::resolve(m_destination, &m_target, error) ||
        !OutputDestination::checkNotAnInput(m_destination, inputs, error))
        return false;
    if (!isStream())
        return createTemporary(m_target.path, error);
    // A library that seeks cannot write a stream: it fills a file in the temporary folder, which is
    // streamed out on commit.
    if (m_access == Access::ByPath)
        return createTemporary(QDir::tempPath() + QLatin1Char('/') + QFileInfo(m_destination).fileName(),
                               error);
    return openStream(error);
}

bool OutputFile::openStream(QString* error) {
    m_fd = m_target.descriptor >= 0 ? fcntl(m_target.descriptor, F_DUPFD_CLOEXEC, 0)
                                    : ::open(encoded(m_target.path).constData(), O_WRONLY | O_CLOEXEC);
    if (m_fd >= 0)
        return true;
    *error = openError(m_destination, errno);
    return false;
}

bool OutputFile::createTemporary(const QString& besidePath, QString* error) {
    const QFileInfo beside(besidePath);
    m_fd = createExclusive(beside.absolutePath(), beside.fileName(), m_temporary);
    if (m_fd < 0) {
        *error = openError(m_destination, errno);
        return false;
    }
    m_writePath = m_temporary.path();
    return true;
}

QString OutputFile::openError(const QString& path, int failedErrno) const {
    return QStringLiteral("Could not open file to write %1: %2").arg(path, reasonOf(failedErrno));
}

bool OutputFile::write(const char* data, qint64 size, QString* error) {
    if (writeAll(m_fd, data, size))
        return true;
    *error = writeError(errno);
    return false;
}

QString OutputFile::writeError(int failedErrno, int impliedErrno) const {
    if (!failedErrno && m_temporary.isClaimed())
        failedErrno = probeGrowth(m_fd);
    if (!failedErrno)
        failedErrno = impliedErrno;
    const QString reason = failedErrno ? reasonOf(failedErrno) : QStringLiteral("the write failed");
    return QStringLiteral("Could not write %1: %2").arg(m_destination, reason);
}

bool OutputFile::commit(QString* error) {
    if (isStream()) {
        if (m_access == Access::ByPath && !copyStagedToStream(error))
            return false;
        return closeDescriptor(error);
    }
    if (!closeDescriptor(error) || (m_keepConflicting && !setOldFileAside(error)))
        return false;
    if (std::rename(encoded(m_writePath).constData(), encoded(m_target.path).constData()) != 0) {
        *error = QStringLiteral("Could not write %1: %2").arg(m_destination, reasonOf(errno));
        return false;
    }
    m_temporary.keep();
    return true;
}

bool OutputFile::copyStagedToStream(QString* error) {
    const int staged = m_fd;
    m_fd = -1;
    bool copied = openStream(error);
    if (copied) {
        const int failedErrno = copyContents(staged, m_fd);
        copied = failedErrno == 0;
        if (!copied)
            *error = QStringLiteral("Could not write %1: %2").arg(m_destination, reasonOf(failedErrno));
    }
    ::close(staged);
    m_temporary.remove();
    return copied;
}

bool OutputFile::setOldFileAside(QString* error) {
    const QByteArray target = encoded(m_target.path);
    struct stat info;
    if (stat(target.constData(), &info) != 0)
        return true;
    // The old file gets a second name, which replaces any older copy in one rename: the old file
    // stays at the destination until the new one takes its place.
    const QFileInfo kept(m_target.path + QStringLiteral(".conflicting"));
    TemporaryFile second;
    const int failedErrno = secondName(target, kept, second);
    if (!failedErrno &&
        std::rename(encoded(second.path()).constData(), encoded(kept.filePath()).constData()) == 0) {
        second.keep();
        return true;
    }
    *error = QStringLiteral("Could not keep the existing %1 as %2: %3")
                 .arg(m_destination, kept.filePath(), reasonOf(failedErrno ? failedErrno : errno));
    return false;
}

bool OutputFile::closeDescriptor(QString* error) {
    if (m_fd < 0)
        return true;
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed == 0 || errno == EINTR)
        return true;
    *error = writeError(errno);
    return false;
}

void OutputFile::discard() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_temporary.remove();
}
