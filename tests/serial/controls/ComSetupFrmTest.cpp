// The port setup dialog driven headless, and the drop-down control showing
// its port's value.
#include "serial/controls/ComSetupFrm.h"
#include "serial/ComSetupHook.h"
#include "serial/SerialTestSupport.h"
#include "serial/controls/ComComboBox.h"
#include "support/FixedPortList.h"

using namespace serialtest;

namespace {

// Plays the user of the Setup dialog while it lives.
struct User {
    int shown = 0;
    testenv::ScopedOverride runner;
    explicit User(std::function<int(TComSetupFrm&)> play)
        : runner(setSetupDialogRunner,
                 SetupDialogRunner([this, play](TComSetupFrm& d) { return ++shown, play(d); }))
    {
    }
};

} // namespace

// A linked control given a property shows the port's value, until unlinked.
TEST(TComComboBox, ShowsTheValueOfItsPort)
{
    TComPort port;
    port.SetBaudRate(TBaudRate::br115200);
    TComComboBox combo;
    combo.SetComPort(&port);
    combo.SetComProperty(TComProperty::cpBaudRate);
    EXPECT_EQ(combo.currentText(), "115200");
    combo.SetComPort(nullptr);
    EXPECT_EQ(combo.ComPort(), nullptr);
}

// Nothing reaches the port before OK, and on Cancel nothing at all. OK writes
// all six settings in one update, also past one that fails (the first failure
// passes on, and the update ends); a port list that cannot be read shows no
// dialog. The dialog is what the port shows for its Setup.
TEST(TComSetupFrm, OkAppliesAllSixInOneStep)
{
    FakeSerialDevices devices;
    testenv::FixedPortList ports({"ttyS0", "ttyUSB0"});
    ProbePort port;
    port.SetPort("ttyS0");
    port.Open();
    devices.calls(true);
    int answer = QDialog::Rejected;
    std::vector<std::pair<int, Qt::Key>> keys = {{0, Qt::Key_Down}, {1, Qt::Key_Down}, {2, Qt::Key_Up},
                                                 {3, Qt::Key_End}, {4, Qt::Key_Down}, {5, Qt::Key_Up}};
    User user([&](TComSetupFrm& d) {
        const std::string before = port.Port();
        EXPECT_TRUE(d.minimumSize() == d.maximumSize() && d.width() >= 231 && d.height() >= 216);  // a fixed border
        EXPECT_EQ(d.windowTitle(), "Setup");
        for (auto [combo, key] : keys)
            QTest::keyClick(d.combos(combo), key);
        EXPECT_EQ(port.Port(), before);
        return answer;
    });
    EXPECT_FALSE(EditComPort(port));
    EXPECT_TRUE(devices.calls().empty());
    answer = QDialog::Accepted;
    EXPECT_TRUE(EditComPort(port));
    EXPECT_EQ(std::tuple(port.Port(), port.BaudRate(), port.DataBits(), port.StopBits(), port.Parity().Bits(),
                         port.FlowControl().FlowControl()),
              std::tuple("ttyUSB0", TBaudRate::br14400, TDataBits::dbSeven, TStopBits::sbTwoStopBits, TParityBits::prOdd,
                         TFlowControl::fcSoftware));
    const Strings calls = devices.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "open /dev/ttyUSB0"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "state"), 1);

    keys = {{0, Qt::Key_Up}, {4, Qt::Key_End}};
    devices.fail(Op::Open, EBUSY);
    EXPECT_EQ(Raised([&] { EditComPort(port); }), std::make_pair(int(CError_OpenFailed), EBUSY));
    EXPECT_EQ(std::tuple(port.Port(), port.Parity().Bits(), port.updateCount(), port.Connected()),
              std::tuple("ttyS0", TParityBits::prSpace, 0, false));
    ports.failWith(EIO);
    const testenv::ScopedOverride dialog(setSetupDialogHook, SetupDialogHook{});  // restores what was there
    EXPECT_FALSE(runSetupDialog(port));  // with no dialog installed nothing is accepted
    installSetupDialog();
    EXPECT_EQ(Raised([&] { port.ShowSetupDialog(); }).first, int(CError_RegError));
    EXPECT_EQ(user.shown, 3);
    const SetupDialogRunner previous = setSetupDialogRunner(SetupDialogRunner([](TComSetupFrm&) { return 0; }));
    EXPECT_TRUE(previous);  // a runner set hands back the one it replaces
    setSetupDialogRunner(previous);
}
