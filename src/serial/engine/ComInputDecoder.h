#pragma once
// Turns the bytes read from the line into the bytes the port's input queue
// holds: undoes the error marks of a checked line (FF 00 x for a byte
// received with an error, FF FF for a received FF), replaces a byte received
// with an error by the error character when asked to, and drops NUL bytes
// when asked to. A mark split between two reads is carried over.
#include <cstddef>
#include <cstdint>

namespace serial {

struct ComInputRules {
    bool marked = false;         // the line marks errors (parity check on)
    bool replaceErrors = false;  // a byte received with an error becomes errorChar
    std::uint8_t errorChar = 0;
    bool discardNull = false;    // NUL bytes are dropped

    bool operator==(const ComInputRules&) const = default;
};

class ComInputDecoder {
public:
    // New rules; a half-read mark is forgotten when marking changes.
    void setRules(const ComInputRules& rules);
    const ComInputRules& rules() const { return rules_; }
    // Forgets a half-read mark (the input was purged).
    void reset() { state_ = State::Plain; }
    // The room `out` must have for `count` input bytes: one more than
    // `count`, for an FF carried over from the last read that turns out to
    // be no mark (FF then another byte gives both bytes).
    static constexpr std::size_t outputRoom(std::size_t count) { return count + 1; }
    // Decodes `count` bytes of `in` into `out`, which has outputRoom(count)
    // bytes; returns the number of bytes written to `out`.
    std::size_t decode(const char* in, std::size_t count, char* out);

private:
    enum class State : std::uint8_t { Plain, Mark, MarkZero };

    ComInputRules rules_;
    State state_ = State::Plain;
};

} // namespace serial
