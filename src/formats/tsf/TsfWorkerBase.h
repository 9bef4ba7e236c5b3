#pragma once

#include "source/model/VkFeature.h"
#include "tasks/workers/VkWorker.h"

#include <QString>

#include <memory>

// The life of a TSF writer worker's one source writer: started once, fed batches, finished or
// abandoned. The first failure abandons the write and shuts the worker down with its error; once
// the write has failed or ended, calls still queued are ignored. Worker is the worker itself,
// whose startSourceFinished and endSourceFinished signals answer; Writer is its source writer.
template <class Worker, class Writer> class TsfWorkerBase : public VkWorker {
protected:
    // Whether a pushed call is carried out: the write goes on and the call is for this worker or
    // for any (id 0).
    bool accepts(int workerId) const { return !m_ended && (workerId == 0 || workerId == this->workerId()); }

    // Starts a writer for the settings unless one was started already; false when the write is
    // over, for having failed or ended.
    template <class Settings> bool startWriter(Settings settings) {
        if (m_ended || m_writer)
            return !m_ended;
        m_writer = std::make_unique<Writer>(std::move(settings));
        QString error;
        if (!m_writer->start(&error)) {
            failWith(error);
            return false;
        }
        emit worker().startSourceFinished(workerId(), m_writer->sourceUrl());
        return true;
    }

    // True when a writer was started, else false with the error saying so.
    bool requireWriter(QString* error) const {
        if (m_writer)
            return true;
        *error = QStringLiteral("No source was started for writing");
        return false;
    }

    bool writeToWriter(const VkFeatureList& features, QString* error) {
        return requireWriter(error) && m_writer->write(features, error);
    }

    // Finishes the write and answers where it went, then shuts the worker down.
    void endWriter(int workerId) {
        if (!accepts(workerId))
            return;
        m_ended = true;
        QString error;
        if (!requireWriter(&error) || !m_writer->finish(&error)) {
            failWith(error);
            return;
        }
        emit worker().endSourceFinished(this->workerId(), m_writer->sourceUrl());
        shutdown();
    }

    // Ends a conversion once its sources were read: the write is finished when all were read,
    // dropped when the reading was cancelled, failed otherwise.
    void endConversion(bool allRead, const QString& error) {
        if (allRead)
            endWriter(workerId());
        else if (isCanceled())
            shutdown();
        else
            failWith(error);
    }

    void failWith(const QString& error) {
        m_ended = true;
        if (m_writer)
            m_writer->abandon();
        shutdownWithError(1, error.isEmpty() ? QStringLiteral("Unknown error while writing") : error);
    }

    std::unique_ptr<Writer> m_writer;
    qint64 m_expectedRecords = 0;
    // Set once the write has failed or ended: batches still queued are ignored.
    bool m_ended = false;

private:
    Worker& worker() { return static_cast<Worker&>(*this); }
};
