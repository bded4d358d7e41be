#include "app/ComLinkPort.h"

#include <poll.h>

#include <cerrno>
#include <chrono>

#include "serial/ComErrors.h"
#include "serial/ComPort.h"

namespace app {
namespace {

using Clock = std::chrono::steady_clock;

// The write time-out of the port: a constant and a multiplier per byte.
Clock::duration writeBound(const serial::TCustomComPort& port, std::size_t size)
{
    const auto& t = port.Timeouts();
    return std::chrono::milliseconds(t.WriteTotalConstant()) +
           std::chrono::milliseconds(t.WriteTotalMultiplier()) * static_cast<long long>(size);
}

[[noreturn]] void fail(const serial::TCustomComPort& port, std::uint8_t code, int error)
{
    throw serial::EComPortExt(port.Port(), code, error);
}

} // namespace

bool ComLinkPort::connected() const
{
    return port_.Connected() && port_.Handle() != nullptr;
}

void ComLinkPort::write(const std::string& bytes)
{
    platform::SerialDevice* device = port_.Handle();
    if (!port_.Connected() || !device)
        fail(port_, serial::CError_WriteFailed, EBADF);
    const Clock::time_point deadline = Clock::now() + writeBound(port_, bytes.size());
    std::size_t done = 0;
    while (done < bytes.size()) {
        const platform::SerialIoResult r = device->write(bytes.data() + done, bytes.size() - done);
        done += r.count;
        if (r.error != 0 && r.error != EAGAIN && r.error != EINTR)
            fail(port_, serial::CError_WriteFailed, r.error);
        if (done == bytes.size())
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            fail(port_, serial::CError_WriteFailed, ETIMEDOUT);
        pollfd p{device->pollFd(), POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) < 0 && errno != EINTR)
            fail(port_, serial::CError_WriteFailed, errno);
    }
}

std::string ComLinkPort::read(std::size_t maxCount)
{
    platform::SerialDevice* device = port_.Handle();
    if (!port_.Connected() || !device || maxCount == 0)
        return {};
    std::string buffer(maxCount, '\0');
    const platform::SerialIoResult r = device->read(buffer.data(), buffer.size());
    if (r.error != 0 && r.error != EAGAIN && r.error != EINTR && r.count == 0)
        fail(port_, serial::CError_ReadFailed, r.error);
    buffer.resize(r.count);
    return buffer;
}

} // namespace app
