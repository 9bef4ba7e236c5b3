#pragma once

#include "formats/tsf/TsfDatabase.h"

#include <QMutex>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>

// The process-wide holder of in-memory TSF databases, the resource named "SharedCacheResource".
// An in-memory database lives only while some connection to it is open, so the writer hands its
// finished connection here; readers then open their own connections by the same "[memory]" name.
class TsfSharedCache {
public:
    static constexpr char ResourceName[] = "SharedCacheResource";

    static TsfSharedCache& instance();

    // Takes over an open in-memory database under its name; false when it is not open, not in
    // memory, or the name is already held.
    bool adopt(TsfDatabase&& db);
    bool contains(const QString& name) const;
    // Closes the held connection, which frees the database once its readers are gone.
    bool release(const QString& name);
    QStringList names() const;

private:
    TsfSharedCache() = default;

    mutable QMutex m_mutex;
    std::map<QString, std::unique_ptr<TsfDatabase>> m_databases;
};
