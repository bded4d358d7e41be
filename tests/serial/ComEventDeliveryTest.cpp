// The event thread and the delivery of line events to handlers and links:
// on a pseudo-terminal for the receive path and every way of closing, on the
// fake device for line errors, modem lines and received data.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "serial/ComPort.h"
#include "serial/ComThread.h"
#include "serial/SerialTestSupport.h"
#include "support/FakeSerialDevice.h"
#include "support/PtyPair.h"

using namespace serial;
using namespace serialtest;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

// A log that handlers on any thread may write.
struct SharedLog {
    mutable std::mutex mutex;
    Strings lines;
    void Add(const std::string& s)
    {
        std::lock_guard lock(mutex);
        lines.push_back(s);
    }
    Strings Get() const
    {
        std::lock_guard lock(mutex);
        return lines;
    }
    std::size_t Size() const { return Get().size(); }
    bool Has(const std::string& s) const
    {
        const Strings l = Get();
        return std::find(l.begin(), l.end(), s) != l.end();
    }
};

// The application's way of watching a port: the event character CR only.
struct LinePort : ::testing::Test {
    testenv::PtyPair pty;
    TComPort port;
    const std::thread::id gui = std::this_thread::get_id();

    void Prepare(TSyncMethod sync)
    {
        port.SetPort(pty.path());
        port.SetEventChar('\r');
        port.SetEvents({TComEvent::evRxFlag});
        port.SetSyncMethod(sync);
    }
    // Reads what has arrived, as the application's receive handler does.
    std::string ReadAll()
    {
        std::string s;
        port.ReadStr(s, 200);
        return s;
    }
};

const char* SyncName(TSyncMethod m)
{
    constexpr const char* names[] = {"smThreadSync", "smWindowSync", "smNone", "smDisableEvents"};
    return names[Ord(m)];
}

} // namespace

TEST_F(LinePort, OnRxFlagRunsOncePerLineWhereTheSyncMethodSays)
{
    struct Case {
        TSyncMethod sync;
        bool delivered;
        bool inGuiThread;
    };
    const Case cases[] = {
        {TSyncMethod::smThreadSync, true, true},
        {TSyncMethod::smWindowSync, true, true},
        {TSyncMethod::smNone, true, false},
        {TSyncMethod::smDisableEvents, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(SyncName(c.sync));
        Prepare(c.sync);
        SharedLog log;
        std::atomic<int> calls{0}, wrongThread{0};
        TComLink link;
        link.OnRxFlag = [&](TCustomComPort*) { log.Add("link"); };
        port.RegisterLink(&link);
        port.OnRxFlag = [&](TCustomComPort*) {
            if ((std::this_thread::get_id() == gui) != c.inGuiThread)
                ++wrongThread;
            log.Add("port " + ReadAll());
            ++calls;
        };
        port.Open();
        constexpr int kLines = 5;
        for (int i = 0; i < kLines; ++i) {
            pty.send("line " + std::to_string(i) + "\r");
            if (c.delivered && !WaitFor([&] { return calls == i + 1; })) {
                ADD_FAILURE() << "line " << i << " not delivered";
                break;
            }
        }
        QTest::qWait(50);  // room for a call too many
        EXPECT_EQ(calls, c.delivered ? kLines : 0);
        EXPECT_EQ(wrongThread, 0);
        if (c.delivered) {
            const Strings l = log.Get();
            ASSERT_EQ(l.size(), 2u * kLines);
            EXPECT_EQ(l[0], "link");  // links before the port's handler
            EXPECT_EQ(l[1], "port line 0\r");
        }
        port.Close();
        port.UnRegisterLink(&link);
    }
}

TEST_F(LinePort, TwoLinesThatArriveBeforeTheHandlerRunsAreBothRead)
{
    Prepare(TSyncMethod::smThreadSync);
    Strings reads;
    port.OnRxFlag = [&](TCustomComPort*) { reads.push_back(ReadAll()); };
    port.Open();
    pty.send("A\r");
    pty.send("B\r");
    // Both lines are in before the GUI thread runs any event.
    ASSERT_TRUE(WaitWithoutEvents([&] { return port.InputCount() == 4; }));
    ASSERT_TRUE(WaitFor([&] { return !reads.empty(); }));
    EXPECT_EQ(reads.front(), "A\rB\r");
    port.Close();
}

TEST_F(LinePort, CloseWhileTheThreadWaitsInAHandOverRunsItAndEndsQuickly)
{
    Prepare(TSyncMethod::smThreadSync);
    int calls = 0;
    std::string read;
    port.OnRxFlag = [&](TCustomComPort*) {
        ++calls;
        read = ReadAll();
    };
    port.Open();
    pty.send("x\r");
    ASSERT_TRUE(WaitWithoutEvents([&] { return port.EventThread()->HandingOver(); }));
    const auto start = Clock::now();
    port.Close();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(calls, 1);  // served in place, with the port still open
    EXPECT_EQ(read, "x\r");
    QTest::qWait(20);  // the posted hand-over finds nothing to run
    EXPECT_EQ(calls, 1);
}

TEST_F(LinePort, AHandlerThatClosesItsOwnPortDoesNotHang)
{
    for (const TSyncMethod sync : {TSyncMethod::smThreadSync, TSyncMethod::smWindowSync, TSyncMethod::smNone}) {
        SCOPED_TRACE(SyncName(sync));
        Prepare(sync);
        std::atomic<bool> closed{false};
        std::atomic<int> calls{0};
        port.OnRxFlag = [&](TCustomComPort* p) {
            ++calls;
            p->Close();
            closed = true;
        };
        port.Open();
        pty.send("x\r");
        ASSERT_TRUE(WaitFor([&] { return closed.load(); }));
        EXPECT_FALSE(port.Connected());
        EXPECT_EQ(port.EventThread(), nullptr);
        // The port opens again and delivers again.
        closed = false;
        port.Open();
        pty.send("y\r");
        ASSERT_TRUE(WaitFor([&] { return closed.load(); }));
        EXPECT_EQ(calls, 2);
    }
}

TEST_F(LinePort, AHandlerThatThrowsIsReportedAndDeliveryGoesOn)
{
    for (const TSyncMethod sync : {TSyncMethod::smThreadSync, TSyncMethod::smWindowSync, TSyncMethod::smNone}) {
        SCOPED_TRACE(SyncName(sync));
        Prepare(sync);
        SharedLog reported;
        SetExceptionHandler([&](std::exception_ptr e) { reported.Add(ExceptionMessage(e)); });
        std::atomic<int> calls{0};
        port.OnRxFlag = [&](TCustomComPort*) {
            ReadAll();
            if (++calls == 1)
                throw std::runtime_error("handler failed");
        };
        port.Open();
        pty.send("1\r");
        ASSERT_TRUE(WaitFor([&] { return reported.Size() == 1; }));
        pty.send("2\r");
        ASSERT_TRUE(WaitFor([&] { return calls == 2; }));
        EXPECT_EQ(reported.Get(), Strings{"handler failed"});
        port.Close();
        SetExceptionHandler(nullptr);
    }
}

TEST_F(LinePort, FarEndClosingMidStreamCausesNoBusyLoop)
{
    Prepare(TSyncMethod::smThreadSync);
    port.SetEvents({TComEvent::evRxChar, TComEvent::evRxFlag});
    std::atomic<int> calls{0};
    port.OnRxFlag = [&](TCustomComPort*) {
        ReadAll();
        ++calls;
    };
    port.Open();
    for (int i = 0; i < 20; ++i)
        pty.send("data " + std::to_string(i) + "\r");
    ASSERT_TRUE(WaitFor([&] { return calls > 0; }));
    pty.send("half a li");
    pty.closeMaster();
    // Let the thread notice the hang-up, then measure it idle.
    QTest::qWait(100);
    const auto before = port.EventThread()->CpuTime();
    QTest::qWait(1000);
    const auto used = port.EventThread()->CpuTime() - before;
    EXPECT_LT(used, milliseconds(20)) << "thread busy after the far end went away";
    const auto start = Clock::now();
    port.Close();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}

// --- on the fake device ------------------------------------------------------------

namespace {

const std::string kPath = "/dev/COM1";

// A port on the fake device that records every event callback of its own and
// of one link.
struct FakePort : ::testing::Test {
    testenv::FakeSerialDevices devices;
    TComPort port;
    TComLink link;
    SharedLog log;

    void SetUp() override
    {
        auto note = [this](const std::string& name) { return [this, name](TCustomComPort*) { log.Add(name); }; };
        auto signal = [this](const std::string& name) {
            return [this, name](TCustomComPort*, bool on) { log.Add(name + (on ? "+" : "-")); };
        };
        auto bytes = [this](const std::string& name) {
            return [this, name](TCustomComPort*, const char* b, int n) { log.Add(name + " " + std::string(b, n)); };
        };
        port.OnRxChar = [this](TCustomComPort*, int n) { log.Add("RxChar " + std::to_string(n)); };
        port.OnRxBuf = bytes("RxBuf");
        port.OnTxEmpty = note("TxEmpty");
        port.OnBreak = note("Break");
        port.OnRing = note("Ring");
        port.OnRx80Full = note("Rx80Full");
        port.OnCTSChange = signal("CTS");
        port.OnDSRChange = signal("DSR");
        port.OnRLSDChange = signal("RLSD");
        port.OnError = [this](TCustomComPort*, TComErrors e) { log.Add("Error " + std::to_string(e.ToBits())); };
        link.OnTx = signal("link Tx");
        link.OnRx = signal("link Rx");
        link.OnTxEmpty = note("link TxEmpty");
        link.OnRing = note("link Ring");
        link.OnCTSChange = signal("link CTS");
        link.OnDSRChange = signal("link DSR");
        link.OnRLSDChange = signal("link RLSD");
    }
    void OpenWatching(TComEvents events)
    {
        port.SetEvents(events);
        port.RegisterLink(&link);
        port.Open();
        log.lines.clear();
    }
    void TearDown() override
    {
        port.Close();
        port.UnRegisterLink(&link);
    }
};

} // namespace

TEST_F(FakePort, LineEventsReachHandlersAndLinks)
{
    OpenWatching(TComEvents::All());
    using C = platform::SerialCounters;
    C counters;
    struct Case {
        const char* what;
        std::function<void()> cause;
        Strings expected;
    };
    const Case cases[] = {
        {"frame error", [&] { counters.frame++; devices.setCounters(kPath, counters); },
         {"Error " + std::to_string(TComErrors{TComError::ceFrame}.ToBits())}},
        {"CTS on", [&] { devices.setModemInputs(kPath, platform::kModemCTS); }, {"link CTS+", "CTS+"}},
        {"DSR on", [&] { devices.setModemInputs(kPath, platform::kModemCTS | platform::kModemDSR); },
         {"link DSR+", "DSR+"}},
        {"carrier on, CTS off", [&] { devices.setModemInputs(kPath, platform::kModemDSR | platform::kModemRLSD); },
         {"link CTS-", "CTS-", "link RLSD+", "RLSD+"}},
        {"ring", [&] { counters.ring++; devices.setCounters(kPath, counters); }, {"link Ring", "Ring"}},
        {"break", [&] { counters.brk++; devices.setCounters(kPath, counters); },
         {"Break"}},  // a break is no line-status error event
        {"output empty", [&] { port.WriteStr("x"); }, {"link Tx+", "link Tx-", "link TxEmpty", "TxEmpty"}},
    };
    for (const Case& c : cases) {
        log.lines.clear();
        c.cause();
        EXPECT_TRUE(WaitFor([&] { return log.Size() >= c.expected.size(); })) << c.what;
        EXPECT_EQ(log.Get(), c.expected) << c.what;
    }
}

TEST(ComEvents, ReceivedBytesByCountOrByBuffer)
{
    struct Case {
        const char* what;
        bool triggers;
        bool linkTakesData;
        Strings expected;
        int leftInQueue;
    };
    const Case cases[] = {
        {"count only", true, false, {"link Rx+", "RxChar 10"}, 10},
        {"read for the port", false, false, {"link Rx+", "link Rx-", "RxBuf 0123456789"}, 0},
        {"read once for port and link", true, true,
         {"link Rx+", "link Rx-", "RxBuf 0123456789", "link RxBuf 0123456789"}, 0},
    };
    for (const Case& c : cases) {
        testenv::FakeSerialDevices devices;
        TComPort p;
        TComLink l;
        SharedLog events;
        p.SetTriggersOnRxChar(c.triggers);
        p.SetEvents({TComEvent::evRxChar});
        p.OnRxChar = [&](TCustomComPort*, int n) { events.Add("RxChar " + std::to_string(n)); };
        p.OnRxBuf = [&](TCustomComPort*, const char* b, int n) { events.Add("RxBuf " + std::string(b, n)); };
        l.OnRx = [&](TCustomComPort*, bool on) { events.Add(on ? "link Rx+" : "link Rx-"); };
        if (c.linkTakesData)
            l.OnRxBuf = [&](TCustomComPort*, const char* b, int n) { events.Add("link RxBuf " + std::string(b, n)); };
        p.RegisterLink(&l);
        EXPECT_EQ(p.TriggersOnRxChar(), c.triggers && !c.linkTakesData) << c.what;
        p.Open();
        ASSERT_TRUE(devices.pushInput(kPath, "0123456789"));
        EXPECT_TRUE(WaitFor([&] { return events.Size() >= c.expected.size(); })) << c.what;
        EXPECT_EQ(events.Get(), c.expected) << c.what;
        EXPECT_EQ(p.InputCount(), c.leftInQueue) << c.what;
        p.Close();
        p.UnRegisterLink(&l);
    }
}

TEST_F(FakePort, InputEightyPercentFull)
{
    OpenWatching({TComEvent::evRx80Full});
    ASSERT_TRUE(devices.pushInput(kPath, std::string(819, 'a')));
    ASSERT_TRUE(WaitWithoutEvents([&] { return port.InputCount() == 819; }));
    ASSERT_TRUE(devices.pushInput(kPath, "b"));
    EXPECT_TRUE(WaitFor([&] { return log.Has("Rx80Full"); }));
}

TEST_F(FakePort, AFullQueueLeavesTheRestInTheDeviceUntilReadWithoutSpinning)
{
    TComBuffer small;
    small.SetInputSize(16);
    port.SetBuffer(small);
    OpenWatching({TComEvent::evRxChar});
    ASSERT_TRUE(devices.pushInput(kPath, std::string(40, 'q')));
    ASSERT_TRUE(WaitWithoutEvents([&] { return port.InputCount() == 16; }));
    const auto before = port.EventThread()->CpuTime();
    QTest::qWait(300);
    EXPECT_LT(port.EventThread()->CpuTime() - before, milliseconds(20));
    std::string s;
    std::string all;
    while (port.ReadStr(s, 16) > 0)
        all += s;
    EXPECT_EQ(all, std::string(40, 'q'));
}
