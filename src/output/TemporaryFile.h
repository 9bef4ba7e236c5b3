#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>

// A file that must not outlive the write that made it. Its path is held in a process-wide registry
// until the file is kept (renamed into place) or removed, so that an interrupted process can remove
// every such file from its signal handler through removeAllRegistered().
class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Takes charge of the file at path (a file created by the caller, or one about to be).
    void claim(const QString& path);
    const QString& path() const { return m_path; }
    bool isClaimed() const { return m_slot != nullptr; }
    // Deletes the file and lets it go.
    void remove();
    // Lets the file go without deleting it: it was moved into place.
    void keep();

    // Unlinks every registered file. Async-signal-safe: it only exchanges atomic slots and calls
    // unlink(2); the paths it takes are never freed, as the process is ending.
    static void removeAllRegistered() noexcept;

private:
    QString m_path;
    std::atomic<char*>* m_slot = nullptr;
    char* m_registered = nullptr;
};
