// Keeping port settings in ini files and in the settings store, and the
// texts they are kept as.
#include <filesystem>

#include "platform/settings/SettingsFolders.h"
#include "serial/ComStorage.h"
#include "serial/ComTexts.h"
#include "serial/SerialTestSupport.h"
#include "support/TestFiles.h"
#include "support/test_env.h"

using namespace serialtest;
using testfiles::fileText;
using testfiles::putFile;

namespace {

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
        return fileText(files + "/out.ini");
    }
};

} // namespace

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
    putFile(files + "/full.ini", full);
    port.SetStoredProps(TStoredProps::all());
    LoadSettings(port, TStoreType::stIniFile, files + "/full.ini");
    EXPECT_EQ(iniText(port), full);
    StoreSettings(port, TStoreType::stRegistry, "HKEY_CURRENT_USER\\Software\\Demo\\");
    EXPECT_NE(fileText(user + "/Demo.ini").find("Timeouts.ReadInterval=dword:0000000a"), std::string::npos);
    ProbePort fromStore;
    fromStore.SetStoredProps(TStoredProps::all());
    LoadSettings(fromStore, TStoreType::stRegistry, "HKEY_CURRENT_USER\\Software\\Demo");
    EXPECT_EQ(iniText(fromStore), full);
    EXPECT_EQ(Raised([&] { LoadSettings(fromStore, TStoreType::stRegistry, "hkey_local_machine\\Software\\Demo"); }).first,
              int(CError_LoadFailed));  // the machine's store, named in lower case, has none
    // Texts read back: a character given in hexadecimal, and an unknown speed
    // taken as 9600.
    EXPECT_EQ(std::pair(StrToChar("#$4A"), StrToBaudRate("fast")), std::pair('J', TBaudRate::br9600));
    // Characters as text: 33 to 127 as themselves, any other code as "#" and
    // its decimal code; read back, the code is taken modulo 256.
    EXPECT_EQ(std::tuple(CharToStr(' '), CharToStr('\r'), CharToStr('!'), CharToStr('\x7F'), CharToStr('\x80')),
              std::tuple("#32", "#13", "!", "\x7F", "#128"));
    EXPECT_EQ((std::vector{StrToChar("#17"), StrToChar("#"), StrToChar("#Q"), StrToChar(""), StrToChar("AB"),
                           StrToChar("#256"), StrToChar("#300")}),
              (std::vector<char>{17, '#', 0, 0, 'A', 0, 44}));
}

// A missing store key fails with CError_LoadFailed before anything is assigned;
// an ini file or section not there yet (the first run) keeps every setting, and
// so does an ini value that is missing or no integer. Either way an open port
// is left alone and nothing is created; nor by a store to a key without a root
// or a path, or of a port without a name.
TEST_F(ComStorage, LoadFromAMissingPlaceLeavesAnOpenPortAlone)
{
    FakeSerialDevices devices;
    ProbePort port;
    port.SetStoredProps(TStoredProps::all());
    port.SetPort("ttyUSB0");
    port.SetBaudRate(TBaudRate::br19200);
    port.Open();
    const std::string before = iniText(port);
    putFile(files + "/other.ini", "[SomeoneElse]\nPort=ttyS9\n");
    putFile(files + "/odd.ini", "[ComPort1]\nTimeouts.WriteTotalConstant=soon\nCustomBaudRate=777\n");
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
    for (const char* key : {"Software", "HKEY_CURRENT_USER\\"})  // no root or no path
        EXPECT_EQ(Raised([&] { StoreSettings(port, TStoreType::stRegistry, key); }).first, int(CError_StoreFailed)) << key;
    TComPort unnamed;
    EXPECT_EQ(Raised([&] { StoreSettings(unnamed, TStoreType::stRegistry, "HKEY_CURRENT_USER\\Software\\Demo"); }).first,
              int(CError_StoreFailed));
    EXPECT_TRUE(std::filesystem::is_empty(user));
}
