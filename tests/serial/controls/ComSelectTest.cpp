// Choosing and keeping port settings: the port list, the selector logic over
// a plain list, the drop-down control, the Setup dialog driven headless, and
// the settings in ini files and the settings store.
#include <QPointer>

#include <filesystem>
#include <fstream>

#include "platform/SettingsFolders.h"
#include "serial/controls/ComComboBox.h"
#include "serial/ComSelect.h"
#include "serial/controls/ComSetupFrm.h"
#include "serial/ComSetupHook.h"
#include "serial/ComStorage.h"
#include "serial/ComTexts.h"
#include "serial/EnumComPorts.h"
#include "serial/SerialTestSupport.h"
#include "support/FixedPortList.h"
#include "support/test_env.h"

using namespace serialtest;

// The machine's ports sorted ignoring case; none is an empty list, and only a
// list that cannot be read raises CError_RegError.
TEST(EnumComPorts, SortedIgnoringCaseOrCode23)
{
    testenv::FixedPortList ports({"ttyS2", "ttyUSB0", "ttyS10", "ttyacm0"});
    ComStringList list;
    EnumComPorts(list);
    EXPECT_EQ(list.Items(), (Strings{"ttyacm0", "ttyS10", "ttyS2", "ttyUSB0"}));
    ports.setNames({});
    EnumComPorts(list);
    EXPECT_EQ(list.Count(), 0);
    ports.failWith(EACCES);
    EXPECT_EQ(Raised([&] { EnumComPorts(list); }), std::make_pair(int(CError_RegError), EACCES));
}

// A selector writes its value into the port only once it has taken one, by a
// choice or from the port: a port value not in the list is taken as it is,
// so applying it writes back what the port has.
TEST(ComSelect, AppliesOnlyAValueItHasTaken)
{
    testenv::FixedPortList ports({"ttyS3", "ttyUSB0"});
    ComStringList list;
    TComSelect select;
    select.setItems(&list);
    select.SetComProperty(TComProperty::cpBaudRate);
    int index = 5;
    TComPort port;
    port.SetBaudRate(TBaudRate::br115200);
    TComComboBox combo;  // a linked control given a property shows the port's value
    combo.SetComPort(&port);
    combo.SetComProperty(TComProperty::cpBaudRate);
    EXPECT_EQ(combo.currentText(), "115200");
    select.SetComPort(&port);
    select.ApplySettings();  // nothing taken yet: the zero value (Custom) is not written
    EXPECT_EQ(port.BaudRate(), TBaudRate::br115200);
    select.Change("custom");
    select.ApplySettings();
    EXPECT_EQ(port.BaudRate(), TBaudRate::brCustom);

    select.SetComProperty(TComProperty::cpPort);
    for (const auto& [name, found, applied] : {std::tuple{"TTYs3", 0, "ttyS3"}, {"/dev/serial/by-id/clock", -1, ""}}) {
        port.SetPort(name);
        select.Change("ttyUSB0");  // a value taken earlier must not be written back
        select.UpdateSettings(index);
        EXPECT_EQ(index, found) << name;
        select.ApplySettings();
        EXPECT_EQ(port.Port(), *applied ? applied : name);
    }
    ports.failWith(EIO);  // a port list that cannot be read leaves no stale ports
    EXPECT_EQ(Raised([&] { select.SetComProperty(TComProperty::cpPort); }).first, int(CError_RegError));
    EXPECT_EQ(list.Count(), 0);
}

namespace {

// Plays the user of the Setup dialog while it lives.
struct User {
    int shown = 0;
    QPointer<TComSetupFrm> seen;
    testenv::ScopedOverride runner;
    explicit User(std::function<int(TComSetupFrm&)> play)
        : runner(setSetupDialogRunner,
                 SetupDialogRunner([this, play](TComSetupFrm& d) { return ++shown, seen = &d, play(d); }))
    {
    }
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Private folders for the user's and the machine's store and for ini files.
struct ComStorage : testing::Test {
    std::string user = testenv::makeTempDir("user"), files = testenv::makeTempDir("files");
    testenv::ScopedOverride userFolder{platform::setSettingsFolder, platform::SettingsRoot::CurrentUser, user};
    testenv::ScopedOverride machineFolder{platform::setSettingsFolder, platform::SettingsRoot::LocalMachine, files};
    // The ini text `port` stores.
    std::string iniText(ProbePort& port)
    {
        std::filesystem::remove(files + "/out.ini");
        StoreSettings(port, TStoreType::stIniFile, files + "/out.ini");
        return readFile(files + "/out.ini");
    }
};

} // namespace

// Nothing reaches the port before OK, and on Cancel nothing at all. OK writes
// all six settings in one update, also past one that fails (the first failure
// passes on, and the update ends); a port list that cannot be read shows no
// dialog. The dialog is what the port shows for its Setup.
TEST(ComSetupDialog, OkAppliesAllSixInOneStep)
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
    EXPECT_EQ(port.Port(), "ttyS0");
    EXPECT_EQ(port.Parity().Bits(), TParityBits::prSpace);
    EXPECT_EQ(port.updateCount(), 0);
    EXPECT_FALSE(port.Connected());
    ports.failWith(EIO);
    const testenv::ScopedOverride dialog(setSetupDialogHook, SetupDialogHook(EditComPort));
    EXPECT_EQ(Raised([&] { port.ShowSetupDialog(); }).first, int(CError_RegError));
    EXPECT_EQ(user.shown, 3);
    const SetupDialogRunner previous = setSetupDialogRunner(SetupDialogRunner([](TComSetupFrm&) { return 0; }));
    EXPECT_TRUE(previous);  // a runner set hands back the one it replaces
    setSetupDialogRunner(previous);
}

// The ini text of a port: its chosen groups in a fixed order, CR LF lines.
// Every group reads back through an ini file and through the settings store
// (here every value differs from the default, so a value lost or misnamed on
// the way shows).
TEST_F(ComStorage, IniTextAndEveryGroupRoundTripsThroughBothStores)
{
    ProbePort port;
    EXPECT_EQ(iniText(port), "[ComPort1]\r\nPort=COM1\r\nBaudRate=9600\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\n"
                             "FlowControl=None\r\n");
    const std::string full =
        "[ComPort1]\r\nPort=ttyUSB3\r\nBaudRate=Custom\r\nCustomBaudRate=250000\r\nStopBits=2\r\nDataBits=7\r\n"
        "Parity=Even\r\nFlowControl=Custom\r\nEventChar=#13\r\nDiscardNull=Yes\r\nParity.Check=Yes\r\n"
        "Parity.Replace=Yes\r\nParity.ReplaceChar=?\r\nBuffer.OutputSize=2048\r\nBuffer.InputSize=4096\r\n"
        "Timeouts.ReadInterval=10\r\nTimeouts.ReadTotalConstant=20\r\nTimeouts.ReadTotalMultiplier=3\r\n"
        "Timeouts.WriteTotalConstant=500\r\nTimeouts.WriteTotalMultiplier=7\r\nFlowControl.ControlRTS=Toggle\r\n"
        "FlowControl.ControlDTR=Handshake\r\nFlowControl.DSRSensitivity=Yes\r\nFlowControl.OutCTSFlow=Yes\r\n"
        "FlowControl.OutDSRFlow=Yes\r\nFlowControl.TxContinueOnXoff=Yes\r\nFlowControl.XonXoffIn=Yes\r\n"
        "FlowControl.XonXoffOut=Yes\r\nFlowControl.XoffChar=#32\r\nFlowControl.XonChar=A\r\n";
    std::ofstream(files + "/full.ini", std::ios::binary) << full;
    port.SetStoredProps(TStoredProps::all());
    LoadSettings(port, TStoreType::stIniFile, files + "/full.ini");
    EXPECT_EQ(iniText(port), full);
    StoreSettings(port, TStoreType::stRegistry, "HKEY_CURRENT_USER\\Software\\Demo\\");
    EXPECT_NE(readFile(user + "/Demo.ini").find("Timeouts.ReadInterval=dword:0000000a"), std::string::npos);
    ProbePort fromStore;
    fromStore.SetStoredProps(TStoredProps::all());
    LoadSettings(fromStore, TStoreType::stRegistry, "HKEY_CURRENT_USER\\Software\\Demo");
    EXPECT_EQ(iniText(fromStore), full);
    EXPECT_EQ(Raised([&] { LoadSettings(fromStore, TStoreType::stRegistry, "hkey_local_machine\\Software\\Demo"); }).first,
              int(CError_LoadFailed));  // the machine's store, named in lower case, has none
    // Texts read back: a character given in hexadecimal, and an unknown speed
    // taken as 9600.
    EXPECT_EQ(std::pair(StrToChar("#$4A"), StrToBaudRate("fast")), std::pair('J', TBaudRate::br9600));
}

// A missing store key fails with CError_LoadFailed before anything is assigned;
// an ini file or section not there yet (the first run) keeps every setting, and
// so does an ini value that is missing or no integer. Either way an open port
// is left alone and nothing is created.
TEST_F(ComStorage, LoadFromAMissingPlaceLeavesAnOpenPortAlone)
{
    FakeSerialDevices devices;
    ProbePort port;
    port.SetStoredProps(TStoredProps::all());
    port.SetPort("ttyUSB0");
    port.SetBaudRate(TBaudRate::br19200);
    port.Open();
    const std::string before = iniText(port);
    std::ofstream(files + "/other.ini") << "[SomeoneElse]\nPort=ttyS9\n";
    std::ofstream(files + "/odd.ini") << "[ComPort1]\nTimeouts.WriteTotalConstant=soon\nCustomBaudRate=777\n";
    const struct { TStoreType type; std::string source; int code; } cases[] = {
        {TStoreType::stRegistry, "HKEY_CURRENT_USER\\Software\\Missing", int(CError_LoadFailed)},
        {TStoreType::stIniFile, files + "/missing.ini", 0},
        {TStoreType::stIniFile, files + "/other.ini", 0},
        {TStoreType::stIniFile, files + "/odd.ini", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Raised([&] { LoadSettings(port, c.type, c.source); }).first, c.code) << c.source;
        EXPECT_EQ(iniText(port), before) << c.source;
        EXPECT_TRUE(port.Connected());
        EXPECT_EQ(port.updateCount(), 0);
    }
    EXPECT_TRUE(std::filesystem::is_empty(user));
}

