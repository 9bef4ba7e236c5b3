// Cost of building, destroying and copying VCF-shaped features: 5 fixed columns, 8 INFO values
// and the FORMAT fields GT:AD:DP:GQ:PL over 100 samples.
#include "source/values/SharedNames.h"
#include "source/model/VkFeature.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kSamples = 100;
constexpr int kFeatures = 1000000;
constexpr int kBatch = 1000;
constexpr int kCopyRounds = 1000;

// A fixed pseudo-random stream so every run builds the same records.
class Numbers {
public:
    int next(int bound) {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return int((m_state >> 33) % uint64_t(bound));
    }

private:
    uint64_t m_state = 42;
};

// Raw per-sample numbers drawn up front, so the timing covers the value model and not the
// random generator; a reader would copy parsed numbers the same way.
constexpr int kPool = 4096;

struct RecordParts {
    RecordParts() {
        for (int32_t& value : pool)
            value = numbers.next(256);
        for (const char* genotype : {"0/0", "0/1", "1/1"})
            genotypes.append(names.intern(genotype, 3));
    }
    const int32_t* draw(int count) { return pool + numbers.next(kPool - count); }

    SharedNames names;
    QByteArray chromosome = names.intern("chr20", 5);
    PVariant filter = PVariant::categorical(0, "PASS");
    QVector<QByteArray> genotypes;
    Numbers numbers;
    int32_t pool[kPool];
};

QVector<int32_t> copyInts(RecordParts& parts, int count) {
    QVector<int32_t> values(count);
    std::memcpy(values.data(), parts.draw(count), sizeof(int32_t) * size_t(count));
    return values;
}

PVariant perSampleLists(RecordParts& parts, int perSample) {
    QVector<int32_t> offsets(kSamples + 1);
    int32_t* offset = offsets.data();
    for (int s = 0; s <= kSamples; ++s)
        offset[s] = s * perSample;
    return PVariant(SampleMatrix(PVariant(copyInts(parts, kSamples * perSample)), std::move(offsets)));
}

VkFeature makeFeature(RecordParts& parts, int index) {
    PVariantVector values;
    values.reserve(18);
    values.append(PVariant(QByteArray("rs") + QByteArray::number(index)));
    values.append(PVariant(parts.names.intern("A", 1)));
    values.append(PVariant(parts.names.intern("G", 1)));
    values.append(PVariant(float(index % 1000) / 10));
    values.append(parts.filter);

    values.append(PVariant(QVector<int32_t>{index % 200}));
    values.append(PVariant(QVector<float>{float(index % 1000) / 1000}));
    values.append(PVariant(200));
    values.append(PVariant(index % 5000));
    values.append(PVariant(60.0f));
    values.append(PVariant(float(index % 400) / 10));
    values.append(PVariant(float(index % 100) / 10));
    values.append(PVariant(index % 2 == 1));

    const int32_t* calls = parts.draw(kSamples);
    QVector<QByteArray> genotypes;
    genotypes.reserve(kSamples);
    for (int s = 0; s < kSamples; ++s)
        genotypes.append(parts.genotypes.at(calls[s] % 3));
    values.append(PVariant(std::move(genotypes)));
    values.append(perSampleLists(parts, 2));
    values.append(PVariant(copyInts(parts, kSamples)));
    values.append(PVariant(copyInts(parts, kSamples)));
    values.append(perSampleLists(parts, 3));
    return VkFeature(VkSegment(parts.chromosome, 1000 + index, 1001 + index), std::move(values));
}

// Hands each batch it receives straight back, from its own thread.
class Echo : public QObject {
    Q_OBJECT
signals:
    void returned(VkFeatureList batch);

public slots:
    void receive(VkFeatureList batch) { emit returned(std::move(batch)); }
};

class Pitcher : public QObject {
    Q_OBJECT
signals:
    void thrown(VkFeatureList batch);
};

double nanosecondsSince(std::chrono::steady_clock::time_point start) {
    return double(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start)
            .count());
}

} // namespace

// A batch crosses to a worker thread and back through queued signals, as between a feature
// reader and its consumer; half a round trip is the cost of one hand-over.
double passBetweenThreads(const VkFeatureList& batch, int rounds) {
    qRegisterMetaType<VkFeatureList>("VkFeatureList");
    QThread thread;
    Echo echo;
    echo.moveToThread(&thread);
    thread.start();
    Pitcher pitcher;
    QEventLoop loop;
    int done = 0;
    QObject::connect(&pitcher, &Pitcher::thrown, &echo, &Echo::receive, Qt::QueuedConnection);
    QObject::connect(&echo, &Echo::returned, &loop, [&](VkFeatureList returned) {
        if (++done < rounds)
            emit pitcher.thrown(std::move(returned));
        else
            loop.quit();
    });
    const auto start = std::chrono::steady_clock::now();
    emit pitcher.thrown(batch);
    loop.exec();
    const double perPass = nanosecondsSince(start) / (2.0 * rounds);
    thread.quit();
    thread.wait();
    return perPass;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    RecordParts parts;
    std::printf("sizeof(PVariant) = %zu, sizeof(VkSegment) = %zu, sizeof(VkFeature) = %zu\n",
                sizeof(PVariant), sizeof(VkSegment), sizeof(VkFeature));

    qint64 checksum = 0;
    auto start = std::chrono::steady_clock::now();
    for (int done = 0; done < kFeatures; done += kBatch) {
        VkFeatureList batch;
        batch.reserve(kBatch);
        for (int i = 0; i < kBatch; ++i)
            batch.append(makeFeature(parts, done + i));
        checksum += batch.last().value(15).intVector().at(7);
    }
    std::printf("build and destroy: %.1f ns/feature (%d features, %d samples)\n",
                nanosecondsSince(start) / kFeatures, kFeatures, kSamples);

    VkFeatureList batch;
    for (int i = 0; i < kBatch; ++i)
        batch.append(makeFeature(parts, i));

    start = std::chrono::steady_clock::now();
    for (int round = 0; round < kCopyRounds; ++round) {
        VkFeatureList copy;
        copy.reserve(batch.size());
        for (const VkFeature& feature : batch)
            copy.append(feature);
        checksum += copy.size();
    }
    std::printf("copy a batch feature by feature: %.2f ns/feature\n",
                nanosecondsSince(start) / (double(kCopyRounds) * kBatch));

    start = std::chrono::steady_clock::now();
    for (int round = 0; round < kCopyRounds; ++round) {
        VkFeatureList copy;
        copy.reserve(batch.size());
        for (const VkFeature& feature : batch)
            copy.append(VkFeature(feature.segment(),
                                  PVariantVector(feature.values().begin(), feature.values().end())));
        checksum += copy.size();
    }
    std::printf("copy a batch with every value copied: %.2f ns/feature\n",
                nanosecondsSince(start) / (double(kCopyRounds) * kBatch));
    const int passes = 20000;
    std::printf("pass a batch of %d features to another thread: %.0f ns/batch\n", kBatch,
                passBetweenThreads(batch, passes));
    std::printf("checksum %lld\n", checksum);
    return 0;
}

#include "feature_bench.moc"
