#include <gtest/gtest.h>

#include "platform/FileBytes.h"
#include "platform/IniFile.h"
#include "platform/SettingsFolders.h"
#include "support/test_env.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <system_error>

#include <sys/stat.h>

using platform::IniFile;
using platform::SettingsError;

namespace {

QString qpath(const std::string& path)
{
    return QString::fromStdString(path);
}

TEST(IniFile, WritesANewFileWithCrLfLinesInWriteOrder)
{
    const std::string path = testenv::makeTempDir("ini") + "/port.ini";
    IniFile ini(qpath(path));
    ini.writeString("ComPort1", "Port", "COM1");
    ini.writeString("ComPort1", "BaudRate", "9600");
    ini.writeInteger("ComPort1", "Timeouts.ReadInterval", -1);
    ini.writeString("ComPort1", "port", "ttyUSB0");
    EXPECT_EQ(testfiles::read(path), "[ComPort1]\r\nPort=ttyUSB0\r\nBaudRate=9600\r\nTimeouts.ReadInterval=-1\r\n");
}

TEST(IniFile, KeepsForeignSectionsAndCommentsByteForByte)
{
    const std::string path = testenv::makeTempDir("ini") + "/mixed.ini";
    const QByteArray foreign = "; written by hand\n[Other]\nA = x;y \n\n";
    testfiles::write(path, foreign + "[ComPort1]\nPort=COM1\n");
    IniFile ini(qpath(path));
    ini.writeString("ComPort1", "Port", "COM2");
    ini.writeString("ComPort1", "BaudRate", "Custom");
    EXPECT_EQ(testfiles::read(path), foreign + "[ComPort1]\nPort=COM2\r\nBaudRate=Custom\r\n");
    EXPECT_EQ(ini.readString("other", "a", "-"), "x;y");
}

TEST(IniFile, ReadsIntegersOrTheDefault)
{
    const std::string path = testenv::makeTempDir("ini") + "/n.ini";
    testfiles::write(path, "[S]\nHex=0x10\nDec= 42 \nNeg=-1\nText=abc\nEmpty=\nTail=12abc\n");
    const IniFile ini(qpath(path));
    struct Case { const char* key; std::int32_t expected; };
    const Case cases[] = {{"Hex", 16}, {"Dec", 42}, {"Neg", -1}, {"Text", 7}, {"Empty", 7}, {"Tail", 7}, {"Missing", 7}};
    for (const Case& c : cases)
        EXPECT_EQ(ini.readInteger("S", c.key, 7), c.expected) << c.key;
    EXPECT_EQ(IniFile(qpath(path + ".none")).readInteger("S", "Hex", 5), 5);
}

TEST(IniFile, ABareNameLivesInTheUserSettingsFolder)
{
    const std::string folder = testenv::makeTempDir("config");
    platform::setSettingsFolder(platform::SettingsRoot::CurrentUser, folder);
    IniFile ini("bare.ini");
    platform::setSettingsFolder(platform::SettingsRoot::CurrentUser, "");
    ini.writeString("S", "K", "v");
    EXPECT_EQ(testfiles::read(folder + "/bare.ini"), "[S]\r\nK=v\r\n");
}

TEST(IniFile, FailuresRaiseAndLeaveNothingBehind)
{
    const std::string dir = testenv::makeTempDir("ini");
    std::filesystem::create_directory(dir + "/folder.ini");
    testfiles::write(dir + "/file", "x");
    const std::string unusable[] = {dir + "/folder.ini", dir + "/missing/x.ini", dir + "/file/x.ini"};
    for (const std::string& path : unusable) {
        IniFile ini(qpath(path));
        EXPECT_THROW(ini.writeString("S", "K", "v"), SettingsError) << path;
    }
    EXPECT_THROW(IniFile(qpath(dir + "/folder.ini")).readString("S", "K", ""), SettingsError);
    EXPECT_THROW(IniFile(""), SettingsError);
    EXPECT_EQ(testfiles::tree(dir), (std::vector<std::string>{"file", "folder.ini"}));
}

TEST(FileBytes, ReplacesTheFileByRenameKeepingItsModeAndLinks)
{
    const std::string dir = testenv::makeTempDir("atomic");
    const std::string target = dir + "/real.ini";
    testfiles::write(target, "old");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_hard_link(target, dir + "/old-reader");
    std::filesystem::create_symlink("real.ini", dir + "/link.ini");

    platform::writeFileBytesAtomically(dir + "/link.ini", "new");

    EXPECT_EQ(testfiles::read(target), "new");
    EXPECT_EQ(testfiles::read(dir + "/old-reader"), "old");  // a new file, not rewritten in place
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "/link.ini"));
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(testfiles::tree(dir), (std::vector<std::string>{"link.ini", "old-reader", "real.ini"}));
}

TEST(FileBytes, ReadsMissingAsNothingAndFailsOnAFolder)
{
    const std::string dir = testenv::makeTempDir("read");
    EXPECT_EQ(platform::readFileBytes(dir + "/none"), std::nullopt);
    EXPECT_THROW(platform::readFileBytes(dir), std::system_error);
    testfiles::write(dir + "/empty", "");
    EXPECT_EQ(platform::readFileBytes(dir + "/empty"), QByteArray());
}

} // namespace
