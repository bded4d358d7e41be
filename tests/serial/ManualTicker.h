#pragma once
// Timer tickers driven by a clock the test moves by hand.
#include <algorithm>
#include <vector>

#include "serial/IntervalTimer.h"

namespace ledtest {

class ManualTicker;

// Milliseconds from 0; advance() fires the due tickers in time order.
class ManualClock {
public:
    int now() const { return now_; }
    inline void advance(int ms);

private:
    friend class ManualTicker;
    std::vector<ManualTicker*> tickers_;
    int now_ = 0;
};

class ManualTicker : public serial::TimerTicker {
public:
    explicit ManualTicker(ManualClock& clock) : clock_(clock) { clock_.tickers_.push_back(this); }
    ~ManualTicker() override { std::erase(clock_.tickers_, this); }

    void Start(int ms) override
    {
        running_ = true;
        period_ = ms;
        due_ = clock_.now() + ms;
    }
    void Stop() override { running_ = false; }

    bool running() const { return running_; }
    int due() const { return due_; }

private:
    friend class ManualClock;
    ManualClock& clock_;
    bool running_ = false;
    int period_ = 0;
    int due_ = 0;
};

void ManualClock::advance(int ms)
{
    const int target = now_ + ms;
    for (;;) {
        ManualTicker* next = nullptr;
        for (ManualTicker* t : tickers_)
            if (t->running_ && t->due_ <= target && (!next || t->due_ < next->due_))
                next = t;
        if (!next)
            break;
        now_ = next->due_;
        next->due_ += next->period_;
        if (next->OnTick)
            next->OnTick();
    }
    now_ = target;
}

} // namespace ledtest
