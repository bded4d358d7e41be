// The only file that includes the kernel's termios definitions: they clash
// with the C library's <termios.h>.
#include "platform/SerialTermbits_posix.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>

namespace platform {

static_assert(sizeof(KernelTermios::cc) == NCCS, "kernel control character count");

int setKernelTermiosSpeed(int fd, const KernelTermios& in, std::uint32_t baudRate)
{
    termios2 t{};
    t.c_iflag = in.iflag;
    t.c_oflag = in.oflag;
    t.c_cflag = (in.cflag & ~(CBAUD | (CBAUD << IBSHIFT))) | BOTHER | (BOTHER << IBSHIFT);
    t.c_lflag = in.lflag;
    t.c_line = in.line;
    std::memcpy(t.c_cc, in.cc, sizeof t.c_cc);
    t.c_ispeed = baudRate;
    t.c_ospeed = baudRate;
    if (ioctl(fd, TCSETS2, &t) != 0)
        return errno;
    return 0;
}

int readKernelTermios(int fd, KernelTermios& out)
{
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    copyTermiosFlags(t, out);
    out.ispeed = t.c_ispeed;
    out.ospeed = t.c_ospeed;
    return 0;
}

} // namespace platform
