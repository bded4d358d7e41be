// Reads, writes and event waits of a port on a pseudo-terminal, with the
// test playing the far end.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

#include "serial/ComPort.h"
#include "serial/SerialTestSupport.h"
#include "support/PtyPair.h"

using namespace serial;
using namespace serialtest;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

// A port on the slave side of a pty, without an event thread.
struct PtyPort : ::testing::Test {
    testenv::PtyPair pty;
    TComPort port;

    void SetUp() override
    {
        port.SetPort(pty.path());
        port.SetEventChar('\r');
        port.SetEvents({});
        port.Open();
    }
    void SetReadTimeouts(int interval, int multiplier, int constant)
    {
        TComTimeouts t;
        t.SetReadInterval(interval);
        t.SetReadTotalMultiplier(multiplier);
        t.SetReadTotalConstant(constant);
        port.SetTimeouts(t);
    }
};

std::string AllBytes()
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    return all;
}

} // namespace

TEST_F(PtyPort, AllByteValuesPassBothWays)
{
    SetReadTimeouts(0, 0, 3000);  // wait for the count, at most 3 s
    for (const bool checked : {false, true}) {
        // A checked line marks errors and doubles FF on the way in; the port
        // undoes that.
        port.Parity().SetCheck(checked);
        ASSERT_EQ(port.WriteStr(AllBytes()), 256);
        EXPECT_EQ(pty.receive(256, 3000), AllBytes()) << checked;
        pty.send(AllBytes());
        std::string s;
        EXPECT_EQ(port.ReadStr(s, 256), 256) << checked;
        EXPECT_EQ(s, AllBytes()) << checked;
    }
}

TEST_F(PtyPort, ReadStrFollowsTheReadTimeouts)
{
    std::string s = "old";
    EXPECT_EQ(port.ReadStr(s, 200), 0);  // at once, nothing there
    EXPECT_EQ(s, "");
    pty.send("hello");
    ASSERT_TRUE(WaitWithoutEvents([&] { return port.InputCount() == 5; }));
    EXPECT_EQ(port.ReadStr(s, 200), 5);
    EXPECT_EQ(s, "hello");

    // Interval 300 ms: a 50 ms gap keeps the read going, so "AB" and "C"
    // come back as one read, after the interval has passed behind "C".
    SetReadTimeouts(300, 0, 0);
    std::thread far([&] {
        pty.send("AB");
        std::this_thread::sleep_for(milliseconds(50));  // pacing of the far end
        pty.send("C");
    });
    const auto start = Clock::now();
    EXPECT_EQ(port.ReadStr(s, 10), 3);
    const auto took = Clock::now() - start;
    far.join();
    EXPECT_EQ(s, "ABC");
    EXPECT_GE(took, milliseconds(300));
    EXPECT_LT(took, milliseconds(2000));

    // The count ends the read before the interval.
    pty.send("xyz");
    const auto again = Clock::now();
    EXPECT_EQ(port.ReadStr(s, 3), 3);
    EXPECT_LT(Clock::now() - again, milliseconds(250));

    // A total time-out ends a read that gets nothing.
    SetReadTimeouts(0, 10, 40);
    const auto total = Clock::now();
    EXPECT_EQ(port.ReadStr(s, 2), 0);
    EXPECT_GE(Clock::now() - total, milliseconds(60));
}

TEST_F(PtyPort, AbortFromAnotherThreadEndsABlockedRead)
{
    SetReadTimeouts(0, 0, 0);  // wait for all 10 bytes, without limit
    std::atomic<bool> done{false};
    int code = 0, winCode = 0;
    std::thread reader([&] {
        std::string s;
        try {
            port.ReadStr(s, 10);
        } catch (const EComPortExt& e) {
            code = e.Code();
            winCode = e.WinCode();
        }
        done = true;
    });
    // The abort reaches only a read that has started: repeat until it ends.
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!done && Clock::now() < deadline) {
        port.AbortAllAsync();
        WaitWithoutEvents([&] { return done.load(); }, 20);
    }
    reader.join();
    EXPECT_EQ(code, CError_ReadFailed);
    EXPECT_EQ(winCode, ECANCELED);
}

TEST_F(PtyPort, WriteToALineThatTakesNoMoreReportsWhatItTook)
{
    TComTimeouts t;
    t.SetWriteTotalMultiplier(0);
    t.SetWriteTotalConstant(100);
    port.SetTimeouts(t);
    const std::string big(256 * 1024, 'z');
    const int sent = port.WriteStr(big);  // the far end reads nothing meanwhile
    EXPECT_GT(sent, 0);
    EXPECT_LT(sent, static_cast<int>(big.size()));
    EXPECT_EQ(pty.receive(big.size(), 300).size(), static_cast<std::size_t>(sent));  // no more, no less
}

TEST_F(PtyPort, WaitForEventReportsStopsAndTimesOut)
{
    // An event: the far end sends until the wait has seen it.
    std::atomic<bool> done{false};
    std::thread far([&] {
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (!done && Clock::now() < deadline) {
            pty.send("x\r");
            std::this_thread::sleep_for(milliseconds(20));
        }
    });
    TComEvents events{TComEvent::evRxFlag};
    port.WaitForEvent(events, 0, 5000);
    done = true;
    far.join();
    EXPECT_EQ(events, TComEvents{TComEvent::evRxFlag});  // evRxChar was not asked for
    port.ClearBuffer(true, true);

    // A stop descriptor that is signalled ends the wait at once.
    const int stop = eventfd(1, EFD_CLOEXEC);
    events = TComEvents{TComEvent::evRxChar};
    const auto start = Clock::now();
    port.WaitForEvent(events, stop, 10000);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(events.Empty());
    close(stop);

    // A time-out without events.
    events = TComEvents{TComEvent::evRxChar};
    const auto timed = Clock::now();
    port.WaitForEvent(events, 0, 50);
    EXPECT_GE(Clock::now() - timed, milliseconds(50));
    EXPECT_TRUE(events.Empty());

    // Not while an event thread runs.
    port.Close();
    port.SetEvents({TComEvent::evRxFlag});
    port.Open();
    EXPECT_EQ(CodeOf([&] { port.WaitForEvent(events, 0, 0); }), CError_ThreadCreated);
}

TEST_F(PtyPort, FarEndGoneMakesReadsAndWritesFail)
{
    pty.closeMaster();
    std::string s;
    EXPECT_EQ(port.ReadStr(s, 10), 0);
    EXPECT_EQ(port.ReadAsyncErrorCount(), 1);
    EXPECT_EQ(port.ReadAsyncLastError(), static_cast<unsigned>(EIO));
    EXPECT_EQ(WinCodeOf([&] { port.WriteStr("x"); }), EIO);
    port.Close();
    EXPECT_FALSE(port.Connected());
}
