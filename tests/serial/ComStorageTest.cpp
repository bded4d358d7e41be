// Port settings stored in and loaded from ini files and the settings store.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/SettingsFolders.h"
#include "platform/SettingsStore.h"
#include "serial/ComPort.h"
#include "serial/ComStorage.h"
#include "serial/ComTexts.h"
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

// Every stored setting of a port, as one text.
std::string Describe(const TCustomComPort& p)
{
    const TComFlowControl& f = p.FlowControl();
    const TComTimeouts& t = p.Timeouts();
    return p.Port() + " " + BaudRateToStr(p.BaudRate()) + " " + std::to_string(p.CustomBaudRate()) + " " +
           StopBitsToStr(p.StopBits()) + " " + DataBitsToStr(p.DataBits()) + " " + ParityToStr(p.Parity().Bits()) +
           " | " + CharToStr(p.EventChar()) + BoolToStr(p.DiscardNull()) + " | " + BoolToStr(p.Parity().Check()) +
           BoolToStr(p.Parity().Replace()) + CharToStr(p.Parity().ReplaceChar()) + " | " +
           std::to_string(p.Buffer().OutputSize()) + "/" + std::to_string(p.Buffer().InputSize()) + " | " +
           std::to_string(t.ReadInterval()) + "/" + std::to_string(t.ReadTotalConstant()) + "/" +
           std::to_string(t.ReadTotalMultiplier()) + "/" + std::to_string(t.WriteTotalConstant()) + "/" +
           std::to_string(t.WriteTotalMultiplier()) + " | " + RTSToStr(f.ControlRTS()) + DTRToStr(f.ControlDTR()) +
           BoolToStr(f.DSRSensitivity()) + BoolToStr(f.OutCTSFlow()) + BoolToStr(f.OutDSRFlow()) +
           BoolToStr(f.TxContinueOnXoff()) + BoolToStr(f.XonXoffIn()) + BoolToStr(f.XonXoffOut()) +
           CharToStr(f.XoffChar()) + CharToStr(f.XonChar());
}

// A port with every stored setting away from its default.
void SetEverything(TCustomComPort& p)
{
    p.SetStoredProps(TStoredProps::All());
    p.SetPort("ttyUSB3");
    p.SetBaudRate(TBaudRate::brCustom);
    p.SetCustomBaudRate(250000);
    p.SetStopBits(TStopBits::sbTwoStopBits);
    p.SetDataBits(TDataBits::dbSeven);
    p.Parity().SetBits(TParityBits::prEven);
    p.SetEventChar('\r');
    p.SetDiscardNull(true);
    p.Parity().SetCheck(true);
    p.Parity().SetReplace(true);
    p.Parity().SetReplaceChar('?');
    p.Buffer().SetOutputSize(2048);
    p.Buffer().SetInputSize(4096);
    p.Timeouts().SetReadInterval(10);
    p.Timeouts().SetReadTotalConstant(20);
    p.Timeouts().SetReadTotalMultiplier(3);
    p.Timeouts().SetWriteTotalConstant(500);
    p.Timeouts().SetWriteTotalMultiplier(7);
    TComFlowControl& f = p.FlowControl();
    f.SetControlRTS(TRTSFlowControl::rtsToggle);
    f.SetControlDTR(TDTRFlowControl::dtrHandshake);
    f.SetDSRSensitivity(true);
    f.SetOutCTSFlow(true);
    f.SetOutDSRFlow(true);
    f.SetTxContinueOnXoff(true);
    f.SetXonXoffIn(true);
    f.SetXonXoffOut(false);
    f.SetXoffChar(' ');
    f.SetXonChar('A');
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
    "FlowControl.XonXoffOut=No\r\n"
    "FlowControl.XoffChar=#32\r\n"
    "FlowControl.XonChar=A\r\n";

} // namespace

TEST_F(ComStorage, IniTextOfANewPortAndOfEveryGroup)
{
    ProbePort fresh;
    StoreSettings(fresh, TStoreType::stIniFile, files + "/new.ini");
    EXPECT_EQ(ReadFile(files + "/new.ini"),
              "[ComPort1]\r\nPort=COM1\r\nBaudRate=9600\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\n"
              "FlowControl=None\r\n");

    ProbePort full;
    SetEverything(full);
    StoreSettings(full, TStoreType::stIniFile, files + "/full.ini");
    EXPECT_EQ(ReadFile(files + "/full.ini"), kFullIni);
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

namespace {

struct GroupKeys {
    TStoredProp group;
    std::vector<std::string> keys;
};

void PrintTo(const GroupKeys& g, std::ostream* os) { *os << g.keys.front(); }

class StoredGroups : public ComStorage, public testing::WithParamInterface<GroupKeys> {};

// The keys of a section, in order.
std::vector<std::string> KeysOf(const std::string& iniText)
{
    std::vector<std::string> keys;
    std::size_t at = 0;
    while (at < iniText.size()) {
        const std::size_t end = iniText.find("\r\n", at);
        const std::string line = iniText.substr(at, end - at);
        if (const std::size_t eq = line.find('='); eq != std::string::npos)
            keys.push_back(line.substr(0, eq));
        at = end == std::string::npos ? iniText.size() : end + 2;
    }
    return keys;
}

} // namespace

TEST_P(StoredGroups, EachGroupStoresItsOwnKeysInOrder)
{
    ProbePort port;
    port.SetStoredProps(TStoredProps{GetParam().group});
    StoreSettings(port, TStoreType::stIniFile, files + "/group.ini");
    EXPECT_EQ(KeysOf(ReadFile(files + "/group.ini")), GetParam().keys);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, StoredGroups,
    testing::Values(
        GroupKeys{TStoredProp::spOthers, {"EventChar", "DiscardNull"}},
        GroupKeys{TStoredProp::spParity, {"Parity.Check", "Parity.Replace", "Parity.ReplaceChar"}},
        GroupKeys{TStoredProp::spBuffer, {"Buffer.OutputSize", "Buffer.InputSize"}},
        GroupKeys{TStoredProp::spTimeouts,
                  {"Timeouts.ReadInterval", "Timeouts.ReadTotalConstant", "Timeouts.ReadTotalMultiplier",
                   "Timeouts.WriteTotalConstant", "Timeouts.WriteTotalMultiplier"}},
        GroupKeys{TStoredProp::spFlowControl,
                  {"FlowControl.ControlRTS", "FlowControl.ControlDTR", "FlowControl.DSRSensitivity",
                   "FlowControl.OutCTSFlow", "FlowControl.OutDSRFlow", "FlowControl.TxContinueOnXoff",
                   "FlowControl.XonXoffIn", "FlowControl.XonXoffOut", "FlowControl.XoffChar",
                   "FlowControl.XonChar"}}),
    [](const testing::TestParamInfo<GroupKeys>& info) { return std::to_string(Ord(info.param.group)); });

TEST_F(ComStorage, RoundTripsThroughBothStores)
{
    ProbePort source;
    SetEverything(source);
    const struct {
        TStoreType type;
        std::string target;
    } targets[] = {{TStoreType::stIniFile, files + "/round.ini"},
                   {TStoreType::stRegistry, "HKEY_CURRENT_USER\\Software\\Demo"}};
    for (const auto& t : targets) {
        StoreSettings(source, t.type, t.target);
        ProbePort loaded;
        loaded.SetStoredProps(TStoredProps::All());
        LoadSettings(loaded, t.type, t.target);
        EXPECT_EQ(Describe(loaded), Describe(source)) << t.target;
        EXPECT_EQ(loaded.UpdateCount(), 0);
    }
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
    } cases[] = {
        {port, TStoreType::stRegistry, "Software"},                    // no "\"
        {port, TStoreType::stRegistry, "HKEY_CURRENT_USER\\"},          // no path
        {port, TStoreType::stIniFile, files + "/no/such/folder.ini"},  // cannot be written
        {port, TStoreType::stIniFile, files},                           // a folder
        {unnamed, TStoreType::stIniFile, files + "/unnamed.ini"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CodeOf([&] { StoreSettings(c.port, c.type, c.target); }), CError_StoreFailed) << c.target;
        EXPECT_EQ(CodeOf([&] { LoadSettings(c.port, c.type, c.target); }), CError_LoadFailed) << c.target;
    }
    EXPECT_TRUE(Empty(user));
    try {
        StoreSettings(port, TStoreType::stRegistry, "Software");
    } catch (const EComPort& e) {
        EXPECT_STREQ(e.what(), "COM1 Error: Failed to store settings");
    }
}

TEST_F(ComStorage, LoadFromAMissingPlaceLeavesAnOpenPortAlone)
{
    testenv::FakeSerialDevices devices;
    ProbePort port;
    port.SetPort("ttyUSB0");
    port.Open();
    devices.clearCalls();
    WriteFile(files + "/other.ini", "[SomeoneElse]\nPort=ttyS9\n");
    const struct {
        TStoreType type;
        std::string source;
    } cases[] = {{TStoreType::stRegistry, "HKEY_CURRENT_USER\\Software\\Missing"},
                 {TStoreType::stIniFile, files + "/missing.ini"},
                 {TStoreType::stIniFile, files + "/other.ini"}};
    for (const auto& c : cases) {
        EXPECT_EQ(CodeOf([&] { LoadSettings(port, c.type, c.source); }), CError_LoadFailed) << c.source;
        EXPECT_EQ(port.Port(), "ttyUSB0");
        EXPECT_TRUE(port.Connected());
        EXPECT_EQ(port.UpdateCount(), 0);
    }
    EXPECT_TRUE(devices.calls().empty());
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
