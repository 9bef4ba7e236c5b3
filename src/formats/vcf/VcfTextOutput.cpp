#include "formats/vcf/VcfTextOutput.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <htslib/bgzf.h>

VcfTextOutput::VcfTextOutput(QString path) : m_output(std::move(path)) {}

VcfTextOutput::~VcfTextOutput() {
    if (m_file)
        bgzf_close(m_file);
}

bool VcfTextOutput::open(const QStringList& inputs, QString* error) {
    if (!m_output.open(inputs, error))
        return false;
    const bool compressed = m_output.destination().endsWith(QLatin1String(".gz"), Qt::CaseInsensitive);
    // The library closes what it is given; the output keeps its own descriptor.
    const int fd = fcntl(m_output.descriptor(), F_DUPFD_CLOEXEC, 0);
    m_file = fd < 0 ? nullptr : bgzf_dopen(fd, compressed ? "w" : "wu");
    if (!m_file) {
        *error = m_output.writeError(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    if (compressed)
        bgzf_mt(m_file, 2, 256);
    return true;
}

bool VcfTextOutput::write(const QByteArray& bytes, QString* error) {
    errno = 0;
    if (bgzf_write(m_file, bytes.constData(), size_t(bytes.size())) == bytes.size())
        return true;
    *error = m_output.writeError(errno);
    return false;
}

bool VcfTextOutput::commit(QString* error) {
    errno = 0;
    const int closed = bgzf_close(m_file);
    m_file = nullptr;
    if (closed != 0) {
        *error = m_output.writeError(errno);
        return false;
    }
    return m_output.commit(error);
}
