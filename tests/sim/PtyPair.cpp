#include "sim/PtyPair.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <pty.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace clocksim {

PtyPair::PtyPair()
{
    char name[PATH_MAX] = {};
    if (openpty(&master_, &spareSlave_, name, nullptr, nullptr) != 0)
        throw std::system_error(errno, std::generic_category(), "openpty");
    slavePath_ = name;

    termios tio{};
    if (tcgetattr(spareSlave_, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(spareSlave_, TCSANOW, &tio);
    }
    const int flags = fcntl(master_, F_GETFL);
    fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(spareSlave_, F_SETFD, FD_CLOEXEC);
}

PtyPair::~PtyPair()
{
    if (spareSlave_ >= 0)
        close(spareSlave_);
    if (master_ >= 0)
        close(master_);
}

void PtyPair::discardPending()
{
    tcflush(spareSlave_, TCIOFLUSH);
}

} // namespace clocksim
