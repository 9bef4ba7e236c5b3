#include "writers/DelimitedTextWriterWorker.h"

#include "formats/dsv/DsvSourceTypeManager.h"

#include "output/TextOutput.h"
#include "writers/TabularLayout.h"
#include "writers/ValueText.h"

namespace {

// A value holding the field delimiter or a line break would shift or split its row; such bytes
// become spaces.
void clean(QByteArray& line, int from, char delimiter) {
    char* data = line.data();
    for (int i = from; i < line.size(); ++i)
        if (data[i] == delimiter || data[i] == '\n' || data[i] == '\r')
            data[i] = ' ';
}

QString textOr(const QString& text, const char* fallback) {
    return text.isEmpty() ? QString::fromLatin1(fallback) : text;
}

} // namespace

DelimitedTextWriterWorker::DelimitedTextWriterWorker(VkSourcePtr source, DelimitedTextWriterTask task,
                                                     VkEventedThread* readerThread)
    : WriterWorker(std::move(source), readerThread), m_task(std::move(task)) {}

bool DelimitedTextWriterWorker::write(QString* error) {
    const DelimitedTextWriterSourceOptions options = m_task.sourceOptions();
    TabularLayout layout;
    if (!layout.build(source()->info(), options, error))
        return false;
    TextOutput output(m_task.outputFilePath());
    if (!output.open(inputs(), error))
        return false;

    const QByteArray delimiter = textOr(m_task.fieldDelim(), "\t").toUtf8();
    const char delimiterByte = delimiter.size() == 1 ? delimiter.at(0) : '\n';
    const ValueTextStyle style{textOr(m_task.subDelim(), ",").toUtf8(), m_task.missingValue().toUtf8()};
    const QVector<TabularColumn>& columns = layout.columns();
    QByteArray& text = output.buffer();

    if (m_task.writeHeader()) {
        text.append(m_task.headerPrefix().toUtf8());
        for (int i = 0; i < TabularLayout::LocusColumnCount; ++i) {
            if (i)
                text.append(delimiter);
            text.append(TabularLayout::locusTitle(i));
        }
        for (const TabularColumn& column : columns) {
            text.append(delimiter);
            const int from = text.size();
            text.append(layout.symbolTitle(column));
            clean(text, from, delimiterByte);
        }
        text.append('\n');
    }

    const int startShift = options.zeroBasedPos() ? 0 : 1;
    const auto writeLine = [&](const VkFeature& feature, QString* lineError) {
        const VkSegment& segment = feature.segment();
        text.append(segment.chromosome());
        text.append(delimiter);
        appendValueText(text, PVariant(segment.start() + startShift), style);
        text.append(delimiter);
        appendValueText(text, PVariant(segment.stop()), style);
        for (const TabularColumn& column : columns) {
            text.append(delimiter);
            const int from = text.size();
            if (column.sample < 0)
                appendValueText(text, feature.value(column.field), style);
            else
                appendSampleText(text, feature.value(column.field), column.sample, style);
            clean(text, from, delimiterByte);
        }
        text.append('\n');
        return output.flushIfFull(lineError);
    };
    if (!readFeatures(layout.fieldList(), writeLine, error) || !output.commit(error))
        return false;
    if (!output.isStream())
        addOutput(output.destination());
    return true;
}

VkSourcePtr DelimitedTextWriterWorker::openOutput(const QString& path) const {
    const QString prefix = m_task.headerPrefix();
    DelimitedTextReaderOptions options;
    const bool commentHeader = m_task.writeHeader() && !prefix.isEmpty();
    DelimitedText::applyFormatDefaults(options, false,
                                       commentHeader ? DelimitedText::HeaderStyle::CommentLine
                                                     : DelimitedText::HeaderStyle::FirstLine);
    if (commentHeader)
        options.setHeaderLinePattern(prefix);
    else if (!m_task.writeHeader())
        options.setHeaderLine(-1);
    options.setFieldDelimiter(textOr(m_task.fieldDelim(), "\t"));
    options.setListDelimiter(textOr(m_task.subDelim(), ","));
    options.setGenomicSegmentIndex(0);
    options.setGenomicStartIndex(1);
    options.setGenomicStopIndex(2);
    options.setGenomicStartOneBased(!m_task.sourceOptions().zeroBasedPos());
    return DsvSourceTypeManager::openWithOptions(path, options);
}
