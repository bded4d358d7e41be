// The pieces under the data path: decoding what the line delivers, the input
// and the time limits of reads and writes.
#include <memory>

#include "serial/ComInputDecoder.h"
#include "serial/ComTransferPlan.h"
#include "serial/SerialTestSupport.h"

using namespace serialtest;

namespace {

ComInputRules Rules(bool marked, bool replace, char errorChar, bool discardNull)
{
    return {marked, replace, static_cast<std::uint8_t>(errorChar), discardNull};
}

} // namespace

// A checked line marks errors (FF 00 x) and doubles FF; the decoder undoes
// that, replaces or drops as asked, also with a mark split between two reads
// at any point, and never writes beyond the room it asks for.
TEST(ComInputDecoder, MarksNullsAndErrorCharactersSplitAnywhere)
{
    const struct { const char* what; ComInputRules rules; std::string in, out; } cases[] = {
        {"plain line copies all", Rules(false, false, 0, false), std::string("a\xff\0b", 4), std::string("a\xff\0b", 4)},
        {"NUL dropped", Rules(false, false, 0, true), std::string("\0a\0\0b", 5), "ab"},
        {"doubled FF is one", Rules(true, false, 0, false), "x\xff\xffy", "x\xffy"},
        {"error byte kept", Rules(true, false, '?', false), std::string("a\xff\0zb", 5), "azb"},
        {"error byte replaced", Rules(true, true, '?', false), std::string("a\xff\0zb", 5), "a?b"},
        {"break replaced", Rules(true, true, '#', false), std::string("\xff\0\0", 3), "#"},
        {"replaced by NUL then dropped", Rules(true, true, 0, true), std::string("a\xff\0zb", 5), "ab"},
        {"FF then other is no mark", Rules(true, false, 0, false), "KX&\xff\xa4", "KX&\xff\xa4"},
        {"FF FF then mark", Rules(true, true, '!', false), std::string("\xff\xff\xff\0z", 5), "\xff!"},
    };
    auto decode = [](ComInputDecoder& d, const std::string& in) {
        const std::size_t room = ComInputDecoder::OutputRoom(in.size());
        const auto out = std::make_unique<char[]>(room);  // exactly the room, so a write past it is caught
        const std::size_t n = d.Decode(in.data(), in.size(), out.get());
        EXPECT_LE(n, room);
        return std::string(out.get(), std::min(n, room));
    };
    for (const auto& c : cases)
        for (std::size_t split = 0; split <= c.in.size(); ++split) {
            ComInputDecoder d;
            d.SetRules(c.rules);
            const std::string first = decode(d, c.in.substr(0, split));
            EXPECT_EQ(first + decode(d, c.in.substr(split)), c.out) << c.what << ", split at " << split;
        }
    ComInputDecoder d;  // purged input forgets a half-read mark
    d.SetRules(Rules(true, false, 0, false));
    EXPECT_EQ(decode(d, "\xff"), "");
    d.Reset();
    EXPECT_EQ(decode(d, "q"), "q");
}

// How long a read or a write may take, from the time-outs.
TEST(ComTransferPlan, PlansFollowTheTimeouts)
{
    constexpr std::uint32_t ones = 0xFFFFFFFFu;
    auto T = [](std::uint32_t i, std::uint32_t m, std::uint32_t c) { return platform::SerialTimeouts{i, m, c, 0, 0}; };
    const struct { const char* what; platform::SerialTimeouts t; std::size_t count; ComReadPlan plan; } cases[] = {
        {"at once (default)", T(ones, 0, 0), 200, {true, false, {}, {}}},
        {"first byte ends, up to c", T(ones, ones, 500), 10, {false, true, milliseconds(500), {}}},
        {"interval only", T(2000, 0, 0), 1000, {false, false, {}, milliseconds(2000)}},
        {"total m*n+c", T(0, 10, 100), 5, {false, false, milliseconds(150), {}}},
        {"interval and total", T(20, 1, 0), 3, {false, false, milliseconds(3), milliseconds(20)}},
        {"all zero waits for the count", T(0, 0, 0), 3, {}},
        {"all-ones interval with totals is no interval", T(ones, 2, 0), 4, {false, false, milliseconds(8), {}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MakeReadPlan(c.t, c.count), c.plan) << c.what;
    EXPECT_GT(MakeReadPlan(T(0, ones, 0), 1u << 30).total->count(), 0);  // no overflow
    EXPECT_EQ(WriteTimeLimit({0, 0, 0, 100, 1000}, 12), milliseconds(2200));
    EXPECT_EQ(WriteTimeLimit({0, 0, 0, 0, 0}, 12), std::nullopt);

    platform::SerialLineState s;
    s.BaudRate = 10000;
    s.ByteSize = 8;
    EXPECT_EQ(CharacterTime(s).count(), 1000);  // 10 bits
    s.Parity = platform::kParityEven;
    s.StopBits = platform::kOne5StopBits;
    s.BaudRate = 300;
    EXPECT_EQ(CharacterTime(s).count(), 38334);  // 11.5 bits
}
