#include "formats/vcf/VCFWriterWorker.h"

#include "formats/vcf/VcfHeaderRecord.h"
#include "formats/vcf/VcfSampleText.h"
#include "formats/vcf/VcfTextOutput.h"
#include "formats/vcf/VcfValueText.h"
#include "source/values/CategoricalVector.h"
#include "source/reference/ReferenceLookup.h"
#include "source/reference/ReferenceSequence.h"
#include "source/readers/VkFeatureStream.h"
#include "source/model/VkSourceInfo.h"

#include <QDate>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <queue>
#include <vector>

namespace {

constexpr int TextPieceBytes = 1 << 18;
// Simplifies white space, doubles backslashes and escapes double quotes.
QByteArray quoted(const QString& description) {
    QByteArray text = description.simplified().toUtf8();
    text.replace('\\', "\\\\");
    text.replace('"', "\\\"");
    return '"' + text + '"';
}

QByteArray docOf(const VkField& field, int enumIndex) {
    const PVariant docs = field.props.value("enumDocs");
    if (docs.type() == ValueType::StringArray && enumIndex < docs.size())
        return docs.stringVector().at(enumIndex);
    return enumIndex < field.enumNames.size() ? field.enumNames.at(enumIndex) : QByteArray();
}

// The category names of a Categorical Array value; stores that keep only the codes are mapped
// through the field's enum.
QVector<QByteArray> categoryNames(const VkField& field, const PVariant& value) {
    if (value.type() == ValueType::CategoricalArray)
        return value.categoricalVector().names();
    QVector<QByteArray> names;
    if (value.type() == ValueType::IntArray)
        for (int32_t code : value.intVector())
            names.append(field.enumName(code));
    else if (value.type() == ValueType::Categorical)
        names.append(value.categoricalName());
    return names;
}

// Records waiting in the sort window, smallest (chromosome rank, start) first.
struct Pending {
    int rank;
    int32_t start;
    qint64 serial;
    VkFeature feature;
    bool operator>(const Pending& other) const {
        if (rank != other.rank)
            return rank > other.rank;
        if (start != other.start)
            return start > other.start;
        return serial > other.serial;
    }
};
// Why the source cannot be written as VCF; empty when it can.
QString sourceProblem(const VkSourcePtr& source) {
    if (!source || !source->isValid())
        return QStringLiteral("Invalid write source");
    if (source->featureType() != QLatin1String(FeatureTypeName::Variant) &&
        source->featureType() != QLatin1String(FeatureTypeName::VariantMap))
        return QStringLiteral("Only Variant and Variant Maps can be written to VCF");
    return QString();
}
} // namespace

VCFWriterWorker::VCFWriterWorker(VkSourcePtr source, VCFWriterTask task, VkEventedThread* readerThread)
    : m_source(std::move(source)), m_task(std::move(task)), m_readerThread(readerThread) {}

VCFWriterWorker::~VCFWriterWorker() = default;

void VCFWriterWorker::write() {
    QString error = sourceProblem(m_source);
    VcfTextOutput output(m_task.outputFilePath());
    if (error.isEmpty() && output.open(m_source->inputPaths(), &error) && writeAll(output, &error) &&
        !isCanceled())
        output.commit(&error);
    if (error.isEmpty())
        shutdown();
    else
        shutdownWithError(1, error);
}

bool VCFWriterWorker::writeAll(VcfTextOutput& output, QString* error) {
    m_columns = VcfColumns::of(m_source->schema(), m_task.fieldList());
    ReadRequest request;
    for (int idx = 0; idx < m_source->schema().size(); ++idx)
        request.fieldList.append(idx);
    VkFeatureStream stream(m_source, request, m_readerThread);
    if (!stream.start()) {
        *error = stream.errorText();
        return false;
    }

    const qint64 total = m_source->info().locusCount;
    const size_t window = size_t(std::max(0, m_task.sortWindowSize()));
    std::priority_queue<Pending, std::vector<Pending>, std::greater<Pending>> pending;
    QHash<QByteArray, int> chromosomeRank;
    qint64 serial = 0;
    qint64 written = 0;
    bool headerWritten = false;
    QByteArray text;
    // Reserved, so that emptying it after each piece keeps the memory instead of growing it again.
    text.reserve(TextPieceBytes + TextPieceBytes / 2);
    QString writeError;
    // Text goes out in pieces small enough to stay in cache and never to regrow the buffer.
    auto writeText = [&] {
        if (writeError.isEmpty())
            output.write(text, &writeError);
        text.truncate(0);
    };
    auto flush = [&](size_t keep) {
        while (pending.size() > keep) {
            appendRecord(text, pending.top().feature);
            pending.pop();
            ++written;
            if (text.size() >= TextPieceBytes)
                writeText();
        }
    };

    VkFeatureList batch;
    while (!isCanceled() && stream.next(batch)) {
        if (!headerWritten) {
            if (batch.isEmpty() || !findSampleNames(batch.first(), error))
                return false;
            text += header();
            headerWritten = true;
        }
        for (const VkFeature& feature : qAsConst(batch)) {
            const QByteArray& chromosome = feature.segment().chromosome();
            const int rank = chromosomeRank.value(chromosome, chromosomeRank.size());
            chromosomeRank.insert(chromosome, rank);
            pending.push({rank, feature.segment().start(), serial++, feature});
            flush(window);
        }
        writeText();
        if (!writeError.isEmpty()) {
            *error = writeError;
            return false;
        }
        if (total > 0)
            reportProgress(written, total);
    }
    if (!stream.errorText().isEmpty()) {
        *error = stream.errorText();
        return false;
    }
    if (!headerWritten) {
        if (!findSampleNames(VkFeature(), error))
            return false;
        text = header();
    }
    flush(0);
    writeText();
    *error = writeError;
    return writeError.isEmpty();
}

bool VCFWriterWorker::findSampleNames(const VkFeature& first, QString* error) {
    const bool hasMatrix = m_columns.genotype >= 0 || !m_columns.format.isEmpty();
    if (m_columns.sampleLabels >= 0) {
        const PVariant labels = first.value(m_columns.sampleLabels);
        if (labels.type() == ValueType::StringArray)
            m_sampleNames = labels.stringVector();
    }
    if (m_sampleNames.isEmpty() && hasMatrix) {
        const PVariant names = m_source->info().properties.value("SampleNames");
        if (m_columns.sampleLabels >= 0 && names.type() == ValueType::StringArray)
            m_sampleNames = names.stringVector();
    }
    if (hasMatrix && m_sampleNames.isEmpty()) {
        *error = QStringLiteral("A field to label the samples was not found in the write source.");
        return false;
    }
    m_formatKeys.clear();
    if (m_columns.genotype >= 0)
        m_formatKeys = "GT";
    for (int idx : m_columns.format) {
        if (!m_formatKeys.isEmpty())
            m_formatKeys += ':';
        m_formatKeys += m_source->schema().at(idx).symbol;
    }
    return true;
}

// "##contig" lines for the source's chromosomes that its header lines do not declare (a VCF.gz
// whose chromosomes come from its index): readers such as bcftools warn about undeclared ones.
QByteArray VCFWriterWorker::undeclaredContigs() const {
    QSet<QByteArray> declared;
    for (const QString& line : m_source->info().docInfo.headerLines()) {
        VcfHeaderRecord record;
        if (VcfHeaderRecord::parse(line.toUtf8(), &record) && record.isStructured() && record.key() == "contig")
            declared.insert(record.entry("ID"));
    }
    QByteArray text;
    for (const QByteArray& name : m_source->info().chromosomeOrder.names()) {
        if (!declared.contains(name))
            text += "##contig=<ID=" + name + ">\n";
    }
    return text;
}

QByteArray VCFWriterWorker::header() const {
    const VkFieldList& schema = m_source->schema();
    QByteArray text = "##fileformat=VCFv4.1\n";
    text += "##source=" + m_task.versionInfo().toUtf8() + '\n';
    text += "##fileDate=" + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")).toUtf8() + '\n';
    const QByteArray reference = m_source->info().properties.value("ReferenceFile").bytes();
    if (!reference.isEmpty())
        text += "##reference=" + reference + '\n';
    for (const QString& line : m_source->info().docInfo.headerLines())
        text += line.toUtf8() + '\n';
    text += undeclaredContigs();
    for (int idx : m_columns.info) {
        const VkField& field = schema.at(idx);
        text += "##INFO=<ID=" + field.symbol + ",Number=" + VcfColumns::number(field) +
                ",Type=" + VcfColumns::typeName(field.valueType) + ",Description=" + quoted(field.doc) +
                ">\n";
    }
    if (m_columns.flags >= 0) {
        const VkField& flags = schema.at(m_columns.flags);
        for (int i = 0; i < flags.enumNames.size(); ++i)
            text += "##INFO=<ID=" + flags.enumNames.at(i) +
                    ",Number=0,Type=Flag,Description=" + quoted(QString::fromUtf8(docOf(flags, i))) + ">\n";
    }
    if (m_columns.filter >= 0) {
        const VkField& filter = schema.at(m_columns.filter);
        for (int i = 0; i < filter.enumNames.size(); ++i)
            if (filter.enumNames.at(i) != "PASS")
                text += "##FILTER=<ID=" + filter.enumNames.at(i) +
                        ",Description=" + quoted(QString::fromUtf8(docOf(filter, i))) + ">\n";
    }
    if (m_columns.genotype >= 0)
        text +=
            "##FORMAT=<ID=GT,Number=1,Type=String,Description=" + quoted(schema.at(m_columns.genotype).doc) +
            ">\n";
    for (int idx : m_columns.format) {
        const VkField& field = schema.at(idx);
        text += "##FORMAT=<ID=" + field.symbol + ",Number=" + VcfColumns::number(field) +
                ",Type=" + VcfColumns::typeName(field.valueType) + ",Description=" + quoted(field.doc) +
                ">\n";
    }
    if (m_task.outputMatrixFilter())
        text += "##FORMAT=<ID=FT,Number=.,Type=STRING,Description=\"Sample Genotype Filter\">\n";
    if (m_task.outputMatrixQuality())
        text += "##FORMAT=<ID=QUAL,Number=.,Type=FLOAT,Description=\"File level quality field from samples "
                "original file\">\n";
    text += "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO";
    if (!m_formatKeys.isEmpty()) {
        text += "\tFORMAT";
        for (const QByteArray& name : m_sampleNames)
            text += '\t' + name;
    }
    return text + '\n';
}

void VCFWriterWorker::appendRecord(QByteArray& line, const VkFeature& feature) {
    line += feature.segment().chromosome();
    line += '\t';
    appendAlleles(line, feature);
    line += '\t';
    VcfValueText::append(line, m_columns.qual >= 0 ? feature.value(m_columns.qual) : PVariant());
    line += '\t';
    const QVector<QByteArray> filters =
        m_columns.filter >= 0
            ? categoryNames(m_source->schema().at(m_columns.filter), feature.value(m_columns.filter))
            : QVector<QByteArray>();
    VcfValueText::appendJoined(line, PVariant(filters), ';');
    line += '\t';

    const int infoStart = line.size();
    for (int idx : m_columns.info) {
        const PVariant& value = feature.value(idx);
        if (value.isMissing())
            continue;
        if (line.size() > infoStart)
            line += ';';
        line += m_source->schema().at(idx).symbol;
        line += '=';
        VcfValueText::append(line, value);
    }
    if (m_columns.flags >= 0) {
        for (const QByteArray& flag :
             categoryNames(m_source->schema().at(m_columns.flags), feature.value(m_columns.flags))) {
            if (line.size() > infoStart)
                line += ';';
            line += flag;
        }
    }
    if (line.size() == infoStart)
        line += '.';

    if (!m_formatKeys.isEmpty()) {
        line += '\t';
        line += m_formatKeys;
        m_sampleFields.clear();
        if (m_columns.genotype >= 0)
            m_sampleFields.push_back(&feature.value(m_columns.genotype));
        for (int idx : m_columns.format)
            m_sampleFields.push_back(&feature.value(idx));
        if (samplesRepeatLast()) {
            line += m_lastSampleText;
        } else {
            const int start = line.size();
            appendSamples(line);
            m_lastSampleText.resize(line.size() - start);
            std::memcpy(m_lastSampleText.data(), line.constData() + start, size_t(m_lastSampleText.size()));
            m_lastSampleValues.clear();
            for (const PVariant* value : m_sampleFields)
                m_lastSampleValues.push_back(*value);
        }
    }
    line += '\n';
}

bool VCFWriterWorker::samplesRepeatLast() const {
    if (m_lastSampleValues.size() != m_sampleFields.size())
        return false;
    for (size_t i = 0; i < m_sampleFields.size(); ++i) {
        if (!m_sampleFields[i]->sharesDataWith(m_lastSampleValues[i]))
            return false;
    }
    return true;
}

// The sample columns of the values in m_sampleFields (genotype first, then the FORMAT fields).
void VCFWriterWorker::appendSamples(QByteArray& line) {
    const int samples = m_sampleNames.size();
    const int fieldCount = int(m_sampleFields.size());
    if (VcfSampleText::append(line, m_sampleFields.data(), fieldCount, samples))
        return;
    for (int s = 0; s < samples; ++s) {
        line += '\t';
        for (int f = 0; f < fieldCount; ++f) {
            if (f > 0)
                line += ':';
            VcfValueText::appendSample(line, *m_sampleFields[size_t(f)], s);
        }
    }
}

// POS, ID, REF and ALT. A "-" allele (an insertion or deletion written without its anchor base)
// gets the reference base before the site, and the site moves back by one.
void VCFWriterWorker::appendAlleles(QByteArray& line, const VkFeature& feature) {
    QByteArray ref;
    QVector<QByteArray> alts;
    if (m_columns.ref >= 0 || m_columns.alt >= 0) {
        ref = feature.value(m_columns.ref).bytes();
        const PVariant alt = feature.value(m_columns.alt);
        if (alt.type() == ValueType::StringArray)
            alts = alt.stringVector();
        else if (!alt.bytes().isEmpty())
            alts = {alt.bytes()};
    } else if (m_columns.refAlt >= 0) {
        const QList<QByteArray> alleles = feature.value(m_columns.refAlt).bytes().split('/');
        ref = alleles.value(0);
        for (int i = 1; i < alleles.size(); ++i)
            alts.append(alleles.at(i));
    }
    // 64-bit: a feature may start at the largest 32-bit position (an insertion after it).
    qint64 position = qint64(feature.segment().start()) + 1;
    const bool needsAnchor = ref == "-" || alts.contains("-");
    if (needsAnchor) {
        const QByteArray base = referenceBase(feature.segment());
        position -= 1;
        ref = ref == "-" ? base : base + ref;
        for (QByteArray& alt : alts)
            alt = alt == "-" ? base : base + alt;
    }
    line += QByteArray::number(position);
    line += '\t';
    VcfValueText::appendJoined(line, m_columns.id >= 0 ? feature.value(m_columns.id) : PVariant(), ';');
    line += '\t';
    line += ref.isEmpty() ? QByteArray(".") : ref;
    line += '\t';
    if (alts.isEmpty())
        line += '.';
    for (int i = 0; i < alts.size(); ++i) {
        if (i)
            line += ',';
        line += alts.at(i);
    }
}

QByteArray VCFWriterWorker::referenceBase(const VkSegment& segment) {
    if (!m_referenceLooked) {
        m_referenceLooked = true;
        m_referenceSource = ReferenceLookup::findFor(m_source->info());
        m_reference = m_referenceSource ? ReferenceSequence::of(*m_referenceSource) : nullptr;
    }
    if (!m_reference) {
        warnOnce(QStringLiteral("No reference sequence was found for this file. \n"));
        warnOnce(QStringLiteral(" The letter 'N' was used to fill all deletions.\n"));
        return QByteArrayLiteral("N");
    }
    const QByteArray base =
        segment.start() > 0 ? m_reference->bases(segment.chromosome(), segment.start() - 1, segment.start())
                            : QByteArray();
    if (base.size() == 1)
        return base.toUpper();
    warnOnce(QStringLiteral("The reference \"%1\"\n was used as reference for deletions when possible.\n")
                 .arg(m_referenceSource->path()));
    warnOnce(QStringLiteral(" The letter 'N' was used to fill all other deletions.\n"));
    return QByteArrayLiteral("N");
}

void VCFWriterWorker::warnOnce(const QString& warning) {
    if (m_warned.contains(warning))
        return;
    m_warned.insert(warning);
    emit workerWarning(warning);
}
