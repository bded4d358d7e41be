#include <gtest/gtest.h>

#include "platform/SettingsStore.h"
#include "support/test_env.h"
#include "support/TestFiles.h"

#include <cstdlib>
#include <filesystem>

using platform::SettingsError;
using platform::SettingsFolders;
using platform::SettingsRoot;
using platform::SettingsStore;
using platform::SettingsValueType;

namespace {

struct Roots {
    std::string user = testenv::makeTempDir("user");
    std::string machine = testenv::makeTempDir("machine");
    SettingsFolders folders() const { return {user, machine}; }
    SettingsStore store(SettingsRoot root = SettingsRoot::CurrentUser) const { return SettingsStore(root, folders()); }
};

TEST(SettingsStore, KeysMapToIniFilesUnderTheRootFolder)
{
    struct Case { const char* key; const char* file; QByteArray text; };
    const Case cases[] = {
        {"Software\\Vilo\\K4721\\Corvalinder\\Main", "Vilo/K4721/Corvalinder.ini", "[Main]\r\nName=value\r\n"},
        {"Software\\Demo\\ComPort1", "Demo.ini", "[ComPort1]\r\nName=value\r\n"},
        {"\\Demo\\ComPort1\\", "Demo.ini", "[ComPort1]\r\nName=value\r\n"},
        {"SOFTWARE\\ComPort1", "ComPort1.ini", "Name=value\r\n"},
        {"HARDWARE\\DEVICEMAP\\SERIALCOMM", "HARDWARE/DEVICEMAP.ini", "[SERIALCOMM]\r\nName=value\r\n"},
    };
    for (const Case& c : cases) {
        const Roots roots;
        SettingsStore store = roots.store();
        ASSERT_TRUE(store.openKey(c.key, true)) << c.key;
        store.writeString("Name", "value");
        EXPECT_EQ(testfiles::read(roots.user + "/" + c.file), c.text) << c.key;
        EXPECT_EQ(testfiles::tree(roots.machine), std::vector<std::string>{});
    }
}

TEST(SettingsStore, NamesIgnoreLetterCaseOnDiskAndInFiles)
{
    const Roots roots;
    testfiles::write(roots.user + "/Vilo/K4721/Corvalinder.ini", "[Main]\nVidd = 300 \n");
    SettingsStore store = roots.store();
    ASSERT_TRUE(store.openKey("software\\VILO\\k4721\\corvalinder\\MAIN", false));
    EXPECT_EQ(store.readString("vidd"), "300");
    store.writeString("VIDD", "310");
    store.writeString("hojd", "400");
    EXPECT_EQ(testfiles::read(roots.user + "/Vilo/K4721/Corvalinder.ini"), "[Main]\nVidd=310\r\nhojd=400\r\n");
    EXPECT_EQ(testfiles::tree(roots.user),
              (std::vector<std::string>{"Vilo", "Vilo/K4721", "Vilo/K4721/Corvalinder.ini"}));
}

TEST(SettingsStore, ValuesKeepTheirTypes)
{
    const Roots roots;
    SettingsStore store = roots.store();
    ASSERT_TRUE(store.openKey("Software\\Demo\\ComPort1", true));
    store.writeInteger("Timeouts.ReadInterval", -1);
    store.writeInteger("Buffer.InputSize", 1024);
    store.writeString("Port", "ttyUSB0");
    EXPECT_EQ(testfiles::read(roots.user + "/Demo.ini"),
              "[ComPort1]\r\nTimeouts.ReadInterval=dword:ffffffff\r\nBuffer.InputSize=dword:00000400\r\nPort=ttyUSB0\r\n");

    SettingsStore again = roots.store();
    ASSERT_TRUE(again.openKey("Software\\Demo\\ComPort1", false));
    EXPECT_EQ(again.readInteger("timeouts.readinterval"), -1);
    EXPECT_EQ(again.valueType("Buffer.InputSize"), SettingsValueType::Integer);
    EXPECT_EQ(again.valueType("Port"), SettingsValueType::String);
    EXPECT_EQ(again.valueType("None"), SettingsValueType::None);
    EXPECT_EQ(again.readString("None"), "");
    EXPECT_THROW(again.readString("Buffer.InputSize"), SettingsError);
    EXPECT_THROW(again.readInteger("Port"), SettingsError);
    EXPECT_THROW(again.readInteger("None"), SettingsError);

    again.writeString("Buffer.InputSize", "big");
    EXPECT_EQ(again.readString("Buffer.InputSize"), "big");
    EXPECT_EQ(again.valueNames(), QStringList({"Timeouts.ReadInterval", "Buffer.InputSize", "Port"}));
    EXPECT_TRUE(again.deleteValue("PORT"));
    EXPECT_FALSE(again.deleteValue("Port"));
    EXPECT_FALSE(again.valueExists("Port"));
}

TEST(SettingsStore, StringsComeBackExactlyAndPlainOnesStayPlain)
{
    struct Case { QString text; QByteArray line; };
    const Case cases[] = {
        {"ttyUSB0", "V=ttyUSB0"}, {"", "V="}, {";", "V=;"}, {"a \"b\" c", "V=a \"b\" c"}, {"Förste", "V=Förste"},
        {" ", "V=\" \""}, {"\t", "V=\"\\t\""}, {"a\r\nb", "V=\"a\\r\\nb\""}, {"\"q\"", "V=\"\\\"q\\\"\""},
        {"dword:5", "V=\"dword:5\""}, {"x\\y ", "V=\"x\\\\y \""}, {QString(QChar(u'\x01')), "V=\"\\x01\""},
        {QChar(0xFEFF) + QStringLiteral("x"), "V=\xEF\xBB\xBFx"},
    };
    for (const Case& c : cases) {
        const Roots roots;
        SettingsStore store = roots.store();
        ASSERT_TRUE(store.openKey("Software\\T\\K", true));
        store.writeString("V", c.text);
        EXPECT_EQ(testfiles::read(roots.user + "/T.ini"), "[K]\r\n" + c.line + "\r\n") << c.line.constData();
        SettingsStore reader = roots.store();
        ASSERT_TRUE(reader.openKey("Software\\T\\K", false));
        EXPECT_EQ(reader.readString("V"), c.text) << c.line.constData();
    }
}

TEST(SettingsStore, HandEditedValuesReadSensibly)
{
    const Roots roots;
    testfiles::write(roots.user + "/T.ini",
                     "[K]\nA=DWORD:10\nB=dword:xyz\nC=\"open\nD=\"bad\\q\"\nE=\"ok\\x41\"\n");
    SettingsStore store = roots.store();
    ASSERT_TRUE(store.openKey("Software\\T\\K", false));
    EXPECT_EQ(store.readInteger("A"), 16);
    EXPECT_EQ(store.readString("B"), "dword:xyz");
    EXPECT_EQ(store.readString("C"), "\"open");
    EXPECT_EQ(store.readString("D"), "\"bad\\q\"");
    EXPECT_EQ(store.readString("E"), "okA");
}

TEST(SettingsStore, OpeningWithoutCreateMakesNothing)
{
    const Roots roots;
    SettingsStore store = roots.store();
    EXPECT_FALSE(store.openKey("Software\\Demo\\ComPort1", false));
    EXPECT_FALSE(store.hasCurrentKey());
    EXPECT_FALSE(store.keyExists("Software\\Demo"));
    EXPECT_EQ(store.readString("Port"), "");
    EXPECT_THROW(store.readInteger("Port"), SettingsError);
    EXPECT_THROW(store.writeString("Port", "x"), SettingsError);
    EXPECT_EQ(testfiles::tree(roots.user), std::vector<std::string>{});
}

TEST(SettingsStore, PathsRelativeToTheCurrentKeyOrFromTheRoot)
{
    const Roots roots;
    SettingsStore store = roots.store();
    ASSERT_TRUE(store.openKey("Software\\Demo", true));
    ASSERT_TRUE(store.openKey("ComPort1", true));
    EXPECT_EQ(store.currentPath(), "Software\\Demo\\ComPort1");
    ASSERT_TRUE(store.openKey("\\Software\\Other", true));
    EXPECT_EQ(store.currentPath(), "Software\\Other");
    EXPECT_TRUE(store.keyExists("\\software\\demo\\comport1"));
    store.setRoot(SettingsRoot::LocalMachine);
    EXPECT_FALSE(store.hasCurrentKey());
    EXPECT_FALSE(store.keyExists("Software\\Demo"));
    ASSERT_TRUE(store.openKey("Software\\Demo\\ComPort1", true));
    EXPECT_TRUE(std::filesystem::exists(roots.machine + "/Demo.ini"));
}

TEST(SettingsStore, InvalidOrUnusablePathsDoNotOpen)
{
    const Roots roots;
    const QString bad[] = {"A\\\\B", "A\\..\\B", "A/B\\C", "A]\\B", " A\\B", "A\\B ", "A\\B\nC", "\\\\"};
    for (const QString& path : bad) {
        SettingsStore store = roots.store();
        EXPECT_FALSE(store.openKey(path, true)) << path.toStdString();
        EXPECT_FALSE(store.keyExists(path)) << path.toStdString();
    }
    testfiles::write(roots.user + "/Blocked", "a file where a folder must go");
    SettingsStore store = roots.store();
    EXPECT_FALSE(store.openKey("Software\\Blocked\\K\\Sub", true));
    EXPECT_EQ(testfiles::tree(roots.user), std::vector<std::string>{"Blocked"});

    SettingsStore underAFile(SettingsRoot::CurrentUser, {roots.user + "/Blocked/x", roots.machine});
    EXPECT_FALSE(underAFile.openKey("Software\\A", true));
}

TEST(SettingsStore, SubkeysComeFromSectionsFoldersAndFiles)
{
    const Roots roots;
    testfiles::write(roots.user + "/Vilo.ini", "[Tools]\nX=1\n[k4721]\n");
    testfiles::write(roots.user + "/Vilo/K4721/Corvalinder.ini", "[Main]\n");
    testfiles::write(roots.user + "/Vilo/Loader.INI", "");
    testfiles::write(roots.user + "/Vilo/readme.txt", "");
    testfiles::write(roots.user + "/Vilo/.hidden.ini", "");
    SettingsStore store = roots.store();
    ASSERT_TRUE(store.openKey("Software\\Vilo", false));
    EXPECT_EQ(store.subKeyNames(), QStringList({"k4721", "Loader", "Tools"}));
    ASSERT_TRUE(store.openKey("K4721\\Corvalinder", false));
    EXPECT_EQ(store.subKeyNames(), QStringList({"Main"}));
    EXPECT_TRUE(store.keyExists("\\Software\\Vilo\\Tools"));
    EXPECT_FALSE(store.keyExists("\\Software\\Vilo\\Nothing"));
}

TEST(SettingsStore, DeletingAKeyRemovesItsSectionFilesAndFoldersButNoForeignFile)
{
    const Roots roots;
    testfiles::write(roots.user + "/Vilo/K4721.ini", "[Corvalinder]\nA=1\n[Keep]\nB=2\n");
    testfiles::write(roots.user + "/Vilo/K4721/Corvalinder.ini", "[Main]\nVidd=1\n");
    testfiles::write(roots.user + "/Vilo/K4721/Corvalinder/Deep/More.ini", "");
    testfiles::write(roots.user + "/Vilo/K4721/Other/notes.txt", "mine");
    SettingsStore store = roots.store();
    EXPECT_TRUE(store.deleteKey("Software\\vilo\\k4721\\corvalinder"));
    EXPECT_FALSE(store.keyExists("Software\\Vilo\\K4721\\Corvalinder"));
    EXPECT_FALSE(store.deleteKey("Software\\Vilo\\K4721\\Corvalinder"));
    EXPECT_EQ(testfiles::read(roots.user + "/Vilo/K4721.ini"), "[Keep]\nB=2\n");

    EXPECT_TRUE(store.deleteKey("Software\\Vilo"));
    EXPECT_EQ(testfiles::tree(roots.user),
              (std::vector<std::string>{"Vilo", "Vilo/K4721", "Vilo/K4721/Other", "Vilo/K4721/Other/notes.txt"}));
    EXPECT_THROW(store.deleteKey("Software"), SettingsError);
}

TEST(SettingsStore, DefaultFoldersFollowTheEnvironmentAndCanBeReplaced)
{
    const std::string saved = std::getenv("XDG_CONFIG_HOME");
    const std::string home = std::getenv("HOME");
    setenv("XDG_CONFIG_HOME", "/some/where", 1);
    EXPECT_EQ(platform::defaultSettingsFolder(SettingsRoot::CurrentUser), "/some/where");
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(platform::defaultSettingsFolder(SettingsRoot::CurrentUser), home + "/.config");
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    EXPECT_EQ(platform::defaultSettingsFolder(SettingsRoot::LocalMachine), "/etc/xdg");

    const Roots roots;
    platform::setSettingsFolder(SettingsRoot::LocalMachine, roots.machine);
    SettingsStore store(SettingsRoot::LocalMachine);
    platform::setSettingsFolder(SettingsRoot::LocalMachine, "");
    EXPECT_EQ(store.rootFolder(), roots.machine);
    EXPECT_EQ(platform::settingsFolder(SettingsRoot::LocalMachine), "/etc/xdg");
}

} // namespace
