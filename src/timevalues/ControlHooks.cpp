#include "timevalues/ControlHooks.h"

#include <QApplication>
#include <QtGlobal>

#include <stdexcept>

namespace timevalues {
namespace {

BeepHook& beepHook()
{
    static BeepHook hook;
    return hook;
}

ErrorHook& errorHook()
{
    static ErrorHook hook;
    return hook;
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
    if (beepHook())
        beepHook()();
    else
        QApplication::beep();
}

void reportControlError(std::exception_ptr error)
{
    // The hook itself must not throw out of an event handler either.
    try {
        if (errorHook()) {
            errorHook()(error);
            return;
        }
    } catch (...) {
        warnAbout(std::current_exception());
    }
    warnAbout(error);
}

BeepHook setBeepHook(BeepHook hook)
{
    return std::exchange(beepHook(), std::move(hook));
}

ErrorHook setErrorHook(ErrorHook hook)
{
    return std::exchange(errorHook(), std::move(hook));
}

} // namespace timevalues
