#include "writers/FastaWriterWorker.h"

#include "output/TextOutput.h"

#include <QFileInfo>

FastaWriterWorker::FastaWriterWorker(VkSourcePtr source, FastaWriterTask task, VkEventedThread* readerThread)
    : WriterWorker(std::move(source), readerThread), m_task(std::move(task)) {}

FastaWriterWorker::~FastaWriterWorker() = default;

QString FastaWriterWorker::chromosomePath(const QString& outputPath, const QByteArray& chromosome) {
    const QFileInfo info(outputPath);
    QString name = QString::fromUtf8(chromosome);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    QString path = info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('.') + name;
    if (!info.suffix().isEmpty())
        path += QLatin1Char('.') + info.suffix();
    return path;
}

int FastaWriterWorker::sequenceField() const {
    const VkSourceInfo& info = source()->info();
    const int seq = info.fieldIndex("SEQ");
    if (seq >= 0)
        return seq;
    for (const VkField& field : info.schema)
        if (field.valueType == ValueType::String && field.fieldType == VkField::LocusAttribute)
            return field.idx;
    return -1;
}

bool FastaWriterWorker::write(QString* error) {
    m_field = sequenceField();
    if (m_field < 0) {
        *error = QStringLiteral("The source has no sequence field to write");
        return false;
    }
    if (!m_task.writeFilePerChr()) {
        m_outputs.push_back(std::make_unique<TextOutput>(m_task.outputFilePath()));
        m_output = m_outputs.back().get();
        if (!m_output->open(inputs(), error))
            return false;
    }
    const auto consume = [this](const VkFeature& feature, QString* pieceError) {
        return writePiece(feature, pieceError);
    };
    if (!readFeatures({m_field}, consume, error))
        return false;
    endLine();
    for (const std::unique_ptr<TextOutput>& output : m_outputs) {
        if (!output->commit(error))
            return false;
        if (!output->isStream())
            addOutput(output->destination());
    }
    return true;
}

bool FastaWriterWorker::startSequence(const QByteArray& chromosome, QString* error) {
    endLine();
    if (m_task.writeFilePerChr()) {
        const QString path = chromosomePath(m_task.outputFilePath(), chromosome);
        for (const std::unique_ptr<TextOutput>& output : m_outputs) {
            if (output->destination() == path) {
                *error = QStringLiteral("The source is not in chromosome order: %1 comes again after "
                                        "another chromosome")
                             .arg(QString::fromUtf8(chromosome));
                return false;
            }
        }
        m_outputs.push_back(std::make_unique<TextOutput>(path));
        m_output = m_outputs.back().get();
        if (!m_output->open(inputs(), error))
            return false;
    }
    m_chromosome = chromosome;
    m_position = -1;
    QByteArray& text = m_output->buffer();
    text.append('>');
    text.append(chromosome);
    text.append('\n');
    return true;
}

bool FastaWriterWorker::writePiece(const VkFeature& feature, QString* error) {
    const VkSegment& segment = feature.segment();
    if (!m_output || segment.chromosome() != m_chromosome) {
        if (!startSequence(segment.chromosome(), error))
            return false;
    }
    const QByteArray& bases = feature.value(m_field).bytes();
    const qint64 start = segment.start();
    qint64 skip = 0;
    if (m_position >= 0 && start > m_position)
        appendN(start - m_position);
    else if (m_position >= 0)
        skip = m_position - start;
    if (skip < bases.size())
        appendBases(bases.constData() + skip, bases.size() - skip);
    m_position = qMax(m_position, start + bases.size());
    return m_output->flushIfFull(error);
}

void FastaWriterWorker::appendBases(const char* bases, qint64 count) {
    QByteArray& text = m_output->buffer();
    while (count > 0) {
        const int take = int(qMin<qint64>(LineWidth - m_lineFill, count));
        text.append(bases, take);
        bases += take;
        count -= take;
        m_lineFill += take;
        if (m_lineFill == LineWidth)
            endLine();
    }
}

void FastaWriterWorker::appendN(qint64 count) {
    static const QByteArray unknown(LineWidth, 'N');
    for (; count > 0; count -= LineWidth)
        appendBases(unknown.constData(), qMin<qint64>(LineWidth, count));
}

void FastaWriterWorker::endLine() {
    if (m_lineFill > 0 && m_output)
        m_output->buffer().append('\n');
    m_lineFill = 0;
}
