// The event checks as one delivery runs them, received data handed to
// OnRxBuf, link registration while another thread delivers, and the setup
// dialog hook.
#include <gtest/gtest.h>

#include "serial/ComSetupDialog.h"

#include <atomic>
#include <memory>
#include <stdexcept>

#include "serial/ComPort.h"
#include "serial/ComSetupHook.h"
#include "serial/ComThread.h"
#include "serial/SerialTestSupport.h"
#include "support/FakeSerialDevice.h"

using namespace serial;
using namespace serialtest;
using testenv::FakeSerialDevices;

namespace {

const std::string kPath = "/dev/COM1";

std::shared_ptr<std::atomic<bool>> OpenToken()
{
    return std::make_shared<std::atomic<bool>>(true);
}

} // namespace

TEST(ComEventChecks, OneDeliveryRunsTheChecksInOrderPastAFailingHandler)
{
    FakeSerialDevices devices;
    HookMessages hook;
    Strings log;  // outlives the port, whose closing reports the lines off
    TComPort port;
    port.SetEvents({});
    port.Open();
    auto note = [&](const char* name) { return [&log, name](TCustomComPort*) { log.push_back(name); }; };
    auto signal = [&](const char* name) {
        return [&log, name](TCustomComPort*, bool on) { log.push_back(std::string(name) + (on ? "+" : "-")); };
    };
    port.OnError = [&](TCustomComPort*, TComErrors) { log.push_back("Error"); };
    port.OnRxChar = [&](TCustomComPort*, int n) { log.push_back("RxChar " + std::to_string(n)); };
    port.OnTxEmpty = note("TxEmpty");
    port.OnBreak = [&](TCustomComPort*) {
        log.push_back("Break");
        throw std::runtime_error("break handler failed");
    };
    port.OnRing = note("Ring");
    port.OnCTSChange = signal("CTS");
    port.OnDSRChange = signal("DSR");
    port.OnRxFlag = note("RxFlag");
    port.OnRLSDChange = signal("RLSD");
    port.OnRx80Full = note("Rx80Full");

    platform::SerialCounters c;
    c.frame = 1;
    devices.setCounters(kPath, c);
    ASSERT_TRUE(devices.pushInput(kPath, "ab"));
    TComThread::DoEvents(&port, OpenToken(), TComEvents::All());
    EXPECT_EQ(log, (Strings{"Error", "RxChar 2", "TxEmpty", "Break", "Ring", "CTS-", "DSR-", "RxFlag", "RLSD-",
                            "Rx80Full"}));
    EXPECT_EQ(hook.messages, Strings{"break handler failed"});

    // Error events whose errors were taken already call no OnError; checks
    // stop once the port has closed.
    log.clear();
    auto open = OpenToken();
    port.OnRing = [&](TCustomComPort*) {
        log.push_back("Ring");
        *open = false;
    };
    TComThread::DoEvents(&port, open, {TComEvent::evError, TComEvent::evRing, TComEvent::evCTS});
    EXPECT_EQ(log, Strings{"Ring"});
}

TEST(ComEventChecks, OnRxBufGetsTheBytesActuallyReadAndNothingForNone)
{
    struct Case {
        const char* what;
        int takenFirst;
        Strings expected;
    };
    const Case cases[] = {
        {"all ten", 0, {"RxBuf 0123456789", "link RxBuf 0123456789"}},
        {"four taken by a link", 4, {"RxBuf 456789", "link RxBuf 456789"}},
        {"all taken by a link", 10, {}},
    };
    for (const Case& c : cases) {
        FakeSerialDevices devices;
        TComLink link;
        Strings log;
        TComPort port;
        port.SetEvents({});
        link.OnRx = [&](TCustomComPort* p, bool on) {
            char sink[16];
            if (on && c.takenFirst > 0)
                p->Read(sink, c.takenFirst);
        };
        link.OnRxBuf = [&](TCustomComPort*, const char* b, int n) { log.push_back("link RxBuf " + std::string(b, n)); };
        port.OnRxBuf = [&](TCustomComPort*, const char* b, int n) { log.push_back("RxBuf " + std::string(b, n)); };
        port.OnRxChar = [&](TCustomComPort*, int n) { log.push_back("RxChar " + std::to_string(n)); };
        port.RegisterLink(&link);
        port.Open();
        ASSERT_TRUE(devices.pushInput(kPath, "0123456789"));
        TComThread::DoEvents(&port, OpenToken(), {TComEvent::evRxChar});
        EXPECT_EQ(log, c.expected) << c.what;
        port.Close();
        port.UnRegisterLink(&link);
    }
}

TEST(ComEventChecks, LinksComeAndGoWhileTheEventThreadCallsThem)
{
    FakeSerialDevices devices;
    TComPort port;
    port.SetEventChar('\r');
    port.SetEvents({TComEvent::evRxFlag});
    port.SetSyncMethod(TSyncMethod::smNone);
    std::atomic<int> steady{0};
    TComLink steadyLink;
    steadyLink.OnRxFlag = [&](TCustomComPort*) { ++steady; };
    port.RegisterLink(&steadyLink);
    port.Open();
    std::atomic<int> transient{0};
    for (int i = 0; i < 200; ++i) {
        auto link = std::make_unique<TComLink>();
        link->OnRxFlag = [&](TCustomComPort*) { ++transient; };
        port.RegisterLink(link.get());
        ASSERT_TRUE(devices.pushInput(kPath, "x\r"));
        port.UnRegisterLink(link.get());
        // Once removed, the link is never called again: freeing it is safe.
    }
    EXPECT_TRUE(WaitWithoutEvents([&] { return steady > 0; }));
    port.Close();
    port.UnRegisterLink(&steadyLink);
}

TEST(ComEventChecks, ShowSetupDialogRunsTheInstalledDialog)
{
    TComPort port;
    TCustomComPort* edited = nullptr;
    SetSetupDialogHook([&](TCustomComPort& p) {
        edited = &p;
        return true;
    });
    port.ShowSetupDialog();
    EXPECT_EQ(edited, &port);
    SetSetupDialogHook(nullptr);
    edited = nullptr;
    port.ShowSetupDialog();  // no dialog in place: nothing happens
    EXPECT_EQ(edited, nullptr);
    SetSetupDialogHook(&EditComPort);
}
