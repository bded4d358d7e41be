#include "serial/controls/IntervalTimer.h"

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
    void start(int ms) override { timer_.start(ms); }
    void stop() override { timer_.stop(); }

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
    FTicker->OnTick = [this] { tick(); };
}

IntervalTimer::~IntervalTimer()
{
    FTicker->stop();
    FTicker->OnTick = nullptr;
}

void IntervalTimer::SetEnabled(bool value)
{
    if (value == FEnabled)
        return;
    FEnabled = value;
    restart();
}

void IntervalTimer::SetInterval(int value)
{
    if (value == FInterval)
        return;
    FInterval = value;
    restart();
}

void IntervalTimer::restart()
{
    if (counting())
        FTicker->start(FInterval);
    else
        FTicker->stop();
}

void IntervalTimer::tick()
{
    try {
        if (counting() && OnTimer)
            OnTimer();
    } catch (...) {
        handleException(std::current_exception());
    }
}

} // namespace serial
