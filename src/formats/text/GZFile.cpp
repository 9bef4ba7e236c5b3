#include "formats/text/GZFile.h"

#include <algorithm>
#include <climits>

namespace {
constexpr qint64 InputSize = 256 * 1024;
constexpr int GzipWindowBits = 15 + 16; // 32K window, gzip header and trailer
} // namespace

GZFile::GZFile(const QString& path, QObject* parent) : QIODevice(parent), m_file(path) {}

GZFile::~GZFile() {
    close();
}

bool GZFile::open(OpenMode mode) {
    if (isOpen())
        close();
    if (mode & WriteOnly) {
        setErrorString(QStringLiteral("Gzip files can only be opened for reading"));
        return false;
    }
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        setErrorString(m_file.errorString());
        return false;
    }
    if (inflateInit2(&m_stream, GzipWindowBits) != Z_OK) {
        m_file.close();
        setErrorString(QStringLiteral("Unable to start gzip decompression"));
        return false;
    }
    m_inflating = true;
    m_input.reset(new unsigned char[InputSize]);
    m_stream.avail_in = 0;
    m_inMember = m_finished = m_failed = false;
    return QIODevice::open(mode);
}

void GZFile::close() {
    if (m_inflating)
        inflateEnd(&m_stream);
    m_inflating = false;
    m_input.reset();
    m_file.close();
    QIODevice::close();
}

bool GZFile::reset() {
    if (!isOpen() || !m_file.seek(0))
        return false;
    inflateReset(&m_stream);
    m_stream.avail_in = 0;
    m_inMember = m_finished = m_failed = false;
    return true;
}

qint64 GZFile::writeData(const char*, qint64) {
    return -1;
}

bool GZFile::refill() {
    const qint64 n = m_file.read(reinterpret_cast<char*>(m_input.get()), InputSize);
    if (n <= 0)
        return false;
    m_stream.next_in = m_input.get();
    m_stream.avail_in = static_cast<uInt>(n);
    return true;
}

// Hands back what was inflated before the failure; the next read reports it.
qint64 GZFile::fail(const QString& error, qint64 produced) {
    setErrorString(error);
    m_failed = true;
    return produced > 0 ? produced : -1;
}

qint64 GZFile::readData(char* data, qint64 maxSize) {
    if (m_failed)
        return -1;
    if (m_finished)
        return 0;
    m_stream.next_out = reinterpret_cast<unsigned char*>(data);
    m_stream.avail_out = static_cast<uInt>(std::min<qint64>(maxSize, UINT_MAX));
    const uInt wanted = m_stream.avail_out;
    while (m_stream.avail_out > 0) {
        const qint64 produced = wanted - m_stream.avail_out;
        if (m_stream.avail_in == 0 && !refill()) {
            if (m_file.error() != QFileDevice::NoError)
                return fail(m_file.errorString(), produced);
            if (m_inMember)
                return fail(QStringLiteral("Unexpected end of compressed data"), produced);
            m_finished = true;
            break;
        }
        m_inMember = true;
        const int rc = inflate(&m_stream, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) {
            // Another member may follow, as in bgzip output or concatenated gzip files.
            inflateReset(&m_stream);
            m_inMember = false;
        } else if (rc != Z_OK) {
            return fail(QStringLiteral("Corrupt compressed data (%1)")
                            .arg(QString::fromLatin1(m_stream.msg ? m_stream.msg : "zlib error")),
                        produced);
        }
    }
    return wanted - m_stream.avail_out;
}
