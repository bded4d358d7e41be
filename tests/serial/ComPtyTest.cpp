// A port on a pseudo-terminal, with the test playing the far end: bytes both
// ways, the read time-outs, the event thread's delivery of the receive flag,
// every way of closing, and the far end going away.
#include <atomic>
#include <stdexcept>

#include "serial/SerialTestSupport.h"

using namespace serialtest;
using Clock = std::chrono::steady_clock;

namespace {

// A port on the slave side of a pty that watches the event character CR, as
// the application's ports do.
struct PtyPort : ::testing::Test {
    testenv::PtyPair pty;
    TComPort port;

    void Open(TSyncMethod sync, TComEvents events = {TComEvent::evRxFlag})
    {
        port.SetPort(pty.path());
        port.SetEventChar('\r');
        port.SetEvents(events);
        port.SetSyncMethod(sync);
        port.Open();
    }
    // Reads what has arrived, as the application's receive handler does.
    std::string ReadAll(int count = 200)
    {
        std::string s;
        port.ReadStr(s, count);
        return s;
    }
};

const char* const kSyncNames[] = {"smThreadSync", "smWindowSync", "smNone", "smDisableEvents"};

} // namespace

// Every byte value passes both ways unchanged, also on a checked line, which
// marks errors and doubles FF on the way in.
TEST_F(PtyPort, AllByteValuesPassBothWays)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    Open(TSyncMethod::smThreadSync, {});
    port.Timeouts().SetReadInterval(0);
    port.Timeouts().SetReadTotalConstant(3000);  // wait for the count, at most 3 s
    for (const bool checked : {false, true}) {
        port.Parity().SetCheck(checked);
        ASSERT_EQ(port.WriteStr(all), 256);
        EXPECT_EQ(pty.receive(256, 3000), all) << checked;
        pty.send(all);
        EXPECT_EQ(ReadAll(256), all) << checked;
    }
}

// A read ends as the read time-outs say: at once by default, after the
// interval behind the last byte, at its count, or at its total time.
TEST_F(PtyPort, ReadStrFollowsTheReadTimeouts)
{
    Open(TSyncMethod::smThreadSync, {});
    EXPECT_EQ(ReadAll(), "");
    port.Timeouts().SetReadInterval(300);
    std::thread far([&] {
        pty.send("AB");
        std::this_thread::sleep_for(milliseconds(50));  // a gap shorter than the interval
        pty.send("C");
    });
    auto start = Clock::now();
    EXPECT_EQ(ReadAll(10), "ABC");
    EXPECT_GE(Clock::now() - start, milliseconds(300));
    EXPECT_LT(Clock::now() - start, milliseconds(2000));
    far.join();
    pty.send("xyz");
    start = Clock::now();
    EXPECT_EQ(ReadAll(3), "xyz");
    EXPECT_LT(Clock::now() - start, milliseconds(250));
    port.Timeouts().SetReadTotalMultiplier(10);
    port.Timeouts().SetReadTotalConstant(40);
    start = Clock::now();
    EXPECT_EQ(ReadAll(2), "");
    EXPECT_GE(Clock::now() - start, milliseconds(60));
}

// Each line ending in CR calls OnRxFlag once, links first, in the GUI thread
// unless the sync method is smNone; smDisableEvents calls nothing.
TEST_F(PtyPort, OnRxFlagRunsOncePerLineWhereTheSyncMethodSays)
{
    const std::thread::id gui = std::this_thread::get_id();
    for (const TSyncMethod sync : {TSyncMethod::smThreadSync, TSyncMethod::smWindowSync, TSyncMethod::smNone,
                                   TSyncMethod::smDisableEvents}) {
        SCOPED_TRACE(kSyncNames[Ord(sync)]);
        const bool delivered = sync != TSyncMethod::smDisableEvents;
        Log log;
        std::atomic<int> calls{0}, wrongThread{0};
        TComLink link;
        link.OnRxFlag = [&](TCustomComPort*) { log.Add("link"); };
        port.RegisterLink(&link);
        port.OnRxFlag = [&](TCustomComPort*) {
            wrongThread += (std::this_thread::get_id() == gui) == (sync == TSyncMethod::smNone);
            log.Add("port " + ReadAll());
            ++calls;
        };
        Open(sync);
        for (int i = 0; i < 5; ++i) {
            pty.send("line " + std::to_string(i) + "\r");
            EXPECT_TRUE(!delivered || WaitFor([&] { return calls == i + 1; })) << i;
        }
        QTest::qWait(50);  // room for a call too many
        EXPECT_EQ(calls, delivered ? 5 : 0);
        EXPECT_EQ(wrongThread, 0);
        const Strings l = log.Take();
        EXPECT_EQ(l.size(), delivered ? 10u : 0u);
        const Strings first{"link", "port line 0\r"};
        EXPECT_EQ(Strings(l.begin(), l.begin() + std::min<std::size_t>(l.size(), 2)), delivered ? first : Strings());
        port.Close();
        port.UnRegisterLink(&link);
    }
}

// A handler that throws is reported and delivery goes on; one that closes
// its own port does not hang, and the port opens and delivers again.
TEST_F(PtyPort, HandlersThatThrowOrCloseTheirPort)
{
    for (const TSyncMethod sync : {TSyncMethod::smThreadSync, TSyncMethod::smWindowSync, TSyncMethod::smNone}) {
        SCOPED_TRACE(kSyncNames[Ord(sync)]);
        HookMessages reported;
        std::atomic<int> calls{0};
        std::atomic<bool> closed{false};
        port.OnRxFlag = [&](TCustomComPort* p) {
            ReadAll();
            if (++calls == 1)
                throw std::runtime_error("handler failed");
            if (calls == 2)
                p->Close(), closed = true;
        };
        Open(sync);
        pty.send("1\r");
        ASSERT_TRUE(WaitFor([&] { return reported.Size() == 1; }));
        pty.send("2\r");
        ASSERT_TRUE(WaitFor([&] { return closed.load(); }));
        EXPECT_FALSE(port.Connected());
        EXPECT_EQ(port.EventThread(), nullptr);
        port.Open();
        pty.send("3\r");
        EXPECT_TRUE(WaitFor([&] { return calls == 3; }));
        EXPECT_EQ(reported.Take(), Strings{"handler failed"});
        port.Close();
    }
}

// Closing while the thread waits for the GUI thread to run a delivery runs
// that delivery in place, with the port still open, and ends at once.
TEST_F(PtyPort, CloseWhileTheThreadWaitsInAHandOverRunsItAndEndsQuickly)
{
    Strings reads;
    port.OnRxFlag = [&](TCustomComPort*) { reads.push_back(ReadAll()); };
    Open(TSyncMethod::smThreadSync);
    pty.send("x\r");
    ASSERT_TRUE(WaitWithoutEvents([&] { return port.EventThread()->HandingOver(); }));
    const auto start = Clock::now();
    port.Close();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(reads, Strings{"x\r"});
    QTest::qWait(20);  // the posted hand-over finds nothing to run
    EXPECT_EQ(reads.size(), 1u);
}

// When the far end goes away mid-stream the thread stops watching (no busy
// loop), reads and writes fail with their codes, and Close ends at once.
TEST_F(PtyPort, FarEndGoneStopsTheWatchAndFailsReadsAndWrites)
{
    std::atomic<int> calls{0};
    port.OnRxFlag = [&](TCustomComPort*) { ReadAll(), ++calls; };
    Open(TSyncMethod::smThreadSync, {TComEvent::evRxChar, TComEvent::evRxFlag});
    for (int i = 0; i < 20; ++i)
        pty.send("data " + std::to_string(i) + "\r");
    ASSERT_TRUE(WaitFor([&] { return calls > 0; }));
    pty.send("half a li");
    pty.closeMaster();
    QTest::qWait(100);  // the thread notices the hang-up
    EXPECT_LT(ThreadCpuDuring(port, 1000), milliseconds(20)) << "thread busy after the far end went away";
    ReadAll();  // whatever had come
    EXPECT_EQ(ReadAll(), "");
    EXPECT_EQ(port.ReadAsyncLastError(), static_cast<unsigned>(EIO));
    EXPECT_EQ(Raised([&] { port.WriteStr("x"); }), std::make_pair(int(CError_WriteFailed), EIO));
    const auto start = Clock::now();
    port.Close();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}
