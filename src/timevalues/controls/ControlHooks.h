#pragma once
// Hooks shared by the entry controls: the beep they give for a refused key,
// and the place an exception raised inside one of their event handlers goes.
//
// Qt event handlers must never let an exception escape, so the controls run
// their handlers (and the callbacks the owner assigns) through guardedCall(),
// which hands anything thrown to the error handler. The application routes the
// handler to its error reporter; tests replace both to observe them.
#include <exception>
#include <functional>
#include <utility>

#include "platform/ErrorHandler.h"

namespace timevalues {

using BeepHook = std::function<void()>;

// Gives the control beep (default: QApplication::beep()).
void controlBeep();
// Hands an exception to the error handler (default: a qWarning with its text).
void reportControlError(std::exception_ptr error);

// Install a hook; an empty function restores the default. Each returns the
// hook that was installed before, so a caller can put it back.
BeepHook setBeepHook(BeepHook hook);
platform::ErrorHandler setErrorHandler(platform::ErrorHandler handler);

// Runs f and hands any exception it raises to the error handler.
template <class F>
void guardedCall(F&& f) noexcept
{
    try {
        std::forward<F>(f)();
    } catch (...) {
        reportControlError(std::current_exception());
    }
}

} // namespace timevalues
