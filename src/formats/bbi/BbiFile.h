#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include "formats/bbi/BbiLibrary.h"

#include <memory>

// An open bigWig or bigBed file. libBigWig's handle keeps a file position, so every reader opens
// its own.
class BbiFile {
public:
    ~BbiFile();
    BbiFile(const BbiFile&) = delete;
    BbiFile& operator=(const BbiFile&) = delete;

    // Null, with the reason, when the file is missing or neither bigWig nor bigBed.
    static std::unique_ptr<BbiFile> open(const QString& path, QString* error);

    bool isBigBed() const { return m_handle->type == 1; }
    bigWigFile_t* handle() const { return m_handle; }
    const BbiLibrary& library() const { return m_library; }
    const QString& path() const { return m_path; }
    // The chromosomes in the order of their ids, which is the order of the data.
    const QVector<QByteArray>& chromosomes() const { return m_chromosomes; }
    int tid(const QByteArray& chromosome) const { return m_chromosomes.indexOf(chromosome); }
    qint64 length(int tid) const { return m_handle->cl->len[tid]; }
    // The autoSql description of a bigBed's columns; empty when the file has none.
    QByteArray autoSql() const;

private:
    BbiFile(const BbiLibrary& library, QString path, bigWigFile_t* handle);

    const BbiLibrary& m_library;
    QString m_path;
    bigWigFile_t* m_handle;
    QVector<QByteArray> m_chromosomes;
};
