// Reads, writes and events of a port on the fake device, which can hold bytes
// back, change its modem lines and counters, and fail any call.
#include <memory>

#include "platform/EventFd.h"
#include "serial/ComAsync.h"
#include "serial/SerialTestSupport.h"

using namespace serialtest;

namespace {

// A port on the fake device with a link; the link's callbacks, and the
// port's handlers the test sets, log what they hear.
struct FakePort : ::testing::Test {
    FakeSerialDevices devices;
    TComPort port;
    TComLink link;
    Log log;

    void SetUp() override
    {
        link.OnTx = log.signal("Tx");
        link.OnRx = log.signal("Rx");
        link.OnTxBuf = log.Bytes("TxBuf");
        port.RegisterLink(&link);
        port.Timeouts().SetWriteTotalMultiplier(0);
        port.Timeouts().SetWriteTotalConstant(40);
    }
    void TearDown() override { port.Close(), port.UnRegisterLink(&link); }
    void Open(TComEvents events = {}) { port.SetEvents(events), port.Open(), log.take(); }
    void push(const std::string& bytes) { ASSERT_TRUE(devices.pushInput(kPath, bytes)); }
};

} // namespace

// A write is done when its bytes have left: one that meets its time limit
// reports, and tells the links, only the bytes that left, and discards what
// is still queued. An operation that has to wait is pending; a record used
// again for a read tells no stale write.
TEST_F(FakePort, WritesReportAndTellOnlyTheBytesThatLeft)
{
    Open();
    EXPECT_EQ(port.WriteStr("hello"), 5);
    EXPECT_EQ(log.take(), (Strings{"Tx+", "TxBuf hello"}));
    const struct { const char* what; int room, queued, sent; Strings links; } cases[] = {
        {"line took three", 3, 0, 3, {"Tx+", "TxBuf abc"}},
        {"two still queued at the limit", -1, 2, 4, {"Tx+", "TxBuf abcd"}},
        {"line took nothing", 0, 0, 0, {"Tx+"}},
    };
    for (const auto& c : cases) {
        devices.line(kPath, [&](auto& l) { l.writeRoom = c.room, l.outputQueued = c.queued; });
        devices.calls(true);
        EXPECT_GE(timed([&] { EXPECT_EQ(port.WriteStr("abcdef"), c.sent) << c.what; }), milliseconds(40)) << c.what;
        EXPECT_EQ(devices.calls(), c.queued ? Strings{"purge out"} : Strings{}) << c.what;
        EXPECT_EQ(log.take(), c.links) << c.what;
    }

    ComAsyncRecord async;
    port.Timeouts().SetWriteTotalConstant(0);  // no time limit
    devices.line(kPath, [](auto& l) { l.writeRoom = 1; });
    EXPECT_EQ(port.WriteStrAsync("xyz", async.get()), 0);  // pending: the line takes one byte
    EXPECT_FALSE(port.IsAsyncCompleted(async.get()));
    devices.line(kPath, [](auto& l) { l.writeRoom = -1; });  // the rest, and no byte beyond it
    EXPECT_TRUE(port.IsAsyncCompleted(async.get()));
    EXPECT_EQ(port.WaitForAsync(async.get()), 3);
    port.Timeouts().SetReadInterval(0);  // a read waits for its count
    char c = 0;
    EXPECT_EQ(port.ReadAsync(&c, 1, async.get()), 0);  // pending: nothing has come
    push("q");
    EXPECT_EQ(port.WaitForAsync(async.get()), 1);
    EXPECT_EQ(log.take(), (Strings{"Tx+", "TxBuf xyz", "Rx-"}));
}

// A read takes what has arrived, in order; one that leaves the queue empty
// says so to the links. The bytes read are the caller's even when the queue
// query after the read fails.
TEST_F(FakePort, ReadsTakeWhatHasArrived)
{
    Open();
    push("abc");
    std::string s = "old";
    EXPECT_EQ(port.ReadStr(s, 2), 2);
    EXPECT_EQ(s, "ab");
    push("de");
    EXPECT_EQ(port.ReadStr(s, 200), 3);
    EXPECT_EQ(s, "cde");
    EXPECT_EQ(port.ReadStr(s, 0), 0);  // no read, no link call
    EXPECT_EQ(log.take(), Strings{"Rx-"});
    port.Parity().SetCheck(true);
    push("xyz\xff");  // purged input forgets a half-read mark
    EXPECT_EQ(port.InputCount(), 3);
    port.ClearBuffer(true, false);
    port.Buffer().SetInputSize(16384);  // a mark carried into a whole block of the pump keeps both bytes
    push("\xff");
    EXPECT_EQ(port.InputCount(), 0);
    push(std::string(5000, 'a'));
    EXPECT_EQ(port.InputCount(), 5001);
    port.ClearBuffer(true, false);
    push("abc");
    log.take();
    devices.fail(Op::OutputWaiting, EIO);
    EXPECT_EQ(port.ReadStr(s, 10), 3);
    EXPECT_EQ(s, "abc");
    EXPECT_TRUE(log.take().empty());

    devices.fail(Op::Read, EIO);  // the device has gone: a read cannot start, and is only counted ...
    EXPECT_EQ(port.ReadStr(s, 10), 0);
    EXPECT_EQ(port.ReadAsyncErrorCount(), 1);
    EXPECT_EQ(port.ReadAsyncLastError(), static_cast<unsigned>(EIO));
    port.SetReadAsyncExceptionsEnabled(true);  // ... unless asked to raise CError_ReadFailed
    EXPECT_EQ(Raised([&] { port.ReadStr(s, 10); }), std::make_pair(int(CError_ReadFailed), EIO));
    port.Close();  // closed: a write fails, a query too
    EXPECT_EQ(Raised([&] { port.WriteStr("a"); }), std::make_pair(int(CError_WriteFailed), EBADF));
    EXPECT_EQ(Raised([&] { port.InputCount(); }).first, int(CError_ClearComFailed));
    port.Open();  // opened again, the device is read again
    push("ok");
    EXPECT_EQ(port.ReadStr(s, 10), 2);
}

// Without overlapped mode a write returns the bytes that really left: 0 and
// counted on failure, 0 uncounted on a closed port, and no link is told.
TEST_F(FakePort, NonOverlappedWritesReportTheRealCount)
{
    port.SetOverlapped(false);
    EXPECT_EQ(port.WriteStr("closed"), 0);
    Open();
    devices.line(kPath, [](auto& l) { l.writeRoom = 2; });
    EXPECT_EQ(port.WriteStr("abcd"), 2);
    devices.line(kPath, [](auto& l) { l.writeRoom = -1; });
    devices.fail(Op::Write, EIO);
    EXPECT_EQ(port.Write("xy", 2), 0);
    EXPECT_EQ(port.WriteStr("ok"), 2);
    EXPECT_EQ(port.SyncWriteErrors(), 1);
    EXPECT_EQ(devices.line(kPath).written, "abok");
    EXPECT_TRUE(log.take().empty());
}

// Line errors (parity errors only on a checked line), modem lines, rings,
// breaks and an empty output queue reach the port's handlers and its links;
// what was there before opening is no event.
TEST_F(FakePort, LineEventsReachHandlersAndLinks)
{
    devices.line(kPath, [](auto& l) { l.modemLines = platform::kModemDSR, l.counters.ring = 3; });
    for (auto [event, name] : {std::pair{&port.OnTxEmpty, "TxEmpty"}, {&port.OnBreak, "Break"}, {&port.OnRing, "Ring"},
                               {&port.OnRx80Full, "Rx80Full"}, {&link.OnTxEmpty, "link TxEmpty"},
                               {&link.OnRing, "link Ring"}})
        *event = log.note(name);
    for (auto [event, name] :
         {std::pair{&port.OnDSRChange, "DSR"}, {&port.OnRLSDChange, "RLSD"}, {&link.OnCTSChange, "link CTS"}})
        *event = log.signal(name);
    port.OnError = [&](TCustomComPort*, TComErrors e) { log.add("Error " + std::to_string(e.toBits())); };
    port.Parity().SetCheck(true);
    Open(TComEvents::all());
    auto line = [&](std::function<void(testenv::FakeSerialLine&)> change) { return [&, change] { devices.line(kPath, change); }; };
    const struct { const char* what; std::function<void()> cause; Strings expected; } cases[] = {
        {"frame error", line([](auto& l) { l.counters.frame++; }), {"Error 1"}},
        {"parity error, checked", line([](auto& l) { l.counters.parity++; }), {"Error 2"}},
        {"overruns on the line and in the driver", line([](auto& l) { l.counters.overrun++, l.counters.bufOverrun++; }),
         {"Error 68"}},
        {"parity error, unchecked", [&] { port.Parity().SetCheck(false), line([](auto& l) { l.counters.parity++; })(); }, {}},
        {"CTS and carrier on, DSR off", line([](auto& l) { l.modemLines = platform::kModemCTS | platform::kModemRLSD; }),
         {"link CTS+", "DSR-", "RLSD+"}},
        {"ring", line([](auto& l) { l.counters.ring++; }), {"link Ring", "Ring"}},
        {"break", line([](auto& l) { l.counters.brk++; }), {"Break"}},  // no error event
        {"output empty", [&] { port.WriteStr("x"); }, {"Tx+", "TxBuf x", "Tx-", "link TxEmpty", "TxEmpty"}},
        {"input short of 80% full", [&] { push(std::string(819, 'a')); }, {"Rx+"}},
        {"input 80% full", [&] { push("a"); }, {"Rx+", "Rx80Full"}},
        {"input beyond the queue", [&] { push(std::string(300, 'b')); }, {"Rx+"}},
    };
    for (const auto& c : cases) {
        c.cause();
        EXPECT_TRUE(waitFor([&] { return log.Size() >= c.expected.size(); })) << c.what;
        QTest::qWait(30);  // room for an event too many
        EXPECT_EQ(log.take(), c.expected) << c.what;
    }
    // A full queue leaves the rest on the line, without spinning, until a
    // read makes room.
    EXPECT_LT(threadCpuDuring(port, 300), milliseconds(50));
    EXPECT_EQ(port.InputCount(), 1024);
    std::string got(2048, '\0');
    int n = 0;
    EXPECT_TRUE(waitFor([&] { return (n += port.Read(got.data() + n, 2048 - n)) >= 1120; }));
    EXPECT_EQ(got.substr(800, n - 800), std::string(20, 'a') + std::string(300, 'b'));
}

// Received bytes are counted for OnRxChar, or read once for OnRxBuf when the
// port does not trigger on characters or a link takes the data; OnRxBuf gets
// exactly the bytes read, and nothing when an earlier callback took them all.
TEST_F(FakePort, ReceivedBytesByCountOrByBuffer)
{
    const struct { const char* what; bool triggers, linkTakesData; int takenFirst; Strings expected; int left; } cases[] = {
        {"count only", true, false, 0, {"Rx+", "RxChar 10"}, 10},
        {"read for the port", false, false, 0, {"Rx+", "Rx-", "RxBuf 0123456789"}, 0},
        {"four taken first", true, true, 4, {"Rx+", "Rx-", "RxBuf 456789", "link RxBuf 456789"}, 0},
        {"all taken first", true, true, 10, {"Rx+", "Rx-", "Rx-"}, 0},
    };
    port.OnRxChar = [&](TCustomComPort*, int n) { log.add("RxChar " + std::to_string(n)); };
    port.OnRxBuf = log.Bytes("RxBuf");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        port.Close();
        port.UnRegisterLink(&link);
        port.SetTriggersOnRxChar(c.triggers);
        link.OnRxBuf = c.linkTakesData ? log.Bytes("link RxBuf") : nullptr;
        link.OnRx = [&](TCustomComPort* p, bool on) {
            log.add(on ? "Rx+" : "Rx-");
            char sink[16];
            if (on && c.takenFirst > 0)
                p->Read(sink, c.takenFirst);
        };
        port.RegisterLink(&link);
        Open({TComEvent::evRxChar});
        push("0123456789");
        EXPECT_TRUE(waitFor([&] { return log.Size() >= c.expected.size(); }));
        QTest::qWait(30);  // room for a call too many
        EXPECT_EQ(log.take(), c.expected);
        EXPECT_EQ(port.InputCount(), c.left);
    }
}

// Links may come and go from the GUI thread while the event thread calls
// them; once removed, a link is never called again, so freeing it is safe. A
// link registered twice, none, or one not registered is refused.
TEST_F(FakePort, LinksComeAndGoWhileTheEventThreadCallsThem)
{
    port.SetEventChar('\r');
    port.SetSyncMethod(TSyncMethod::smNone);
    link.OnRxFlag = log.note("steady");
    Open({TComEvent::evRxFlag});
    for (int i = 0; i < 200; ++i) {
        auto other = std::make_unique<TComLink>();
        other->OnRxFlag = log.note("transient");
        port.RegisterLink(other.get());
        push("x\r");
        port.UnRegisterLink(other.get());
    }
    EXPECT_TRUE(waitWithoutEvents([&] { return log.Size() > 0; }));
    TComLink stranger;
    const auto refused = std::make_pair(int(CError_RegFailed), -1);
    EXPECT_EQ(std::tuple(Raised([&] { port.RegisterLink(&link); }), Raised([&] { port.RegisterLink(nullptr); }),
                         Raised([&] { port.UnRegisterLink(&stranger); })),
              std::tuple(refused, refused, refused));
}

// Line control reaches the device; a call the device refuses raises its own
// code with the device's error, and on a closed port with EBADF. Signals maps
// each modem input, and in non-overlapped mode asks nothing.
TEST_F(FakePort, LineControlReachesTheDeviceAndFailsWithItsOwnCode)
{
    const auto signalsOf = [&](unsigned lines) {
        return devices.line(kPath, [=](auto& l) { l.modemLines = lines; }), port.Signals().toBits();
    };
    const struct { const char* what; std::function<void()> call; Op op; ComErrorCode code; Strings calls; } cases[] = {
        {"DTR on", [&] { port.SetDTR(true); }, Op::Escape, CError_EscapeComFailed, {"modem +DTR"}},
        {"RTS off", [&] { port.SetRTS(false); }, Op::Escape, CError_EscapeComFailed, {"modem -RTS"}},
        {"break on", [&] { port.SetBreak(true); }, Op::Escape, CError_EscapeComFailed, {"break +"}},
        {"break off", [&] { port.SetBreak(false); }, Op::Escape, CError_EscapeComFailed, {"break -"}},
        {"as if XOFF came", [&] { port.SetXonXoff(false); }, Op::Escape, CError_EscapeComFailed, {"hold +"}},
        {"as if XON came", [&] { port.SetXonXoff(true); }, Op::Escape, CError_EscapeComFailed, {"hold -"}},
        {"clear output", [&] { port.ClearBuffer(false, true); }, Op::Purge, CError_PurgeFailed, {"purge out"}},
        {"clear both", [&] { port.ClearBuffer(true, true); }, Op::Purge, CError_PurgeFailed, {"purge in out"}},
        {"transmit", [&] { port.TransmitChar('\x13'); }, Op::Write, CError_TransmitFailed, {}},
        {"signals", [&] { port.Signals(); }, Op::ModemLines, CError_ModemStatFailed, {}},
    };
    for (const auto& c : cases) {
        Open(), devices.calls(true);
        EXPECT_EQ(Raised(c.call), std::make_pair(0, 0)) << c.what;
        EXPECT_EQ(devices.calls(true), c.calls) << c.what;
        devices.fail(c.op, EIO);
        EXPECT_EQ(Raised(c.call), std::make_pair(int(c.code), EIO)) << c.what;
        port.Close();
        EXPECT_EQ(Raised(c.call), std::make_pair(int(c.code), EBADF)) << c.what;
    }
    Open();
    EXPECT_EQ(devices.line(kPath).written, "\x13");
    EXPECT_TRUE((port.SetXonXoff(false), port.StateFlags()).contains(TComStateFlag::fXoffHold));
    EXPECT_FALSE((port.SetXonXoff(true), port.StateFlags()).contains(TComStateFlag::fXoffHold));
    EXPECT_EQ(signalsOf(platform::kModemCTS | platform::kModemRing | platform::kModemDTR), 0b0101);
    EXPECT_EQ(signalsOf(platform::kModemDSR | platform::kModemRLSD | platform::kModemRTS), 0b1010);
    port.Close(), port.SetOverlapped(false), Open();
    devices.fail(Op::ModemLines, EIO);
    EXPECT_EQ(signalsOf(platform::kModemCTS), 0);
}

// Without an event thread the caller waits for line events itself: it gets
// those that come, and none when its time is up or its stop event fires. With
// an event thread, or on a closed port, it may not wait.
TEST_F(FakePort, WaitForEventInTheCallersThread)
{
    Open();
    const auto wait = [&](TComEvents events, int stop, int timeout) { return port.WaitForEvent(events, stop, timeout), events.toBits(); };
    EXPECT_GE(timed([&] { EXPECT_EQ(wait({TComEvent::evRxChar}, 0, 60), 0); }), milliseconds(60));
    std::thread far([&] { std::this_thread::sleep_for(milliseconds(50)), push("a"); });  // comes during the wait
    EXPECT_EQ(wait({TComEvent::evRxChar, TComEvent::evBreak}, 0, 5000), TComEvents{TComEvent::evRxChar}.toBits());
    far.join();
    platform::EventFd stop;
    ASSERT_EQ(stop.create(), 0);
    stop.signal();
    EXPECT_LT(timed([&] { EXPECT_EQ(wait({TComEvent::evRxChar}, stop.fd(), 2000), 0); }), milliseconds(1000));
    TComEvents events;
    port.Close();
    EXPECT_EQ(Raised([&] { port.WaitForEvent(events, 0, 0); }), std::make_pair(int(CError_WaitFailed), EBADF));
    Open({TComEvent::evRxChar});
    EXPECT_EQ(Raised([&] { port.WaitForEvent(events, 0, 0); }), std::make_pair(int(CError_ThreadCreated), -1));
}
