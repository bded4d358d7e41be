// The pieces under the data path: decoding what the line delivers, the input
// and the time a character takes on the line.
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

// The time one character takes on the line: start bit, data bits, parity
// and stop bits, rounded up to whole microseconds.
TEST(ComTransferPlan, CharacterTimeRoundsUp)
{
    platform::SerialLineState s;
    s.BaudRate = 10000;
    s.ByteSize = 8;
    EXPECT_EQ(CharacterTime(s).count(), 1000);  // 10 bits
    s = {28, 300, 0, 0, 0, 0, 8, platform::kParityEven, platform::kOne5StopBits};
    EXPECT_EQ(CharacterTime(s).count(), 38334);  // 11.5 bits
}
