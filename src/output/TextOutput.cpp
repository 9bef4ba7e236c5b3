#include "output/TextOutput.h"

TextOutput::TextOutput(const QString& destination) : m_file(destination) {
    // Reserved capacity survives resize(0), so the buffer is allocated once.
    m_buffer.reserve(BlockSize + BlockSize / 4);
}

bool TextOutput::flush(QString* error) {
    if (!m_file.write(m_buffer.constData(), m_buffer.size(), error))
        return false;
    m_buffer.resize(0);
    return true;
}
