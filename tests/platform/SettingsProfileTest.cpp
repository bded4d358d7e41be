#include <gtest/gtest.h>

#include "platform/SettingsProfile.h"
#include "platform/SettingsStore.h"
#include "support/test_env.h"
#include "support/TestFiles.h"

using platform::SettingsFolders;
using platform::SettingsProfile;
using platform::SettingsRoot;

namespace {

const QString kKey = "Software\\Vilo\\K4721\\Corvalinder";

TEST(SettingsProfile, TheApplicationSettingsBecomeOneReadableFile)
{
    const SettingsFolders folders{testenv::makeTempDir("user"), testenv::makeTempDir("machine")};
    SettingsProfile settings(SettingsRoot::CurrentUser, kKey, folders);
    settings.writeInteger("Main", "Vidd", 200);
    settings.writeInteger("Main", "hojd", 400);
    settings.writeInteger("Main", "Top", -8);
    settings.writeString("Main", "Comport", "");
    settings.writeString("Main", "Tabchar", ";");
    settings.writeInteger("Main", "vidd", 640);
    EXPECT_EQ(testfiles::read(folders.currentUser + "/Vilo/K4721/Corvalinder.ini"),
              "[Main]\r\nVidd=640\r\nhojd=400\r\nTop=-8\r\nComport=\r\nTabchar=;\r\n");
    EXPECT_EQ(testfiles::tree(folders.currentUser),
              (std::vector<std::string>{"Vilo", "Vilo/K4721", "Vilo/K4721/Corvalinder.ini"}));

    const SettingsProfile reader(SettingsRoot::CurrentUser, "\\" + kKey + "\\", folders);
    EXPECT_EQ(reader.readInteger("main", "VIDD", 0), 640);
    EXPECT_EQ(reader.readString("Main", "Comport", "Com1"), "");
    EXPECT_EQ(reader.readString("Main", "Tabchar", ","), ";");
    EXPECT_EQ(reader.sectionNames(), QStringList({"Main"}));
    EXPECT_EQ(reader.keyNames("Main"), QStringList({"Vidd", "hojd", "Top", "Comport", "Tabchar"}));
}

TEST(SettingsProfile, MissingOrUnreadableValuesGiveTheDefaultAndMakeNothing)
{
    const SettingsFolders folders{testenv::makeTempDir("user"), testenv::makeTempDir("machine")};
    const SettingsProfile fresh(SettingsRoot::CurrentUser, kKey, folders);
    EXPECT_EQ(fresh.readInteger("Main", "Vidd", 200), 200);
    EXPECT_EQ(fresh.readString("Main", "Comport", "Com1"), "Com1");
    EXPECT_FALSE(fresh.sectionExists("Main"));
    EXPECT_EQ(testfiles::tree(folders.currentUser), std::vector<std::string>{});

    testfiles::write(folders.currentUser + "/Vilo/K4721/Corvalinder.ini",
                     "[Main]\nVidd=wide\nhojd=0x10\nTop=dword:fffffffe\nTabid=\n");
    struct Case { const char* key; std::int32_t expected; };
    const Case cases[] = {{"Vidd", 200}, {"hojd", 16}, {"Top", -2}, {"Tabid", 200}, {"Left", 200}};
    for (const Case& c : cases)
        EXPECT_EQ(fresh.readInteger("Main", c.key, 200), c.expected) << c.key;
    EXPECT_EQ(fresh.readString("Main", "Top", ""), "-2");
    EXPECT_EQ(fresh.readString("", "Vidd", "none"), "none");
}

TEST(SettingsProfile, SeparatorsThatAreBlanksSurviveTheRoundTrip)
{
    const SettingsFolders folders{testenv::makeTempDir("user"), testenv::makeTempDir("machine")};
    SettingsProfile settings(SettingsRoot::CurrentUser, kKey, folders);
    for (const QString& separator : {QString(" "), QString("\t"), QString(";"), QString(",")}) {
        settings.writeString("Main", "Tabchar", separator);
        EXPECT_EQ(settings.readString("Main", "Tabchar", "?"), separator);
    }
}

TEST(SettingsProfile, SectionsAreSubkeysThatCanBeErased)
{
    const SettingsFolders folders{testenv::makeTempDir("user"), testenv::makeTempDir("machine")};
    SettingsProfile settings(SettingsRoot::LocalMachine, kKey, folders);
    settings.writeString("Main", "A", "1");
    settings.writeString("Import", "B", "2");
    EXPECT_EQ(settings.sectionNames(), QStringList({"Import", "Main"}));
    settings.deleteKey("Main", "A");
    EXPECT_FALSE(settings.valueExists("Main", "A"));
    settings.eraseSection("Import");
    EXPECT_EQ(settings.sectionNames(), QStringList({"Main"}));
    EXPECT_EQ(testfiles::read(folders.localMachine + "/Vilo/K4721/Corvalinder.ini"), "[Main]\r\n\r\n");
    EXPECT_THROW(settings.writeString("Bad\\Section", "A", "1"), platform::SettingsError);
}

} // namespace
