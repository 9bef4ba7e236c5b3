#include "writers/XlsxWriterWorker.h"

#include "output/OutputFile.h"
#include "writers/TabularLayout.h"
#include "writers/ValueText.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kMaxCellText = 32767;
constexpr int kMaxSheetName = 31;

// "#RRGGBB", "RRGGBB" or "0xRRGGBB"; -1 for anything else, which leaves the group uncoloured.
int parseColor(QString text) {
    text = text.trimmed();
    if (text.startsWith(QLatin1Char('#')))
        text.remove(0, 1);
    else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text.remove(0, 2);
    bool ok = false;
    const int color = text.toInt(&ok, 16);
    return ok && text.size() == 6 ? color : -1;
}

// Excel refuses some characters, leading or trailing apostrophes, long names and repeated names.
QByteArray sheetName(lxw_workbook* workbook, const QString& wanted, int index) {
    static const QRegularExpression forbidden(QStringLiteral("[\\[\\]:*?/\\\\]"));
    QString name = wanted;
    name.remove(forbidden);
    name = name.left(kMaxSheetName).trimmed();
    while (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
        name = name.startsWith(QLatin1Char('\'')) ? name.mid(1) : name.chopped(1);
    if (name.isEmpty())
        name = QStringLiteral("Sheet%1").arg(index + 1);
    QString unique = name;
    for (int copy = 2; workbook_get_worksheet_by_name(workbook, unique.toUtf8().constData()); ++copy) {
        const QString suffix = QStringLiteral(" (%1)").arg(copy);
        unique = name.left(kMaxSheetName - suffix.size()) + suffix;
    }
    return unique.toUtf8();
}

// A cell holds at most kMaxCellText characters; longer texts are cut at a character boundary.
void fitCell(QByteArray& text) {
    if (text.size() <= kMaxCellText)
        return;
    int cut = kMaxCellText;
    while (cut > 0 && (uchar(text.at(cut)) & 0xC0) == 0x80)
        --cut;
    text.truncate(cut);
}

// One worksheet: its header rows, then one row per feature, written in order.
class SheetWriter {
public:
    SheetWriter(lxw_workbook* workbook, const XlsxWriterTask& task, XlsxWriterSourceOptions options,
                const VkSourceInfo& info)
        : m_workbook(workbook), m_options(std::move(options)),
          m_info(info), m_style{task.listDelim().toUtf8(), task.missingValue().toUtf8()} {
        m_text.reserve(kMaxCellText + 1);
    }

    bool begin(int index, QString* error) {
        if (!m_layout.build(m_info, m_options, error))
            return false;
        if (TabularLayout::LocusColumnCount + m_layout.columns().size() > XlsxWriterWorker::MaxColumns) {
            *error = QStringLiteral("The selection has more columns than an xlsx worksheet holds (%1)")
                         .arg(XlsxWriterWorker::MaxColumns);
            return false;
        }
        const QString wanted = m_options.name().isEmpty() ? m_info.name : m_options.name();
        m_sheet = workbook_add_worksheet(m_workbook, sheetName(m_workbook, wanted, index).constData());
        if (!m_sheet) {
            *error = QStringLiteral("Could not add the worksheet %1").arg(wanted);
            return false;
        }
        m_startShift = m_options.zeroBasedPos() ? 0 : 1;
        for (const TabularColumn& column : m_layout.columns())
            m_links.append(linkTemplate(m_info.schema.at(column.field)));
        writeHeader();
        return checked(error);
    }

    const QList<int>& fieldList() const { return m_layout.fieldList(); }

    bool writeRow(const VkFeature& feature, QString* error) {
        if (m_row >= lxw_row_t(XlsxWriterWorker::MaxRows)) {
            *error = QStringLiteral("The source has more features than an xlsx worksheet holds (%1 rows)")
                         .arg(XlsxWriterWorker::MaxRows);
            return false;
        }
        const VkSegment& segment = feature.segment();
        track(worksheet_write_string(m_sheet, m_row, 0, segment.chromosome().constData(), nullptr));
        track(worksheet_write_number(m_sheet, m_row, 1, segment.start() + m_startShift, nullptr));
        track(worksheet_write_number(m_sheet, m_row, 2, segment.stop(), nullptr));
        const QVector<TabularColumn>& columns = m_layout.columns();
        for (int i = 0; i < columns.size(); ++i) {
            const TabularColumn& column = columns.at(i);
            const lxw_col_t col = lxw_col_t(TabularLayout::LocusColumnCount + i);
            const PVariant& value = feature.value(column.field);
            if (column.sample < 0) {
                writeCell(col, value, m_links.at(i));
            } else if (value.isSampleMatrix()) {
                m_text.resize(0);
                appendSampleText(m_text, value, column.sample, m_style);
                writeText(col);
            } else {
                writeCell(col, value.at(column.sample), m_links.at(i));
            }
        }
        ++m_row;
        return checked(error);
    }

    // The rows wait in a temporary file whose write failures the library ignores: a full disk or
    // the file size limit would silently cut the sheet short. False with the reason.
    bool flushRows(const QString& destination, QString* error) {
        FILE* rows = m_sheet->optimize_tmpfile;
        const int failedErrno = rows && fflush(rows) != 0 ? errno : 0;
        if (!rows || (!failedErrno && !ferror(rows)))
            return true;
        *error = QStringLiteral("Could not write %1: %2 (while keeping its rows in the temporary folder %3)")
                     .arg(destination,
                          failedErrno ? QString::fromLocal8Bit(std::strerror(failedErrno))
                                      : QStringLiteral("the write failed"),
                          QDir::tempPath());
        return false;
    }

private:
    QByteArray linkTemplate(const VkField& field) const {
        if (!m_options.hyperlinks() || !field.urlTemplate.contains(QLatin1String("$$")))
            return QByteArray();
        return field.urlTemplate.toUtf8();
    }

    void writeHeader() {
        lxw_format* titleFormat = workbook_add_format(m_workbook);
        format_set_bold(titleFormat);
        if (m_layout.hasNamedGroups()) {
            for (const TabularGroup& group : m_layout.groups())
                writeGroup(group);
            ++m_row;
        }
        for (int i = 0; i < TabularLayout::LocusColumnCount; ++i)
            track(worksheet_write_string(m_sheet, m_row, lxw_col_t(i),
                                         TabularLayout::locusTitle(i).constData(), titleFormat));
        const QVector<TabularColumn>& columns = m_layout.columns();
        for (int i = 0; i < columns.size(); ++i) {
            const TabularColumn& column = columns.at(i);
            const lxw_col_t col = lxw_col_t(TabularLayout::LocusColumnCount + i);
            const bool namedAbove = m_layout.groups().at(column.group).perSample;
            track(worksheet_write_string(m_sheet, m_row, col,
                                         m_layout.nameTitle(column, !namedAbove).constData(), titleFormat));
            const QString& doc = m_info.schema.at(column.field).doc;
            if (m_options.documentationComments() && !doc.isEmpty()) {
                m_text = doc.toUtf8();
                fitCell(m_text);
                track(worksheet_write_comment(m_sheet, m_row, col, m_text.constData()));
            }
        }
        ++m_row;
        worksheet_freeze_panes(m_sheet, m_row, TabularLayout::LocusColumnCount);
    }

    // The name in the group's first cell, centred across the group's other cells, which carry the
    // same format: merged cells cannot be written row by row.
    void writeGroup(const TabularGroup& group) {
        if (group.name.isEmpty())
            return;
        lxw_format* format = workbook_add_format(m_workbook);
        format_set_bold(format);
        format_set_align(format, LXW_ALIGN_CENTER_ACROSS);
        const int color = parseColor(group.color);
        if (color >= 0)
            format_set_bg_color(format, lxw_color_t(color));
        const lxw_col_t first = lxw_col_t(TabularLayout::LocusColumnCount + group.firstColumn);
        track(worksheet_write_string(m_sheet, m_row, first, group.name.toUtf8().constData(), format));
        for (lxw_col_t col = first + 1; col < first + lxw_col_t(group.columnCount); ++col)
            track(worksheet_write_blank(m_sheet, m_row, col, format));
    }

    void writeCell(lxw_col_t col, const PVariant& value, const QByteArray& link) {
        if (value.isMissing()) {
            if (!m_style.missing.isEmpty())
                track(worksheet_write_string(m_sheet, m_row, col, m_style.missing.constData(), nullptr));
            return;
        }
        switch (value.type()) {
        case ValueType::Bool:
            track(worksheet_write_boolean(m_sheet, m_row, col, value.boolByte(), nullptr));
            return;
        case ValueType::Int:
        case ValueType::Int64:
        case ValueType::Float:
        case ValueType::Float64:
            if (link.isEmpty() && std::isfinite(value.toDouble())) {
                track(worksheet_write_number(m_sheet, m_row, col, value.toDouble(), nullptr));
                return;
            }
            break;
        default:
            break;
        }
        m_text.resize(0);
        appendValueText(m_text, value, m_style);
        if (link.isEmpty() || isListValue(value))
            writeText(col);
        else
            writeLink(col, link);
    }

    void writeText(lxw_col_t col) {
        fitCell(m_text);
        track(worksheet_write_string(m_sheet, m_row, col, m_text.constData(), nullptr));
    }

    // Links beyond what a worksheet accepts (too long, too many) are written as plain text.
    void writeLink(lxw_col_t col, const QByteArray& link) {
        fitCell(m_text);
        QByteArray url = link;
        url.replace("$$", m_text);
        if (worksheet_write_url_opt(m_sheet, m_row, col, url.constData(), nullptr, m_text.constData(),
                                    nullptr) != LXW_NO_ERROR)
            writeText(col);
    }

    // Keeps the first failure of the library; the row reports it.
    void track(lxw_error result) {
        if (m_failure == LXW_NO_ERROR)
            m_failure = result;
    }

    bool checked(QString* error) const {
        if (m_failure == LXW_NO_ERROR)
            return true;
        *error = QStringLiteral("Could not write row %1 of the xlsx worksheet: %2")
                     .arg(m_row)
                     .arg(QString::fromUtf8(lxw_strerror(m_failure)));
        return false;
    }

    lxw_workbook* m_workbook;
    XlsxWriterSourceOptions m_options;
    const VkSourceInfo& m_info;
    ValueTextStyle m_style;
    TabularLayout m_layout;
    lxw_worksheet* m_sheet = nullptr;
    lxw_row_t m_row = 0;
    int m_startShift = 1;
    QVector<QByteArray> m_links;
    QByteArray m_text;
    lxw_error m_failure = LXW_NO_ERROR;
};

} // namespace

XlsxWriterWorker::XlsxWriterWorker(VkSourcePtr source, XlsxWriterTask task, VkEventedThread* readerThread)
    : WriterWorker(std::move(source), readerThread), m_task(std::move(task)) {}

bool XlsxWriterWorker::write(QString* error) {
    // The library opens its file only when the workbook is closed; a destination that cannot be
    // written must fail before the whole source has been read.
    OutputFile output(m_task.outputFilePath(), OutputFile::Access::ByPath);
    if (!output.open(inputs(), error))
        return false;

    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    const QByteArray path = QFile::encodeName(output.writePath());
    lxw_workbook* workbook = workbook_new_opt(path.constData(), &options);
    if (!workbook) {
        *error = QStringLiteral("Could not create the xlsx workbook %1").arg(output.destination());
        return false;
    }
    QByteArray author = m_task.author().toUtf8();
    lxw_doc_properties properties = {};
    properties.author = author.data();
    workbook_set_properties(workbook, &properties);

    QVector<XlsxWriterSourceOptions> sheets = m_task.worksheets();
    if (sheets.isEmpty())
        sheets.append(XlsxWriterSourceOptions());
    bool written = true;
    for (int i = 0; i < sheets.size() && written; ++i) {
        SheetWriter sheet(workbook, m_task, sheets.at(i), source()->info());
        const auto writeRow = [&sheet](const VkFeature& feature, QString* rowError) {
            return sheet.writeRow(feature, rowError);
        };
        written = sheet.begin(i, error) && readFeatures(sheet.fieldList(), writeRow, error) &&
                  sheet.flushRows(output.destination(), error);
    }
    // Closing also frees the workbook, so it happens whether or not the sheets were written.
    const lxw_error closed = workbook_close(workbook);
    if (!written)
        return false;
    if (closed != LXW_NO_ERROR) {
        *error = output.writeError(0) + QStringLiteral(" (%1)").arg(QString::fromUtf8(lxw_strerror(closed)));
        return false;
    }
    if (!output.commit(error))
        return false;
    if (!output.isStream())
        addOutput(output.destination());
    return true;
}
