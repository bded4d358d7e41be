// Reads, writes, queries and line control of a port on a fake device.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>

#include "serial/ComAsync.h"
#include "serial/ComDebug.h"
#include "serial/ComPort.h"
#include "serial/SerialTestSupport.h"
#include "support/FakeSerialDevice.h"

using namespace serial;
using namespace serialtest;
using testenv::FakeSerialDevices;
using Op = FakeSerialDevices::Op;

namespace {

const std::string kPath = "/dev/COM1";

// Records the data callbacks of one link.
struct DataLink {
    Strings log;
    TComLink link;
    DataLink()
    {
        link.OnTx = [this](TCustomComPort*, bool on) { log.push_back(on ? "Tx+" : "Tx-"); };
        link.OnRx = [this](TCustomComPort*, bool on) { log.push_back(on ? "Rx+" : "Rx-"); };
        link.OnTxBuf = [this](TCustomComPort*, const char* b, int n) { log.push_back("TxBuf " + std::string(b, n)); };
    }
};

// An open port without an event thread, with one data link.
struct IoPort : ::testing::Test {
    FakeSerialDevices devices;
    TComPort port;
    DataLink data;

    void SetUp() override
    {
        port.SetEvents({});
        port.RegisterLink(&data.link);
        port.Open();
    }
    void TearDown() override
    {
        port.Close();
        port.UnRegisterLink(&data.link);
    }
    void Push(const std::string& bytes) { ASSERT_TRUE(devices.pushInput(kPath, bytes)); }
    void WriteLimit(int interval, int constant)
    {
        TComTimeouts t;
        t.SetReadInterval(interval);
        t.SetWriteTotalMultiplier(0);
        t.SetWriteTotalConstant(constant);
        port.SetTimeouts(t);
    }
};

} // namespace

TEST_F(IoPort, WriteStrSendsTellsTheLinksAndWritesTheDebugText)
{
    Strings debug;
    SetDebugTextHook([&](const std::string& t) { debug.push_back(t); });
    EXPECT_EQ(port.WriteStr("hello"), 5);
    EXPECT_EQ(port.WriteStr(""), 0);
    SetDebugTextHook(nullptr);
    EXPECT_EQ(devices.line(kPath).written, "hello");
    EXPECT_EQ(data.log, (Strings{"Tx+", "TxBuf hello"}));  // nothing for the empty string
    EXPECT_EQ(debug, (Strings{"TCustomComPort.WriteStr", "TCustomComPort.WriteStr"}));
    EXPECT_EQ(port.Write("ab", 2), 2);
    EXPECT_EQ(debug.size(), 2u);  // only string writes leave the text
}

TEST_F(IoPort, TimedOutWriteReportsOnlyTheBytesThatLeft)
{
    struct Case {
        const char* what;
        int room, queued;
        int sent;
        std::string txBuf;
    };
    const Case cases[] = {
        {"line took three", 3, 0, 3, "abc"},
        {"two still queued at the limit", -1, 2, 4, "abcd"},
        {"line took nothing", 0, 0, 0, ""},
    };
    WriteLimit(-1, 40);
    for (const Case& c : cases) {
        devices.setWriteRoom(kPath, c.room);
        devices.setOutputQueued(kPath, c.queued);
        devices.clearCalls();
        data.log.clear();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(port.WriteStr("abcdef"), c.sent) << c.what;
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40)) << c.what;
        const Strings calls = devices.calls();
        // Only what is still queued is discarded.
        EXPECT_EQ(std::find(calls.begin(), calls.end(), "purge out") != calls.end(), c.queued > 0) << c.what;
        Strings expected{"Tx+"};
        if (c.sent > 0)
            expected.push_back("TxBuf " + c.txBuf);
        EXPECT_EQ(data.log, expected) << c.what;
    }
}

TEST_F(IoPort, OverlappedWriteMovesOnWhenTheLineTakesBytes)
{
    devices.setWriteRoom(kPath, 0);
    WriteLimit(-1, 0);  // no time limit
    PCPortAsync async = nullptr;
    InitAsync(async);
    EXPECT_EQ(port.WriteStrAsync("abcdef", async), 0);
    EXPECT_FALSE(port.IsAsyncCompleted(async));
    devices.setWriteRoom(kPath, 4);
    EXPECT_FALSE(port.IsAsyncCompleted(async));
    devices.setWriteRoom(kPath, -1);
    EXPECT_TRUE(port.IsAsyncCompleted(async));
    EXPECT_EQ(port.WaitForAsync(async), 6);
    EXPECT_EQ(devices.line(kPath).written, "abcdef");
    DoneAsync(async);
    EXPECT_EQ(async, nullptr);
}

TEST_F(IoPort, ReadsTakeWhatHasArrived)
{
    Push("12345");
    std::string s = "old";
    EXPECT_EQ(port.ReadStr(s, 200), 5);
    EXPECT_EQ(s, "12345");
    EXPECT_EQ(data.log, Strings{"Rx-"});  // the read left the queue empty

    data.log.clear();
    EXPECT_EQ(port.ReadStr(s, 200), 0);
    EXPECT_EQ(s, "");
    s = "old";
    EXPECT_EQ(port.ReadStr(s, 0), 0);
    EXPECT_EQ(s, "");
    EXPECT_EQ(data.log, Strings{"Rx-"});  // only the read that ran; none for count 0

    char buffer[4] = {1, 2, 3, 4};
    EXPECT_EQ(port.Read(buffer, 4), 0);
    EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 255);

    data.log.clear();
    Push("abc");
    EXPECT_EQ(port.ReadStr(s, 2), 2);
    EXPECT_EQ(s, "ab");
    EXPECT_TRUE(data.log.empty());  // a byte is left
}

TEST_F(IoPort, AReusedRecordReportsOnlyItsOwnOperation)
{
    Push("xy");
    PCPortAsync async = nullptr;
    InitAsync(async);
    port.WriteStrAsync("abc", async);
    EXPECT_EQ(port.WaitForAsync(async), 3);
    data.log.clear();
    char c = 0;
    port.ReadAsync(&c, 1, async);
    EXPECT_EQ(port.WaitForAsync(async), 1);
    EXPECT_EQ(c, 'x');
    EXPECT_TRUE(data.log.empty());  // no stale copy of the write, and a byte is left
    DoneAsync(async);
}

TEST_F(IoPort, AFailedQueueQueryAfterAReadKeepsTheData)
{
    Push("abc");
    devices.fail(Op::OutputWaiting, EIO);
    std::string s;
    EXPECT_EQ(port.ReadStr(s, 10), 3);
    EXPECT_EQ(s, "abc");
    EXPECT_TRUE(data.log.empty());
}

TEST_F(IoPort, AbortedReadFailsWithCodeThree)
{
    WriteLimit(0, 1000);  // read interval 0, read totals 0: wait for the count
    PCPortAsync async = nullptr;
    InitAsync(async);
    char buffer[8];
    EXPECT_EQ(port.ReadAsync(buffer, 8, async), 0);
    EXPECT_FALSE(port.IsAsyncCompleted(async));
    port.AbortAllAsync();
    try {
        port.WaitForAsync(async);
        ADD_FAILURE() << "no error";
    } catch (const EComPortExt& e) {
        EXPECT_EQ(e.Code(), CError_ReadFailed);
        EXPECT_EQ(e.WinCode(), ECANCELED);
    }
    EXPECT_EQ(CodeOf([&] { port.IsAsyncCompleted(async); }), CError_AsyncCheck);
    DoneAsync(async);
}

TEST(ComPortIo, ReadThatCannotStartIsCountedOrRaised)
{
    for (const bool raise : {false, true}) {
        FakeSerialDevices devices;
        TComPort port;
        port.SetEvents({});
        port.SetReadAsyncExceptionsEnabled(raise);
        port.Open();
        devices.fail(Op::Read, EIO);
        std::string s;
        if (raise) {
            EXPECT_EQ(WinCodeOf([&] { port.ReadStr(s, 10); }), EIO);
            EXPECT_EQ(port.ReadAsyncErrorCount(), 0);
        } else {
            EXPECT_EQ(port.ReadStr(s, 10), 0);
            EXPECT_EQ(port.ReadAsyncErrorCount(), 1);
            EXPECT_EQ(port.ReadAsyncLastError(), static_cast<unsigned>(EIO));
        }
        EXPECT_EQ(s, "");
    }
}

TEST(ComPortIo, NonOverlappedWritesReportTheRealCount)
{
    FakeSerialDevices devices;
    TComPort port;
    DataLink data;
    port.RegisterLink(&data.link);
    port.SetOverlapped(false);
    EXPECT_EQ(port.WriteStr("closed"), 0);  // not connected: uncounted
    port.Open();
    EXPECT_EQ(port.ThreadCreated(), false);
    TComTimeouts t;
    t.SetWriteTotalMultiplier(0);
    t.SetWriteTotalConstant(30);
    port.SetTimeouts(t);
    devices.setWriteRoom(kPath, 2);
    EXPECT_EQ(port.WriteStr("abcd"), 2);
    devices.setWriteRoom(kPath, -1);
    devices.fail(Op::Write, EIO);
    EXPECT_EQ(port.Write("xy", 2), 0);
    EXPECT_EQ(port.SyncWriteErrors(), 1);
    EXPECT_EQ(port.WriteStr("ok"), 2);
    EXPECT_EQ(devices.line(kPath).written, "abok");
    EXPECT_TRUE(data.log.empty());  // this path tells no link
    port.Close();
    port.UnRegisterLink(&data.link);
}

TEST_F(IoPort, StatusQueriesConsumeLineErrors)
{
    platform::SerialCounters c;
    c.frame = 1;
    c.parity = 1;
    devices.setCounters(kPath, c);
    EXPECT_EQ(port.LastErrors(), TComErrors{TComError::ceFrame});  // parity not checked
    EXPECT_TRUE(port.LastErrors().Empty());

    port.Parity().SetCheck(true);
    c.parity = 2;
    c.overrun = 1;
    devices.setCounters(kPath, c);
    EXPECT_EQ(port.LastErrors(), (TComErrors{TComError::ceRxParity, TComError::ceOverrun}));

    c.brk = 1;
    devices.setCounters(kPath, c);
    port.InputCount();  // takes the errors too
    EXPECT_TRUE(port.LastErrors().Empty());

    devices.setOutputQueued(kPath, 7);
    EXPECT_EQ(port.OutputCount(), 7);
    devices.fail(Op::Counters, EIO);
    EXPECT_EQ(CodeOf([&] { port.StateFlags(); }), CError_ClearComFailed);
}

TEST_F(IoPort, InputCountNotSupportedAsksNothingAndTellsNoLink)
{
    Push("abc");
    port.SetInputCountNotSupported(true);
    EXPECT_EQ(port.InputCount(), 0);
    std::string s;
    EXPECT_EQ(port.ReadStr(s, 10), 3);
    EXPECT_TRUE(data.log.empty());
}

TEST_F(IoPort, LineControlReachesTheDeviceOrRaisesItsCode)
{
    port.SetXonXoff(false);
    EXPECT_TRUE(devices.line(kPath).outputHeld);
    EXPECT_EQ(port.StateFlags(), TComStateFlags{TComStateFlag::fXoffHold});
    port.SetXonXoff(true);
    EXPECT_TRUE(port.StateFlags().Empty());
    port.SetBreak(true);
    EXPECT_TRUE(devices.line(kPath).breakOn);
    port.SetRTS(true);
    port.SetDTR(false);
    EXPECT_EQ(devices.line(kPath).modemLines & (platform::kModemDTR | platform::kModemRTS), platform::kModemRTS);
    port.TransmitChar('!');
    EXPECT_EQ(devices.line(kPath).written, "!");

    struct Case {
        const char* what;
        Op op;
        std::function<void()> call;
        std::uint8_t code;
    };
    const Case cases[] = {
        {"break", Op::Break, [&] { port.SetBreak(false); }, CError_EscapeComFailed},
        {"DTR", Op::SetModemLines, [&] { port.SetDTR(true); }, CError_EscapeComFailed},
        {"RTS", Op::SetModemLines, [&] { port.SetRTS(false); }, CError_EscapeComFailed},
        {"XON/XOFF", Op::HoldOutput, [&] { port.SetXonXoff(true); }, CError_EscapeComFailed},
        {"purge", Op::Purge, [&] { port.ClearBuffer(true, true); }, CError_PurgeFailed},
        {"transmit", Op::Write, [&] { port.TransmitChar('x'); }, CError_TransmitFailed},
        {"modem status", Op::ModemLines, [&] { port.Signals(); }, CError_ModemStatFailed},
        {"queue status", Op::OutputWaiting, [&] { port.OutputCount(); }, CError_ClearComFailed},
    };
    for (const Case& c : cases) {
        devices.fail(c.op, EPERM);
        EXPECT_EQ(CodeOf(c.call), c.code) << c.what;
        devices.clearFailures();
    }
    devices.setWriteRoom(kPath, 0);
    EXPECT_EQ(WinCodeOf([&] { port.TransmitChar('x'); }), EAGAIN);
}

TEST_F(IoPort, ClearBufferDiscardsQueuedInput)
{
    Push("abc");
    EXPECT_EQ(port.InputCount(), 3);
    port.ClearBuffer(true, false);
    EXPECT_EQ(port.InputCount(), 0);
    EXPECT_EQ(devices.calls().back(), "purge in");
}

TEST(ComPortIo, OperationsWithoutARecordOrOnAClosedPort)
{
    FakeSerialDevices devices;
    TComPort port;
    char b[4];
    const std::vector<std::function<void()>> noRecord = {
        [&] { port.WriteAsync("a", 1, nullptr); },
        [&] { port.ReadAsync(b, 1, nullptr); },
        [&] { port.WaitForAsync(nullptr); },
        [&] { port.IsAsyncCompleted(nullptr); },
    };
    for (const auto& call : noRecord)
        EXPECT_EQ(CodeOf(call), CError_InvalidAsync);

    // Closed: a write fails, a read is only counted, queries fail.
    EXPECT_EQ(CodeOf([&] { port.WriteStr("a"); }), CError_WriteFailed);
    std::string s;
    EXPECT_EQ(port.ReadStr(s, 4), 0);
    EXPECT_EQ(port.ReadAsyncLastError(), static_cast<unsigned>(EBADF));
    EXPECT_EQ(CodeOf([&] { port.InputCount(); }), CError_ClearComFailed);
    EXPECT_EQ(CodeOf([&] { port.SetBreak(true); }), CError_EscapeComFailed);
    TComEvents events{TComEvent::evRxChar};
    EXPECT_EQ(CodeOf([&] { port.WaitForEvent(events, 0, 0); }), CError_WaitFailed);
}
