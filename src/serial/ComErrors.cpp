#include "serial/ComErrors.h"

#include <array>

namespace serial {
namespace {

constexpr std::array<const char*, 23> kErrorTexts = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
};

} // namespace

std::string ComErrorText(ComErrorCode code)
{
    const unsigned number = static_cast<unsigned>(code);
    if (number >= 1 && number <= kErrorTexts.size())
        return kErrorTexts[number - 1];
    return "Unknown Error #" + std::to_string(number);
}

EComPort::EComPort(const std::string& port, ComErrorCode code)
    : EComPort(code, port + " Error: " + ComErrorText(code))
{
}

EComPort::EComPort(ComErrorCode code, const std::string& message)
    : std::runtime_error(message), code_(code)
{
}

EComPort EComPort::CreateMsg(const std::string& message)
{
    return EComPort(ComErrorCode{0}, message);
}

EComPortExt::EComPortExt(const std::string& port, ComErrorCode code, int winCode)
    : EComPort(code, "COM Port Error: " + ComErrorText(code) + " on " + port), winCode_(winCode)
{
}

} // namespace serial
