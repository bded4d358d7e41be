#pragma once
// Tells a real move of the keyboard focus into or out of an entry control
// apart from the focus going away and coming back with its window.
//
// Activating another window, opening a popup (a menu, the control's own
// context menu) or a message box takes the focus from the control for a
// while; that is not leaving it, and coming back is not entering it. The
// control counts as left when the focus moves to another widget of its own
// window, also when that happens while the window is inactive (the move is
// then seen when the window gets the focus back).
#include <QMetaObject>
#include <Qt>

#include <functional>

class QWidget;

namespace timevalues {

class EntryFocus {
public:
    // control: the entry control; onLeave runs when the focus lands on
    // another widget of the control's window while the control still counts
    // as entered (the control sees no focus-out event for that move).
    EntryFocus(QWidget* control, std::function<void()> onLeave);
    ~EntryFocus();
    EntryFocus(const EntryFocus&) = delete;
    EntryFocus& operator=(const EntryFocus&) = delete;

    // A focus-in event: true when it enters the control.
    bool focusIn(Qt::FocusReason reason);
    // A focus-out event: true when it leaves the control.
    bool focusOut(Qt::FocusReason reason);
    bool entered() const { return entered_; }

private:
    void focusChanged(QWidget* now);

    QWidget* control_;
    std::function<void()> onLeave_;
    bool entered_ = false;
    QMetaObject::Connection connection_;
};

} // namespace timevalues
