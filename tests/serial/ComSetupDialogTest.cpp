// The Setup dialog, driven headless through its modal runner.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cerrno>

#include "serial/ComComboBox.h"
#include "serial/ComSetupDialog.h"
#include "support/FakeSerialDevice.h"
#include "support/FixedPortList.h"
#include "SelectorTestSupport.h"

using namespace serial;
using seltest::ProbePort;
using testenv::FakeSerialDevices;

namespace {

// Plays the user while it lives.
class User {
public:
    explicit User(std::function<int(TComSetupFrm&)> play)
    {
        previous_ = SetSetupDialogRunner([this, play](TComSetupFrm& dialog) {
            ++shown;
            seen = &dialog;
            return play(dialog);
        });
    }
    ~User() { SetSetupDialogRunner(previous_); }

    int shown = 0;
    QPointer<TComSetupFrm> seen;

private:
    SetupDialogRunner previous_;
};

int Count(const std::vector<std::string>& calls, const std::string& prefix)
{
    return static_cast<int>(
        std::count_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

} // namespace

TEST(ComSetupDialog, ShowsEverySettingOfThePort)
{
    testenv::FixedPortList ports({"ttyS0", "ttyUSB0"});
    ProbePort port;
    port.SetPort("TTYUSB0");
    port.SetBaudRate(TBaudRate::brCustom);
    port.SetStopBits(TStopBits::sbTwoStopBits);
    port.FlowControl().SetOutCTSFlow(true);  // no preset: "Custom"
    User user([](TComSetupFrm& d) {
        EXPECT_EQ(d.windowTitle(), "Setup");
        EXPECT_EQ(d.GroupBox1->title(), " Settings ");
        const char* labels[] = {"Port", "Baud rate", "Data bits", "Stop bits", "Parity", "Flow control"};
        const char* shown[] = {"ttyUSB0", "Custom", "8", "2", "None", "Custom"};
        const QLabel* labelWidgets[] = {d.Label1, d.Label2, d.Label3, d.Label4, d.Label5, d.Label6};
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(labelWidgets[i]->text(), labels[i]);
            EXPECT_EQ(d.Combos(i)->Text(), shown[i]) << labels[i];
            EXPECT_EQ(d.Combos(i)->ComProperty(), static_cast<TComProperty>(i + 1));
            EXPECT_FALSE(d.Combos(i)->AutoApply());
        }
        EXPECT_EQ(d.Button1->text(), "OK");
        EXPECT_TRUE(d.Button1->isDefault());
        EXPECT_EQ(d.Button2->text(), "Cancel");
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(EditComPort(port));
    EXPECT_EQ(user.shown, 1);
    EXPECT_TRUE(user.seen.isNull());  // freed
    EXPECT_EQ(port.Port(), "TTYUSB0");
}

TEST(ComSetupDialog, OkWithoutChangesKeepsAnOpenPortOpen)
{
    FakeSerialDevices devices;
    testenv::FixedPortList ports({"ttyS0", "ttyUSB0"});
    // One port name in the list, one not: OK must not rename or close either.
    for (const char* name : {"ttyUSB0", "/dev/serial/by-id/usb-clock"}) {
        ProbePort port;
        port.SetPort(name);
        port.SetBaudRate(TBaudRate::br57600);
        port.Open();
        devices.clearCalls();
        User user([](TComSetupFrm&) { return int(QDialog::Accepted); });
        EXPECT_TRUE(EditComPort(port));
        EXPECT_EQ(port.Port(), name);
        EXPECT_TRUE(port.Connected());
        EXPECT_EQ(port.BaudRate(), TBaudRate::br57600);
        EXPECT_EQ(Count(devices.calls(), "open"), 0) << name;
        EXPECT_EQ(Count(devices.calls(), "close"), 0) << name;
        EXPECT_EQ(port.UpdateCount(), 0);
    }
}

TEST(ComSetupDialog, OkAppliesAllSixInOneStepAndCancelNone)
{
    FakeSerialDevices devices;
    testenv::FixedPortList ports({"ttyS0", "ttyUSB0"});
    ProbePort port;
    port.SetPort("ttyS0");
    port.Open();
    devices.clearCalls();
    const auto choose = [&port](TComSetupFrm& d) {
        const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_End, Qt::Key_Down, Qt::Key_Up};
        for (int i = 0; i < 6; ++i)
            QTest::keyClick(d.Combos(i), keys[i]);
        EXPECT_EQ(port.Port(), "ttyS0");  // nothing reaches the port before OK
        EXPECT_EQ(port.BaudRate(), TBaudRate::br9600);
    };

    {
        User user([&](TComSetupFrm& d) {
            choose(d);
            return int(QDialog::Rejected);
        });
        EXPECT_FALSE(EditComPort(port));
    }
    EXPECT_TRUE(devices.calls().empty());

    User user([&](TComSetupFrm& d) {
        choose(d);
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(EditComPort(port));
    EXPECT_EQ(port.Port(), "ttyUSB0");
    EXPECT_EQ(port.BaudRate(), TBaudRate::br14400);
    EXPECT_EQ(port.DataBits(), TDataBits::dbSeven);
    EXPECT_EQ(port.StopBits(), TStopBits::sbTwoStopBits);
    EXPECT_EQ(port.Parity().Bits(), TParityBits::prOdd);
    EXPECT_EQ(port.FlowControl().FlowControl(), TFlowControl::fcSoftware);
    EXPECT_TRUE(port.Connected());
    const auto calls = devices.calls();
    EXPECT_EQ(Count(calls, "open /dev/ttyUSB0"), 1);
    EXPECT_EQ(Count(calls, "state"), 1);  // the new line settings in one step
}

TEST(ComSetupDialog, FailingReopenStillAppliesTheRestAndEndsTheUpdate)
{
    FakeSerialDevices devices;
    testenv::FixedPortList ports({"ttyS0", "ttyUSB0"});
    ProbePort port;
    port.SetPort("ttyS0");
    port.Open();
    devices.fail(FakeSerialDevices::Op::Open, EBUSY);
    User user([](TComSetupFrm& d) {
        QTest::keyClick(d.Combo1, Qt::Key_Down);
        QTest::keyClick(d.Combo5, Qt::Key_End);
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(seltest::CodeOf([&] { EditComPort(port); }), CError_OpenFailed);
    EXPECT_TRUE(user.seen.isNull());
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.Port(), "ttyUSB0");
    EXPECT_EQ(port.Parity().Bits(), TParityBits::prSpace);
    EXPECT_EQ(port.UpdateCount(), 0);
}

TEST(ComSetupDialog, UnreadablePortListShowsNoDialog)
{
    testenv::FixedPortList ports;
    ports.failWith(EIO);
    ProbePort port;
    User user([](TComSetupFrm&) { return int(QDialog::Accepted); });
    EXPECT_EQ(seltest::CodeOf([&] { EditComPort(port); }), CError_RegError);
    EXPECT_EQ(user.shown, 0);
}

TEST(ComSetupDialog, IsWhatThePortShowsForItsSetup)
{
    testenv::FixedPortList ports;
    ports.setNames({"ttyUSB0"});
    ProbePort port;
    User user([](TComSetupFrm&) { return int(QDialog::Rejected); });
    port.ShowSetupDialog();
    EXPECT_EQ(user.shown, 1);
}
