#pragma once
// Timer tickers on a clock the test moves by hand.
#include <algorithm>
#include <vector>

#include "serial/IntervalTimer.h"

namespace ledtest {

class ManualTicker;

// Milliseconds from 0; advance() fires the due tickers in time order.
struct ManualClock {
    int now = 0;
    std::vector<ManualTicker*> tickers;
    inline void advance(int ms);
};

class ManualTicker : public serial::TimerTicker {
public:
    explicit ManualTicker(ManualClock& clock) : clock_(clock) { clock_.tickers.push_back(this); }
    ~ManualTicker() override { std::erase(clock_.tickers, this); }
    void Start(int ms) override { running = true, period = ms, due = clock_.now + ms; }
    void Stop() override { running = false; }

    bool running = false;
    int period = 0, due = 0;

private:
    ManualClock& clock_;
};

void ManualClock::advance(int ms)
{
    const int target = now + ms;
    for (;;) {
        ManualTicker* next = nullptr;
        for (ManualTicker* t : tickers)
            if (t->running && t->due <= target && (!next || t->due < next->due))
                next = t;
        if (!next)
            break;
        now = next->due;
        next->due += next->period;
        if (next->OnTick)
            next->OnTick();
    }
    now = target;
}

} // namespace ledtest
