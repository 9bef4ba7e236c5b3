// Reads every feature of a VCF with all fields through VkReader, as a consumer on the event loop
// would, and prints the record count and the time taken.
//
//   vcf_read_bench <file.vcf[.gz]>
#include "source/readers/VkReader.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "tasks/workers/VkEventedThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file.vcf[.gz]>\n", argv[0]);
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    const VkSourcePtr source = VkSourceTypeRegistry::instance().open(QString::fromLocal8Bit(argv[1]));
    if (!source->isValid()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(source->errorText()));
        return 1;
    }
    QPointer<VkEventedThread> thread = new VkEventedThread(QStringLiteral("Reader Thread"));
    auto reader = std::make_unique<VkReader>(source, thread);
    qint64 records = 0;
    QEventLoop loop;
    QObject::connect(reader.get(), &VkReader::nextIsReady, &loop,
                     [&] { records += reader->takeFeatures().size(); });
    QObject::connect(reader.get(), &VkReader::readIsComplete, &loop, &QEventLoop::quit);
    reader->read();
    loop.exec();
    const bool failed = reader->hasError();
    if (failed)
        std::fprintf(stderr, "%s\n", qUtf8Printable(reader->errorText()));
    reader.reset();
    VkEventedThread::shutdownAndWait(thread);
    std::printf("%lld records, %lld fields, %.3f s\n", records, qint64(source->schema().size()),
                double(timer.nsecsElapsed()) / 1e9);
    return failed ? 1 : 0;
}
