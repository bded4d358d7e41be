#include "serial/ComDebug.h"

#include "platform/Override.h"

Q_LOGGING_CATEGORY(lcComPort, "startclock.serial", QtInfoMsg)

namespace serial {
namespace {

platform::Override<DebugTextHook>& hookInUse()
{
    static platform::Override<DebugTextHook> inUse;
    return inUse;
}

} // namespace

DebugTextHook setDebugTextHook(DebugTextHook hook)
{
    return hookInUse().set(std::move(hook));
}

void comDebugText(const std::string& text)
{
    qCDebug(lcComPort, "%s", text.c_str());
    const DebugTextHook hook = hookInUse().get();
    if (hook)
        hook(text);
}

} // namespace serial
