#pragma once

#include <QIODevice>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <string>

struct BGZF;
struct htsFile;

namespace TextFile {

// Hands out the lines of a file one at a time, as bytes. A line comes without its "\n" or "\r\n";
// a last line without a line end is returned whole, and the empty rest after a final line end is
// not a line. The bytes stay valid until the next call and are not NUL-terminated.
class LineIterator {
public:
    virtual ~LineIterator() = default;

    // The next line and its length, or nullptr at the end of the data or on an error (see
    // hasError()). When filePosition is given, the position of the line's start is stored first:
    // the byte offset for plain text, the offset in the uncompressed data for gzip, and the BGZF
    // virtual offset (block start << 16 | offset in block) for BGZF files.
    virtual const char* nextLine(int* length, qint64* filePosition = nullptr) = 0;

    // A read error, or compressed data that is truncated or corrupt: never a clean end.
    bool hasError() const { return !m_error.isEmpty(); }
    const QString& errorText() const { return m_error; }

protected:
    void setError(const QString& error) { m_error = error; }

private:
    QString m_error;
};

// Splits what a device reads into lines, through one large buffer that grows for long lines.
class DeviceLineIterator : public LineIterator {
public:
    const char* nextLine(int* length, qint64* filePosition = nullptr) override;

protected:
    DeviceLineIterator(QIODevice* device, const QString& path);

private:
    // Moves the unread bytes to the front and reads more after them; false at the end or on error.
    bool fill();

    QIODevice* m_device;
    QString m_path;
    std::unique_ptr<char[]> m_buffer;
    qint64 m_capacity;
    qint64 m_begin = 0;          // first unread byte
    qint64 m_end = 0;            // one past the last byte read
    qint64 m_scanned = 0;        // bytes after m_begin known to hold no newline
    qint64 m_bufferPosition = 0; // device position of m_buffer[0]
    bool m_atEnd = false;
};

// Lines of a plain text file.
class TextLineIterator : public DeviceLineIterator {
public:
    TextLineIterator(QIODevice* file, const QString& path) : DeviceLineIterator(file, path) {}
};

// Lines of a gzip stream, read through a GZFile.
class GzipLineIterator : public DeviceLineIterator {
public:
    GzipLineIterator(QIODevice* gzFile, const QString& path) : DeviceLineIterator(gzFile, path) {}
};

// Lines of a file read through the htslib BGZF reader (BGZF, but also plain gzip or plain text).
// Lines that lie within one block are returned in place, without a copy.
class BgzLineIterator : public LineIterator {
public:
    // missingEofBlock: the file is BGZF but lacks the end-of-file block, so it was cut short.
    BgzLineIterator(BGZF* bgzf, const QString& path, bool missingEofBlock);
    const char* nextLine(int* length, qint64* filePosition = nullptr) override;

private:
    // Makes the next non-empty block current; false at the end of the data or on an error.
    bool nextBlock();
    const char* joinAcrossBlocks(const char* start, int size, int* length);

    BGZF* m_bgzf;
    QString m_path;
    bool m_missingEofBlock;
    std::string m_joined;
};

// Lines of a tabix-indexed BGZF file read from its current position.
class TabixLineIterator : public BgzLineIterator {
public:
    TabixLineIterator(htsFile* file, const QString& path, bool missingEofBlock);
};

} // namespace TextFile
