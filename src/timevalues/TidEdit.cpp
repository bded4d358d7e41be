#include "timevalues/TidEdit.h"

#include "timevalues/ControlHooks.h"
#include "timevalues/TidRut.h"

#include <QFocusEvent>
#include <QKeyEvent>

using timevalues::guardedCall;

TTidEdit::TTidEdit(QWidget* parent) : QLineEdit(parent), focus_(this, [this] { leave(); }) {}

TTidEdit::~TTidEdit() = default;

int TTidEdit::Tid() const
{
    // Not text(): that drops the unfilled positions and would shift digits.
    return StrToTid(displayText().toStdString(), 0);
}

void TTidEdit::setTid(int value)
{
    QString text = QString::fromStdString(FormatTid(value, picture_.mask, picture_.mode));
    // Qt's input mask does not take a blank for an optional position: it
    // would move the next digit into it ("##:##:##" writes " 1:05:30").
    // Its own blank character keeps the position empty.
    if (hasMaskBlank_)
        text.replace(u' ', maskBlank_);
    setText(text);
}

void TTidEdit::setEditMask(const QString& editMask)
{
    editMask_ = editMask;
    picture_ = tidmask::pictureOf(editMask);
    const QString inputMask = tidmask::toQtInputMask(editMask);
    hasMaskBlank_ = !inputMask.isEmpty();
    if (hasMaskBlank_)
        maskBlank_ = inputMask.back();
    setInputMask(inputMask);
}

void TTidEdit::notify(const Notify& handler)
{
    guardedCall([&] {
        if (handler)
            handler(this);
    });
}

void TTidEdit::leave()
{
    notify(OnHEnter);
    notify(OnExit);
}

void TTidEdit::keyReleaseEvent(QKeyEvent* event)
{
    guardedCall([&] {
        const int key = event->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !event->isAutoRepeat())
            notify(OnHEnter);
        QLineEdit::keyReleaseEvent(event);
    });
}

void TTidEdit::focusInEvent(QFocusEvent* event)
{
    guardedCall([&] {
        QLineEdit::focusInEvent(event);
        focus_.focusIn(event->reason());
    });
}

void TTidEdit::focusOutEvent(QFocusEvent* event)
{
    guardedCall([&] {
        QLineEdit::focusOutEvent(event);
        if (focus_.focusOut(event->reason()))
            leave();
    });
}
