#include "tasks/workers/VkApplication.h"

#include "tasks/workers/VkWorker.h"

#include <QMutex>
#include <QMutexLocker>

#include <exception>
#include <new>

namespace {

QMutex s_uncaughtMutex;
QString s_uncaught;

} // namespace

VkApplication::VkApplication(int& argc, char** argv) : QCoreApplication(argc, argv) {}

bool VkApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QCoreApplication::notify(receiver, event);
    } catch (...) {
        const QString message = currentExceptionText();
        auto* worker = qobject_cast<VkWorker*>(receiver);
        try {
            if (worker) {
                worker->failAfterException(message);
                return true;
            }
        } catch (...) {
        }
        keepUncaught(message);
        return true;
    }
}

QString VkApplication::uncaughtError() {
    QMutexLocker locker(&s_uncaughtMutex);
    return s_uncaught;
}

QString VkApplication::currentExceptionText() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& exception) {
        return QStringLiteral("Unexpected error: %1").arg(QString::fromLocal8Bit(exception.what()));
    } catch (...) {
        return QStringLiteral("Unexpected error of an unknown kind");
    }
}

void VkApplication::keepUncaught(const QString& message) {
    {
        QMutexLocker locker(&s_uncaughtMutex);
        if (s_uncaught.isEmpty())
            s_uncaught = message;
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
}
