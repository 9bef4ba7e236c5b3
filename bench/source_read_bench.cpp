// Reads every feature of each source named on the command line through VkReader, as a consumer
// on the main thread does, and prints the feature count and the wall time of the read.
//
//     source_read_bench <source>...
#include "source/readers/VkReader.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "tasks/workers/VkEventedThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

// Returns false when the source cannot be read.
bool readAll(const QString& path) {
    const VkSourcePtr source = VkSourceTypeRegistry::instance().open(path);
    if (!source->isValid()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(source->errorText()));
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    qint64 features = 0;
    // The reader's thread is shut down before the next source (and before the process-wide
    // caches go at exit).
    VkEventedThread* thread = new VkEventedThread(QStringLiteral("Reader Thread"));
    auto* reader = new VkReader(source, thread);
    QObject::connect(reader, &VkReader::nextIsReady,
                     [&features](VkReader* r) { features += r->takeFeatures().size(); });
    QObject::connect(reader, &VkReader::readIsComplete, [&features](VkReader* r) {
        features += r->takeFeatures().size();
        QCoreApplication::quit();
    });
    reader->read();
    QCoreApplication::exec();
    const double seconds = double(timer.elapsed()) / 1000;
    const QString error = reader->hasError() ? reader->errorText() : QString();
    delete reader;
    VkEventedThread::shutdownAndWait(thread);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(error));
        return false;
    }
    std::printf("%s\t%lld features\t%.2f s\n", qPrintable(path), features, seconds);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bool ok = argc > 1;
    for (int i = 1; i < argc; ++i)
        ok = readAll(QString::fromLocal8Bit(argv[i])) && ok;
    return ok ? 0 : 1;
}
