// Start numbers and times from the lines of an import file, and the file
// read with its limit.
#include <gtest/gtest.h>

#include <QString>

#include <climits>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/ImportFile.h"
#include "app/StartTimeImport.h"
#include "support/test_env.h"

namespace {

using app::ImportedStarter;
using app::ImportFormat;

constexpr TTid kTen = 10 * kTidHour;

ImportFormat format(int idColumn = 1, int timeColumn = 2, TTid firstStart = 0, std::optional<char> sep = ';')
{
    return ImportFormat{sep, idColumn, timeColumn, firstStart};
}

TEST(StartTimeImportTest, LineIsAcceptedOrRefused)
{
    struct Case {
        const char* what;
        std::string line;
        ImportFormat format;
        std::optional<ImportedStarter> expected;
    };
    const std::vector<Case> cases = {
        {"heading line", "Nr;Tid", format(1, 2, kTen), std::nullopt},
        {"offset from first start", "12;0:00", format(1, 2, kTen), ImportedStarter{"12", "10.00.00"}},
        {"minutes and seconds", "7;0:45", format(1, 2, kTen), ImportedStarter{"7", "10.00.45"}},
        {"time of day", "3;9:05:00", format(), ImportedStarter{"3", " 9.05.00"}},
        {"seconds alone", "3;75", format(), ImportedStarter{"3", "    1.15"}},
        {"lowest number", "1;0", format(), ImportedStarter{"1", "    0.00"}},
        {"highest number", "998;0", format(), ImportedStarter{"998", "    0.00"}},
        {"zero", "0;0", format(), std::nullopt},
        {"999", "999;0", format(), std::nullopt},
        {"far too high", "99999999999;0", format(), std::nullopt},
        {"negative", "-5;0", format(), std::nullopt},
        {"negative with letters after it", "-5a;0", format(), std::nullopt},
        {"letters after the digits", "12a;0", format(), ImportedStarter{"12", "    0.00"}},
        {"leading blanks", "  12;0", format(), ImportedStarter{"12", "    0.00"}},
        {"hexadecimal", "$10;0", format(), ImportedStarter{"16", "    0.00"}},
        {"empty line", "", format(), std::nullopt},
        {"fewer fields than the number column", "12;0:30", format(3, 2), std::nullopt},
        {"fewer fields than the time column", "12", format(1, 2, kTen), ImportedStarter{"12", "10.00.00"}},
        {"number column 0", "12;0:30", format(0, 2), std::nullopt},
        {"negative number column", "12;0:30", format(-1, 2), std::nullopt},
        {"huge number column", "12;0:30", format(INT_MAX, 2), std::nullopt},
        {"time column 0", "12;0:30", format(1, 0, kTen), ImportedStarter{"12", "10.00.00"}},
        {"columns in another order", "x;1:10;31", format(3, 2, kTen), ImportedStarter{"31", "10.01.10"}},
        {"other separator", "12,0:30", format(1, 2, 0, ','), ImportedStarter{"12", "    0.30"}},
        {"no separator: the line is one field", "12;0:30", format(1, 2, kTen, std::nullopt),
         ImportedStarter{"12", "10.00.00"}},
        {"past midnight", "4;1:00:00", format(1, 2, 23 * kTidHour + 30 * kTidMinute),
         ImportedStarter{"4", "   30.00"}},
        {"time beyond the 32-bit range", "4;999999999999", format(1, 2, 23 * kTidHour),
         ImportedStarter{"4", "10.39.08"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(app::importLine(c.line, c.format), c.expected) << c.what;
    }
}

TEST(StartTimeImportTest, SeparatorIsTheFirstCharacterInTheCodePage)
{
    struct Case {
        QString text;
        std::optional<char> expected;
    };
    const std::vector<Case> cases = {
        {QStringLiteral(";"), ';'},
        {QStringLiteral(",;"), ','},
        {QStringLiteral("\t"), '\t'},
        {QStringLiteral("?"), '?'},
        {QString::fromUtf8("é"), '\xE9'},
        {QString::fromUtf8("€x"), '\x80'},
        {QString(), std::nullopt},
        {QString::fromUtf8("→;"), std::nullopt},
        {QString::fromUtf8("😀"), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::separatorOf(c.text), c.expected) << c.text.toStdString();
}

TEST(StartTimeImportTest, ColumnValueIsAWholeNumberOrZero)
{
    const std::vector<std::pair<QString, int>> cases = {
        {QStringLiteral("3"), 3}, {QStringLiteral("-2"), -2}, {QStringLiteral(""), 0},
        {QStringLiteral("-"), 0}, {QStringLiteral("2x"), 0},  {QStringLiteral("99999999999"), 0},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(app::columnValue(text), expected) << text.toStdString();
}

TEST(StartTimeImportTest, LinesEndAtLineFeed)
{
    using Lines = std::vector<std::string>;
    struct Case {
        const char* what;
        std::string bytes;
        Lines expected;
    };
    const std::vector<Case> cases = {
        {"empty file", "", {}},
        {"LF", "a\nb\n", {"a", "b"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"last line without LF", "a\nb", {"a", "b"}},
        {"empty lines stay", "a\n\nb\n", {"a", "", "b"}},
        {"a lone CR is no line end", "a\rb\n", {"a\rb"}},
        {"only a line end", "\r\n", {""}},
        {"UTF-8 mark dropped", "\xEF\xBB\xBF" "12;1\n", {"12;1"}},
        {"8-bit bytes kept", "\xC5ke;1\n", {"\xC5ke;1"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::importLines(c.bytes), c.expected) << c.what;
}

TEST(StartTimeImportTest, RefusedLinesLeaveNoGapAndTheLastRefusedLineShowsBelow)
{
    const app::ImportOutcome out =
        app::importStarters({"Nr;Tid", "12;0:00", "junk", "7;0:45", "31;1:10", "trailer"}, format(1, 2, kTen));
    EXPECT_EQ(out.starters, (std::vector<ImportedStarter>{{"12", "10.00.00"}, {"7", "10.00.45"}, {"31", "10.01.10"}}));
    EXPECT_EQ(out.lineRows, (std::vector<std::string>{"12;0:00", "7;0:45", "31;1:10", "trailer"}));
    EXPECT_FALSE(out.cutShort);

    EXPECT_TRUE(app::importStarters({}, format()).lineRows.empty());
}

TEST(StartTimeImportTest, StartersBeyondTheGridsAreLeftOut)
{
    const std::vector<std::string> lines(app::kImportMaxStarters + 5, "5;1:00");
    const app::ImportOutcome out = app::importStarters(lines, format());
    EXPECT_EQ(out.starters.size(), static_cast<std::size_t>(app::kImportMaxStarters));
    EXPECT_EQ(out.lineRows.size(), static_cast<std::size_t>(app::kImportMaxStarters));
    EXPECT_TRUE(out.cutShort);

    // Exactly as many as fit is no cut.
    const std::vector<std::string> full(app::kImportMaxStarters, "5;1:00");
    EXPECT_FALSE(app::importStarters(full, format()).cutShort);
}

TEST(ImportFileTest, ReadsRegularFilesWithinTheLimit)
{
    using Status = app::ImportFileRead::Status;
    const std::string dir = testenv::makeTempDir("import-file");
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
        return dir + "/" + name;
    };
    const std::string limit(100, 'x');
    struct Case {
        const char* what;
        std::string path;
        Status status;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"small file", write("small.txt", "1;2\r\n\xC5"), Status::Read, "1;2\r\n\xC5"},
        {"empty file", write("empty.txt", ""), Status::Read, ""},
        {"at the limit", write("limit.txt", limit), Status::Read, limit},
        {"one byte over", write("over.txt", limit + "y"), Status::TooLarge, ""},
        {"no such file", dir + "/missing.txt", Status::Unreadable, ""},
        {"a folder", dir, Status::Unreadable, ""},
        {"a device", "/dev/null", Status::Unreadable, ""},
    };
    for (const Case& c : cases) {
        const app::ImportFileRead got = app::readImportFile(c.path, limit.size());
        EXPECT_EQ(got.status, c.status) << c.what;
        EXPECT_EQ(got.bytes, c.bytes) << c.what;
    }
}

} // namespace
