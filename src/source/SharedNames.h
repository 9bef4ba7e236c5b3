#pragma once

#include <QByteArray>
#include <QHash>

// Interns names that repeat on every record (chromosomes, categories, genotype texts) so that
// each record holds a shared copy of one QByteArray instead of allocating its own. Looking a
// name up does not allocate. Not thread-safe: one table per reader.
class SharedNames {
public:
    const QByteArray& intern(const char* data, int size);
    const QByteArray& intern(const QByteArray& name) { return intern(name.constData(), name.size()); }
    int size() const { return m_names.size(); }
    void clear() { m_names.clear(); }

private:
    QHash<QByteArray, QByteArray> m_names;
};
