#include "platform/SerialDevice.h"

#include <mutex>

namespace platform {
namespace {

std::mutex g_mutex;
SerialDeviceFactory g_factory;

} // namespace

std::unique_ptr<SerialDevice> createSerialDevice()
{
    SerialDeviceFactory factory;
    {
        std::lock_guard lock(g_mutex);
        factory = g_factory;
    }
    return factory ? factory() : createSystemSerialDevice();
}

void setSerialDeviceFactory(SerialDeviceFactory factory)
{
    std::lock_guard lock(g_mutex);
    g_factory = std::move(factory);
}

std::string serialDevicePath(const std::string& portName)
{
    if (portName.find('/') != std::string::npos)
        return portName;
    return "/dev/" + portName;
}

} // namespace platform
