#pragma once

#include <QCoreApplication>
#include <QString>

// The program's application object. Qt 5 aborts when an exception crosses its event loop, so
// every event handler, on every thread, runs inside notify()'s guard. An exception out of a
// worker's slot (out of memory, a library's error) ends that worker with it as its error, as
// the worker's own failure would; one from anywhere else is kept as the command's error and
// ends the main event loop with status 1.
class VkApplication : public QCoreApplication {
public:
    VkApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The message of the first exception no worker took; empty when there was none.
    static QString uncaughtError();
    // The message of the exception being handled; call it only inside a catch block.
    static QString currentExceptionText();

private:
    static void keepUncaught(const QString& message);
};
