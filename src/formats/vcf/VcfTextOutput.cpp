#include "formats/vcf/VcfTextOutput.h"

#include <QFile>

#include <htslib/bgzf.h>

VcfTextOutput::VcfTextOutput(QString path)
    : m_path(std::move(path)), m_temporaryPath(m_path + QStringLiteral(".write")) {}

VcfTextOutput::~VcfTextOutput() {
    discard();
}

bool VcfTextOutput::open() {
    const bool compressed = m_path.endsWith(QLatin1String(".gz"), Qt::CaseInsensitive);
    QFile::remove(m_temporaryPath);
    m_file = bgzf_open(QFile::encodeName(m_temporaryPath).constData(), compressed ? "w" : "wu");
    if (m_file && compressed)
        bgzf_mt(m_file, 2, 256);
    return m_file != nullptr;
}

bool VcfTextOutput::write(const QByteArray& bytes) {
    return m_file && bgzf_write(m_file, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

bool VcfTextOutput::commit(QString* error) {
    const int closed = bgzf_close(m_file);
    m_file = nullptr;
    if (closed != 0) {
        *error = QStringLiteral("Could not write %1").arg(m_path);
        QFile::remove(m_temporaryPath);
        return false;
    }
    QFile::remove(m_path);
    if (!QFile::rename(m_temporaryPath, m_path)) {
        *error = QStringLiteral("Could not move the written file to %1").arg(m_path);
        QFile::remove(m_temporaryPath);
        return false;
    }
    return true;
}

void VcfTextOutput::discard() {
    if (!m_file)
        return;
    bgzf_close(m_file);
    m_file = nullptr;
    QFile::remove(m_temporaryPath);
}
