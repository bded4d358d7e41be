// The lines of an import file: which give a starter and what it is, and
// where the lines end.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>
#include <vector>

#include "app/import/StartTimeImport.h"

using namespace timevalues;

using app::ImportedStarter;

namespace {

using Row = std::vector<std::string>;

constexpr TTid kTen = 10 * kTidHour;

app::ImportFormat format(int idColumn = 1, int timeColumn = 2, TTid firstStart = 0, std::optional<char> sep = ';')
{
    return app::ImportFormat{sep, idColumn, timeColumn, firstStart};
}

// A line gives a starter when its number field holds 1..998 (a leading "-"
// is negative whatever follows); the time field plus the first start is a
// time of day, computed without overflow.
TEST(StartTimeImport, LineIsAcceptedOrRefused)
{
    const std::optional<ImportedStarter> refused;
    const ImportedStarter twelveAtTen{"12", "10.00.00"};
    const std::tuple<const char*, std::string, app::ImportFormat, std::optional<ImportedStarter>> cases[] = {
        {"highest", "998;75", format(), ImportedStarter{"998", "    1.15"}},
        {"zero", "0;0", format(), refused},
        {"1", "1;0", format(), ImportedStarter{"1", "    0.00"}},
        {"999", "999;0", format(), refused},
        {"negative with letters after it", "-5a;0", format(), refused},
        {"letters after the digits", "12a;0", format(), ImportedStarter{"12", "    0.00"}},
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
    // The separator is the first character of its text, when the code page holds it.
    EXPECT_EQ(std::tuple(app::separatorOf(""), app::separatorOf("Ł;"), app::separatorOf("?"), app::separatorOf(";,")),
              std::tuple(std::nullopt, std::nullopt, '?', ';'));
}

// Lines end at LF (a CR before it dropped), as views into the file's bytes;
// a UTF-8 byte-order mark at the start is dropped.
TEST(StartTimeImport, LinesEndAtLineFeed)
{
    const std::pair<std::string, Row> cases[] = {
        {"", {}}, {"a\nb\r\n", {"a", "b"}}, {"a\n\nb\n", {"a", "", "b"}}, {"a\rb\n", {"a\rb"}},
        {"\xEF\xBB\xBF" "12;1\n", {"12;1"}},
    };
    for (const auto& [bytes, expected] : cases) {
        Row lines;
        app::ImportLines reader(bytes);
        while (const std::optional<std::string_view> line = reader.next()) {
            EXPECT_TRUE(line->data() >= bytes.data() && line->data() + line->size() <= bytes.data() + bytes.size());
            lines.emplace_back(*line);
        }
        EXPECT_EQ(lines, expected) << bytes;
    }
}

} // namespace
