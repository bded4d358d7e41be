// The pieces under the data path: decoding what the line delivers, the input
// queue with its receive events, the time limits of reads and writes, and
// line errors and events from the driver's counters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "serial/ComInputQueue.h"
#include "serial/ComLineWatch.h"
#include "serial/ComTransferPlan.h"

using namespace serial;
using std::chrono::milliseconds;

namespace {

std::string Decode(ComInputDecoder& d, const std::string& in)
{
    // Exactly the room the decoder asks for, so a write past it is caught.
    const std::size_t room = ComInputDecoder::OutputRoom(in.size());
    const auto out = std::make_unique<char[]>(room);
    const std::size_t n = d.Decode(in.data(), in.size(), out.get());
    EXPECT_LE(n, room);
    return std::string(out.get(), std::min(n, room));
}

ComInputRules Rules(bool marked, bool replace, char errorChar, bool discardNull)
{
    return {marked, replace, static_cast<std::uint8_t>(errorChar), discardNull};
}

} // namespace

TEST(ComInputDecoder, MarksNullsAndErrorCharacters)
{
    struct Case {
        const char* what;
        ComInputRules rules;
        std::string in, out;
    };
    const Case cases[] = {
        {"plain line copies all", Rules(false, false, 0, false), std::string("a\xff\0b", 4), std::string("a\xff\0b", 4)},
        {"NUL dropped", Rules(false, false, 0, true), std::string("\0a\0\0b", 5), "ab"},
        {"doubled FF is one", Rules(true, false, 0, false), "x\xff\xffy", "x\xffy"},
        {"error byte kept", Rules(true, false, '?', false), std::string("a\xff\0zb", 5), "azb"},
        {"error byte replaced", Rules(true, true, '?', false), std::string("a\xff\0zb", 5), "a?b"},
        {"break replaced", Rules(true, true, '#', false), std::string("\xff\0\0", 3), "#"},
        {"replaced by NUL then dropped", Rules(true, true, 0, true), std::string("a\xff\0zb", 5), "ab"},
        {"FF then other is no mark", Rules(true, false, 0, false), "KX&\xff\xa4", "KX&\xff\xa4"},
    };
    // Whole, and split between two reads at every point.
    for (const Case& c : cases) {
        for (std::size_t split = 0; split <= c.in.size(); ++split) {
            ComInputDecoder d;
            d.SetRules(c.rules);
            const std::string first = Decode(d, c.in.substr(0, split));
            EXPECT_EQ(first + Decode(d, c.in.substr(split)), c.out) << c.what << ", split at " << split;
        }
    }
}

TEST(ComInputDecoder, MarkSplitBetweenReadsCarriesOver)
{
    ComInputDecoder d;
    d.SetRules(Rules(true, true, '!', false));
    EXPECT_EQ(Decode(d, "a\xff"), "a");
    EXPECT_EQ(Decode(d, std::string("\0", 1)), "");
    EXPECT_EQ(Decode(d, "zb\xff"), "!b");
    EXPECT_EQ(Decode(d, "\xff"), "\xff");
    // Purged input forgets a half-read mark.
    EXPECT_EQ(Decode(d, "\xff"), "");
    d.Reset();
    EXPECT_EQ(Decode(d, "q"), "q");
}

namespace {

// A device that hands out scripted bytes and results.
class ScriptDevice final : public platform::SerialDevice {
public:
    std::string input;
    int readError = 0;
    int reads = 0;

    int open(const std::string&) override { return 0; }
    void close() noexcept override {}
    bool isOpen() const override { return true; }
    int pollFd() const override { return -1; }
    bool hasModemLines() const override { return false; }
    int setQueueSizes(int, int) override { return 0; }
    int setLineState(const platform::SerialLineState&) override { return 0; }
    int setTimeouts(const platform::SerialTimeouts&) override { return 0; }
    platform::SerialIoResult read(void* buffer, std::size_t size) override
    {
        ++reads;
        if (input.empty())
            return {0, readError ? readError : EAGAIN};
        const std::size_t n = std::min(size, input.size());
        input.copy(static_cast<char*>(buffer), n);
        input.erase(0, n);
        return {n, 0};
    }
    platform::SerialIoResult write(const void*, std::size_t size) override { return {size, 0}; }
    int inputWaiting(int& count) override { count = 0; return 0; }
    int outputWaiting(int& count) override { count = 0; return 0; }
    int purge(bool, bool) override { return 0; }
    int modemLines(unsigned& lines) override { lines = 0; return 0; }
    int setModemLines(unsigned, bool) override { return 0; }
    int setBreak(bool) override { return 0; }
    int holdOutput(bool) override { return 0; }
    int counters(platform::SerialCounters& c) override { c = {}; return 0; }
};

struct Queue : ::testing::Test {
    ComEventSignal events;
    ComInputQueue queue{events};
    ScriptDevice device;

    void SetUp() override
    {
        ASSERT_EQ(events.Open(), 0);
        ASSERT_EQ(queue.Open(), 0);
        queue.Reset(10, {}, '\r');
    }
    std::string TakeAll()
    {
        std::string out(64, '\0');
        out.resize(queue.Take(out.data(), out.size()));
        return out;
    }
};

} // namespace

TEST_F(Queue, PumpRaisesReceiveEventsAndStopsAtCapacity)
{
    device.input = "ab\rcdefghijkl";
    EXPECT_EQ(queue.Pump(device), 0);
    EXPECT_EQ(queue.Count(), 10u);  // the rest stays in the device
    EXPECT_TRUE(queue.Full());
    EXPECT_EQ(events.Take(), (TComEvents{TComEvent::evRxChar, TComEvent::evRxFlag, TComEvent::evRx80Full}));
    EXPECT_EQ(TakeAll(), "ab\rcdefghi");
    EXPECT_TRUE(events.Take().Empty());

    // 80 % is crossed again only from below; no event character this time.
    queue.Pump(device);
    EXPECT_EQ(events.Take(), TComEvents{TComEvent::evRxChar});
    EXPECT_EQ(TakeAll(), "jkl");
}

TEST_F(Queue, MarkCarriedIntoTheNextReadKeepsBothBytes)
{
    // FF ends one read and the next, larger than one block of the pump, does
    // not begin with 00 or FF: the FF is data, and so is all that follows.
    queue.Reset(16384, Rules(true, false, 0, false), '\r');
    device.input = "\xff";
    queue.Pump(device);
    device.input = std::string(10000, 'a');
    queue.Pump(device);
    EXPECT_EQ(queue.Count(), 10001u);
}

TEST_F(Queue, EightyPercentIsCrossedOnceUntilTheQueueDrainsBelow)
{
    device.input = "1234567";
    queue.Pump(device);
    EXPECT_FALSE(events.Take().Contains(TComEvent::evRx80Full));
    device.input = "8";
    queue.Pump(device);
    EXPECT_TRUE(events.Take().Contains(TComEvent::evRx80Full));
    device.input = "9";
    queue.Pump(device);
    EXPECT_FALSE(events.Take().Contains(TComEvent::evRx80Full));
}

TEST_F(Queue, DeviceGoneOnReadErrorOrHangUpWithNothingToRead)
{
    // A hang-up while bytes remain is not the end yet.
    device.input = "ok";
    EXPECT_EQ(queue.Pump(device, true), 0);
    EXPECT_FALSE(queue.Gone());
    EXPECT_EQ(queue.Pump(device, true), EIO);
    EXPECT_TRUE(queue.Gone());
    const int reads = device.reads;
    EXPECT_EQ(queue.Pump(device), EIO);
    EXPECT_EQ(device.reads, reads);  // not read again
    EXPECT_EQ(TakeAll(), "ok");      // what came stays readable

    ComEventSignal otherEvents;
    ComInputQueue other(otherEvents);
    other.Reset(10, {}, 0);
    ScriptDevice failing;
    failing.readError = EIO;
    EXPECT_EQ(other.Pump(failing), EIO);
    EXPECT_TRUE(other.Gone());
}

TEST(ComTransferPlan, ReadPlansFollowTheTimeouts)
{
    constexpr std::uint32_t ones = 0xFFFFFFFFu;
    struct Case {
        const char* what;
        platform::SerialTimeouts t;
        std::size_t count;
        ComReadPlan plan;
    };
    auto T = [](std::uint32_t i, std::uint32_t m, std::uint32_t c) { return platform::SerialTimeouts{i, m, c, 0, 0}; };
    const Case cases[] = {
        {"at once (default)", T(ones, 0, 0), 200, {true, false, {}, {}}},
        {"first byte ends, up to c", T(ones, ones, 500), 10, {false, true, milliseconds(500), {}}},
        {"interval only (loader)", T(2000, 0, 0), 1000, {false, false, {}, milliseconds(2000)}},
        {"total m*n+c", T(0, 10, 100), 5, {false, false, milliseconds(150), {}}},
        {"interval and total", T(20, 1, 0), 3, {false, false, milliseconds(3), milliseconds(20)}},
        {"all zero waits for the count", T(0, 0, 0), 3, {}},
        {"all-ones interval with totals is no interval", T(ones, 2, 0), 4, {false, false, milliseconds(8), {}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeReadPlan(c.t, c.count), c.plan) << c.what;
    // A huge multiplier does not overflow.
    EXPECT_GT(MakeReadPlan(T(0, ones, 0), 1u << 30).total->count(), 0);
}

TEST(ComTransferPlan, WriteLimitAndCharacterTime)
{
    EXPECT_EQ(WriteTimeLimit({0, 0, 0, 100, 1000}, 12), milliseconds(2200));
    EXPECT_EQ(WriteTimeLimit({0, 0, 0, 0, 0}, 12), std::nullopt);
    platform::SerialLineState s;
    s.BaudRate = 9600;
    s.ByteSize = 8;
    EXPECT_EQ(CharacterTime(s).count(), 1042);  // 10 bits
    s.Parity = platform::kParityEven;
    s.StopBits = platform::kTwoStopBits;
    EXPECT_EQ(CharacterTime(s).count(), 1250);  // 12 bits
}

TEST(ComLineWatch, CountersBecomeErrorsAndEvents)
{
    using C = platform::SerialCounters;
    struct Case {
        const char* what;
        C after;
        unsigned linesAfter;
        bool parityCheck;
        TComErrors errors;
        TComEvents events;
    };
    auto with = [](auto field, std::uint32_t v) { C c; c.*field = v; return c; };
    const Case cases[] = {
        {"nothing", C{}, 0, true, {}, {}},
        {"frame", with(&C::frame, 1), 0, false, {TComError::ceFrame}, {TComEvent::evError}},
        {"parity checked", with(&C::parity, 2), 0, true, {TComError::ceRxParity}, {TComEvent::evError}},
        {"parity unchecked", with(&C::parity, 2), 0, false, {}, {TComEvent::evError}},
        {"overrun", with(&C::overrun, 1), 0, false, {TComError::ceOverrun}, {TComEvent::evError}},
        {"queue overrun", with(&C::bufOverrun, 1), 0, false, {TComError::ceRxOver}, {TComEvent::evError}},
        {"break", with(&C::brk, 1), 0, false, {TComError::ceBreak}, {TComEvent::evBreak}},
        {"CTS counted back to same level", with(&C::cts, 2), 0, false, {}, {TComEvent::evCTS}},
        {"DSR level", C{}, platform::kModemDSR, false, {}, {TComEvent::evDSR}},
        {"carrier level", C{}, platform::kModemRLSD, false, {}, {TComEvent::evRLSD}},
        {"ring rising", C{}, platform::kModemRing, false, {}, {TComEvent::evRing}},
        {"outputs ignored", C{}, platform::kModemDTR | platform::kModemRTS, false, {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LineErrorsBetween(C{}, c.after, c.parityCheck), c.errors) << c.what;
        EXPECT_EQ(LineEventsBetween(C{}, c.after, 0, c.linesAfter), c.events) << c.what;
    }
    // A ring that ends is no new ring.
    EXPECT_TRUE(LineEventsBetween(C{}, C{}, platform::kModemRing, 0).Empty());
}
