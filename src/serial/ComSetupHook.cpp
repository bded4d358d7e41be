#include "serial/ComSetupHook.h"

#include <mutex>

namespace serial {
namespace {

std::mutex g_mutex;
SetupDialogHook g_hook;

} // namespace

void SetSetupDialogHook(SetupDialogHook hook)
{
    std::lock_guard lock(g_mutex);
    g_hook = std::move(hook);
}

bool RunSetupDialog(TCustomComPort& port)
{
    SetupDialogHook hook;
    {
        std::lock_guard lock(g_mutex);
        hook = g_hook;
    }
    return hook ? hook(port) : false;
}

} // namespace serial
