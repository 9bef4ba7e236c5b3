#pragma once

#include <QString>

class TsfDatabase;

// One transaction around a whole write, entered by nested begin/end pairs: only the outermost
// begin starts it, and when the depth returns to zero it is rolled back if any failure was
// flagged meanwhile, else committed.
class TsfNestedTransaction {
public:
    explicit TsfNestedTransaction(TsfDatabase& db) : m_db(db) {}

    bool begin(QString* error);
    bool end(QString* error);
    void markFailed() { m_failed = true; }
    bool hasFailed() const { return m_failed; }
    int depth() const { return m_depth; }

private:
    TsfDatabase& m_db;
    int m_depth = 0;
    bool m_failed = false;
};
