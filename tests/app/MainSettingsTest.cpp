// The eight values of the main window's settings section, as files hold them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <string>

#include "app/MainSettings.h"
#include "platform/SettingsStore.h"
#include "support/test_env.h"

namespace {

class MainSettingsTest : public ::testing::Test {
protected:
    std::string folder = testenv::makeTempDir("settings");
    platform::SettingsStore store{platform::SettingsRoot::CurrentUser, {folder, folder + "/machine"}};
    std::string path = folder + "/Vilo/K4721/Corvalinder.ini";

    void writeFile(const std::string& text)
    {
        QDir().mkpath(QString::fromStdString(folder + "/Vilo/K4721"));
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), static_cast<qint64>(text.size()));
    }
    std::string readFile()
    {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }
};

TEST_F(MainSettingsTest, ReadsEachValueOrItsDefault)
{
    const app::MainSettings defaults;
    struct Case {
        const char* name;
        std::string file;
        app::MainSettings expected;
    };
    auto with = [&](auto change) {
        app::MainSettings s = defaults;
        change(s);
        return s;
    };
    const std::vector<Case> cases = {
        {"no file", "", defaults},
        {"other section only", "[Other]\nVidd=900\n", defaults},
        {"every value",
         "[Main]\nVidd=640\nhojd=480\nTop=12\nLeft=-8\nComport=ttyUSB1\nTabid=3\nTabtid=5\nTabchar=,\n",
         with([](app::MainSettings& s) {
             s.Vidd = 640; s.hojd = 480; s.Top = 12; s.Left = -8; s.Comport = "ttyUSB1";
             s.Tabid = 3; s.Tabtid = 5; s.Tabchar = ",";
         })},
        {"integer that is no number", "[Main]\nVidd=wide\nhojd=12px\n", defaults},
        {"names in another case", "[MAIN]\nVIDD=333\n", with([](app::MainSettings& s) { s.Vidd = 333; })},
        {"typed integer and hex text", "[Main]\nTop=dword:0000000a\nLeft=$20\n",
         with([](app::MainSettings& s) { s.Top = 10; s.Left = 32; })},
        {"empty port name stays empty", "[Main]\nComport=\n", with([](app::MainSettings& s) { s.Comport = ""; })},
        {"quoted separator", "[Main]\nTabchar=\"\\t\"\n", with([](app::MainSettings& s) { s.Tabchar = "\t"; })},
    };
    for (const Case& c : cases) {
        QFile::remove(QString::fromStdString(path));
        if (!c.file.empty())
            writeFile(c.file);
        EXPECT_EQ(app::readMainSettings(store), c.expected) << c.name;
    }
}

TEST_F(MainSettingsTest, WritesTheWindowValuesInOrderAndKeepsTheSeparator)
{
    writeFile("[Main]\nTabchar=|\n");
    app::MainSettings s;
    s.Vidd = 640;
    s.hojd = 480;
    s.Top = 1;
    s.Left = 2;
    s.Comport = "/dev/pts/7";
    app::writeMainWindowSettings(store, s, app::ImportColumns{4, 6});
    const std::string text = readFile();
    std::size_t last = 0;
    for (const char* line : {"Vidd=640", "hojd=480", "Top=1", "Left=2", "Comport=/dev/pts/7", "Tabid=4", "Tabtid=6"}) {
        const std::size_t at = text.find(line);
        ASSERT_NE(at, std::string::npos) << line << " in\n" << text;
        EXPECT_GT(at, last) << line << " out of order in\n" << text;
        last = at;
    }
    app::MainSettings back = s;
    back.Tabid = 4;
    back.Tabtid = 6;
    back.Tabchar = "|";
    EXPECT_EQ(app::readMainSettings(store), back);
}

} // namespace
