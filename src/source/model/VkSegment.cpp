#include "source/model/VkSegment.h"

QString VkSegment::toString() const {
    return QStringLiteral("%1:%2-%3").arg(QString::fromUtf8(m_chromosome)).arg(m_start).arg(m_stop);
}
