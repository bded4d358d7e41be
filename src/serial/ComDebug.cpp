#include "serial/ComDebug.h"

#include <mutex>

Q_LOGGING_CATEGORY(lcComPort, "startclock.serial", QtInfoMsg)

namespace serial {
namespace {

std::mutex g_mutex;
DebugTextHook g_hook;

} // namespace

void SetDebugTextHook(DebugTextHook hook)
{
    std::lock_guard lock(g_mutex);
    g_hook = std::move(hook);
}

void ComDebugText(const std::string& text)
{
    qCDebug(lcComPort, "%s", text.c_str());
    DebugTextHook hook;
    {
        std::lock_guard lock(g_mutex);
        hook = g_hook;
    }
    if (hook)
        hook(text);
}

} // namespace serial
