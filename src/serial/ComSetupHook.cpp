#include "serial/ComSetupHook.h"

#include "serial/GlobalHook.h"

namespace serial {
namespace {

GlobalHook<SetupDialogHook> g_hook;

} // namespace

void SetSetupDialogHook(SetupDialogHook hook)
{
    g_hook.Set(std::move(hook));
}

bool RunSetupDialog(TCustomComPort& port)
{
    const SetupDialogHook hook = g_hook.Get();
    return hook ? hook(port) : false;
}

} // namespace serial
