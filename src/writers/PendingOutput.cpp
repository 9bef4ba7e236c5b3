#include "writers/PendingOutput.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>

PendingOutput::PendingOutput(QString destination) : m_destination(std::move(destination)) {
    const QFileInfo info(m_destination);
    m_temporaryPath = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.') +
                      QString::number(QRandomGenerator::global()->generate64(), 36) + QStringLiteral(".part");
}

PendingOutput::~PendingOutput() {
    discard();
}

bool PendingOutput::commit(QString* error) {
    // rename() replaces an existing destination in one step, which QFile::rename does not.
    if (std::rename(QFile::encodeName(m_temporaryPath).constData(),
                    QFile::encodeName(m_destination).constData())) {
        *error = QStringLiteral("Could not write %1: %2")
                     .arg(m_destination, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_committed = true;
    return true;
}

void PendingOutput::discard() {
    if (!m_committed)
        QFile::remove(m_temporaryPath);
}
