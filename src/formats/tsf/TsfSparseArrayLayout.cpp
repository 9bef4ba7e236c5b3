#include "formats/tsf/TsfSparseArrayLayout.h"

namespace {

bool missingKey(const char* key, QString* error) {
    *error = QStringLiteral("Sparse array index metadata has no valid \"%1\"").arg(QLatin1String(key));
    return false;
}

} // namespace

bool TsfSparseArrayLayout::isValidBinSize(int binSize) {
    return binSize >= 256 && binSize <= (1 << 20) && (binSize & (binSize - 1)) == 0;
}

int TsfSparseArrayLayout::chunkBits() const {
    int bits = 0;
    while ((1 << bits) < binSize)
        ++bits;
    return bits;
}

const TsfSparseArrayLayout::Chromosome* TsfSparseArrayLayout::chromosome(const QByteArray& name) const {
    for (const Chromosome& chromosome : chromosomes)
        if (chromosome.name == name)
            return &chromosome;
    return nullptr;
}

int64_t TsfSparseArrayLayout::chunkOf(const Chromosome& chromosome, int64_t bin) {
    // Runs are in bin order; find the last run starting at or before the bin.
    int low = 0;
    int high = chromosome.runs.size();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (chromosome.runs.at(mid).firstBin <= bin)
            low = mid + 1;
        else
            high = mid;
    }
    if (low == 0)
        return -1;
    const Run& run = chromosome.runs.at(low - 1);
    return bin < run.firstBin + run.binCount ? run.firstChunk + (bin - run.firstBin) : -1;
}

void TsfSparseArrayLayout::addBin(const QByteArray& name, int64_t bin, int64_t chunk) {
    if (chromosomes.isEmpty() || chromosomes.last().name != name)
        chromosomes.append(Chromosome{name, 0, {}});
    Chromosome& current = chromosomes.last();
    if (!current.runs.isEmpty()) {
        Run& last = current.runs.last();
        if (last.firstBin + last.binCount == bin && last.firstChunk + last.binCount == chunk) {
            ++last.binCount;
            return;
        }
    }
    current.runs.append(Run{bin, 1, chunk});
}

PVariantMap TsfSparseArrayLayout::toMap() const {
    QVector<PVariantMap> chromosomeMaps;
    for (const Chromosome& chromosome : chromosomes) {
        PVariantVector runs;
        for (const Run& run : chromosome.runs)
            runs.append(PVariant(PVariantVector{PVariant(static_cast<long long>(run.firstBin)),
                                                PVariant(static_cast<long long>(run.binCount)),
                                                PVariant(static_cast<long long>(run.firstChunk))}));
        chromosomeMaps.append(PVariantMap{{"name", PVariant(chromosome.name)},
                                          {"length", PVariant(static_cast<long long>(chromosome.length))},
                                          {"runs", PVariant(runs)}});
    }
    return PVariantMap{{"coordSysId", PVariant(coordSysId)},     {"usageSpace", PVariant(usageSpace)},
                       {"assemblyData", PVariant(assemblyData)}, {"binSize", PVariant(binSize)},
                       {"defaultValue", defaultValue},           {"chromosomes", PVariant(chromosomeMaps)}};
}

bool TsfSparseArrayLayout::fromMap(const PVariantMap& map, TsfSparseArrayLayout* layout, QString* error) {
    TsfSparseArrayLayout result;
    result.coordSysId = map.value("coordSysId").toQString();
    result.usageSpace = map.value("usageSpace").toQString();
    result.assemblyData = map.value("assemblyData").toQString();
    bool ok = false;
    result.binSize = map.value("binSize").toInt(&ok);
    if (!ok || !isValidBinSize(result.binSize))
        return missingKey("binSize", error);
    result.defaultValue = map.value("defaultValue");
    const PVariant chromosomes = map.value("chromosomes");
    if (chromosomes.type() != ValueType::KeyValuePairsArray && chromosomes.size() > 0)
        return missingKey("chromosomes", error);
    for (const PVariantMap& chromosomeMap : chromosomes.mapVector()) {
        Chromosome chromosome;
        chromosome.name = chromosomeMap.value("name").bytes();
        chromosome.length = chromosomeMap.value("length").toInt64(&ok);
        if (!ok)
            return missingKey("length", error);
        const PVariant runs = chromosomeMap.value("runs");
        for (int i = 0; i < runs.size(); ++i) {
            const PVariant run = runs.at(i);
            bool okBin = false, okCount = false, okChunk = false;
            chromosome.runs.append(
                Run{run.at(0).toInt64(&okBin), run.at(1).toInt64(&okCount), run.at(2).toInt64(&okChunk)});
            if (!okBin || !okCount || !okChunk)
                return missingKey("runs", error);
        }
        result.chromosomes.append(chromosome);
    }
    *layout = result;
    return true;
}
