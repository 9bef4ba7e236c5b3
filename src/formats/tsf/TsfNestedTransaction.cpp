#include "formats/tsf/TsfNestedTransaction.h"

#include "formats/tsf/TsfDatabase.h"

bool TsfNestedTransaction::begin(QString* error) {
    if (m_depth++ > 0)
        return true;
    return m_db.exec("BEGIN TRANSACTION;", error);
}

bool TsfNestedTransaction::end(QString* error) {
    if (m_depth == 0 || --m_depth > 0)
        return true;
    return m_db.exec(m_failed ? "ROLLBACK;" : "END TRANSACTION;", error);
}
