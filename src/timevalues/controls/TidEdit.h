#pragma once
// Masked entry for one time. The entry holds no time of its own: its text is
// the storage. Tid reads the text as displayed (unfilled positions show the
// mask's blank character, which reads as "0"); setTid writes the value by a
// picture mask derived from the edit mask. OnHEnter reports a finished entry:
// the Enter key (on its release) and leaving the entry, where it runs before
// OnExit.
#include <QLineEdit>

#include <functional>

#include "timevalues/TidEditMask.h"
#include "timevalues/controls/EntryFocus.h"

namespace timevalues {

class TTidEdit : public QLineEdit {
    Q_OBJECT
public:
    using Notify = std::function<void(QObject* sender)>;

    explicit TTidEdit(QWidget* parent = nullptr);
    ~TTidEdit() override;

    // The time shown, in 1/10000 s.
    int Tid() const;
    void setTid(int value);

    // The edit mask ("!00:00:00;1;_", see TidEditMask.h); set it before the
    // time.
    QString EditMask() const { return editMask_; }
    void setEditMask(const QString& editMask);

    Notify OnHEnter;
    Notify OnExit;

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void notify(const Notify& handler);
    void leave();

    QString editMask_;
    tidmask::Picture picture_;
    bool hasMaskBlank_ = false;
    QChar maskBlank_;
    EntryFocus focus_;
};

} // namespace timevalues
