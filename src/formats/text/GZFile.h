#pragma once

#include <QFile>
#include <QIODevice>
#include <zlib.h>

#include <memory>

// A sequential, read-only device that inflates a gzip file, including files of several concatenated
// gzip members (as bgzip writes). A stream that ends inside a member, or corrupt data, fails the read
// with an error string rather than looking like the end of the data. Open it with
// ReadOnly | Unbuffered for large block reads: the data is inflated straight into the caller's buffer.
class GZFile : public QIODevice {
    Q_OBJECT
public:
    explicit GZFile(const QString& path, QObject* parent = nullptr);
    ~GZFile() override;

    bool open(OpenMode mode) override;
    void close() override;
    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_finished; }
    // Starts again from the first byte of the uncompressed data.
    bool reset() override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    // Reads more compressed input; false at the end of the file or on an error.
    bool refill();
    qint64 fail(const QString& error, qint64 produced);

    QFile m_file;
    z_stream m_stream{};
    std::unique_ptr<unsigned char[]> m_input;
    bool m_inflating = false; // zlib state initialised
    bool m_inMember = false;  // inside a gzip member whose end has not been seen
    bool m_finished = false;
    bool m_failed = false;
};
