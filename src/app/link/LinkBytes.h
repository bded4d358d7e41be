#pragma once
// Bytes with a meaning of their own on the serial line to the clock, shared by
// the command link and the firmware loader.

namespace app {

// Ends every line in both directions; both ports watch for it as their event
// character.
inline constexpr char kCR = 13;

} // namespace app
