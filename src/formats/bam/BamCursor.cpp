#include "formats/bam/BamCursor.h"

#include <htslib/sam.h>

#include <algorithm>
#include <cstdint>

namespace {
QByteArray readBases(const bam1_t* record) {
    const uint8_t* packed = bam_get_seq(record);
    QByteArray bases(record->core.l_qseq, Qt::Uninitialized);
    for (int i = 0; i < bases.size(); ++i)
        bases[i] = seq_nt16_str[bam_seqi(packed, i)];
    return bases;
}

// The read laid over its reference span: one character per reference base, the read's base where
// it aligns, '-' where it has a deletion and '.' where it skips (an intron). Insertions and clips
// take no reference bases, so they leave no trace here.
QByteArray alignedBases(const bam1_t* record, int32_t span) {
    if (record->core.l_qseq == 0)
        return QByteArray();
    const uint8_t* packed = bam_get_seq(record);
    const uint32_t* cigar = bam_get_cigar(record);
    QByteArray aligned;
    aligned.reserve(span);
    int query = 0;
    for (uint32_t i = 0; i < record->core.n_cigar; ++i) {
        const int length = int(bam_cigar_oplen(cigar[i]));
        switch (bam_cigar_op(cigar[i])) {
        case BAM_CMATCH:
        case BAM_CEQUAL:
        case BAM_CDIFF:
            for (int k = 0; k < length && query + k < record->core.l_qseq; ++k)
                aligned.append(seq_nt16_str[bam_seqi(packed, query + k)]);
            query += length;
            break;
        case BAM_CINS:
        case BAM_CSOFT_CLIP:
            query += length;
            break;
        case BAM_CDEL:
            aligned.append(length, '-');
            break;
        case BAM_CREF_SKIP:
            aligned.append(length, '.');
            break;
        default:
            break;
        }
    }
    return aligned;
}

QByteArray qualities(const bam1_t* record) {
    const uint8_t* quality = bam_get_qual(record);
    if (record->core.l_qseq == 0 || quality[0] == 0xff)
        return QByteArray();
    QByteArray text(record->core.l_qseq, Qt::Uninitialized);
    for (int i = 0; i < text.size(); ++i)
        text[i] = char(quality[i] + 33);
    return text;
}

PVariant cigarOps(const bam1_t* record) {
    const uint32_t* cigar = bam_get_cigar(record);
    QByteArray ops(int(record->core.n_cigar), Qt::Uninitialized);
    for (int i = 0; i < ops.size(); ++i)
        ops[i] = bam_cigar_opchr(cigar[i]);
    return PVariant(std::move(ops));
}

PVariant cigarLengths(const bam1_t* record) {
    const uint32_t* cigar = bam_get_cigar(record);
    QVector<int32_t> lengths(int(record->core.n_cigar));
    for (int i = 0; i < lengths.size(); ++i)
        lengths[i] = int32_t(bam_cigar_oplen(cigar[i]));
    return PVariant(std::move(lengths));
}
} // namespace

BamCursor::BamCursor(std::unique_ptr<BamFile> file, const QList<int>& fields)
    : m_file(std::move(file)), m_record(bam_init1()) {
    for (int field : fields)
        if (field >= 0 && field < BamField::Count)
            m_fields.set(size_t(field));
}

BamCursor::BamCursor(std::unique_ptr<BamFile> file, qint64 offset, const QList<int>& fields)
    : BamCursor(std::move(file), fields) {
    m_skip = std::max<qint64>(0, offset);
}

BamCursor::BamCursor(std::unique_ptr<BamFile> file, QVector<Range> ranges, const QList<int>& fields)
    : BamCursor(std::move(file), fields) {
    m_ranges = std::move(ranges);
    m_atEnd = !seekRange(0);
}

BamCursor::~BamCursor() {
    hts_itr_destroy(m_iterator);
    bam_destroy1(m_record);
}

QVector<BamCursor::Range> BamCursor::rangesOf(const BamFile& file, const QList<VkSegment>& regions) {
    QVector<Range> ranges;
    for (const VkSegment& region : regions) {
        const int tid = file.tid(region.chromosome());
        if (tid < 0)
            continue;
        // A zero-length region still asks for the reads at its position.
        const qint64 begin = std::max<qint64>(0, region.start());
        ranges.append({tid, begin, std::max<qint64>(region.stop(), begin + 1)});
    }
    return mergeSequenceRanges(std::move(ranges));
}

bool BamCursor::seekRange(int range) {
    hts_itr_destroy(m_iterator);
    m_iterator = nullptr;
    for (m_range = range; m_range < m_ranges.size(); ++m_range) {
        const Range& r = m_ranges[m_range];
        m_iterator = sam_itr_queryi(m_file->index(), r.tid, r.begin, r.end);
        if (m_iterator)
            return true;
    }
    return false;
}

bool BamCursor::seenBefore() const {
    if (m_range <= 0)
        return false;
    const Range& previous = m_ranges[m_range - 1];
    return previous.tid == m_record->core.tid && m_record->core.pos < previous.end &&
           bam_endpos(m_record) > previous.begin;
}

int BamCursor::readNext() {
    for (;;) {
        const int read = m_iterator ? sam_itr_next(m_file->file(), m_iterator, m_record)
                                    : sam_read1(m_file->file(), m_file->header(), m_record);
        if (read < -1)
            return -1;
        if (read == -1) {
            if (m_iterator && seekRange(m_range + 1))
                continue;
            return 0;
        }
        if (!plausible())
            return -1;
        if (m_record->core.tid < 0 || (m_iterator && seenBefore()))
            continue;
        if (m_skip > 0) {
            --m_skip;
            continue;
        }
        return 1;
    }
}

// htslib checks a record's sizes; what it leaves to us is that the references it names are in
// the header (index reads skip that check) and that its span fits the 32-bit positions of features.
bool BamCursor::plausible() const {
    const bam1_core_t& core = m_record->core;
    const int references = m_file->chromosomes().size();
    return core.tid < references && core.mtid < references && bam_endpos(m_record) <= INT32_MAX;
}

bool BamCursor::fill(VkFeatureList& batch, int maxCount, QString* error) {
    for (int i = 0; i < maxCount && !m_atEnd; ++i) {
        const int read = readNext();
        if (read < 0) {
            *error = QStringLiteral("%1 is damaged: a read cannot be decoded").arg(m_file->path());
            return false;
        }
        if (read == 0) {
            m_atEnd = true;
            break;
        }
        batch.append(toFeature());
    }
    return true;
}

int BamCursor::percentDone() const {
    if (m_atEnd)
        return 100;
    if (m_ranges.isEmpty())
        return m_file->percentRead();
    return int(100 * qint64(m_range) / m_ranges.size());
}

VkFeature BamCursor::toFeature() const {
    const bam1_core_t& core = m_record->core;
    const int32_t start = int32_t(core.pos);
    const int32_t stop = int32_t(bam_endpos(m_record));
    PVariantVector values(BamField::Count);
    auto set = [&](int field, auto&& make) {
        if (m_fields.test(size_t(field)))
            values[field] = make();
    };
    set(BamField::Name, [&] { return PVariant(QByteArray(bam_get_qname(m_record))); });
    set(BamField::Bin, [&] { return PVariant(int(core.bin)); });
    set(BamField::MapQual, [&] { return PVariant(int(core.qual)); });
    set(BamField::Flag, [&] { return PVariant(int(core.flag)); });
    set(BamField::CigarOp, [&] { return cigarOps(m_record); });
    set(BamField::CigarLen, [&] { return cigarLengths(m_record); });
    set(BamField::MateChr,
        [&] { return PVariant(core.mtid >= 0 ? m_file->chromosomes().value(core.mtid) : QByteArray()); });
    set(BamField::MatePos, [&] { return PVariant(core.mpos >= 0 ? int(core.mpos) : PVariant::MissingInt); });
    set(BamField::TemplateLen, [&] { return PVariant(int(core.isize)); });
    set(BamField::Seq, [&] { return PVariant(readBases(m_record)); });
    set(BamField::Align, [&] { return PVariant(alignedBases(m_record, stop - start)); });
    set(BamField::Qual, [&] { return PVariant(qualities(m_record)); });
    return VkFeature(VkSegment(m_file->chromosomes().value(core.tid), start, stop), std::move(values));
}
