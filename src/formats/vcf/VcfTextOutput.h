#pragma once

#include <QByteArray>
#include <QString>

struct BGZF;

// The file a VCF writer writes: plain text, or BGZF when the name ends with ".gz". It is written
// under a temporary name and takes its real name only when commit() is called; otherwise the
// temporary file is removed, so a failed write never leaves a partial output behind.
class VcfTextOutput {
public:
    explicit VcfTextOutput(QString path);
    ~VcfTextOutput();
    VcfTextOutput(const VcfTextOutput&) = delete;
    VcfTextOutput& operator=(const VcfTextOutput&) = delete;

    bool open();
    bool write(const QByteArray& bytes);
    // Closes the file and moves it to its real name.
    bool commit(QString* error);

private:
    void discard();

    QString m_path;
    QString m_temporaryPath;
    BGZF* m_file = nullptr;
};
