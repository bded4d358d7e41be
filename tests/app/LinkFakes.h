#pragma once
// Fakes around the clock link: a port whose arrivals and failures the test
// controls, labels that remember what they showed, and a monotonic clock whose
// sleeps move a fake PC clock along.
#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/ClockLink.h"
#include "support/FakeLocalClock.h"
#include "timevalues/TidRut.h"

namespace linkfakes {

inline constexpr char kCR = 13;
inline const std::string kAck{6};
inline const std::string kNak{21};

class FakePort : public app::LinkPort {
public:
    bool open = true;
    // Each write, and the PC time of day at the moment it was made.
    std::vector<std::string> writes;
    std::vector<TTid> writeTimes;
    // The next this many writes fail (-1: every write fails).
    int failingWrites = 0;
    int readCalls = 0;

    void arrive(const std::string& bytes) { pending_ += bytes; }
    std::size_t waiting() const { return pending_.size(); }

    bool connected() const override { return open; }
    void write(const std::string& bytes) override
    {
        if (failingWrites != 0) {
            if (failingWrites > 0)
                --failingWrites;
            throw std::runtime_error("write failed");
        }
        writes.push_back(bytes);
        writeTimes.push_back(TidNow());
    }
    std::string read(std::size_t maxCount) override
    {
        ++readCalls;
        const std::string out = pending_.substr(0, maxCount);
        pending_.erase(0, out.size());
        return out;
    }

private:
    std::string pending_;
};

class FakeLabels : public app::LinkLabels {
public:
    QString pcTime, sent, received, version;
    int sentCount = 0;
    void showPcTime(const QString& t) override { pcTime = t; }
    void showSent(const QString& t) override { sent = t; ++sentCount; }
    void showReceived(const QString& t) override { received = t; }
    void showVersion(const QString& t) override { version = t; }
};

// Every reading of the monotonic clock takes 10 us; a sleep passes its whole
// duration, and the fake PC clock (when given) moves with it unless it stands
// still.
class FakeWaitClock : public app::WaitClock {
public:
    explicit FakeWaitClock(testenv::FakeLocalClock* pcClock = nullptr) : pcClock_(pcClock) {}
    std::chrono::nanoseconds now{0};
    std::chrono::nanoseconds slept{0};
    bool pcClockStuck = false;

    std::chrono::nanoseconds monotonicNow() override
    {
        now += std::chrono::microseconds(10);
        return now;
    }
    void sleepFor(std::chrono::nanoseconds d) override
    {
        now += d;
        slept += d;
        carry_ += d;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(carry_);
        carry_ -= ms;
        if (pcClock_ && !pcClockStuck)
            pcClock_->advance(ms.count());
    }

private:
    testenv::FakeLocalClock* pcClock_;
    std::chrono::nanoseconds carry_{0};
};

} // namespace linkfakes
