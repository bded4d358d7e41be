// Port settings stored in and loaded from ini files and the settings store.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/SettingsFolders.h"
#include "platform/SettingsStore.h"
#include "serial/ComPort.h"
#include "serial/ComStorage.h"
#include "support/FakeSerialDevice.h"
#include "support/test_env.h"
#include "SelectorTestSupport.h"

using namespace serial;
using seltest::CodeOf;
using seltest::ProbePort;
namespace fs = std::filesystem;

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class ComStorage : public testing::Test {
protected:
    void SetUp() override
    {
        user = testenv::makeTempDir("storage-user");
        machine = testenv::makeTempDir("storage-machine");
        files = testenv::makeTempDir("storage-files");
        platform::setSettingsFolder(platform::SettingsRoot::CurrentUser, user);
        platform::setSettingsFolder(platform::SettingsRoot::LocalMachine, machine);
    }
    void TearDown() override
    {
        platform::setSettingsFolder(platform::SettingsRoot::CurrentUser, "");
        platform::setSettingsFolder(platform::SettingsRoot::LocalMachine, "");
    }
    bool Empty(const std::string& folder) const { return fs::is_empty(folder); }

    std::string user, machine, files;
};

const char* const kFullIni =
    "[ComPort1]\r\n"
    "Port=ttyUSB3\r\n"
    "BaudRate=Custom\r\n"
    "CustomBaudRate=250000\r\n"
    "StopBits=2\r\n"
    "DataBits=7\r\n"
    "Parity=Even\r\n"
    "FlowControl=Custom\r\n"
    "EventChar=#13\r\n"
    "DiscardNull=Yes\r\n"
    "Parity.Check=Yes\r\n"
    "Parity.Replace=Yes\r\n"
    "Parity.ReplaceChar=?\r\n"
    "Buffer.OutputSize=2048\r\n"
    "Buffer.InputSize=4096\r\n"
    "Timeouts.ReadInterval=10\r\n"
    "Timeouts.ReadTotalConstant=20\r\n"
    "Timeouts.ReadTotalMultiplier=3\r\n"
    "Timeouts.WriteTotalConstant=500\r\n"
    "Timeouts.WriteTotalMultiplier=7\r\n"
    "FlowControl.ControlRTS=Toggle\r\n"
    "FlowControl.ControlDTR=Handshake\r\n"
    "FlowControl.DSRSensitivity=Yes\r\n"
    "FlowControl.OutCTSFlow=Yes\r\n"
    "FlowControl.OutDSRFlow=Yes\r\n"
    "FlowControl.TxContinueOnXoff=Yes\r\n"
    "FlowControl.XonXoffIn=Yes\r\n"
    "FlowControl.XonXoffOut=Yes\r\n"
    "FlowControl.XoffChar=#32\r\n"
    "FlowControl.XonChar=A\r\n";

} // namespace

TEST_F(ComStorage, IniTextOfANewPortAndOfChosenGroups)
{
    ProbePort port;
    StoreSettings(port, TStoreType::stIniFile, files + "/new.ini");
    EXPECT_EQ(ReadFile(files + "/new.ini"),
              "[ComPort1]\r\nPort=COM1\r\nBaudRate=9600\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\n"
              "FlowControl=None\r\n");

    port.SetStoredProps({TStoredProp::spTimeouts, TStoredProp::spOthers});  // written in the fixed group order
    StoreSettings(port, TStoreType::stIniFile, files + "/groups.ini");
    EXPECT_EQ(ReadFile(files + "/groups.ini"),
              "[ComPort1]\r\nEventChar=#0\r\nDiscardNull=No\r\nTimeouts.ReadInterval=-1\r\n"
              "Timeouts.ReadTotalConstant=0\r\nTimeouts.ReadTotalMultiplier=0\r\n"
              "Timeouts.WriteTotalConstant=1000\r\nTimeouts.WriteTotalMultiplier=100\r\n");
}

// Every value of kFullIni differs from the port's default, so a value lost or
// misnamed on the way shows as a difference in the text written back.
TEST_F(ComStorage, EveryGroupRoundTripsThroughBothStores)
{
    WriteFile(files + "/full.ini", kFullIni);
    ProbePort fromIni;
    fromIni.SetStoredProps(TStoredProps::All());
    LoadSettings(fromIni, TStoreType::stIniFile, files + "/full.ini");
    EXPECT_EQ(fromIni.UpdateCount(), 0);
    StoreSettings(fromIni, TStoreType::stIniFile, files + "/again.ini");
    EXPECT_EQ(ReadFile(files + "/again.ini"), kFullIni);

    StoreSettings(fromIni, TStoreType::stRegistry, "HKEY_CURRENT_USER\\Software\\Demo");
    ProbePort fromStore;
    fromStore.SetStoredProps(TStoredProps::All());
    LoadSettings(fromStore, TStoreType::stRegistry, "HKEY_CURRENT_USER\\Software\\Demo");
    StoreSettings(fromStore, TStoreType::stIniFile, files + "/viastore.ini");
    EXPECT_EQ(ReadFile(files + "/viastore.ini"), kFullIni);
}

TEST_F(ComStorage, IniStoreKeepsForeignLinesByteForByte)
{
    const std::string path = files + "/shared.ini";
    WriteFile(path, "; settings of several programs\n"
                    "[Other]\n"
                    "Key = a;b,\"c\"\n"
                    "\n"
                    "[comport1]\r\n"
                    "port=old\r\n"
                    "Extra=kept\r\n"
                    "[Last]\n"
                    "X=1");
    ProbePort port;
    port.SetPort("ttyS1");
    StoreSettings(port, TStoreType::stIniFile, path);
    EXPECT_EQ(ReadFile(path), "; settings of several programs\n"
                              "[Other]\n"
                              "Key = a;b,\"c\"\n"
                              "\n"
                              "[comport1]\r\n"
                              "port=ttyS1\r\n"
                              "Extra=kept\r\n"
                              "BaudRate=9600\r\n"
                              "StopBits=1\r\n"
                              "DataBits=8\r\n"
                              "Parity=None\r\n"
                              "FlowControl=None\r\n"
                              "[Last]\n"
                              "X=1");
}

TEST_F(ComStorage, IniLoadReadsHexAndKeepsWhatIsMissingOrUnreadable)
{
    const std::string path = files + "/partial.ini";
    WriteFile(path, "[ComPort1]\n"
                    "BaudRate=custom\n"
                    "Timeouts.ReadTotalConstant=0x10\n"
                    "Timeouts.WriteTotalConstant=soon\n"
                    "FlowControl.XonXoffIn=Yes\n");
    ProbePort port;
    port.SetStoredProps(TStoredProps::All());
    port.SetPort("ttyACM0");
    port.SetCustomBaudRate(31250);
    port.FlowControl().SetControlDTR(TDTRFlowControl::dtrEnable);
    LoadSettings(port, TStoreType::stIniFile, path);
    EXPECT_EQ(port.Port(), "ttyACM0");
    EXPECT_EQ(port.BaudRate(), TBaudRate::brCustom);
    EXPECT_EQ(port.CustomBaudRate(), 9600);  // "Custom" without a rate
    EXPECT_EQ(port.Timeouts().ReadTotalConstant(), 16);
    EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 1000);
    EXPECT_TRUE(port.FlowControl().XonXoffIn());
    EXPECT_EQ(port.FlowControl().ControlDTR(), TDTRFlowControl::dtrEnable);
}

TEST_F(ComStorage, CustomRateOnlyWithTheCustomBaudRate)
{
    const std::string path = files + "/rate.ini";
    WriteFile(path, "[ComPort1]\nBaudRate=19200\nCustomBaudRate=777\n");
    ProbePort port;
    LoadSettings(port, TStoreType::stIniFile, path);
    EXPECT_EQ(port.BaudRate(), TBaudRate::br19200);
    EXPECT_EQ(port.CustomBaudRate(), 9600);
    port.SetCustomBaudRate(1234);
    StoreSettings(port, TStoreType::stIniFile, files + "/out.ini");
    EXPECT_EQ(ReadFile(files + "/out.ini").find("CustomBaudRate"), std::string::npos);
}

TEST_F(ComStorage, RegistryRootRuleAndValueTypes)
{
    const struct {
        const char* target;
        std::string file;
    } cases[] = {
        {"hkey_local_machine\\Software\\Demo\\", machine + "/Demo.ini"},
        {"HKEY_CURRENT_USER\\Software\\Mine", user + "/Mine.ini"},
        {"HKEY_USERS\\Software\\Elsewhere", user + "/Elsewhere.ini"},
    };
    for (const auto& c : cases) {
        ProbePort port;
        port.SetStoredProps({TStoredProp::spBasic, TStoredProp::spTimeouts});
        StoreSettings(port, TStoreType::stRegistry, c.target);
        const std::string text = ReadFile(c.file);
        EXPECT_NE(text.find("[ComPort1]"), std::string::npos) << c.target;
        EXPECT_NE(text.find("BaudRate=9600"), std::string::npos) << c.target;
        EXPECT_NE(text.find("Timeouts.ReadInterval=dword:ffffffff"), std::string::npos) << c.target;
    }
}

TEST_F(ComStorage, TargetsWithoutAPlaceFail)
{
    ProbePort port;
    ProbePort unnamed("");
    const struct {
        TCustomComPort& port;
        TStoreType type;
        std::string target;
        int loadCode;
    } cases[] = {
        {port, TStoreType::stRegistry, "Software", CError_LoadFailed},                // no "\"
        {port, TStoreType::stRegistry, "HKEY_CURRENT_USER\\", CError_LoadFailed},    // no path
        {port, TStoreType::stIniFile, files + "/no/such/folder.ini", 0},  // cannot be written; nothing to load
        {port, TStoreType::stIniFile, files, CError_LoadFailed},                       // a folder
        {unnamed, TStoreType::stIniFile, files + "/unnamed.ini", CError_LoadFailed},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CodeOf([&] { StoreSettings(c.port, c.type, c.target); }), CError_StoreFailed) << c.target;
        EXPECT_EQ(CodeOf([&] { LoadSettings(c.port, c.type, c.target); }), c.loadCode) << c.target;
    }
    EXPECT_TRUE(Empty(user));
    try {
        StoreSettings(port, TStoreType::stRegistry, "Software");
    } catch (const EComPort& e) {
        EXPECT_STREQ(e.what(), "COM1 Error: Failed to store settings");
    }
}

// A missing store key fails; an ini file or section not there yet (the first
// run) is read with every setting's current value as the default.
TEST_F(ComStorage, LoadFromAMissingPlaceLeavesAnOpenPortAlone)
{
    testenv::FakeSerialDevices devices;
    ProbePort port;
    port.SetStoredProps(TStoredProps::All());
    port.SetPort("ttyUSB0");
    port.SetBaudRate(TBaudRate::br19200);
    port.SetDataBits(TDataBits::dbSeven);
    port.Open();
    StoreSettings(port, TStoreType::stIniFile, files + "/before.ini");
    WriteFile(files + "/other.ini", "[SomeoneElse]\nPort=ttyS9\n");
    const struct {
        TStoreType type;
        std::string source;
        int code;
    } cases[] = {{TStoreType::stRegistry, "HKEY_CURRENT_USER\\Software\\Missing", CError_LoadFailed},
                 {TStoreType::stIniFile, files + "/missing.ini", 0},
                 {TStoreType::stIniFile, files + "/other.ini", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(CodeOf([&] { LoadSettings(port, c.type, c.source); }), c.code) << c.source;
        StoreSettings(port, TStoreType::stIniFile, files + "/after.ini");
        EXPECT_EQ(ReadFile(files + "/after.ini"), ReadFile(files + "/before.ini")) << c.source;
        EXPECT_TRUE(port.Connected());
        EXPECT_EQ(port.UpdateCount(), 0);
    }
    EXPECT_TRUE(Empty(user));  // nothing was created
    EXPECT_FALSE(fs::exists(files + "/missing.ini"));
}

TEST_F(ComStorage, RegistryLoadFailingMidwayEndsTheUpdateAndKeepsWhatWasLoaded)
{
    ProbePort stored;
    stored.SetPort("ttyS4");
    StoreSettings(stored, TStoreType::stRegistry, "HKEY_CURRENT_USER\\Software\\Demo");

    testenv::FakeSerialDevices devices;
    ProbePort port;
    port.SetPort("ttyS4");
    port.SetStoredProps({TStoredProp::spBasic, TStoredProp::spBuffer});  // no buffer values stored
    port.SetDataBits(TDataBits::dbFive);
    port.Open();
    devices.clearCalls();
    try {
        LoadSettings(port, TStoreType::stRegistry, "HKEY_CURRENT_USER\\Software\\Demo");
        FAIL() << "no exception";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code(), CError_LoadFailed);
        EXPECT_STREQ(e.what(), "ttyS4 Error: Failed to load settings");
    }
    EXPECT_EQ(port.UpdateCount(), 0);
    EXPECT_EQ(port.DataBits(), TDataBits::dbEight);
    // The loaded line settings reached the device once, at the end.
    const auto calls = devices.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "state"), 1);
}

TEST_F(ComStorage, RegistryLoadWithoutPortValueEmptiesTheName)
{
    platform::SettingsStore store;
    ASSERT_TRUE(OpenRegistryKey(store, "HKEY_CURRENT_USER\\Software\\Demo", "ComPort1", true));
    store.writeString("BaudRate", "57600");
    ProbePort port;
    port.SetDataBits(TDataBits::dbSix);
    LoadSettings(port, TStoreType::stRegistry, "HKEY_CURRENT_USER\\Software\\Demo");
    EXPECT_EQ(port.Port(), "");
    EXPECT_EQ(port.BaudRate(), TBaudRate::br57600);
    EXPECT_EQ(port.DataBits(), TDataBits::dbEight);  // the text's default
}
