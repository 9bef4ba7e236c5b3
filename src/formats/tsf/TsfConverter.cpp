#include "formats/tsf/TsfConverter.h"

#include "formats/tsf/TsfSparseArrayWriterWorker.h"
#include "formats/tsf/TsfWriterWorker.h"
#include "output/OutputDestination.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

TsfConverter::TsfConverter(QList<VkSourcePtr> sources, TsfConvertOptions options,
                           VkEventedThread* writerThread, VkEventedThread* readerThread, QObject* parent)
    : TaskRunner(writerThread, parent), m_sources(std::move(sources)), m_options(std::move(options)),
      m_readerThread(readerThread) {
    connect(this, &VkWorkerRunner::currentWorkerDestroyed, this, &TsfConverter::workerEnded);
}

void TsfConverter::start() {
    // Reference sequences and coverage are stored per base, everything else record by record.
    const QString featureType = m_sources.isEmpty() ? QString() : m_sources.first()->featureType();
    if (featureType == QLatin1String(FeatureTypeName::AlleleSequence) ||
        featureType == QLatin1String(FeatureTypeName::DataSequence))
        startWorker<TsfSparseArrayWriterWorker>();
    else
        startWorker<TsfWriterWorker>();
}

template <class Worker> void TsfConverter::startWorker() {
    auto* worker = new Worker;
    connect(worker, &Worker::endSourceFinished, this, [this](int workerId, const QString& url) {
        if (workerId == currentWorkerId())
            m_writtenUrl = url;
    });
    setupNewWorker(worker);
    QMetaObject::invokeMethod(
        worker,
        [worker, sources = m_sources, thread = m_readerThread.data(), options = m_options] {
            worker->convert(sources, thread, options);
        },
        Qt::QueuedConnection);
}

void TsfConverter::workerEnded() {
    if (isCanceled())
        return;
    QString error;
    if (!hasError() && m_writtenUrl.isEmpty())
        setError(1, QStringLiteral("Unknown error while writing"));
    else if (!hasError() && !m_replacedFile.isEmpty() && !replaceFile(&error))
        setError(1, error);
    if (!hasError())
        setResults({VkSourceTypeRegistry::instance().open(m_writtenUrl)});
    emit workComplete();
}

bool TsfConverter::replaceFile(QString* error) {
    // One rename, through symbolic links: the original stays in place until the rewritten file
    // takes its name.
    OutputDestination replaced;
    if (!OutputDestination::resolve(m_replacedFile, &replaced, error))
        return false;
    if (std::rename(QFile::encodeName(m_writtenUrl).constData(),
                    QFile::encodeName(replaced.path).constData())) {
        *error = QStringLiteral("Unable to replace %1 with %2: %3")
                     .arg(m_replacedFile, m_writtenUrl, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_writtenUrl = m_replacedFile;
    return true;
}
