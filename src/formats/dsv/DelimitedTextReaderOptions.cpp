#include "formats/dsv/DelimitedTextReaderOptions.h"

VK_DEFINE_OPTIONS(DelimitedTextReaderOptions, VK_DELIMITED_TEXT_READER_OPTIONS)

namespace DelimitedText {

void applyFormatDefaults(DelimitedTextReaderOptions& options, bool csv, HeaderStyle header) {
    if (csv) {
        options.setFieldDelimiter(QStringLiteral(","));
        options.setListDelimiter(QStringLiteral(";"));
        options.setSplitLineMethod(QuoteSplit);
        options.setSplitValueMethod(QuoteSplit);
    } else {
        options.setFieldDelimiter(QStringLiteral("\t"));
        options.setListDelimiter(QStringLiteral(","));
    }
    options.setRequireFieldCountMatch(false);
    options.setDynamicFieldList(false);
    options.setRemoveEmptyLastListValue(true);
    options.setHeaderLineModify(true);
    options.setIgnoreBlankLines(true);
    if (header == HeaderStyle::CommentLine) {
        options.setHeaderLinePatternType(0);
        options.setHeaderLinePattern(QStringLiteral("#"));
    } else {
        options.setHeaderLine(0);
    }
    const QVector<QString> missing{".", "?_?", "nan", "n/a", "?"};
    options.setMissingPatternList(missing);
    options.setMissingPatternTypeList(QVector<int>(missing.size(), 3));
    options.setMissingPatternCaseList(QVector<bool>(missing.size(), false));
}

} // namespace DelimitedText
