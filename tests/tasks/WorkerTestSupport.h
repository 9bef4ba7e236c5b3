#pragma once

#include "tasks/workers/VkWorker.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

// Runs the event loop until the condition holds; false on timeout, so a bug fails instead of hanging.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Runs the event loop for a while, for checks that something does not happen.
inline void spinFor(int ms) {
    waitUntil([] { return false; }, ms);
}

// What a looping worker has done, kept outside the worker because the worker deletes itself.
struct LoopState {
    std::atomic<bool> started{false};
    std::atomic<bool> sawPause{false};
    std::atomic<bool> finished{false};
};

// A worker whose work loop runs until cancelled, waiting whenever it is paused.
class LoopWorker : public VkWorker {
public:
    explicit LoopWorker(std::shared_ptr<LoopState> state) : m_state(std::move(state)) {}

    // Starts the loop on the worker's thread.
    void start() {
        QMetaObject::invokeMethod(
            this, [this] { runLoop(); }, Qt::QueuedConnection);
    }

private:
    void runLoop() {
        m_state->started = true;
        while (!isCanceled()) {
            if (isPaused()) {
                m_state->sawPause = true;
            }
            if (!waitWhilePaused()) {
                break;
            }
            QThread::msleep(1);
        }
        m_state->finished = true;
        shutdown();
    }

    std::shared_ptr<LoopState> m_state;
};
