#include "serial/ComSetupHook.h"

#include "serial/ComSetupDialog.h"
#include "serial/GlobalHook.h"

namespace serial {
namespace {

// The library's own Setup dialog unless another has been put in place.
GlobalHook<SetupDialogHook> g_hook{&EditComPort};

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
