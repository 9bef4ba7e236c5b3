// Asks a source one region query per site, in the order of the sites file, through one RegionQuery
// (the cursor is re-aimed at each site), reading every field of every record found. Prints the
// query count, the records found, the wall time and the peak memory.
//
//     region_query_bench <source> <sites.tsv>     (sites: chromosome<TAB>1-based position)
#include "source/readers/RegionQuery.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <sys/resource.h>

#include <cstdio>

namespace {

QList<VkSegment> readSites(const QString& path) {
    QList<VkSegment> sites;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return sites;
    while (!file.atEnd()) {
        const QList<QByteArray> columns = file.readLine().trimmed().split('\t');
        if (columns.size() >= 2)
            sites.append(VkSegment(columns[0], columns[1].toInt() - 1, columns[1].toInt()));
    }
    return sites;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: region_query_bench <source> <sites.tsv>\n");
        return 1;
    }
    const VkSourcePtr source = VkSourceTypeRegistry::instance().open(QString::fromLocal8Bit(argv[1]));
    if (!source->isValid()) {
        std::fprintf(stderr, "%s\n", qPrintable(source->errorText()));
        return 1;
    }
    const QList<VkSegment> sites = readSites(QString::fromLocal8Bit(argv[2]));
    QList<int> fields;
    for (const VkField& field : source->schema())
        fields << field.idx;

    QElapsedTimer timer;
    timer.start();
    RegionQuery query(source, fields);
    qint64 found = 0;
    VkFeatureList features;
    QString error;
    for (const VkSegment& site : sites) {
        features.clear();
        if (!query.start({site}, &error) || !query.readAll(features, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        found += features.size();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%d queries, %lld records, %.2f s, peak %ld MB\n", int(sites.size()), found,
                double(timer.elapsed()) / 1000, usage.ru_maxrss / 1024);
    return 0;
}
