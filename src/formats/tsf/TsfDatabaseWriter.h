#pragma once

#include "formats/tsf/TsfCatalog.h"
#include "formats/tsf/TsfNestedTransaction.h"
#include "formats/tsf/TsfWriteTarget.h"
#include "meta/families/RenameOptions.h"

#include <QHash>
#include <QSet>
#include <QVector>

// What the TSF source writers share: the database written into its target inside one
// transaction, the chromosomes left out or renamed, and the course of the write, started once,
// then finished or abandoned. The first failure rolls the whole write back and removes the
// temporary file; every later call then fails.
class TsfDatabaseWriter {
public:
    virtual ~TsfDatabaseWriter();
    TsfDatabaseWriter(const TsfDatabaseWriter&) = delete;
    TsfDatabaseWriter& operator=(const TsfDatabaseWriter&) = delete;

    // Gives up: rolls back and removes the temporary file.
    void abandon();

    // The path (or in-memory name) of the written source.
    const QString& sourceUrl() const { return m_target.outputPath(); }

protected:
    TsfDatabaseWriter(QString outputPath, const QVector<QString>& dropSegmentsList,
                      const RenameOptions& segmentRenameOptions);

    // Marks the write started; false, failing it, when it was started before.
    bool markStarted(QString* error);
    // False, failing the write, when it is not started or already over.
    bool checkWritable(QString* error);
    // Prepares the target, then opens the database written and begins the write's outermost
    // transaction; a database without the catalog tables gets them.
    bool openDatabase(bool newFile, QString* error);
    // Ends the write's transaction and puts the database in place: an in-memory one is handed to
    // the shared cache, which keeps it alive for its readers; a file is closed and committed.
    // The write is finished then.
    bool closeDatabase(QString* error);
    // Abandons the write; the error becomes message unless that is empty, followed by the file
    // and the system's reason when the engine failed to read or write. Always false.
    bool fail(QString* error, const QString& message);
    bool isUnfinished() const { return m_started && !m_finished; }

    TsfDatabase m_db;
    TsfCatalog m_catalog;
    // The chromosomes left out, and the names others are written under.
    QSet<QByteArray> m_dropped;
    QHash<QByteArray, QByteArray> m_renames;

private:
    QString withSystemReason(const QString& message) const;
    // Drops the writer's table writers, which must go before the database closes.
    virtual void releaseTables() = 0;

    TsfWriteTarget m_target;
    TsfNestedTransaction m_transaction;
    bool m_started = false;
    bool m_failed = false;
    bool m_finished = false;
};
