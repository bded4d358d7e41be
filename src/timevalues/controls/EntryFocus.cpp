#include "timevalues/controls/EntryFocus.h"

#include "timevalues/controls/ControlHooks.h"

#include <QApplication>
#include <QWidget>

namespace timevalues {

EntryFocus::EntryFocus(QWidget* control, std::function<void()> onLeave)
    : control_(control), onLeave_(std::move(onLeave))
{
    connection_ = QObject::connect(qApp, &QApplication::focusChanged, control_,
                                   [this](QWidget*, QWidget* now) { focusChanged(now); });
}

EntryFocus::~EntryFocus()
{
    // The control's own destructor may still move the focus; this object is
    // gone by then.
    QObject::disconnect(connection_);
}

bool EntryFocus::focusIn(Qt::FocusReason)
{
    if (entered_)
        return false;
    entered_ = true;
    return true;
}

bool EntryFocus::focusOut(Qt::FocusReason reason)
{
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return false;
    if (!entered_)
        return false;
    entered_ = false;
    return true;
}

void EntryFocus::focusChanged(QWidget* now)
{
    // A move with a focus-out event was already handled by focusOut().
    if (!entered_ || now == nullptr || now == control_ || now->window() != control_->window())
        return;
    entered_ = false;
    timevalues::guardedCall(onLeave_);
}

} // namespace timevalues
