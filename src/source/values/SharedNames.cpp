#include "source/values/SharedNames.h"

#include <QMutex>

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kLongestPermanentName = 256;
constexpr qint64 kPermanentBudget = qint64(64) << 20;

struct PermanentStore {
    QMutex mutex;
    QHash<QByteArray, QByteArray> names;
    qint64 bytes = 0;
};

PermanentStore& store() {
    static PermanentStore* permanent = new PermanentStore;
    return *permanent;
}

// A QByteArray over a header and bytes that are never freed, built the way QByteArrayLiteral
// builds its static data: copies and destructors leave a static count alone.
QByteArray makePermanent(const char* data, int size) {
    const size_t headerSize = sizeof(QByteArrayData);
    char* block = static_cast<char*>(std::malloc(headerSize + size_t(size) + 1));
    if (!block)
        return QByteArray(data, size);
    auto* header = new (block) QByteArrayData{Q_REFCOUNT_INITIALIZE_STATIC, size, 0, 0, qptrdiff(headerSize)};
    std::memcpy(block + headerSize, data, size_t(size));
    block[headerSize + size] = '\0';
    return QByteArray(QByteArrayDataPtr{header});
}

} // namespace

QByteArray SharedNames::permanent(const char* data, int size) {
    if (size > kLongestPermanentName)
        return QByteArray(data, size);
    PermanentStore& permanent = store();
    QMutexLocker lock(&permanent.mutex);
    const QByteArray probe = QByteArray::fromRawData(data, size);
    auto found = permanent.names.constFind(probe);
    if (found != permanent.names.constEnd())
        return found.value();
    if (permanent.bytes + size > kPermanentBudget)
        return QByteArray(data, size);
    const QByteArray name = makePermanent(data, size);
    permanent.bytes += size + qint64(sizeof(QByteArrayData));
    permanent.names.insert(name, name);
    return name;
}

const QByteArray& SharedNames::intern(const char* data, int size) {
    // A raw-data key borrows the caller's bytes for the lookup only.
    const QByteArray probe = QByteArray::fromRawData(data, size);
    auto found = m_names.constFind(probe);
    if (found != m_names.constEnd())
        return found.value();
    const QByteArray name = permanent(data, size);
    return m_names.insert(name, name).value();
}
