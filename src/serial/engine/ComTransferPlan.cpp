#include "serial/engine/ComTransferPlan.h"

#include <algorithm>
#include <cstdint>

namespace serial {
namespace {

constexpr std::uint32_t kAllOnes = 0xFFFFFFFFu;

// m * count + c, in milliseconds, without overflow.
std::chrono::milliseconds totalTime(std::uint32_t m, std::uint32_t c, std::size_t count)
{
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 52;
    const std::uint64_t n = std::min<std::uint64_t>(count, kLimit / (std::uint64_t{m} + 1));
    return std::chrono::milliseconds(static_cast<std::int64_t>(std::uint64_t{m} * n + c));
}

} // namespace

ComReadPlan makeReadPlan(const platform::SerialTimeouts& t, std::size_t count)
{
    ComReadPlan plan;
    const std::uint32_t interval = t.ReadIntervalTimeout;
    const std::uint32_t m = t.ReadTotalTimeoutMultiplier;
    const std::uint32_t c = t.ReadTotalTimeoutConstant;
    if (interval == kAllOnes && m == 0 && c == 0) {
        plan.immediate = true;
        return plan;
    }
    if (interval == kAllOnes && m == kAllOnes && c != 0 && c != kAllOnes) {
        plan.firstByteEnds = true;
        plan.total = std::chrono::milliseconds(c);
        return plan;
    }
    if (m != 0 || c != 0)
        plan.total = totalTime(m, c, count);
    if (interval != 0 && interval != kAllOnes)
        plan.interval = std::chrono::milliseconds(interval);
    return plan;
}

std::optional<std::chrono::milliseconds> writeTimeLimit(const platform::SerialTimeouts& t, std::size_t count)
{
    if (t.WriteTotalTimeoutMultiplier == 0 && t.WriteTotalTimeoutConstant == 0)
        return std::nullopt;
    return totalTime(t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant, count);
}

std::chrono::microseconds characterTime(const platform::SerialLineState& s)
{
    const std::uint32_t baud = s.BaudRate ? s.BaudRate : 9600;
    // In half bits, so 1.5 stop bits count right.
    std::uint64_t halfBits = 2 * (1 + std::max<unsigned>(s.ByteSize, 5));
    if (s.Parity != platform::kParityNone)
        halfBits += 2;
    halfBits += s.StopBits == platform::kOneStopBit ? 2 : s.StopBits == platform::kOne5StopBits ? 3 : 4;
    return std::chrono::microseconds(static_cast<std::int64_t>((halfBits * 1000000 / 2 + baud - 1) / baud));
}

} // namespace serial
