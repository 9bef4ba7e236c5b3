#include "tasks/ProgressTracker.h"

#include <QStringList>

namespace {

constexpr int kRefreshMs = 1000;

struct TimeUnit {
    qint64 ms;
    const char* name;
};
const TimeUnit kUnits[] = {{31557600000LL, "Year"}, {86400000LL, "Day"}, {3600000LL, "Hour"},
                           {60000LL, "Minute"},     {1000LL, "Second"},  {1LL, "Millisecond"}};
constexpr int kUnitCount = sizeof(kUnits) / sizeof(kUnits[0]);

QString unitCount(qint64 count, const TimeUnit& unit) {
    return QStringLiteral("%1 %2%3")
        .arg(count)
        .arg(QLatin1String(unit.name))
        .arg(count == 1 ? QString() : QStringLiteral("s"));
}

} // namespace

ProgressTracker::ProgressTracker(QObject* parent) : QObject(parent) {
    m_refreshTimer.setInterval(kRefreshMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &ProgressTracker::autoUpdate);
    m_clock.start();
}

void ProgressTracker::setRange(qint64 minimum, qint64 maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
}

void ProgressTracker::start() {
    m_clock.restart();
    m_samples.clear();
    m_samples.push_back({0, m_value});
    if (m_remainingMs != -1) {
        m_remainingMs = -1;
        emit estimateChanged();
    }
    m_refreshTimer.start();
}

void ProgressTracker::stop() {
    m_refreshTimer.stop();
}

void ProgressTracker::setValue(qint64 value, bool refresh) {
    m_value = qBound(m_minimum, value, m_maximum);
    if (refresh) {
        addSample();
    }
}

// A stalled value still adds a sample, so the estimate grows while nothing moves.
void ProgressTracker::autoUpdate() {
    addSample();
}

// The rate is taken between the newest sample and the oldest one still inside the smoothing
// window (one sample at or before the window's start is kept, so the span is a full window once
// the work has run that long). No movement over the window means no estimate.
void ProgressTracker::addSample() {
    const qint64 now = m_clock.elapsed();
    m_samples.push_back({now, m_value});
    while (m_samples.size() > 2 && m_samples[1].elapsedMs <= now - m_windowMs) {
        m_samples.pop_front();
    }
    const qint64 span = now - m_samples.front().elapsedMs;
    const qint64 moved = m_value - m_samples.front().value;
    qint64 remaining = -1;
    if (m_value >= m_maximum) {
        remaining = 0;
    } else if (span > 0 && moved > 0) {
        remaining = static_cast<qint64>(double(m_maximum - m_value) * double(span) / double(moved));
    }
    if (remaining != m_remainingMs) {
        m_remainingMs = remaining;
        emit estimateChanged();
    }
}

QString ProgressTracker::remainingTimeText() const {
    return remainingTimeText(m_remainingMs);
}

// Shows the largest unit with a non-zero count and the unit right below it when its count is not
// zero; counts are truncated. Under one millisecond reads "Less than 1 Millisecond remaining".
QString ProgressTracker::remainingTimeText(qint64 remainingMs) {
    if (remainingMs < 0) {
        return QStringLiteral("Estimating time remaining...");
    }
    int leading = 0;
    while (leading < kUnitCount && remainingMs < kUnits[leading].ms) {
        ++leading;
    }
    if (leading == kUnitCount) {
        return QStringLiteral("Less than %1 remaining").arg(unitCount(1, kUnits[kUnitCount - 1]));
    }
    QStringList parts{unitCount(remainingMs / kUnits[leading].ms, kUnits[leading])};
    if (leading + 1 < kUnitCount) {
        const TimeUnit& next = kUnits[leading + 1];
        const qint64 nextCount = remainingMs % kUnits[leading].ms / next.ms;
        if (nextCount > 0) {
            parts.append(unitCount(nextCount, next));
        }
    }
    return QStringLiteral("About %1 remaining").arg(parts.join(QStringLiteral(", ")));
}
