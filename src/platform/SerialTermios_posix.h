#pragma once
// How a SerialLineState becomes termios settings. Kept apart from the device
// so the mapping can be checked without a device.
#include <termios.h>

#include <cstdint>

#include "platform/SerialLineState.h"

namespace platform {

// Raw binary mode: no input or output processing, no echo or signals,
// receiver on, modem control lines ignored, reads return what is there.
void makeRawTermios(termios& t);

// Applies framing, parity, flow control and the XON/XOFF characters of
// `state` to `t`, leaving everything else of `t` as it is. The speed is not
// touched (see standardSpeed). `state` must pass checkLineStateSupported.
// With the parity check on, bytes received with an error arrive marked as
// FF 00 byte and a received FF arrives doubled; the reader undoes this.
void applyLineStateToTermios(const SerialLineState& state, termios& t);

// The termios speed constant for a bit rate that has one; false for rates
// (14400, 56000, 128000, 256000, any custom rate) that need an arbitrary
// speed setting.
bool standardSpeed(std::uint32_t baudRate, speed_t& speed);

} // namespace platform
