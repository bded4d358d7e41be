// Settings on disk: keys kept as ini files a user can read and edit, and the
// test program's own folders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDate>

#include <pwd.h>
#include <unistd.h>

#include "platform/IntegerText.h"
#include "platform/LocalClock.h"
#include "platform/ScopeExit.h"
#include "platform/settings/IniDocument.h"
#include "platform/settings/SettingsStore.h"
#include "support/ScopedOverride.h"
#include "support/TestFiles.h"
#include "support/test_env.h"

using namespace platform;
using namespace testfiles;

namespace {

using Tree = std::vector<std::string>;

struct Roots {
    std::string user = testenv::makeTempDir("user");
    std::string machine = testenv::makeTempDir("machine");
    SettingsStore store(SettingsRoot root = SettingsRoot::CurrentUser) const { return {root, {user, machine}}; }
};

// Keys become ini files and sections under the root's folder; names match
// folders, files, sections and values whatever their letter case; a value is
// rewritten in its line, a new one goes below the last.
TEST(SettingsStore, KeysMapToIniFilesUnderTheRootFolder)
{
    struct Case { const char* key; const char* file; std::string text; };
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
        EXPECT_EQ(fileText(roots.user + "/" + c.file), c.text) << c.key;
        EXPECT_TRUE(roots.store().openKey(c.key, false)) << c.key;
        EXPECT_EQ(tree(roots.machine), Tree{});
    }
    const Roots roots;
    putFile(roots.user + "/Vilo/K4721/Corvalinder.ini", "\n[Main]\nVidd = 300 \nBig=dword:123456789\n");
    SettingsStore store = roots.store();
    ASSERT_TRUE(store.openKey("software\\VILO\\k4721\\corvalinder\\MAIN", false));
    EXPECT_EQ(store.readString("vidd"), "300");
    EXPECT_EQ(store.readString("big"), "dword:123456789");  // more than eight digits: no integer
    store.writeString("VIDD", "310");
    store.writeString("hojd", "400");
    EXPECT_EQ(fileText(roots.user + "/Vilo/K4721/Corvalinder.ini"), "\n[Main]\nVidd=310\r\nBig=dword:123456789\nhojd=400\r\n");
    EXPECT_EQ(tree(roots.user), (Tree{"Vilo", "Vilo/K4721", "Vilo/K4721/Corvalinder.ini"}));
}

// Every string reads back exactly: plain ones stay plain, those with blanks at
// an end, control characters, quotes or a "dword:" look are quoted, and a
// leading byte-order mark is kept (the file's own stays first); integers are
// "dword:" and eight hex digits.
TEST(SettingsStore, ValuesReadBackExactly)
{
    struct Case { QString text; std::string line; };
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
        EXPECT_EQ(fileText(roots.user + "/T.ini"), "[K]\r\n" + c.line + "\r\n") << c.line;
        SettingsStore reader = roots.store();
        ASSERT_TRUE(reader.openKey("Software\\T\\K", false));
        EXPECT_EQ(reader.readString("V"), c.text) << c.line;
        reader.writeInteger("V", -2);
        EXPECT_EQ(fileText(roots.user + "/T.ini"), "[K]\r\nV=dword:fffffffe\r\n");
        EXPECT_EQ(reader.readInteger("v"), -2);
        EXPECT_THROW(reader.readString("V"), SettingsError);
    }
    EXPECT_THROW(IniDocument("[S]\n").setValue("S", "K", "1\r\nInjected=1"), SettingsError);
    // The file's own byte-order mark stays first when a value goes in above;
    // a last line without its end gets one when a line goes below it; a new
    // section follows a blank line; a comment is no value, even with a "=".
    IniDocument marked("\xEF\xBB\xBF[S]\r\n; n=1\r\nX=1");
    marked.setValue("", "K", "v");
    marked.setValue("S", "Y", "2");
    marked.setValue("T", "Z", "3");
    EXPECT_EQ(marked.toBytes(), "\xEF\xBB\xBFK=v\r\n[S]\r\n; n=1\r\nX=1\r\nY=2\r\n\r\n[T]\r\nZ=3\r\n");
    EXPECT_EQ(std::pair(IniDocument(marked.toBytes()).value("", "K"), marked.value("S", "; n")),
              std::pair(std::optional<QString>("v"), std::optional<QString>()));
    IniDocument first("\xEF\xBB\xBFK=1\r\n");  // a value rewritten on the first line keeps the mark
    first.setValue("", "K", "2");
    EXPECT_EQ(first.toBytes(), "\xEF\xBB\xBFK=2\r\n");
    // Ini files hold integers as decimal or hex text; hex is a 32-bit pattern.
    EXPECT_EQ(std::tuple(parseInt32(u"0xFFFFFFFF"), parseInt32(u"-0x10"), parseInt32(u"$80000000"),
                         parseInt32(u"0x100000000"), parseInt32(u"2147483647"), parseInt32(u"2147483648"),
                         parseInt32(u"-2147483648"), parseInt32(u"-2147483649"), parseInt32(u"18446744073709551617")),
              std::tuple(-1, -16, INT32_MIN, std::nullopt, INT32_MAX, std::nullopt, INT32_MIN, std::nullopt,
                         std::nullopt));
}

// Values edited by hand read as the user would expect: a quoted text that
// does not decode stands as written, "dword:" takes one to eight hex digits
// in either letter case, and asking for the other type says what was found.
TEST(SettingsStore, HandEditedValuesReadAsWritten)
{
    const Roots roots;
    putFile(roots.user + "/T.ini", "[K]\nA=\"a\\\"\nB=\"a\"b\"\nC=\"\\q\"\nD=\"\\x41\\x4\"\nE=\"\\x41\\\\\"\n"
                                   "F=DWORD:0000000A\nG=dword:\nH=dword:00000000a\nI=dword:fg\n");
    SettingsStore store = roots.store();
    ASSERT_TRUE(store.openKey("Software\\T\\K", false));
    using enum SettingsValueType;
    const std::tuple<const char*, SettingsValueType, QString> cases[] = {
        {"A", String, "\"a\\\""}, {"B", String, "\"a\"b\""}, {"C", String, "\"\\q\""},
        {"D", String, "\"\\x41\\x4\""}, {"E", String, "A\\"}, {"F", Integer, "10"}, {"G", String, "dword:"},
        {"H", String, "dword:00000000a"}, {"I", String, "dword:fg"}, {"Z", None, ""},
    };
    for (const auto& [name, type, text] : cases) {
        EXPECT_EQ(std::pair(store.valueType(name), store.valueExists(name)), std::pair(type, type != None)) << name;
        EXPECT_EQ(type == Integer ? QString::number(store.readInteger(name)) : store.readString(name), text) << name;
    }
    using testing::StrEq;
    using testing::ThrowsMessage;
    EXPECT_THAT([&] { store.readInteger("A"); },
                ThrowsMessage<SettingsError>(StrEq("Värdet \"A\" är en text, inte ett heltal.")));
    EXPECT_THAT([&] { store.readString("F"); },
                ThrowsMessage<SettingsError>(StrEq("Värdet \"F\" är ett heltal, inte en text.")));
}

// A missing key does not open without `create`, a path that is not valid or
// leads through a file never opens, and nothing is made on disk.
TEST(SettingsStore, MissingOrInvalidKeysDoNotOpenAndMakeNothing)
{
    const Roots roots;
    SettingsStore store = roots.store();
    EXPECT_FALSE(store.openKey("Software\\Demo\\ComPort1", false) || store.hasCurrentKey());
    EXPECT_TRUE(roots.store().openKey("Software", false));  // the root's own key is always there
    EXPECT_EQ(store.readString("Port"), "");
    EXPECT_THROW(store.readInteger("Port"), SettingsError);
    EXPECT_THROW(store.writeString("Port", "x"), SettingsError);
    for (const char* path : {"A\\\\B", "A\\..\\B", "A/B\\C", "A]\\B", " A\\B", "A\\B ", "A\\B\nC", "\\\\"})
        EXPECT_FALSE(store.openKey(path, true)) << path;
    putFile(roots.user + "/Blocked", "a file where a folder must go");
    EXPECT_FALSE(store.openKey("Software\\Blocked\\K\\Sub", true));
    EXPECT_EQ(tree(roots.user), Tree{"Blocked"});
    ASSERT_TRUE(store.openKey("Software\\Demo", true) && store.openKey("ComPort1", true));
    store.writeString("Port", "x");
    EXPECT_EQ(fileText(roots.user + "/Demo.ini"), "[ComPort1]\r\nPort=x\r\n");
    ASSERT_TRUE(store.openKey("\\Software\\Demo\\Empty", true));  // a key made with no values is there all the same
    EXPECT_EQ(fileText(roots.user + "/Demo.ini"), "[ComPort1]\r\nPort=x\r\n\r\n[Empty]\r\n");
}

// The user's settings live under $XDG_CONFIG_HOME when that is an absolute
// path, else under $HOME/.config, else under the account's home folder.
TEST(SettingsFolders, FollowXdgConfigHomeThenHome)
{
    const std::string home = std::getenv("HOME"), xdg = std::getenv("XDG_CONFIG_HOME");
    const ScopeExit restore([&] { setenv("HOME", home.c_str(), 1), setenv("XDG_CONFIG_HOME", xdg.c_str(), 1); });
    const auto folderWith = [](const char* xdgValue, const char* homeValue) {
        setenv("XDG_CONFIG_HOME", xdgValue, 1);
        homeValue ? setenv("HOME", homeValue, 1) : unsetenv("HOME");
        return defaultSettingsFolder(SettingsRoot::CurrentUser);
    };
    EXPECT_EQ(std::tuple(folderWith("/x/cfg", "/h"), folderWith("x/cfg", "/h"), folderWith("", ""),
                         folderWith("", nullptr)),
              std::tuple("/x/cfg", "/h/.config", std::string(getpwuid(getuid())->pw_dir) + "/.config",
                         std::string(getpwuid(getuid())->pw_dir) + "/.config"));
}

// Tests never touch the machine: the real clock refuses to be set, and the
// user's settings folder and the display are private to the test program.
TEST(TestEnvironment, IsIsolatedFromTheMachine)
{
    const testenv::ScopedOverride systemClock(setLocalClock, nullptr);
    EXPECT_THROW(localClock().set(localClock().now()), LocalClockError);
    const LocalDateTime today = localClock().now();
    EXPECT_EQ(QDate(today.year, today.month, today.day).daysTo(QDate::currentDate()), 0);
    EXPECT_EQ(defaultSettingsFolder(SettingsRoot::LocalMachine), "/etc/xdg");
    const std::string config = settingsFolder(SettingsRoot::CurrentUser);
    EXPECT_EQ(config, std::getenv("XDG_CONFIG_HOME"));
    EXPECT_NE(config.find("/startclock-test-"), std::string::npos);
    EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "offscreen");  // for any window a test shows
}

} // namespace
