// The lines the loader builds for the boot loader, and the check that a file
// can go page by page without losing bytes.
#include <gtest/gtest.h>

#include "HexTestData.h"
#include "app/BootRecords.h"

namespace {

using hextest::data;
using hextest::kEof;

app::HexRecord dataRecord(int address, const std::string& bytes)
{
    return app::readIntelHex(data(address, bytes) + "\n" + kEof).front();
}

TEST(BootRecords, AsciToHexAndByggCheck)
{
    EXPECT_EQ(app::AsciToHex("0A1b"), std::string("\x0A\x1B"));
    EXPECT_EQ(app::AsciToHex("FF0"), std::string("\xFF"));  // the odd last digit is ignored
    EXPECT_EQ(app::AsciToHex(""), "");
    struct Case { const char* text; const char* built; };
    const Case cases[] = {
        {":00000001", ":00000001FF"},
        {":00000009", ":00000009F7"},
        {":01020000FD", ":01020000FD00"},  // byte sum a multiple of 256
        {":", ":00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::ByggCheck(c.text), c.built) << c.text;
}

TEST(BootRecords, PageRecords)
{
    struct Case { int page; const char* line; };
    const Case cases[] = {{0, ":00000002FE"}, {1, ":00010002FD"}, {0x1F, ":001F0002DF"}, {0xDF, ":00DF00021F"},
                          {0xFF, ":00FF0002FF"}};
    for (const Case& c : cases)
        EXPECT_EQ(app::pageRecord(c.page), c.line) << c.page;
}

TEST(BootRecords, SpillOverRecords)
{
    struct Case { const char* what; int address; std::string bytes; int page; const char* line; };
    const Case cases[] = {
        {"the small file's first record into page 1", 0x00F8, hextest::counting(0, 16), 1,
         ":0801000008090A0B0C0D0E0F9B"},
        {"one byte FD into page 2", 0x01FF, "\x11\xFD", 2, ":01020000FD00"},
        {"a record that ends at the page boundary", 0x01F0, hextest::counting(0, 16), 2, ":00020000FE"},
        {"all but the first byte", 0x03FF, "\x01\x02\x03", 4, ":020400000203F5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::spillRecord(dataRecord(c.address, c.bytes), c.page), c.line) << c.what;
}

TEST(BootRecords, LoadOrder)
{
    struct Case { const char* what; std::vector<std::string> lines; int faultLine; };
    const std::string seg0 = hextest::record(0x0000, 0x02, std::string("\0\0", 2));
    const std::string segE0 = hextest::record(0xE000, 0x02, "");
    const Case cases[] = {
        {"ascending pages with a spill-over", hextest::kWorkedFile, 0},
        {"any order within a page", {data(0x0120, "\x01"), data(0x0100, "\x02"), kEof}, 0},
        {"a gap of whole pages", {data(0x0000, "\x01"), data(0x0500, "\x02"), kEof}, 0},
        {"the last record runs into the next page", {data(0x01F8, hextest::counting(0, 16)), kEof}, 0},
        {"a page-select record goes back to page 0", {data(0x0300, "\x01"), seg0, data(0x0100, "\x02"), kEof}, 0},
        {"a record below a page already sent", {data(0x0200, "\x01"), data(0x0100, "\x02"), kEof}, 2},
        {"a record below a held page", {data(0x0000, "\x01"), segE0, data(0x0100, "\x02"), kEof}, 3},
        {"a spill-over followed by its own page", {data(0x01F8, hextest::counting(0, 16)), data(0x0180, "\x01"), kEof},
         1},
        {"a spill-over followed by a page beyond", {data(0x01F8, hextest::counting(0, 16)), data(0x0300, "\x01"), kEof},
         1},
        {"a spill-over followed by a page-select record", {data(0x01F8, hextest::counting(0, 16)), seg0, kEof}, 1},
    };
    for (const Case& c : cases) {
        const auto records = app::readIntelHex(hextest::file(c.lines));
        try {
            app::checkLoadOrder(records);
            EXPECT_EQ(c.faultLine, 0) << c.what << ": taken";
        } catch (const app::HexFileError& e) {
            EXPECT_EQ(e.line(), c.faultLine) << c.what << ": " << e.what();
        }
    }
}

} // namespace
