#include "app/pcclock/ShiftRepeat.h"

namespace app {

ShiftRepeat::ShiftRepeat(std::function<void(int)> shift, QObject* parent)
    : QObject(parent), shift_(std::move(shift))
{
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &ShiftRepeat::repeat);
}

void ShiftRepeat::press(int amount)
{
    amount_ = amount;
    timer_.start(kRepeatDelayMs);
    shift_(amount_);
}

void ShiftRepeat::release()
{
    timer_.stop();
}

void ShiftRepeat::repeat()
{
    if (timer_.interval() != kRepeatIntervalMs)
        timer_.setInterval(kRepeatIntervalMs);
    shift_(amount_);
}

} // namespace app
