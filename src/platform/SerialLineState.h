#pragma once
// The image of a serial line's settings that the serial library hands to the
// device: one record of line state (speed, framing, flow control, special
// characters, with the switches packed in one flag word), and one of
// time-outs. Keeping the numbers in this form lets them be checked bit for
// bit before any device sees them.
#include <cstdint>

namespace platform {

// Bits of SerialLineState::Flags.
inline constexpr std::uint32_t kLineBinary = 0x1;
inline constexpr std::uint32_t kLineParityCheck = 0x2;
inline constexpr std::uint32_t kLineOutxCtsFlow = 0x4;
inline constexpr std::uint32_t kLineOutxDsrFlow = 0x8;
inline constexpr std::uint32_t kLineDtrControlMask = 0x30;
inline constexpr std::uint32_t kLineDtrEnable = 0x10;
inline constexpr std::uint32_t kLineDtrHandshake = 0x20;
inline constexpr std::uint32_t kLineDsrSensitivity = 0x40;
inline constexpr std::uint32_t kLineTxContinueOnXoff = 0x80;
inline constexpr std::uint32_t kLineOutX = 0x100;
inline constexpr std::uint32_t kLineInX = 0x200;
inline constexpr std::uint32_t kLineErrorChar = 0x400;
inline constexpr std::uint32_t kLineNull = 0x800;
inline constexpr std::uint32_t kLineRtsControlMask = 0x3000;
inline constexpr std::uint32_t kLineRtsEnable = 0x1000;
inline constexpr std::uint32_t kLineRtsHandshake = 0x2000;
inline constexpr std::uint32_t kLineRtsToggle = 0x3000;

// Values of SerialLineState::Parity and ::StopBits.
inline constexpr std::uint8_t kParityNone = 0, kParityOdd = 1, kParityEven = 2,
                              kParityMark = 3, kParitySpace = 4;
inline constexpr std::uint8_t kOneStopBit = 0, kOne5StopBits = 1, kTwoStopBits = 2;

struct SerialLineState {
    std::uint32_t DCBlength = 28;
    std::uint32_t BaudRate = 0;   // bit/s
    std::uint32_t Flags = 0;      // kLine* bits
    std::uint16_t wReserved = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;    // 5..8
    std::uint8_t Parity = 0;      // kParity*
    std::uint8_t StopBits = 0;    // kOneStopBit...
    std::uint8_t XonChar = 0;
    std::uint8_t XoffChar = 0;
    std::uint8_t ErrorChar = 0;
    std::uint8_t EofChar = 0;
    std::uint8_t EvtChar = 0;
    std::uint16_t wReserved1 = 0;

    bool operator==(const SerialLineState&) const = default;
};

// Time-outs in milliseconds, as 32-bit patterns (a read interval of -1 is all
// ones). The device keeps them; reads and writes enforce them.
struct SerialTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;

    bool operator==(const SerialTimeouts&) const = default;
};

// 0 when a line of this system can be set up as `state` asks, else EINVAL.
// Refused: speed 0, DSR output flow, DSR sensitivity, DTR handshake, RTS
// toggle, sizes and codes out of range, and the framings a serial line
// cannot send (1.5 stop bits except with 5 data bits, 2 with 5). Accepted
// without effect: the XON/XOFF limits and "continue on XOFF".
int checkLineStateSupported(const SerialLineState& state);

} // namespace platform
