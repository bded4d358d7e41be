#include "serial/ComSetupHook.h"

#include "platform/Override.h"

namespace serial {
namespace {

platform::Override<SetupDialogHook>& hookInUse()
{
    static platform::Override<SetupDialogHook> inUse;
    return inUse;
}

} // namespace

SetupDialogHook setSetupDialogHook(SetupDialogHook hook)
{
    return hookInUse().set(std::move(hook));
}

bool runSetupDialog(TCustomComPort& port)
{
    const SetupDialogHook hook = hookInUse().get();
    return hook ? hook(port) : false;
}

} // namespace serial
