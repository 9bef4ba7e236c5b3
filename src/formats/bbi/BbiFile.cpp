#include "formats/bbi/BbiFile.h"

#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace {
// Little-endian fields of the fixed header and of the chromosome tree's header.
quint64 field(const QByteArray& bytes, int at, int size) {
    quint64 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes.at(at + i));
    return value;
}

// libBigWig allocates by what the header claims before it reads: the claims are checked against
// the file's size first. Offsets must lie inside the file, the zoom headers and the chromosome
// list must fit in it, and the decompression buffer may not exceed what deflate can make of it.
bool plausibleHeader(const QString& path) {
    constexpr int HeaderSize = 64;
    constexpr int ZoomHeaderSize = 24;
    constexpr int TreeHeaderSize = 32;
    constexpr quint64 MaxDeflateRatio = 1032;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const quint64 size = quint64(file.size());
    const QByteArray header = file.read(HeaderSize);
    if (header.size() < HeaderSize)
        return false;
    const quint64 zoomLevels = field(header, 6, 2);
    const quint64 treeOffset = field(header, 8, 8);
    const quint64 offsets[] = {treeOffset,           field(header, 16, 8), field(header, 24, 8),
                               field(header, 36, 8), field(header, 44, 8), field(header, 56, 8)};
    for (quint64 offset : offsets)
        if (offset > size)
            return false;
    if (HeaderSize + zoomLevels * ZoomHeaderSize > size || field(header, 52, 4) > MaxDeflateRatio * size ||
        treeOffset + TreeHeaderSize > size || !file.seek(qint64(treeOffset)))
        return false;
    const QByteArray tree = file.read(TreeHeaderSize);
    if (tree.size() < TreeHeaderSize)
        return false;
    const quint64 itemSize = field(tree, 8, 4) + field(tree, 12, 4);
    return itemSize > 0 && field(tree, 16, 8) <= (size - treeOffset) / itemSize;
}
} // namespace

BbiFile::BbiFile(const BbiLibrary& library, QString path, bigWigFile_t* handle)
    : m_library(library), m_path(std::move(path)), m_handle(handle) {
    for (int64_t i = 0; i < handle->cl->nKeys; ++i)
        m_chromosomes.append(QByteArray(handle->cl->chrom[i]));
}

BbiFile::~BbiFile() {
    m_library.close(m_handle);
}

std::unique_ptr<BbiFile> BbiFile::open(const QString& path, QString* error) {
    if (!QFileInfo::exists(path)) {
        *error = QStringLiteral("%1 does not exist").arg(path);
        return nullptr;
    }
    const BbiLibrary* library = BbiLibrary::get(error);
    if (!library)
        return nullptr;
    const QByteArray name = QFile::encodeName(path);
    const bool bigBed = library->isBigBed(name.constData(), nullptr);
    if (!bigBed && !library->isBigWig(name.constData(), nullptr)) {
        *error = QStringLiteral("%1 is not a bigWig or bigBed file").arg(path);
        return nullptr;
    }
    bigWigFile_t* handle = !plausibleHeader(path) ? nullptr
                           : bigBed               ? library->openBigBed(name.constData(), nullptr)
                                                  : library->openBigWig(name.constData(), nullptr, "r");
    if (!handle || !handle->cl) {
        if (handle)
            library->close(handle);
        *error = QStringLiteral("%1 is damaged: its header or chromosome list cannot be read").arg(path);
        return nullptr;
    }
    return std::unique_ptr<BbiFile>(new BbiFile(*library, path, handle));
}

QByteArray BbiFile::autoSql() const {
    char* text = m_library.autoSql(m_handle);
    const QByteArray sql(text);
    std::free(text);
    return sql;
}
