#include "timevalues/controls/ControlHooks.h"

#include <QApplication>
#include <QtGlobal>

#include <stdexcept>

#include "platform/Override.h"

namespace timevalues {
namespace {

platform::Override<BeepHook>& beepHook()
{
    static platform::Override<BeepHook> inUse;
    return inUse;
}

platform::Override<platform::ErrorHandler>& errorHandler()
{
    static platform::Override<platform::ErrorHandler> inUse;
    return inUse;
}

void warnAbout(std::exception_ptr error) noexcept
{
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const std::exception& e) {
        qWarning("Unhandled error in an entry control: %s", e.what());
    } catch (...) {
        qWarning("Unhandled error in an entry control of an unknown kind");
    }
}

} // namespace

void controlBeep()
{
    if (const BeepHook hook = beepHook().get())
        hook();
    else
        QApplication::beep();
}

void reportControlError(std::exception_ptr error)
{
    // The hook itself must not throw out of an event handler either.
    try {
        if (const platform::ErrorHandler handler = errorHandler().get()) {
            handler(error);
            return;
        }
    } catch (...) {
        warnAbout(std::current_exception());
    }
    warnAbout(error);
}

BeepHook setBeepHook(BeepHook hook)
{
    return beepHook().set(std::move(hook));
}

platform::ErrorHandler setErrorHandler(platform::ErrorHandler handler)
{
    return errorHandler().set(std::move(handler));
}

} // namespace timevalues
