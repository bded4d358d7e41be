#pragma once
// Arbitrary line speeds through the kernel's second termios record. This
// header includes neither <termios.h> nor the kernel's termios headers, so
// either side may use it; the two must never meet in one file.
#include <cstdint>
#include <cstring>

namespace platform {

// The kernel's line settings, with the speeds as plain bit rates.
struct KernelTermios {
    std::uint32_t iflag = 0, oflag = 0, cflag = 0, lflag = 0;
    std::uint8_t line = 0;
    std::uint8_t cc[19] = {};
    std::uint32_t ispeed = 0, ospeed = 0;
};

// The flags, line discipline and control characters of either termios record
// (the speeds are left as they are).
template <class Termios>
void copyTermiosFlags(const Termios& from, KernelTermios& to)
{
    to.iflag = from.c_iflag;
    to.oflag = from.c_oflag;
    to.cflag = from.c_cflag;
    to.lflag = from.c_lflag;
    to.line = from.c_line;
    static_assert(sizeof from.c_cc >= sizeof to.cc);
    std::memcpy(to.cc, from.c_cc, sizeof to.cc);
}

// Sets `settings` on the line with both speeds at `baudRate` bit/s, whatever
// speed bits cflag holds. 0 or an errno value.
int setKernelTermiosSpeed(int fd, const KernelTermios& settings, std::uint32_t baudRate);
// Reads the line's settings with the actual bit rates. 0 or an errno value.
int readKernelTermios(int fd, KernelTermios& settings);

} // namespace platform
