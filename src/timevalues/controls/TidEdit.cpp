#include "timevalues/controls/TidEdit.h"

#include "timevalues/TidRut.h"
#include "timevalues/controls/ControlHooks.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace timevalues {

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
    std::string formatted = FormatTid(value, picture_.mask, picture_.mode);
    QString text;
    if (hasMaskBlank_) {
        // Qt's input mask takes a separator only as itself: a blank in its
        // place (a separator in the leading blank area) would move every
        // later digit one position on and drop the last ones. The picture
        // mask holds placeholders and separators only, one per character.
        for (std::size_t i = 0; i < formatted.size() && i < picture_.mask.size(); ++i) {
            const char m = picture_.mask[i];
            if (formatted[i] == ' ' && (m == ',' || m == '.' || m == ':'))
                formatted[i] = m;
        }
        // Nor does it take a blank for an optional position: it would move
        // the next digit into it ("##:##:##" writes " 1:05:30"). Its own
        // blank character keeps the position empty.
        text = QString::fromStdString(formatted);
        text.replace(u' ', maskBlank_);
    } else {
        text = QString::fromStdString(formatted);
    }
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

} // namespace timevalues
