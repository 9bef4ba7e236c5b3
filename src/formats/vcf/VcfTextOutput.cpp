#include "formats/vcf/VcfTextOutput.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <htslib/bgzf.h>
#include <htslib/tbx.h>

#include <cstdio>

VcfTextOutput::VcfTextOutput(QString path) : m_output(std::move(path)) {}

VcfTextOutput::~VcfTextOutput() {
    if (m_file)
        bgzf_close(m_file);
}

bool VcfTextOutput::open(const QStringList& inputs, QString* error) {
    if (!m_output.open(inputs, error))
        return false;
    const bool compressed = isCompressed();
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
    const bool indexed = isCompressed() && !m_output.isStream();
    OutputFile index(m_output.targetPath() + QStringLiteral(".tbi"), OutputFile::Access::ByPath);
    const bool indexBuilt = indexed && buildIndex(index);
    return m_output.commit(error) && (!indexBuilt || index.commit(error));
}

bool VcfTextOutput::isCompressed() const {
    return m_output.destination().endsWith(QLatin1String(".gz"), Qt::CaseInsensitive);
}

// The tabix index of the written file, built before the file is in place so that both arrive
// together. A file the index cannot be built for (records out of order) stays unindexed, with a
// warning: the VCF itself is complete.
bool VcfTextOutput::buildIndex(OutputFile& index) {
    QString error;
    if (!index.open({}, &error)) {
        std::fprintf(stderr, "Warning: no index written for %s: %s\n", qUtf8Printable(m_output.destination()),
                     qUtf8Printable(error));
        return false;
    }
    if (tbx_index_build2(m_output.writePath().toLocal8Bit().constData(),
                         index.writePath().toLocal8Bit().constData(), 0, &tbx_conf_vcf) != 0) {
        std::fprintf(stderr, "Warning: no index written for %s: its records are not in genomic order\n",
                     qUtf8Printable(m_output.destination()));
        index.discard();
        return false;
    }
    return true;
}
