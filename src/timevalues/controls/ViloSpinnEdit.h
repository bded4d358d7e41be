#pragma once
// One-line numeric entry with a small up/down button at its right edge.
//
// Value is the shown number times ten to the power Decimals (with Decimals 2
// the text "12,50" is 1250). The text is the only store of the value: reading
// Value parses the text (and may rewrite it, cutting or padding decimals),
// writing it formats the text. MinValue and MaxValue clamp the value when it
// is written, on Enter and when the entry is left, unless they are equal,
// which means no limits. Typed keys are filtered; Up/Down and the button step
// the value by Increment.
#include <QLineEdit>

#include <functional>

#include "timevalues/controls/EntryFocus.h"

class QMenu;

namespace timevalues {

class SpinButton;

class TViloSpinnEdit : public QLineEdit {
    Q_OBJECT
public:
    using Notify = std::function<void(QObject* sender)>;

    explicit TViloSpinnEdit(QWidget* parent = nullptr);
    ~TViloSpinnEdit() override;

    // Reading parses the text and may write the text back (see above).
    int Value();
    void setValue(int newValue);

    int MinValue() const { return minValue_; }
    void setMinValue(int v) { minValue_ = v; }
    int MaxValue() const { return maxValue_; }
    void setMaxValue(int v) { maxValue_ = v; }
    int Increment() const { return increment_; }
    void setIncrement(int v) { increment_ = v; }
    // 0..9; values outside are brought into that range.
    int Decimals() const { return decimals_; }
    void setDecimals(int v);
    // False: the text cannot be typed, cut, pasted or deleted; the button and
    // the arrow keys still step the value.
    bool EditorEnabled() const { return editorEnabled_; }
    void setEditorEnabled(bool v) { editorEnabled_ = v; }
    // True: the whole text is selected when the entry is entered other than
    // by a click on it.
    bool AutoSelect() const { return autoSelect_; }
    void setAutoSelect(bool v) { autoSelect_ = v; }
    bool ReadOnly() const { return isReadOnly(); }
    // setReadOnly is QLineEdit's.

    SpinButton* Button() const { return button_; }

    // The clamp by MinValue and MaxValue.
    int CheckValue(int newValue) const;

    // The button's steps: beep and do nothing when read-only.
    void UpClick();
    void DownClick();

    // The entry's context menu, with the editing commands disabled while
    // the editor is disabled or read-only. The caller owns it.
    QMenu* createEditContextMenu();

    // Run after the value is clamped when the entry is left.
    Notify OnExit;
    // Run on every change of the text, also when reading Value rewrites it.
    Notify OnChange;

protected:
    virtual bool IsValidChar(QChar key) const;

    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // Drops and middle-click pastes while the editor is disabled or read-only.
    bool event(QEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool editingBlocked() const { return !editorEnabled_ || isReadOnly(); }
    void step(int direction);
    void reclamp();
    void leave();
    void placeButton();
    bool refuseTypedKey(const QKeyEvent* event);

    // The fields come first: making the button already sends this entry events.
    int minValue_ = 0;
    int maxValue_ = 0;
    int increment_ = 1;
    int decimals_ = 0;
    bool editorEnabled_ = true;
    bool autoSelect_ = true;
    SpinButton* button_;
    EntryFocus focus_;
};

} // namespace timevalues
