#pragma once

#include <QCoreApplication>
#include <QTimer>

// Runs the application's event loop, as a command does, until something quits it. Returns false
// when the guard timer had to end it, so a hang fails the test instead.
inline bool runAppLoop(int timeoutMs = 10000) {
    bool timedOut = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&timedOut] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    guard.start(timeoutMs);
    QCoreApplication::exec();
    return !timedOut;
}
