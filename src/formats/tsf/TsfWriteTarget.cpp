#include "formats/tsf/TsfWriteTarget.h"

#include "formats/tsf/TsfDatabase.h"

#include <QFile>
#include <QFileInfo>

namespace {
constexpr qint64 kCopyBlock = 1 << 20;
} // namespace

TsfWriteTarget::TsfWriteTarget(QString outputPath) : m_outputPath(std::move(outputPath)) {}

TsfWriteTarget::~TsfWriteTarget() = default;

bool TsfWriteTarget::isMemory() const {
    return TsfDatabase::isMemoryName(m_outputPath);
}

QString TsfWriteTarget::writePath() const {
    return isMemory() || !m_file ? m_outputPath : m_file->writePath();
}

bool TsfWriteTarget::prepare(bool newFile, QString* error) {
    if (isMemory())
        return true;
    if (OutputDestination::isStream(m_outputPath)) {
        *error = QStringLiteral("A TSF file is a database and cannot be streamed into %1; give the name of a "
                                "file to write")
                     .arg(m_outputPath);
        return false;
    }
    m_file = std::make_unique<OutputFile>(m_outputPath, OutputFile::Access::ByPath);
    if (!m_file->open({}, error))
        return false;
    m_journal.claim(journalOf(m_file->writePath()));
    // A journal beside the output would be taken as the new file's own and played back into it.
    const QString staleJournal = journalOf(m_file->targetPath());
    if (QFileInfo::exists(staleJournal) && !QFile::remove(staleJournal)) {
        *error = QStringLiteral("Unable to remove the journal %1 left by an earlier write").arg(staleJournal);
        return false;
    }
    m_extends = !newFile && QFileInfo(m_file->targetPath()).isFile();
    return !m_extends || copyExisting(error);
}

bool TsfWriteTarget::copyExisting(QString* error) {
    QFile existing(m_file->targetPath());
    if (!existing.open(QIODevice::ReadOnly)) {
        *error =
            QStringLiteral("Could not read %1 to add to it: %2").arg(m_outputPath, existing.errorString());
        return false;
    }
    while (!existing.atEnd()) {
        const QByteArray block = existing.read(kCopyBlock);
        if (block.isEmpty() && existing.error() != QFileDevice::NoError) {
            *error = QStringLiteral("Could not read %1 to add to it: %2")
                         .arg(m_outputPath, existing.errorString());
            return false;
        }
        if (!m_file->write(block.constData(), block.size(), error))
            return false;
    }
    return true;
}

bool TsfWriteTarget::commit(QString* error) {
    if (isMemory())
        return true;
    if (!m_extends)
        m_file->keepConflicting();
    m_journal.remove();
    if (m_file->commit(error))
        return true;
    discard();
    return false;
}

QString TsfWriteTarget::writeError(int failedErrno, int impliedErrno) const {
    return m_file ? m_file->writeError(failedErrno, impliedErrno)
                  : QStringLiteral("Could not write %1").arg(m_outputPath);
}

void TsfWriteTarget::discard() {
    if (m_file)
        m_file->discard();
    m_journal.remove();
}
