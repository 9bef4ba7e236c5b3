#include "formats/bed/BedSourceTypeManager.h"

#include "formats/bed/BedParser.h"
#include "formats/text/TextFileReader.h"
#include "formats/track/LineTrack.h"
#include "source/registry/VkSourceTypeRegistry.h"

namespace {

class BedTrack : public LineTrack {
public:
    BedTrack(const QString& path, int columns) : LineTrack(path, true), m_columns(columns) {}
    std::unique_ptr<LineParser> parser(const QList<int>& fields) const override {
        return std::make_unique<BedParser>(m_columns, fields);
    }

private:
    int m_columns;
};

// The column count of the first data line; 3 for a file without data lines.
bool countColumns(const QString& path, int* columns, QString* error) {
    BedTrack probe(path, true);
    TextFile::Reader reader;
    if (!probe.open(reader, error))
        return false;
    int length = 0;
    qint64 lineNumber = 0;
    *columns = 3;
    while (const char* line = reader.nextLine(&length)) {
        ++lineNumber;
        if (BedParser::isHeaderLine(line, length))
            continue;
        ByteRange unused;
        *columns = LineSplit::split(line, length, '\t', &unused, 0);
        if (*columns >= 3)
            return true;
        *error = probe.lineError(
            lineNumber,
            QStringLiteral("a BED line needs at least 3 tab-separated columns, found %1").arg(*columns));
        return false;
    }
    *error = reader.errorText();
    return error->isEmpty();
}

[[maybe_unused]] const bool registered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<BedSourceTypeManager>());
    return true;
}();

} // namespace

bool BedSourceTypeManager::describe(VkSource& source, QString* error) const {
    int columns = 3;
    if (!describeFile(source, FeatureTypeName::Interval, error) ||
        !countColumns(source.path(), &columns, error))
        return false;
    auto track = QSharedPointer<BedTrack>::create(source.path(), columns);
    if (!track->probe(ProbeLines, error))
        return false;
    source.info().schema = BedParser::schema(columns);
    attachTrack(source, track);
    return true;
}
