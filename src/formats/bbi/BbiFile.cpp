#include "formats/bbi/BbiFile.h"

#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace {
// libBigWig wants one set-up call per process before files are opened.
bool initialised() {
    static const bool ok = bwInit(1 << 17) == 0;
    return ok;
}
} // namespace

BbiFile::BbiFile(QString path, bigWigFile_t* handle) : m_path(std::move(path)), m_handle(handle) {
    for (int64_t i = 0; i < handle->cl->nKeys; ++i)
        m_chromosomes.append(QByteArray(handle->cl->chrom[i]));
}

BbiFile::~BbiFile() {
    bwClose(m_handle);
}

std::unique_ptr<BbiFile> BbiFile::open(const QString& path, QString* error) {
    if (!QFileInfo::exists(path)) {
        *error = QStringLiteral("%1 does not exist").arg(path);
        return nullptr;
    }
    const QByteArray name = QFile::encodeName(path);
    const bool bigBed = initialised() && bbIsBigBed(name.constData(), nullptr);
    if (!bigBed && !(initialised() && bwIsBigWig(name.constData(), nullptr))) {
        *error = QStringLiteral("%1 is not a bigWig or bigBed file").arg(path);
        return nullptr;
    }
    bigWigFile_t* handle =
        bigBed ? bbOpen(name.constData(), nullptr) : bwOpen(name.constData(), nullptr, "r");
    if (!handle || !handle->cl) {
        if (handle)
            bwClose(handle);
        *error = QStringLiteral("%1 is damaged: its header or chromosome list cannot be read").arg(path);
        return nullptr;
    }
    return std::unique_ptr<BbiFile>(new BbiFile(path, handle));
}

QByteArray BbiFile::autoSql() const {
    char* text = bbGetSQL(m_handle);
    const QByteArray sql(text);
    std::free(text);
    return sql;
}
