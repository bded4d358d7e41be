#pragma once
// A timer switched by Enabled and Interval, for parts that set both again
// and again without meaning a restart (QTimer restarts on every start()):
// it fires every Interval milliseconds while Enabled; enabling a timer that
// is already enabled, or setting the interval it already has, changes
// nothing; any real change of either starts the count anew; an interval of 0
// (or less) never fires.
//
// The counting itself is done by a TimerTicker, so tests can drive the timer
// by a clock of their own.
#include <functional>
#include <memory>

namespace serial {

// Counts time for a IntervalTimer.
class TimerTicker {
public:
    virtual ~TimerTicker() = default;
    // Starts counting `ms` (above 0) anew and calls OnTick every `ms` until
    // Stop; a running count is dropped.
    virtual void start(int ms) = 0;
    virtual void stop() = 0;

    std::function<void()> OnTick;
};

// A ticker on a QTimer of the calling thread's event loop.
std::unique_ptr<TimerTicker> makeQtTimerTicker();

class IntervalTimer {
public:
    // Without a ticker, a Qt ticker is made. Starts disabled with an interval
    // of 1000 ms.
    explicit IntervalTimer(std::unique_ptr<TimerTicker> ticker = nullptr);
    ~IntervalTimer();
    IntervalTimer(const IntervalTimer&) = delete;
    IntervalTimer& operator=(const IntervalTimer&) = delete;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    int Interval() const { return FInterval; }
    void SetInterval(int value);
    // Enabled with an interval above 0: OnTimer will be called.
    bool counting() const { return FEnabled && FInterval > 0; }

    // Called at each expiry. An exception it raises goes to the serial
    // library's exception hook and no further.
    std::function<void()> OnTimer;

private:
    void restart();
    void tick();

    std::unique_ptr<TimerTicker> FTicker;
    bool FEnabled = false;
    int FInterval = 1000;
};

} // namespace serial
