#include "formats/track/LineTrackCursor.h"

#include "formats/text/TextFileReader.h"
#include "formats/track/LineTrack.h"
#include "source/readers/ReadMode.h"

#include <QFileInfo>

namespace {

VkFeature emptyFeature(int fieldCount) {
    return VkFeature(VkSegment(), PVariantVector(fieldCount));
}

// Every record of the file from an ordinal on.
class LineCursor : public FeatureCursor {
public:
    LineCursor(const LineTrack& track, std::unique_ptr<LineParser> parser, qint64 skip)
        : m_track(track), m_parser(std::move(parser)), m_skip(skip),
          m_fileSize(QFileInfo(track.path()).size()) {}

    bool open(QString* error) { return m_track.open(m_reader, error); }

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
        int added = 0;
        int length = 0;
        QString reason;
        while (added < maxCount) {
            const char* line = m_reader.nextLine(&length, &m_position);
            if (!line) {
                m_atEnd = true;
                *error = m_reader.errorText();
                return error->isEmpty();
            }
            ++m_lineNumber;
            VkFeature feature = emptyFeature(m_parser->fieldCount());
            switch (m_parser->parse(line, length, feature, &reason)) {
            case LineParser::Skip:
                break;
            case LineParser::Malformed:
                *error = m_track.lineError(m_lineNumber, reason);
                return false;
            case LineParser::Record:
                if (m_skip > 0) {
                    --m_skip;
                } else {
                    batch.append(feature);
                    ++added;
                }
                break;
            }
        }
        return true;
    }

    bool atEnd() const override { return m_atEnd; }

    int percentDone() const override {
        if (m_atEnd)
            return 100;
        // A gzip stream tells positions in its uncompressed data only, whose size is unknown.
        if (m_fileSize <= 0 || m_reader.mode() != TextFile::Reader::Mode::Text)
            return -1;
        return int(qBound<qint64>(0, m_position * 100 / m_fileSize, 99));
    }

private:
    const LineTrack& m_track;
    std::unique_ptr<LineParser> m_parser;
    TextFile::Reader m_reader;
    qint64 m_skip;
    qint64 m_fileSize;
    qint64 m_position = 0;
    qint64 m_lineNumber = 0;
    bool m_atEnd = false;
};

// The records overlapping a list of regions, read region by region through the tabix index. A record
// that overlaps several regions is given once, for the first of them.
class TabixCursor : public FeatureCursor {
public:
    TabixCursor(const LineTrack& track, std::unique_ptr<LineParser> parser, QList<VkSegment> regions)
        : m_track(track), m_parser(std::move(parser)), m_regions(std::move(regions)) {}

    bool open(QString* error) { return m_track.openIndexed(m_reader, error) && startRegion(error); }

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
        int added = 0;
        int length = 0;
        QString reason;
        while (added < maxCount && !atEnd()) {
            const char* line = m_reader.nextLine(&length);
            if (!line) {
                if (m_reader.hasError()) {
                    *error = m_reader.errorText();
                    return false;
                }
                ++m_region;
                if (!startRegion(error))
                    return false;
                continue;
            }
            VkFeature feature = emptyFeature(m_parser->fieldCount());
            const LineParser::Outcome outcome = m_parser->parse(line, length, feature, &reason);
            if (outcome == LineParser::Malformed) {
                *error = QStringLiteral("%1 in region %2: %3")
                             .arg(m_track.path(), m_regions[m_region].toString(), reason);
                return false;
            }
            if (outcome == LineParser::Record && isFirstRegionOf(feature.segment())) {
                batch.append(feature);
                ++added;
            }
        }
        return true;
    }

    bool atEnd() const override { return m_region >= m_regions.size(); }
    int percentDone() const override {
        return m_regions.isEmpty() ? 100 : int(qint64(m_region) * 100 / m_regions.size());
    }

private:
    bool startRegion(QString* error) {
        if (atEnd())
            return true;
        const VkSegment& region = m_regions[m_region];
        if (m_reader.startQuery(region.chromosome(), region.start(), region.stop()))
            return true;
        *error = m_reader.errorText();
        return false;
    }

    bool isFirstRegionOf(const VkSegment& segment) const {
        if (!Vk::matches(segment, m_regions[m_region], Vk::Overlap))
            return false;
        for (int i = 0; i < m_region; ++i)
            if (Vk::matches(segment, m_regions[i], Vk::Overlap))
                return false;
        return true;
    }

    const LineTrack& m_track;
    std::unique_ptr<LineParser> m_parser;
    TextFile::Reader m_reader;
    QList<VkSegment> m_regions;
    int m_region = 0;
};

// The records an in-memory index found, rebuilt from the lines it kept.
class MemoryIndexCursor : public FeatureCursor {
public:
    MemoryIndexCursor(const LineTrack& track, std::shared_ptr<const TrackIndex> index,
                      std::unique_ptr<LineParser> parser, std::vector<qint64> records)
        : m_track(track), m_index(std::move(index)), m_parser(std::move(parser)),
          m_records(std::move(records)) {}

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
        QString reason;
        for (int added = 0; added < maxCount && !atEnd(); ++added, ++m_next) {
            const qint64 record = m_records[m_next];
            const ByteRange line = m_index->line(record);
            VkFeature feature = emptyFeature(m_parser->fieldCount());
            feature.setSegment(m_index->segment(record));
            if (!m_parser->reparse(line.data, line.size, m_index->segment(record), feature, &reason)) {
                *error = QStringLiteral("%1: %2").arg(m_track.path(), reason);
                return false;
            }
            batch.append(feature);
        }
        return true;
    }

    bool atEnd() const override { return m_next >= m_records.size(); }
    int percentDone() const override {
        return m_records.empty() ? 100 : int(qint64(m_next) * 100 / qint64(m_records.size()));
    }

private:
    const LineTrack& m_track;
    std::shared_ptr<const TrackIndex> m_index;
    std::unique_ptr<LineParser> m_parser;
    std::vector<qint64> m_records;
    size_t m_next = 0;
};

const LineTrack* trackOf(const VkSource& source, QString* error) {
    const LineTrack* track = source.resource<LineTrack>();
    if (!track)
        *error = QStringLiteral("Source %1 is not open").arg(source.path());
    return track;
}

} // namespace

namespace LineTrackCursor {

FeatureCursorPtr openSequential(const VkSourcePtr& source, qint64 offset, const QList<int>& fields,
                                QString* error) {
    const LineTrack* track = trackOf(*source, error);
    if (!track)
        return nullptr;
    auto cursor = std::make_unique<LineCursor>(*track, track->parser(fields), offset);
    if (!cursor->open(error))
        return nullptr;
    return cursor;
}

FeatureCursorPtr openIndexed(const VkSourcePtr& source, const QList<VkSegment>& regions,
                             const QList<int>& fields, QString* error) {
    const LineTrack* track = trackOf(*source, error);
    if (!track)
        return nullptr;
    if (!track->tabixPath().isEmpty()) {
        auto cursor = std::make_unique<TabixCursor>(*track, track->parser(fields), regions);
        if (!cursor->open(error))
            return nullptr;
        return cursor;
    }
    QString indexError;
    std::shared_ptr<const TrackIndex> index = track->memoryIndex(&indexError);
    if (index)
        return std::make_unique<MemoryIndexCursor>(*track, index, track->parser(fields),
                                                   index->overlapping(regions));
    *error = indexError;
    return nullptr;
}

} // namespace LineTrackCursor
