#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>

// Estimates the time left of a piece of work from how fast its value moved over the last few
// seconds, and words that estimate for the console.
class ProgressTracker : public QObject {
    Q_OBJECT
public:
    explicit ProgressTracker(QObject* parent = nullptr);

    void setRange(qint64 minimum, qint64 maximum);
    // Restarts the clock from the current value and refreshes the estimate every second.
    void start();
    void stop();
    // With refresh, the value becomes a sample of the rate and the estimate is recomputed.
    void setValue(qint64 value, bool refresh = true);

    qint64 value() const { return m_value; }
    // Milliseconds left; -1 while no estimate exists.
    qint64 estimatedRemainingMs() const { return m_remainingMs; }
    // "Estimating time remaining..." while there is no estimate, else the wording of the estimate.
    QString remainingTimeText() const;
    // The same for a number of milliseconds, negative meaning none.
    static QString remainingTimeText(qint64 remainingMs);

signals:
    void estimateChanged();

public slots:
    void autoUpdate();

private:
    struct Sample {
        qint64 elapsedMs;
        qint64 value;
    };
    void addSample();

    qint64 m_minimum = 0;
    qint64 m_maximum = 100;
    qint64 m_value = 0;
    QTimer m_refreshTimer;
    QElapsedTimer m_clock;
    qint64 m_windowMs = 10000;
    qint64 m_remainingMs = -1;
    std::deque<Sample> m_samples;
};
