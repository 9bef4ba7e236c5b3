#include "source/reference/ReferenceSequence.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {
// The other usual name of a chromosome: with or without "chr", the mitochondrion as "MT" or "chrM".
QByteArray alternativeName(const QByteArray& chromosome) {
    if (chromosome == "MT")
        return QByteArrayLiteral("chrM");
    if (chromosome == "chrM")
        return QByteArrayLiteral("MT");
    if (chromosome.startsWith("chr"))
        return chromosome.mid(3);
    return QByteArrayLiteral("chr") + chromosome;
}
} // namespace

ReferenceSequence::ReferenceSequence(QVector<Sequence> sequences) : m_sequences(std::move(sequences)) {
    m_index.reserve(m_sequences.size());
    for (int i = 0; i < m_sequences.size(); ++i)
        m_index.insert(m_sequences[i].name, i);
}

ReferenceSequence* ReferenceSequence::of(const VkSource& source) {
    return source.resource<ReferenceSequence>();
}

QString ReferenceSequence::coordSysIdForName(const QString& name) {
    // A build name that starts the text or follows a separator, so "lib37" names nothing.
    static const QRegularExpression build37(
        QStringLiteral("(^|[^a-z0-9])(hg19|grch_?37|ncbi_?37|build_?37|hs37|b37|g1k_v37)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression build38(QStringLiteral("(^|[^a-z0-9])(hg38|grch_?38|ncbi_?38|build_?38)"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (build37.match(name).hasMatch())
        return QStringLiteral("GRCh_37,Chromosome,Homo sapiens");
    if (build38.match(name).hasMatch())
        return QStringLiteral("GRCh_38,Chromosome,Homo sapiens");
    return QString();
}

int ReferenceSequence::resolve(const QByteArray& chromosome) const {
    const int index = indexOf(chromosome);
    return index >= 0 ? index : indexOf(alternativeName(chromosome));
}

qint64 ReferenceSequence::length(const QByteArray& chromosome) const {
    const int index = resolve(chromosome);
    return index >= 0 ? m_sequences[index].length : -1;
}

bool ReferenceSequence::bases(const QByteArray& chromosome, qint64 start, qint64 stop, QByteArray* out,
                              QString* error) const {
    out->clear();
    const int index = resolve(chromosome);
    if (index < 0) {
        *error =
            QStringLiteral("The reference sequence has no chromosome %1").arg(QString::fromUtf8(chromosome));
        return false;
    }
    const qint64 length = m_sequences[index].length;
    start = std::clamp<qint64>(start, 0, length);
    stop = std::clamp<qint64>(stop, start, length);
    return start == stop || fetch(index, start, stop, out, error);
}

QByteArray ReferenceSequence::bases(const QByteArray& chromosome, qint64 start, qint64 stop) const {
    QByteArray out;
    QString error;
    return bases(chromosome, start, stop, &out, &error) ? out : QByteArray();
}

qint64 ReferenceSequence::windowCount() const {
    qint64 count = 0;
    for (const Sequence& sequence : m_sequences)
        count += (sequence.length + WindowSize - 1) / WindowSize;
    return count;
}

bool ReferenceSequence::describeSource(VkSource& source, QSharedPointer<ReferenceSequence> reference) {
    if (!reference)
        return false;
    source.info().describeFile(source.path());
    reference->describe(source.info());
    source.setResource(std::move(reference));
    return true;
}

void ReferenceSequence::describe(VkSourceInfo& info) const {
    VkField bases(0, "Sequence", "SEQ", ValueType::String);
    bases.doc = QStringLiteral("Reference bases of the window; soft-masked bases are in lower case");
    info.schema = {bases};
    info.coordInfo.featureType = QString::fromLatin1(FeatureTypeName::AlleleSequence);
    info.coordInfo.coordSysId = coordSysIdForName(QFileInfo(info.url).fileName());
    info.locusCount = int32_t(std::min<qint64>(windowCount(), INT32_MAX));
    info.entityCount = 0;
    info.properties.insert("SequenceCount", PVariant(int(m_sequences.size())));
    QList<QByteArray> names;
    for (const Sequence& sequence : m_sequences)
        names << sequence.name;
    info.chromosomeOrder = ChromosomeOrder(names, ChromosomeOrder::Sortedness::Sorted);
}
