#include "writers/TextOutput.h"

TextOutput::TextOutput(const QString& destination) : m_pending(destination) {
    // Reserved capacity survives resize(0), so the buffer is allocated once.
    m_buffer.reserve(BlockSize + BlockSize / 4);
}

bool TextOutput::open(QString* error) {
    m_file.setFileName(m_pending.temporaryPath());
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return true;
    *error = QStringLiteral("Could not create %1: %2").arg(destination(), m_file.errorString());
    return false;
}

bool TextOutput::flush(QString* error) {
    if (m_file.write(m_buffer) != m_buffer.size()) {
        *error = QStringLiteral("Could not write %1: %2").arg(destination(), m_file.errorString());
        return false;
    }
    m_buffer.resize(0);
    return true;
}

bool TextOutput::commit(QString* error) {
    if (!flush(error))
        return false;
    m_file.close();
    if (m_file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("Could not write %1: %2").arg(destination(), m_file.errorString());
        return false;
    }
    return m_pending.commit(error);
}
