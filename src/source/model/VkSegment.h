#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <cstdint>

// A genomic interval: 0-based, half-open [start, stop) on a chromosome. The chromosome bytes are
// implicitly shared, so readers that hand the same QByteArray to every record of a chromosome
// make copying a segment a reference-count bump.
class VkSegment {
public:
    VkSegment() = default;
    VkSegment(QByteArray chromosome, int32_t start, int32_t stop)
        : m_chromosome(std::move(chromosome)), m_start(start), m_stop(stop) {}

    const QByteArray& chromosome() const { return m_chromosome; }
    int32_t start() const { return m_start; }
    int32_t stop() const { return m_stop; }
    void setChromosome(QByteArray chromosome) { m_chromosome = std::move(chromosome); }
    void setStart(int32_t start) { m_start = start; }
    void setStop(int32_t stop) { m_stop = stop; }

    bool isEmpty() const { return m_stop <= m_start; }
    int32_t length() const { return isEmpty() ? 0 : m_stop - m_start; }
    bool overlaps(const VkSegment& other) const {
        return m_chromosome == other.m_chromosome && m_start < other.m_stop && other.m_start < m_stop;
    }

    // Ordered only within one chromosome: lower start first and, at equal start, the enclosing
    // (longer) interval first. Segments on different chromosomes are never less than each other.
    bool operator<(const VkSegment& other) const {
        if (m_chromosome != other.m_chromosome)
            return false;
        return m_start < other.m_start || (m_start == other.m_start && m_stop > other.m_stop);
    }
    bool operator==(const VkSegment& other) const {
        return m_start == other.m_start && m_stop == other.m_stop && m_chromosome == other.m_chromosome;
    }
    bool operator!=(const VkSegment& other) const { return !(*this == other); }

    // "chromosome:start-stop" with the coordinates as stored.
    QString toString() const;

private:
    QByteArray m_chromosome;
    int32_t m_start = 0;
    int32_t m_stop = -1;
};

Q_DECLARE_TYPEINFO(VkSegment, Q_MOVABLE_TYPE);
Q_DECLARE_METATYPE(VkSegment)
