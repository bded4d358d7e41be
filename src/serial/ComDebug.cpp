#include "serial/ComDebug.h"

#include "serial/GlobalHook.h"

Q_LOGGING_CATEGORY(lcComPort, "startclock.serial", QtInfoMsg)

namespace serial {
namespace {

GlobalHook<DebugTextHook> g_hook;

} // namespace

void SetDebugTextHook(DebugTextHook hook)
{
    g_hook.Set(std::move(hook));
}

void ComDebugText(const std::string& text)
{
    qCDebug(lcComPort, "%s", text.c_str());
    const DebugTextHook hook = g_hook.Get();
    if (hook)
        hook(text);
}

} // namespace serial
