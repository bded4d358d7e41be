#include "platform/SerialDevice.h"

#include "platform/Override.h"

namespace platform {
namespace {

Override<SerialDeviceFactory>& factoryInUse()
{
    static Override<SerialDeviceFactory> inUse{&createSystemSerialDevice};
    return inUse;
}

} // namespace

std::unique_ptr<SerialDevice> createSerialDevice()
{
    return factoryInUse().get()();
}

SerialDeviceFactory setSerialDeviceFactory(SerialDeviceFactory factory)
{
    return factoryInUse().set(std::move(factory));
}

std::string serialDevicePath(const std::string& portName)
{
    if (portName.find('/') != std::string::npos)
        return portName;
    return "/dev/" + portName;
}

} // namespace platform
