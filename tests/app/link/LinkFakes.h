#pragma once
// Fakes around the clock link: a port whose arrivals and failures the test
// controls (or that passes through to a real line and only records), labels
// that remember what they showed, a monotonic clock whose sleeps move a fake
// PC clock along, and an error reporter that keeps the texts.
#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/link/ClockLink.h"
#include "support/FakeLocalClock.h"
#include "support/KeepTexts.h"

namespace linkfakes {

inline const std::string kAck{"\x06\r"};  // ACK as the clock and the program send it

struct FakePort : app::LinkPort {
    explicit FakePort(app::LinkPort* through = nullptr) : line(through) {}
    app::LinkPort* line;              // a real line the port passes through to; nullptr: none
    std::vector<std::string> writes;  // each write made
    std::vector<timevalues::TTid> writeTimes;     // the PC time of day as it began
    int failingWrites = 0;            // the next this many writes fail (-1: all)
    bool failingReads = false;
    std::string pending;              // what arrives for the link to read

    std::string last() const { return writes.empty() ? std::string() : writes.back(); }
    bool connected() const override { return !line || line->connected(); }
    void write(const std::string& bytes) override
    {
        const timevalues::TTid at = timevalues::TidNow();
        if (failingWrites < 0 || (failingWrites > 0 && failingWrites--))  // counts down to 0
            throw std::runtime_error("write failed");
        if (line)
            line->write(bytes);
        writes.push_back(bytes);
        writeTimes.push_back(at);
    }
    std::string read(std::size_t maxCount) override
    {
        if (failingReads)
            throw std::runtime_error("read failed");
        if (line)
            return line->read(maxCount);
        std::string out = pending.substr(0, maxCount);
        pending.erase(0, out.size());
        return out;
    }
};

struct FakeLabels : app::LinkLabels {
    QString pcTime, sent, received, version;
    void showPcTime(const QString& t) override { pcTime = t; }
    void showSent(const QString& t) override { sent = t; }
    void showReceived(const QString& t) override { received = t; }
    void showVersion(const QString& t) override { version = t; }
};

// Every reading of the monotonic clock takes 10 us; a sleep passes its whole
// duration and moves the fake PC clock (when given and not stuck) with it.
// Each sleep is kept with the number of writes `port` (when set) had made.
struct FakeWaitClock : app::WaitClock {
    explicit FakeWaitClock(testenv::FakeLocalClock* pc = nullptr) : pcClock(pc) {}
    testenv::FakeLocalClock* pcClock;
    bool pcClockStuck = false;
    std::chrono::nanoseconds now{0}, carry{0};
    const FakePort* port = nullptr;
    std::vector<std::pair<std::size_t, std::chrono::nanoseconds>> sleeps;

    std::chrono::nanoseconds monotonicNow() override { return now += std::chrono::microseconds(10); }
    void sleepFor(std::chrono::nanoseconds d) override
    {
        sleeps.emplace_back(port ? port->writes.size() : 0, d);
        now += d;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(carry += d);
        carry -= ms;
        if (pcClock && !pcClockStuck)
            pcClock->advance(ms.count());
    }
};

// A link on a fake port, with what it showed and reported.
struct LinkRig {
    explicit LinkRig(app::WaitClock& wait, app::LinkPort* line = nullptr, app::TransferStep* transfer = nullptr)
        : port(line), link(port, labels, testenv::keepTexts(errors), wait, transfer)
    {
    }
    FakePort port;
    FakeLabels labels;
    std::vector<std::string> errors;
    app::ClockLink link;

    void arrive(const std::string& bytes)
    {
        port.pending += bytes;
        link.receive();
    }
    // Runs `n` ticks; answers those (from 1) in which something was written.
    std::vector<int> ticksWithWrites(int n)
    {
        std::vector<int> at;
        for (int i = 1; i <= n; ++i) {
            const std::size_t before = port.writes.size();
            link.tick();
            if (port.writes.size() != before)
                at.push_back(i);
        }
        return at;
    }
};

} // namespace linkfakes
