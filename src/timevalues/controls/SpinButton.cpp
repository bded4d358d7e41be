#include "timevalues/controls/SpinButton.h"

#include "timevalues/controls/ControlHooks.h"

#include <QToolButton>

namespace timevalues {

SpinButton::SpinButton(QWidget* parent)
    : QWidget(parent), up_(makeHalf(Qt::UpArrow)), down_(makeHalf(Qt::DownArrow))
{
    setFocusPolicy(Qt::NoFocus);
    resize(kWidth, kHeight);
    connect(up_, &QToolButton::clicked, this, &SpinButton::upClick);
    connect(down_, &QToolButton::clicked, this, &SpinButton::downClick);
}

QToolButton* SpinButton::makeHalf(Qt::ArrowType arrow)
{
    auto* half = new QToolButton(this);
    half->setArrowType(arrow);
    half->setFocusPolicy(Qt::NoFocus);
    half->setAutoRepeat(true);
    half->setAutoRepeatDelay(kRepeatDelayMs);
    half->setAutoRepeatInterval(kRepeatIntervalMs);
    half->setAutoRaise(false);
    // The press hands the focus over first; the click that follows steps.
    connect(half, &QToolButton::pressed, this, [this] { timevalues::guardedCall([this] { focusTheControl(); }); });
    return half;
}

void SpinButton::focusTheControl()
{
    if (focusControl_ && !focusControl_->hasFocus() && focusControl_->isEnabled())
        focusControl_->setFocus(Qt::OtherFocusReason);
}

void SpinButton::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int upHeight = height() / 2;
    up_->setGeometry(0, 0, width(), upHeight);
    down_->setGeometry(0, upHeight, width(), height() - upHeight);
}

} // namespace timevalues
