#pragma once

#include <QByteArray>
#include <QString>

class ReferenceSequence;

// One contiguous stretch of a reference chromosome, kept in upper case, that follows the
// variants of a sorted source: a request past its end extends it by a whole stretch, a request
// before its start prepends what is missing, and the bases more than 20,000 behind the current
// request are dropped. So neighbouring variants never re-read the reference, and what is held
// stays about 21,000 bases plus the read-ahead.
class AlignReferenceCache {
public:
    // Bases from position start of the cached chromosome; size is short where the chromosome ends.
    struct View {
        const char* data = nullptr;
        qint64 size = 0;
    };

    explicit AlignReferenceCache(const ReferenceSequence* reference) : m_reference(reference) {}

    // The bases [start, start + length) of a chromosome, cut at its ends. False, with the reason,
    // for a chromosome the reference lacks or a reference that cannot be read.
    bool lookup(const QByteArray& chromosome, qint64 start, qint64 length, View* view, QString* error);
    // The length of the chromosome of the last lookup.
    qint64 chromosomeLength() const { return m_chromosomeLength; }

private:
    bool restart(const QByteArray& chromosome, qint64 start, QString* error);
    bool prepend(qint64 start, QString* error);
    bool append(qint64 stop, QString* error);
    void drop(qint64 count);
    void compact();
    qint64 end() const { return m_start + m_bases.size() - m_dropped; }

    const ReferenceSequence* m_reference;
    QByteArray m_chromosome;
    qint64 m_chromosomeLength = 0;
    qint64 m_start = 0;
    // The bases from m_start on, after m_dropped bases no longer held.
    QByteArray m_bases;
    qint64 m_dropped = 0;
    QByteArray m_read;
};
