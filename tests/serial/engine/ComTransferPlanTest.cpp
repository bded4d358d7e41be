// The time limits of reads and the time a character takes on the line.
#include <gtest/gtest.h>

#include <chrono>

#include "serial/engine/ComTransferPlan.h"

using namespace serial;
using std::chrono::milliseconds;

// A read whose interval and multiplier are all ones returns with the first
// byte, waiting at most the constant; a character takes its start, data,
// parity and stop bits, rounded up to whole microseconds.
TEST(ComTransferPlan, FirstByteReadsAndCharacterTime)
{
    EXPECT_EQ(makeReadPlan({0xFFFFFFFFu, 0xFFFFFFFFu, 500, 0, 0}, 10), (ComReadPlan{false, true, milliseconds(500), {}}));
    EXPECT_EQ(characterTime({28, 10000, 0, 0, 0, 0, 8}).count(), 1000);
    EXPECT_EQ(characterTime({28, 300, 0, 0, 0, 0, 8, platform::kParityEven, platform::kOne5StopBits}).count(), 38334);
}
