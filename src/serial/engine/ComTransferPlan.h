#pragma once
// How long a read or a write may take, from the port's time-outs:
//  - read interval all ones, both read totals 0: return at once with what
//    has arrived;
//  - read interval and multiplier all ones, constant c (neither 0 nor all
//    ones): return at once when something has arrived, else wait up to c ms
//    for the first byte and return with it;
//  - otherwise a read waits until its count has arrived, ended early by the
//    total (multiplier times count plus constant, when either is set) and by
//    the interval (0 and all ones: none) between two bytes after the first;
//  - a write may take multiplier times its length plus constant, when either
//    is set; otherwise it has no time limit.
#include <chrono>
#include <cstddef>
#include <optional>

#include "platform/SerialLineState.h"

namespace serial {

struct ComReadPlan {
    bool immediate = false;      // return at once with what is there
    bool firstByteEnds = false;  // return as soon as something has come
    std::optional<std::chrono::milliseconds> total;
    std::optional<std::chrono::milliseconds> interval;

    bool operator==(const ComReadPlan&) const = default;
};

ComReadPlan makeReadPlan(const platform::SerialTimeouts& timeouts, std::size_t count);
std::optional<std::chrono::milliseconds> writeTimeLimit(const platform::SerialTimeouts& timeouts,
                                                        std::size_t count);

// The time one character takes on a line set up as `state` (start bit,
// data bits, parity, stop bits); a line without a speed counts 9600 bit/s.
std::chrono::microseconds characterTime(const platform::SerialLineState& state);

} // namespace serial
