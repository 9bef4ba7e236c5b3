#include "formats/tsf/TsfDatabaseWriter.h"

#include "formats/tsf/TsfSharedCache.h"

#include <sqlite3.h>

#include <cerrno>

TsfDatabaseWriter::TsfDatabaseWriter(QString outputPath, const QVector<QString>& dropSegmentsList,
                                     const RenameOptions& segmentRenameOptions)
    : m_catalog(m_db), m_renames(chromosomeRenames(segmentRenameOptions)), m_target(std::move(outputPath)),
      m_transaction(m_db) {
    for (const QString& name : dropSegmentsList)
        m_dropped.insert(name.toUtf8());
}

TsfDatabaseWriter::~TsfDatabaseWriter() = default;

void TsfDatabaseWriter::abandon() {
    if (m_finished)
        return;
    m_failed = true;
    m_finished = true;
    releaseTables();
    if (m_db.isOpen()) {
        m_transaction.markFailed();
        while (m_transaction.depth() > 0)
            m_transaction.end(nullptr);
        m_db.close();
    }
    m_target.discard();
}

bool TsfDatabaseWriter::fail(QString* error, const QString& message) {
    if (!message.isEmpty())
        *error = message;
    *error = withSystemReason(*error);
    abandon();
    return false;
}

QString TsfDatabaseWriter::withSystemReason(const QString& message) const {
    sqlite3* db = m_db.handle();
    const int code = db ? sqlite3_errcode(db) & 0xff : SQLITE_OK;
    if (code != SQLITE_IOERR && code != SQLITE_FULL)
        return message;
    // The engine reports a full disk as SQLITE_FULL without the system's errno.
    const int impliedErrno = code == SQLITE_FULL ? ENOSPC : 0;
    return QStringLiteral("%1 (%2)").arg(m_target.writeError(sqlite3_system_errno(db), impliedErrno),
                                         message);
}

bool TsfDatabaseWriter::markStarted(QString* error) {
    if (m_started)
        return fail(error, QStringLiteral("The source was already started"));
    m_started = true;
    return true;
}

bool TsfDatabaseWriter::checkWritable(QString* error) {
    if (m_failed || !m_started || m_finished)
        return fail(error, m_failed ? QString() : QStringLiteral("The source is not open for writing"));
    return true;
}

bool TsfDatabaseWriter::openDatabase(bool newFile, QString* error) {
    if (!m_target.prepare(newFile, error))
        return false;
    const TsfDatabase::Mode mode =
        m_target.extendsExisting() ? TsfDatabase::Mode::ReadWrite : TsfDatabase::Mode::Create;
    if (!m_db.open(m_target.writePath(), mode, error)) {
        *error = QStringLiteral("%1: %2").arg(*error, m_target.outputPath());
        return false;
    }
    if (!m_transaction.begin(error))
        return false;
    return m_db.hasTable(QStringLiteral("tbl")) || m_catalog.createTables(error);
}

bool TsfDatabaseWriter::closeDatabase(QString* error) {
    releaseTables();
    if (!m_transaction.end(error))
        return false;
    if (m_target.isMemory()) {
        if (!TsfSharedCache::instance().adopt(std::move(m_db))) {
            *error = QStringLiteral("Unable to read in-memory database into shared resource. ");
            return false;
        }
    } else {
        m_db.close();
        if (!m_target.commit(error))
            return false;
    }
    m_finished = true;
    return true;
}
