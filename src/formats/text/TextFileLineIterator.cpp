#include "formats/text/TextFileLineIterator.h"

#include <htslib/bgzf.h>
#include <htslib/tbx.h>

#include <cstring>

namespace TextFile {

namespace {

constexpr qint64 InitialBufferSize = 1 << 20;
// Lengths are ints; a line beyond this is not text but a damaged or hostile file, which must not
// make the reader take all memory.
constexpr qint64 MaxLineLength = qint64(1) << 30;

QString lineTooLong(const QString& path) {
    return QStringLiteral("A line is longer than %1 bytes in file '%2'").arg(MaxLineLength).arg(path);
}

// Drops the "\r" of a "\r\n" line end, so a file edited on Windows reads like any other.
inline const char* finishLine(const char* line, qint64 size, int* length) {
    if (size > 0 && line[size - 1] == '\r')
        --size;
    *length = static_cast<int>(size);
    return line;
}

} // namespace

DeviceLineIterator::DeviceLineIterator(QIODevice* device, const QString& path)
    : m_device(device), m_path(path), m_buffer(new char[InitialBufferSize]), m_capacity(InitialBufferSize) {}

const char* DeviceLineIterator::nextLine(int* length, qint64* filePosition) {
    for (;;) {
        if (filePosition)
            *filePosition = m_bufferPosition + m_begin;
        char* start = m_buffer.get() + m_begin;
        const qint64 available = m_end - m_begin;
        auto* newline = static_cast<char*>(std::memchr(start + m_scanned, '\n', available - m_scanned));
        if (newline) {
            m_begin += newline - start + 1;
            m_scanned = 0;
            return finishLine(start, newline - start, length);
        }
        m_scanned = available;
        if (m_atEnd || !fill()) {
            if (hasError() || available == 0)
                return nullptr;
            m_begin = m_end;
            m_scanned = 0;
            return finishLine(m_buffer.get() + m_end - available, available, length);
        }
    }
}

bool DeviceLineIterator::fill() {
    if (m_begin > 0) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_begin, m_end - m_begin);
        m_bufferPosition += m_begin;
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_end == m_capacity && m_capacity >= MaxLineLength) {
        setError(lineTooLong(m_path));
        m_atEnd = true;
        return false;
    }
    if (m_end == m_capacity) {
        std::unique_ptr<char[]> larger(new char[m_capacity * 2]);
        std::memcpy(larger.get(), m_buffer.get(), m_end);
        m_buffer = std::move(larger);
        m_capacity *= 2;
    }
    const qint64 n = m_device->read(m_buffer.get() + m_end, m_capacity - m_end);
    if (n < 0)
        setError(QStringLiteral("Error reading file '%1': %2").arg(m_path, m_device->errorString()));
    if (n <= 0) {
        m_atEnd = true;
        return false;
    }
    m_end += n;
    return true;
}

BgzLineIterator::BgzLineIterator(BGZF* bgzf, const QString& path, bool missingEofBlock)
    : m_bgzf(bgzf), m_path(path), m_missingEofBlock(missingEofBlock) {}

const char* BgzLineIterator::nextLine(int* length, qint64* filePosition) {
    if (m_bgzf->block_offset >= m_bgzf->block_length && !nextBlock()) {
        if (filePosition)
            *filePosition = bgzf_tell(m_bgzf);
        return nullptr;
    }
    if (filePosition)
        *filePosition = bgzf_tell(m_bgzf);
    const char* block = static_cast<const char*>(m_bgzf->uncompressed_block);
    const char* start = block + m_bgzf->block_offset;
    const int size = m_bgzf->block_length - m_bgzf->block_offset;
    const auto* newline = static_cast<const char*>(std::memchr(start, '\n', size));
    if (!newline)
        return joinAcrossBlocks(start, size, length);
    const int consumed = static_cast<int>(newline - start) + 1;
    m_bgzf->block_offset += consumed;
    m_bgzf->uncompressed_address += consumed;
    return finishLine(start, newline - start, length);
}

// The slow path: a line that continues in the next block(s) is copied together.
const char* BgzLineIterator::joinAcrossBlocks(const char* start, int size, int* length) {
    m_joined.assign(start, size);
    for (;;) {
        m_bgzf->uncompressed_address += size;
        if (!nextBlock())
            return hasError() ? nullptr : finishLine(m_joined.data(), m_joined.size(), length);
        start = static_cast<const char*>(m_bgzf->uncompressed_block);
        size = m_bgzf->block_length;
        const auto* newline = static_cast<const char*>(std::memchr(start, '\n', size));
        if (newline) {
            const int consumed = static_cast<int>(newline - start) + 1;
            m_joined.append(start, newline - start);
            m_bgzf->block_offset = consumed;
            m_bgzf->uncompressed_address += consumed;
            return finishLine(m_joined.data(), m_joined.size(), length);
        }
        m_joined.append(start, size);
        if (qint64(m_joined.size()) > MaxLineLength) {
            setError(lineTooLong(m_path));
            return nullptr;
        }
    }
}

// As htslib's own line reader does, a used-up block is handed back emptied: its plain gzip and
// plain text readers rely on that. A seek leaves its offset in a block not yet loaded (length 0),
// which is kept. htslib skips the empty blocks inside a file, so an empty block means the end of
// the data; a damaged file can also end "cleanly" with the fault left in errcode.
bool BgzLineIterator::nextBlock() {
    if (hasError())
        return false;
    if (m_bgzf->block_length > 0)
        m_bgzf->block_offset = m_bgzf->block_length = 0;
    const bool failed = bgzf_read_block(m_bgzf) != 0 || m_bgzf->errcode != 0;
    if (failed || m_bgzf->block_length == 0) {
        if (failed)
            setError(QStringLiteral("Corrupt or truncated compressed data in file '%1'").arg(m_path));
        else if (m_missingEofBlock)
            setError(QStringLiteral("BGZip EOF block missing, file '%1' is truncated").arg(m_path));
        m_bgzf->block_offset = m_bgzf->block_length = 0;
        return false;
    }
    return true;
}

TabixLineIterator::TabixLineIterator(htsFile* file, const QString& path, bool missingEofBlock)
    : BgzLineIterator(hts_get_bgzfp(file), path, missingEofBlock) {}

} // namespace TextFile
