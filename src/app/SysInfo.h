#pragma once

#include <QByteArray>
#include <QString>

// The `sysinfo` report: operating system, build ABI, machine and open-file limits.
namespace SysInfo {
QByteArray report();
// The processor's model name, "%1 (%2 cores)" when there are several; empty when unknown.
QString processorDescription();
} // namespace SysInfo
