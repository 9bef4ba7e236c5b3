#include "formats/tsf/TsfWriteTarget.h"

#include "formats/tsf/TsfDatabase.h"

#include <QFile>
#include <QFileInfo>

namespace {

bool removeIfPresent(const QString& path) {
    return !QFileInfo::exists(path) || QFile::remove(path);
}

bool renameFile(const QString& from, const QString& to, QString* error) {
    if (QFile::rename(from, to))
        return true;
    *error = QStringLiteral("Unable to rename %1 to %2").arg(from, to);
    return false;
}

} // namespace

TsfWriteTarget::TsfWriteTarget(QString outputPath) : m_outputPath(std::move(outputPath)) {}

bool TsfWriteTarget::isMemory() const {
    return TsfDatabase::isMemoryName(m_outputPath);
}

QString TsfWriteTarget::writePath() const {
    return isMemory() ? m_outputPath : m_outputPath + QStringLiteral(".write");
}

bool TsfWriteTarget::prepare(bool newFile, QString* error) {
    if (isMemory())
        return true;
    const QString temporary = writePath();
    if (!removeIfPresent(temporary) || !removeIfPresent(journalOf(temporary)) ||
        !removeIfPresent(journalOf(m_outputPath))) {
        *error = QStringLiteral("Unable to remove existing file being asked to overwrite.");
        return false;
    }
    m_extends = !newFile && QFileInfo(m_outputPath).isFile();
    if (m_extends && !QFile::copy(m_outputPath, temporary)) {
        *error = QStringLiteral("Unable to copy %1 to %2").arg(m_outputPath, temporary);
        return false;
    }
    return true;
}

bool TsfWriteTarget::commit(QString* error) {
    if (isMemory())
        return true;
    if (!setAsideOutput(error) || !renameFile(writePath(), m_outputPath, error)) {
        discard();
        return false;
    }
    return true;
}

bool TsfWriteTarget::setAsideOutput(QString* error) const {
    if (!QFileInfo::exists(m_outputPath))
        return true;
    const QString kept = m_outputPath + QStringLiteral(".conflicting");
    if (m_extends ? !QFile::remove(m_outputPath) : !removeIfPresent(kept)) {
        *error = QStringLiteral("Unable to remove existing file being asked to overwrite.");
        return false;
    }
    return m_extends || renameFile(m_outputPath, kept, error);
}

void TsfWriteTarget::discard() const {
    if (isMemory())
        return;
    QFile::remove(writePath());
    QFile::remove(journalOf(writePath()));
}
