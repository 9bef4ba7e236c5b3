#include "formats/dsv/DelimitedTextCursor.h"

#include "formats/dsv/DelimitedTextQueryReader.h"
#include "source/readers/ReadMode.h"

#include <QtGlobal>

#include <algorithm>

namespace {

std::unique_ptr<DelimitedText::QueryReader> openFile(const VkSource& source, QString* error) {
    const auto* data = source.resource<DelimitedTextSourceData>();
    if (!data) {
        *error = QStringLiteral("Source %1 has no delimited text layout").arg(source.path());
        return nullptr;
    }
    auto file = std::make_unique<DelimitedText::QueryReader>(source.path(), data->options());
    if (!file->open()) {
        *error = file->errorText();
        return nullptr;
    }
    return file;
}

// Lines that could not be placed are left out of the answer; say so once, when the read ends.
void reportSkipped(const DelimitedText::QueryReader& file) {
    if (file.skippedLines() > 0)
        qWarning("Skipped %lld lines of '%s' whose start or stop is not a number, or whose column count "
                 "differs from the header",
                 file.skippedLines(), qUtf8Printable(file.path()));
}

// Every feature of the file from an ordinal on.
class SequentialCursor : public FeatureCursor {
public:
    SequentialCursor(std::unique_ptr<DelimitedText::QueryReader> file, qint64 offset, QList<int> fields)
        : m_file(std::move(file)), m_skip(offset), m_fields(std::move(fields)) {}

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
        VkFeature feature;
        for (int i = 0; i < maxCount && !m_done;) {
            if (!m_file->next(m_fields, &feature))
                return finish(error);
            if (m_skip > 0) {
                --m_skip;
                continue;
            }
            batch.append(feature);
            ++i;
        }
        return true;
    }
    bool atEnd() const override { return m_done; }
    int percentDone() const override { return m_done ? 100 : m_file->percentDone(); }

private:
    bool finish(QString* error) {
        m_done = true;
        reportSkipped(*m_file);
        *error = m_file->errorText();
        return error->isEmpty();
    }

    std::unique_ptr<DelimitedText::QueryReader> m_file;
    qint64 m_skip;
    QList<int> m_fields;
    bool m_done = false;
};

// Regions sorted and merged per chromosome, so that each feature is found once.
QList<VkSegment> mergedRegions(QList<VkSegment> regions) {
    std::sort(regions.begin(), regions.end(), [](const VkSegment& a, const VkSegment& b) {
        return a.chromosome() != b.chromosome() ? a.chromosome() < b.chromosome() : a.start() < b.start();
    });
    QList<VkSegment> merged;
    for (const VkSegment& region : regions) {
        if (!merged.isEmpty() && merged.last().chromosome() == region.chromosome() &&
            region.start() <= merged.last().stop())
            merged.last().setStop(std::max(merged.last().stop(), region.stop()));
        else
            merged.append(region);
    }
    return merged;
}

// The features overlapping a list of regions, one tabix query per region.
class RegionCursor : public FeatureCursor {
public:
    RegionCursor(std::unique_ptr<DelimitedText::QueryReader> file, const QList<VkSegment>& regions,
                 QList<int> fields)
        : m_file(std::move(file)), m_regions(mergedRegions(regions)), m_fields(std::move(fields)) {}

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
        VkFeature feature;
        int added = 0;
        while (added < maxCount && !atEnd()) {
            if (!m_querying && !startNextRegion(error))
                return false;
            if (!m_file->next(m_fields, &feature)) {
                if (!m_file->errorText().isEmpty()) {
                    *error = m_file->errorText();
                    return false;
                }
                m_querying = false;
                if (++m_region == m_regions.size())
                    reportSkipped(*m_file);
                continue;
            }
            if (isNew(feature.segment())) {
                batch.append(feature);
                ++added;
            }
        }
        return true;
    }
    bool atEnd() const override { return m_region >= m_regions.size(); }
    int percentDone() const override {
        return m_regions.isEmpty() ? 100 : int(100 * qint64(m_region) / m_regions.size());
    }
    // A join asks once per feature: the file and its index stay open.
    bool canReseek() const override { return true; }
    bool reseek(const QList<VkSegment>& regions, QString*) override {
        m_regions = mergedRegions(regions);
        m_region = 0;
        m_querying = false;
        return true;
    }

private:
    bool startNextRegion(QString* error) {
        if (!m_file->startQuery(m_regions[m_region])) {
            *error = m_file->errorText();
            return false;
        }
        m_querying = true;
        return true;
    }
    // In the current region and not already returned for the region before it.
    bool isNew(const VkSegment& segment) const {
        const VkSegment& region = m_regions[m_region];
        if (!Vk::matches(segment, region, Vk::Overlap))
            return false;
        return m_region == 0 || !Vk::matches(segment, m_regions[m_region - 1], Vk::Overlap);
    }

    std::unique_ptr<DelimitedText::QueryReader> m_file;
    QList<VkSegment> m_regions;
    QList<int> m_fields;
    int m_region = 0;
    bool m_querying = false;
};

} // namespace

namespace DelimitedTextCursor {

FeatureCursorPtr openSequential(const VkSourcePtr& source, qint64 offset, const QList<int>& fields,
                                QString* error) {
    auto file = openFile(*source, error);
    if (!file || !file->startRead()) {
        if (file)
            *error = file->errorText();
        return nullptr;
    }
    return std::make_unique<SequentialCursor>(std::move(file), offset, fields);
}

FeatureCursorPtr openIndexed(const VkSourcePtr& source, const QList<VkSegment>& regions,
                             const QList<int>& fields, QString* error) {
    if (!source->info().properties.contains("IndexFile"))
        return nullptr;
    auto file = openFile(*source, error);
    if (!file)
        return nullptr;
    return std::make_unique<RegionCursor>(std::move(file), regions, fields);
}

} // namespace DelimitedTextCursor
