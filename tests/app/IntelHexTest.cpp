// Reading firmware files: what is taken, what is left out, and every fault
// that refuses a file before anything reaches the clock.
#include <gtest/gtest.h>

#include "HexTestData.h"
#include "app/IntelHex.h"

namespace {

using app::HexType;
using hextest::data;
using hextest::file;
using hextest::kEof;
using hextest::record;

TEST(IntelHex, ReadsTheRecordsWithTheirFields)
{
    const auto records = app::readIntelHex(file(hextest::kWorkedFile));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].text, hextest::kWorkedFile[0]);
    EXPECT_EQ(records[0].count, 16);
    EXPECT_EQ(records[0].address, 0x00F8);
    EXPECT_EQ(records[0].end(), 0x0108);
    EXPECT_EQ(records[0].data, hextest::counting(0, 16));
    EXPECT_EQ(records[1].page(), 1);
    EXPECT_EQ(records[1].lineNumber, 2);
    EXPECT_EQ(records[2].type, HexType::EndOfFile);
}

TEST(IntelHex, LinesAroundTheRecords)
{
    struct Case {
        const char* what;
        std::string file;
        std::vector<std::string> texts;
        std::vector<int> lineNumbers;
    };
    const std::string a = data(0x0000, "\x01\x02");
    const std::string b = data(0x0010, "\x03");
    const Case cases[] = {
        {"text before the first record is skipped", "Firmware v3\n\n" + a + "\n" + kEof + "\n", {a, kEof}, {3, 4}},
        {"LF, CR LF and a last line without end", a + "\r\n" + b + "\n" + kEof, {a, b, kEof}, {1, 2, 3}},
        {"blank lines among the records", a + "\n\n  \n" + b + "\n" + kEof + "\n", {a, b, kEof}, {1, 4, 5}},
        {"trailing blanks and tabs go", a + " \t\r\n" + kEof + "  \n", {a, kEof}, {1, 2}},
        {"lines after the end-of-file record are not read", a + "\n" + kEof + "\nnonsense\n:zz\n", {a, kEof}, {1, 2}},
        {"start and linear-zero records carry nothing",
         record(0, 0x04, std::string("\0\0", 2)) + "\n" + a + "\n" + record(0, 0x03, "\x12\x34\x56\x78") + "\n" +
             record(0, 0x05, std::string("\0\0\1\0", 4)) + "\n" + kEof + "\n",
         {a, kEof}, {2, 5}},
        {"data up to FFFF is in range", data(0xFFF0, hextest::counting(0, 16)) + "\n" + kEof,
         {data(0xFFF0, hextest::counting(0, 16)), kEof}, {1, 2}},
        {"lower-case digits are taken as they are", ":010020004a95\n" + kEof, {":010020004a95", kEof}, {1, 2}},
    };
    for (const Case& c : cases) {
        const auto records = app::readIntelHex(c.file);
        std::vector<std::string> texts;
        std::vector<int> lines;
        for (const auto& r : records) {
            texts.push_back(r.text);
            lines.push_back(r.lineNumber);
        }
        EXPECT_EQ(texts, c.texts) << c.what;
        EXPECT_EQ(lines, c.lineNumbers) << c.what;
    }
}

TEST(IntelHex, FaultsRefuseTheFileWithTheirLine)
{
    struct Case {
        const char* what;
        std::string file;
        int line;
        const char* says;
    };
    const std::string ok = data(0x0100, "\xAA\xBB");
    std::string badSum = ok;
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    const Case cases[] = {
        {"a line that is no record", ok + "\nhello\n" + kEof, 2, "ingen hexpost"},
        {"an odd number of digits", ok + "\n:01000000411\n" + kEof, 2, "udda"},
        {"a character that is no hex digit", ok + "\n:0100G00041BE\n" + kEof, 2, "inte är hexsiffror"},
        {"too short for a record", ":000000\n" + kEof, 1, "för kort"},
        {"byte count larger than the data", ":0300000041BC\n" + kEof, 1, "antalet databyte"},
        {"byte count smaller than the data", ":0000000041BF\n" + kEof, 1, "antalet databyte"},
        {"a wrong checksum", badSum + "\n" + kEof, 1, "checksumma"},
        {"an unknown record type", record(0, 0x06, "") + "\n" + kEof, 1, "posttyp 06"},
        {"a type that differs only in its first digit", record(0, 0x10, "") + "\n" + kEof, 1, "posttyp 10"},
        {"data past FFFF", data(0xFFF0, hextest::counting(0, 17)) + "\n" + kEof, 1, "utanför minnet"},
        {"an extended linear address above 64 KiB", record(0, 0x04, std::string("\0\x01", 2)) + "\n" + kEof, 1,
         "utanför minnet"},
        {"an end-of-file record with data", record(0, 0x01, "\x01"), 1, "slutposten har data"},
        {"no end-of-file record", ok + "\n", 0, "slutposten"},
        {"nothing but text", "no records here\n", 0, "ingen hexpost"},
        {"an empty file", "", 0, "ingen hexpost"},
    };
    for (const Case& c : cases) {
        try {
            app::readIntelHex(c.file);
            ADD_FAILURE() << c.what << ": the file was taken";
        } catch (const app::HexFileError& e) {
            EXPECT_EQ(e.line(), c.line) << c.what;
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << c.what << ": " << e.what();
        }
    }
}

} // namespace
