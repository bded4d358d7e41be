#pragma once
// Helpers shared by the entry control tests: observe the control hooks and
// bring a window up with the keyboard focus, every wait bounded.
#include <QTest>
#include <QWidget>

#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "timevalues/ControlHooks.h"

namespace entrytest {

inline constexpr int kWaitMs = 5000;

// Counts control beeps while it lives.
class BeepCounter {
public:
    BeepCounter() : previous_(timevalues::setBeepHook([this] { ++count; })) {}
    ~BeepCounter() { timevalues::setBeepHook(previous_); }
    int count = 0;

private:
    timevalues::BeepHook previous_;
};

// Collects the texts of the errors handed to the error hook while it lives.
class ErrorRecorder {
public:
    ErrorRecorder()
        : previous_(timevalues::setErrorHook([this](std::exception_ptr e) {
              try {
                  std::rethrow_exception(e);
              } catch (const std::exception& ex) {
                  texts.emplace_back(ex.what());
              } catch (...) {
                  texts.emplace_back("?");
              }
          }))
    {
    }
    ~ErrorRecorder() { timevalues::setErrorHook(previous_); }
    std::vector<std::string> texts;

private:
    timevalues::ErrorHook previous_;
};

// Shows the window and waits until it is the active one.
inline bool showActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window, kWaitMs);
}

// Gives the widget the focus and waits until it has it.
inline bool focusOn(QWidget& widget, Qt::FocusReason reason = Qt::OtherFocusReason)
{
    widget.setFocus(reason);
    return QTest::qWaitFor([&] { return widget.hasFocus(); }, kWaitMs);
}

} // namespace entrytest
