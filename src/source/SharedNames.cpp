#include "source/SharedNames.h"

const QByteArray& SharedNames::intern(const char* data, int size) {
    // A raw-data key borrows the caller's bytes for the lookup only.
    const QByteArray probe = QByteArray::fromRawData(data, size);
    auto found = m_names.constFind(probe);
    if (found != m_names.constEnd())
        return found.value();
    const QByteArray owned(data, size);
    return m_names.insert(owned, owned).value();
}
