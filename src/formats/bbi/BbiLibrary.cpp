#include "formats/bbi/BbiLibrary.h"

#include <dlfcn.h>

namespace {
constexpr const char* LibraryName = "libBigWig.so.0";
// The size of libBigWig's read buffer for remote files; local files do not use it.
constexpr int RemoteBufferSize = 1 << 17;

template <typename Function> bool resolve(void* handle, const char* name, Function* function) {
    *function = reinterpret_cast<Function>(dlsym(handle, name));
    return *function != nullptr;
}

QString load(BbiLibrary* library) {
    void* handle = dlopen(LibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return QStringLiteral("bigWig support is unavailable: %1").arg(QString::fromLocal8Bit(dlerror()));
    decltype(&bwInit) init = nullptr;
    const bool complete =
        resolve(handle, "bwInit", &init) && resolve(handle, "bwIsBigWig", &library->isBigWig) &&
        resolve(handle, "bbIsBigBed", &library->isBigBed) &&
        resolve(handle, "bwOpen", &library->openBigWig) && resolve(handle, "bbOpen", &library->openBigBed) &&
        resolve(handle, "bwClose", &library->close) && resolve(handle, "bbGetSQL", &library->autoSql) &&
        resolve(handle, "bwOverlappingIntervalsIterator", &library->intervals) &&
        resolve(handle, "bbOverlappingEntriesIterator", &library->entries) &&
        resolve(handle, "bwIteratorNext", &library->next) &&
        resolve(handle, "bwIteratorDestroy", &library->destroy);
    if (!complete)
        return QStringLiteral("bigWig support is unavailable: %1 lacks a function varkit needs")
            .arg(QLatin1String(LibraryName));
    if (init(RemoteBufferSize) != 0)
        return QStringLiteral("bigWig support is unavailable: %1 could not be set up")
            .arg(QLatin1String(LibraryName));
    return QString();
}
} // namespace

const BbiLibrary* BbiLibrary::get(QString* error) {
    static BbiLibrary library;
    static const QString failure = load(&library);
    if (!failure.isEmpty()) {
        *error = failure;
        return nullptr;
    }
    return &library;
}
