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

std::unique_ptr<TimerTicker> MakeQtTimerTicker()
{
    return std::make_unique<QtTimerTicker>();
}

TIntervalTimer::TIntervalTimer(std::unique_ptr<TimerTicker> ticker)
    : FTicker(ticker ? std::move(ticker) : MakeQtTimerTicker())
{
    FTicker->OnTick = [this] { Tick(); };
}

TIntervalTimer::~TIntervalTimer()
{
    FTicker->Stop();
    FTicker->OnTick = nullptr;
}

void TIntervalTimer::SetEnabled(bool value)
{
    if (value == FEnabled)
        return;
    FEnabled = value;
    Restart();
}

void TIntervalTimer::SetInterval(int value)
{
    if (value == FInterval)
        return;
    FInterval = value;
    Restart();
}

void TIntervalTimer::Restart()
{
    if (Counting())
        FTicker->Start(FInterval);
    else
        FTicker->Stop();
}

void TIntervalTimer::Tick()
{
    try {
        if (Counting() && OnTimer)
            OnTimer();
    } catch (...) {
        HandleException(std::current_exception());
    }
}

} // namespace serial
