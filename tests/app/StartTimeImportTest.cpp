// Start numbers and times from the lines of an import file, and the file
// read with its limit.
#include <gtest/gtest.h>

#include <QString>

#include <climits>
#include <fstream>
#include <optional>
#include <tuple>
#include <string>
#include <string_view>
#include <vector>

#include "app/ImportFile.h"
#include "app/StartTimeImport.h"
#include "support/test_env.h"

namespace {

using app::ImportedStarter;

constexpr TTid kTen = 10 * kTidHour;

app::ImportFormat format(int idColumn = 1, int timeColumn = 2, TTid firstStart = 0, std::optional<char> sep = ';')
{
    return app::ImportFormat{sep, idColumn, timeColumn, firstStart};
}

TEST(StartTimeImportTest, LineIsAcceptedOrRefused)
{
    const std::optional<ImportedStarter> refused;
    const ImportedStarter twelveAtTen{"12", "10.00.00"};
    const ImportedStarter twelveAtZero{"12", "    0.00"};
    const std::vector<std::tuple<const char*, std::string, app::ImportFormat, std::optional<ImportedStarter>>> cases = {
        {"heading line", "Nr;Tid", format(1, 2, kTen), refused},
        {"offset from first start", "7;0:45", format(1, 2, kTen), ImportedStarter{"7", "10.00.45"}},
        {"time of day", "3;9:05:00", format(), ImportedStarter{"3", " 9.05.00"}},
        {"highest", "998;75", format(), ImportedStarter{"998", "    1.15"}},
        {"zero", "0;0", format(), refused},
        {"1", "1;0", format(), ImportedStarter{"1", "    0.00"}},
        {"999", "999;0", format(), refused},
        {"negative", "-5;0", format(), refused},
        {"negative with letters after it", "-5a;0", format(), refused},
        {"letters after the digits", "12a;0", format(), twelveAtZero},
        {"fewer fields than the number column", "12;0:30", format(3, 2), refused},
        {"fewer fields than the time column", "12", format(1, 2, kTen), twelveAtTen},
        {"number column 0", "12;0", format(0, 2), refused},
        {"huge number column", "12;0", format(INT_MAX, 2), refused},
        {"columns in another order", "x;1:10;31", format(3, 2, kTen), ImportedStarter{"31", "10.01.10"}},
        {"no separator: the line is one field", "12;0:30", format(1, 2, kTen, std::nullopt), twelveAtTen},
        {"past midnight", "4;1:00:00", format(1, 2, 23 * kTidHour + 30 * kTidMinute), ImportedStarter{"4", "   30.00"}},
        {"time beyond 32 bits", "4;999999999999", format(1, 2, 23 * kTidHour), ImportedStarter{"4", "10.39.08"}},
    };
    for (const auto& [what, line, fmt, expected] : cases)
        EXPECT_EQ(app::importLine(line, fmt), expected) << what;
}

TEST(StartTimeImportTest, SeparatorIsTheFirstCharacterInTheCodePage)
{
    const std::vector<std::pair<const char*, std::optional<char>>> cases = {
        {",;", ','}, {"?", '?'}, {"é", '\xE9'}, {"€x", '\x80'}, {"", std::nullopt}, {"→;", std::nullopt},
        {"😀", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(app::separatorOf(QString::fromUtf8(text)), expected) << text;
}

TEST(StartTimeImportTest, LinesEndAtLineFeed)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"", {}},
        {"a\nb\r\n", {"a", "b"}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"a\rb\n", {"a\rb"}},
        {"\xEF\xBB\xBF" "12;1\n", {"12;1"}},
    };
    for (const auto& [bytes, expected] : cases) {
        std::vector<std::string> lines;
        app::ImportLines reader(bytes);
        while (const std::optional<std::string_view> line = reader.next()) {
            // A view into the file, not a copy: many short lines cost no memory each.
            EXPECT_TRUE(line->data() >= bytes.data() && line->data() + line->size() <= bytes.data() + bytes.size());
            lines.emplace_back(*line);
        }
        EXPECT_EQ(lines, expected) << bytes;
    }
}

TEST(StartTimeImportTest, ReadKeepsAcceptedRowsTogether)
{
    const app::ImportOutcome out = app::importStarters("12;0:00\njunk\n7;0:45\ntrailer\n\n", format(1, 2, kTen));
    EXPECT_EQ(out.starters, (std::vector<ImportedStarter>{{"12", "10.00.00"}, {"7", "10.00.45"}}));
    // The empty last line, refused, stands below the last accepted one.
    EXPECT_EQ(out.lineRows, (std::vector<std::string>{"12;0:00", "7;0:45", ""}));
    EXPECT_FALSE(out.cutShort);

    std::string full;
    for (int i = 0; i < app::kImportMaxStarters; ++i)
        full += "5;1:00\n";
    EXPECT_FALSE(app::importStarters(full, format()).cutShort);
}

TEST(ImportFileTest, ReadsRegularFilesWithinTheLimit)
{
    using Status = app::ImportFileRead::Status;
    const std::string dir = testenv::makeTempDir("import-file");
    const std::string limit(100, 'x');
    std::ofstream(dir + "/limit.txt") << limit;
    std::ofstream(dir + "/over.txt") << limit << 'y';
    const std::vector<std::tuple<std::string, Status, std::string>> cases = {
        {dir + "/limit.txt", Status::Read, limit},
        {dir + "/over.txt", Status::TooLarge, ""},
        {dir + "/missing.txt", Status::Unreadable, ""},
        {dir, Status::Unreadable, ""},
        {"/dev/null", Status::Unreadable, ""},
    };
    for (const auto& [path, status, bytes] : cases) {
        const app::ImportFileRead got = app::readImportFile(path, limit.size());
        EXPECT_EQ(got.status, status) << path;
        EXPECT_EQ(got.bytes, bytes) << path;
    }
}

} // namespace
