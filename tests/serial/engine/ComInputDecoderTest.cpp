// Decoding what a checked line delivers: error marks, doubled FF, NULs.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "serial/engine/ComInputDecoder.h"

using namespace serial;

// A checked line marks errors (FF 00 x) and doubles FF; the decoder undoes
// that, replaces or drops as asked, also with a mark split between two reads
// at any point, and never writes beyond the room it asks for.
TEST(ComInputDecoder, MarksNullsAndErrorCharactersSplitAnywhere)
{
    // Rules: marked, errors replaced, error character, NUL dropped.
    const struct { const char* what; ComInputRules rules; std::string in, out; } cases[] = {
        {"plain line copies all", ComInputRules{false, false, 0, false}, std::string("a\xff\0b", 4), std::string("a\xff\0b", 4)},
        {"NUL dropped", ComInputRules{false, false, 0, true}, std::string("\0a\0\0b", 5), "ab"},
        {"doubled FF is one", ComInputRules{true, false, 0, false}, "x\xff\xffy", "x\xffy"},
        {"error byte kept", ComInputRules{true, false, '?', false}, std::string("a\xff\0zb", 5), "azb"},
        {"error byte replaced", ComInputRules{true, true, '?', false}, std::string("a\xff\0zb", 5), "a?b"},
        {"replaced by NUL then dropped", ComInputRules{true, true, 0, true}, std::string("a\xff\0zb", 5), "ab"},
        {"FF then other is no mark", ComInputRules{true, false, 0, false}, "KX&\xff\xa4", "KX&\xff\xa4"},
        {"FF FF then mark", ComInputRules{true, true, '!', false}, std::string("\xff\xff\xff\0z", 5), "\xff!"},
    };
    auto decode = [](ComInputDecoder& d, const std::string& in) {
        const std::size_t room = ComInputDecoder::outputRoom(in.size());
        const auto out = std::make_unique<char[]>(room);  // exactly the room, so a write past it is caught
        const std::size_t n = d.decode(in.data(), in.size(), out.get());
        EXPECT_LE(n, room);
        return std::string(out.get(), std::min(n, room));
    };
    for (const auto& c : cases)
        for (std::size_t split = 0; split <= c.in.size(); ++split) {
            ComInputDecoder d;
            d.setRules(c.rules);
            const std::string first = decode(d, c.in.substr(0, split));
            EXPECT_EQ(first + decode(d, c.in.substr(split)), c.out) << c.what << ", split at " << split;
        }
    ComInputDecoder d;  // purged input forgets a half-read mark
    d.setRules(ComInputRules{true, false, 0, false});
    EXPECT_EQ(decode(d, "\xff"), "");
    d.reset();
    EXPECT_EQ(decode(d, "q"), "q");
}
