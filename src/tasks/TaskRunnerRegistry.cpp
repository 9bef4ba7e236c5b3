#include "tasks/TaskRunnerRegistry.h"

#include "tasks/BuiltinTaskRunners.h"

TaskRunnerRegistry& TaskRunnerRegistry::instance() {
    static TaskRunnerRegistry registry;
    return registry;
}

TaskRunnerRegistry::TaskRunnerRegistry() {
    registerBuiltinTaskRunners(*this);
}

TaskRunnerFactory TaskRunnerRegistry::registerKind(const QString& className, TaskRunnerFactory factory) {
    QWriteLocker locker(&m_lock);
    TaskRunnerFactory previous = m_factories.value(className);
    if (factory) {
        m_factories.insert(className, std::move(factory));
    } else {
        m_factories.remove(className);
    }
    return previous;
}

TaskRunnerFactory TaskRunnerRegistry::factory(const QString& className) const {
    QReadLocker locker(&m_lock);
    return m_factories.value(className);
}
