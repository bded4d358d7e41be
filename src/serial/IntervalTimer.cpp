#include "serial/IntervalTimer.h"

#include <QTimer>

#include "serial/ExceptionHook.h"

namespace serial {
namespace {

class QtTimerTicker : public TimerTicker {
public:
    QtTimerTicker()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (OnTick)
                OnTick();
        });
    }
    void Start(int ms) override { timer_.start(ms); }
    void Stop() override { timer_.stop(); }

private:
    QTimer timer_;
};

} // namespace

std::unique_ptr<TimerTicker> makeQtTimerTicker()
{
    return std::make_unique<QtTimerTicker>();
}

IntervalTimer::IntervalTimer(std::unique_ptr<TimerTicker> ticker)
    : FTicker(ticker ? std::move(ticker) : makeQtTimerTicker())
{
    FTicker->OnTick = [this] { Tick(); };
}

IntervalTimer::~IntervalTimer()
{
    FTicker->Stop();
    FTicker->OnTick = nullptr;
}

void IntervalTimer::SetEnabled(bool value)
{
    if (value == FEnabled)
        return;
    FEnabled = value;
    Restart();
}

void IntervalTimer::SetInterval(int value)
{
    if (value == FInterval)
        return;
    FInterval = value;
    Restart();
}

void IntervalTimer::Restart()
{
    if (Counting())
        FTicker->Start(FInterval);
    else
        FTicker->Stop();
}

void IntervalTimer::Tick()
{
    try {
        if (Counting() && OnTimer)
            OnTimer();
    } catch (...) {
        handleException(std::current_exception());
    }
}

} // namespace serial
