#include "timevalues/controls/ViloSpinnEdit.h"

#include "timevalues/SpinValueText.h"
#include "timevalues/controls/ControlHooks.h"
#include "timevalues/controls/SpinButton.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>

#include <algorithm>

namespace timevalues {

using timevalues::guardedCall;

namespace {

// Keys that change the text without typing a character into it.
bool isEditingCommand(QKeyEvent* event)
{
    static const QKeySequence::StandardKey commands[] = {
        QKeySequence::Cut,
        QKeySequence::Paste,
        QKeySequence::Delete,
        QKeySequence::Backspace,
        QKeySequence::DeleteEndOfWord,
        QKeySequence::DeleteStartOfWord,
        QKeySequence::DeleteEndOfLine,
        QKeySequence::DeleteCompleteLine,
        QKeySequence::Undo,
        QKeySequence::Redo,
    };
    for (auto command : commands)
        if (event->matches(command))
            return true;
    const int key = event->key();
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    return key == Qt::Key_Delete || key == Qt::Key_Backspace
        || (key == Qt::Key_Insert && mods == Qt::ShiftModifier);
}

// The text a key would type into the line edit: printable text without a
// command modifier (AltGr is not one).
QString typedText(const QKeyEvent* event)
{
    if (event->key() == Qt::Key_Backspace)
        return QString(QChar(8));
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {};
    const QString text = event->text();
    if (text.isEmpty() || !std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); }))
        return {};
    return text;
}

} // namespace

TViloSpinnEdit::TViloSpinnEdit(QWidget* parent)
    : QLineEdit(parent), button_(new SpinButton(this)), focus_(this, [this] { leave(); })
{
    button_->setFocusControl(this);
    connect(button_, &SpinButton::upClick, this, [this] { guardedCall([this] { UpClick(); }); });
    connect(button_, &SpinButton::downClick, this, [this] { guardedCall([this] { DownClick(); }); });
    connect(this, &QLineEdit::textChanged, this, [this] {
        guardedCall([this] {
            if (OnChange)
                OnChange(this);
        });
    });
    setTextMargins(0, 0, SpinButton::kWidth + 2, 0);
    setText(QStringLiteral("0"));
    placeButton();
}

TViloSpinnEdit::~TViloSpinnEdit()
{
    // The callbacks are members: nothing may reach them once they are gone.
    disconnect(this, nullptr, this, nullptr);
}

int TViloSpinnEdit::Value()
{
    const spinvalue::Reading reading = spinvalue::readValue(text(), decimals_, minValue_);
    if (reading.rewrittenText)
        setText(*reading.rewrittenText);
    return reading.value;
}

void TViloSpinnEdit::setValue(int newValue)
{
    setText(spinvalue::formatValue(CheckValue(newValue), decimals_));
}

void TViloSpinnEdit::setDecimals(int v)
{
    decimals_ = std::clamp(v, 0, spinvalue::kMaxDecimals);
}

int TViloSpinnEdit::CheckValue(int newValue) const
{
    return spinvalue::checkValue(newValue, minValue_, maxValue_);
}

void TViloSpinnEdit::UpClick()
{
    step(+1);
}

void TViloSpinnEdit::DownClick()
{
    step(-1);
}

void TViloSpinnEdit::step(int direction)
{
    if (isReadOnly()) {
        timevalues::controlBeep();
        return;
    }
    setValue(spinvalue::stepValue(Value(), increment_, direction));
}

void TViloSpinnEdit::reclamp()
{
    const int v = Value();
    if (CheckValue(v) != v)
        setValue(v);
}

void TViloSpinnEdit::leave()
{
    // Clamp first, so the exit handler never sees a value outside the limits.
    reclamp();
    if (OnExit)
        OnExit(this);
}

bool TViloSpinnEdit::IsValidChar(QChar key) const
{
    const QString point = locale().decimalPoint();
    return spinvalue::isValidChar(key, editorEnabled_, point.size() == 1 ? point.front() : QChar());
}

bool TViloSpinnEdit::refuseTypedKey(const QKeyEvent* event)
{
    bool refused = false;
    for (QChar c : typedText(event)) {
        if (!IsValidChar(c)) {
            timevalues::controlBeep();
            refused = true;
        }
    }
    return refused;
}

void TViloSpinnEdit::keyPressEvent(QKeyEvent* event)
{
    guardedCall([&] {
        switch (event->key()) {
        case Qt::Key_Up:
            event->accept();
            UpClick();
            return;
        case Qt::Key_Down:
            event->accept();
            DownClick();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Re-clamps like leaving; the key itself goes nowhere, silently.
            event->accept();
            reclamp();
            return;
        default:
            break;
        }
        if (refuseTypedKey(event) || (editingBlocked() && isEditingCommand(event))) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    });
}

void TViloSpinnEdit::focusInEvent(QFocusEvent* event)
{
    guardedCall([&] {
        const bool hadSelection = hasSelectedText();
        QLineEdit::focusInEvent(event);
        if (!focus_.focusIn(event->reason()))
            return;
        if (autoSelect_ && event->reason() != Qt::MouseFocusReason)
            selectAll();
        else if (!autoSelect_ && !hadSelection && hasSelectedText())
            deselect();
    });
}

void TViloSpinnEdit::focusOutEvent(QFocusEvent* event)
{
    guardedCall([&] {
        QLineEdit::focusOutEvent(event);
        if (focus_.focusOut(event->reason()))
            leave();
    });
}

bool TViloSpinnEdit::event(QEvent* event)
{
    if (editingBlocked()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            event->ignore();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            // A middle click pastes the selection on X11.
            if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton) {
                event->accept();
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QLineEdit::event(event);
}

void TViloSpinnEdit::inputMethodEvent(QInputMethodEvent* event)
{
    guardedCall([&] {
        if (editingBlocked()) {
            event->ignore();
            return;
        }
        // Characters composed by an input method are typed characters too.
        QString commit;
        for (QChar c : event->commitString()) {
            if (IsValidChar(c))
                commit.append(c);
            else
                timevalues::controlBeep();
        }
        if (commit == event->commitString()) {
            QLineEdit::inputMethodEvent(event);
            return;
        }
        QInputMethodEvent filtered(event->preeditString(), event->attributes());
        filtered.setCommitString(commit, event->replacementStart(), event->replacementLength());
        QLineEdit::inputMethodEvent(&filtered);
        event->setAccepted(filtered.isAccepted());
    });
}

QMenu* TViloSpinnEdit::createEditContextMenu()
{
    // Built here rather than taken from QLineEdit, whose menu cannot tell
    // that the editor is disabled.
    auto* menu = new QMenu(this);
    const bool editable = !editingBlocked();
    const bool selection = hasSelectedText() && echoMode() == QLineEdit::Normal;
    auto add = [&](const char* name, const QString& text, QKeySequence::StandardKey key, bool enabled,
                   std::function<void()> run) {
        const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
        QAction* action = menu->addAction(shortcut.isEmpty() ? text : text + u'\t' + shortcut);
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, [run] { guardedCall(run); });
    };
    const QClipboard* clipboard = QGuiApplication::clipboard();
    add("edit-undo", tr("&Undo"), QKeySequence::Undo, editable && isUndoAvailable(), [this] { undo(); });
    add("edit-redo", tr("&Redo"), QKeySequence::Redo, editable && isRedoAvailable(), [this] { redo(); });
    menu->addSeparator();
    add("edit-cut", tr("Cu&t"), QKeySequence::Cut, editable && selection, [this] { cut(); });
    add("edit-copy", tr("&Copy"), QKeySequence::Copy, selection, [this] { copy(); });
    add("edit-paste", tr("&Paste"), QKeySequence::Paste, editable && clipboard && !clipboard->text().isEmpty(),
        [this] { paste(); });
    add("edit-delete", tr("Delete"), QKeySequence::UnknownKey, editable && hasSelectedText(), [this] { del(); });
    menu->addSeparator();
    add("select-all", tr("Select All"), QKeySequence::SelectAll, !text().isEmpty(), [this] { selectAll(); });
    return menu;
}

void TViloSpinnEdit::contextMenuEvent(QContextMenuEvent* event)
{
    guardedCall([&] {
        QMenu* menu = createEditContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
    });
}

void TViloSpinnEdit::resizeEvent(QResizeEvent* event)
{
    guardedCall([&] {
        QLineEdit::resizeEvent(event);
        placeButton();
    });
}

void TViloSpinnEdit::placeButton()
{
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    button_->setGeometry(width() - SpinButton::kWidth - frame, frame, SpinButton::kWidth,
                         std::max(height() - 2 * frame, 1));
}

} // namespace timevalues
