#pragma once

#include <QByteArray>
#include <QHash>

// Interns names that repeat on every record (chromosomes, genotype texts, alleles, categories)
// so that each record holds a copy of one QByteArray instead of allocating its own.
//
// Interned names are permanent: their bytes live until the process ends and their reference
// count is marked static, so copying or dropping one never writes to shared memory. That keeps
// a reader thread and a writer thread from fighting over the count of "0/1" on every sample.
// The permanent store is bounded; past its budget (or for long texts) names are ordinary,
// reference-counted copies, which behave the same apart from that cost.
//
// A SharedNames table is a per-reader cache in front of the process-wide store: it is not
// thread-safe, and looking a name up in it does not allocate.
class SharedNames {
public:
    const QByteArray& intern(const char* data, int size);
    const QByteArray& intern(const QByteArray& name) { return intern(name.constData(), name.size()); }
    int size() const { return m_names.size(); }
    void clear() { m_names.clear(); }

    // The process-wide permanent copy of a name (thread-safe, takes a lock).
    static QByteArray permanent(const char* data, int size);

private:
    QHash<QByteArray, QByteArray> m_names;
};
