#pragma once
// The program's one way to put a message before the user. Every failure that
// reaches a slot, a handler or the serial library's exception hook ends here,
// and so does every message of the windows' own ("Ingen comport"). The
// program's main() owns the one reporter; each window is given it when it is
// made, and its slots run through guarded(reporter, ...).
//
// The place that raises a message says its kind: a failure (something the
// user asked for was not done) or information (it was done, and the user
// should know something about it). The box shows the icon of that kind.
//
// Two ways to show one:
//   - show() and reportError() never block: the box is put up from the event
//     loop afterwards, so a failing slot returns at once and the window goes
//     on. One box at a time: a report made while another is waiting or shown
//     waits its turn behind it, unless the same text (and kind) is already
//     waiting or shown, or kMaxWaitingReports wait already; such a report is
//     dropped, so a write that fails on every resend tick cannot
//     pile up dialogs. They may be called from any thread.
//   - showAndWait() blocks: it puts the box up at once and returns when the
//     user has closed it, running the event loop meanwhile (the windows paint
//     and the timers fire). For a message that must hold the work that raised
//     it, such as the loader's "Konstig adress dök upp", which holds the
//     upload. GUI thread only; it is never dropped.
//
// The box has the program's name as its title, is wide enough to show it
// whole, and stands centred over the window the user works in: a modal dialog
// while one is up, else the main window while it is on screen, else the
// active window or the screen.
//
// Tests replace the box with a presenter of their own (setPresenter); it sees
// every message of both ways, with its kind.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <deque>
#include <exception>
#include <functional>
#include <mutex>

#include "platform/ErrorHandler.h"

namespace app {

// Reports that may wait behind the one shown.
inline constexpr std::size_t kMaxWaitingReports = 4;

class ErrorReporter : public QObject {
    Q_OBJECT
public:
    enum class Kind { Failure, Information };

    // Puts one report before the user; calls `done` once the user has seen it
    // (the next report may then be shown). May call `done` at once.
    using Presenter = std::function<void(Kind kind, const QString& text, std::function<void()> done)>;

    explicit ErrorReporter(QObject* parent = nullptr);
    ~ErrorReporter() override;

    // Shows `text` as a message of `kind`; does not block.
    void show(Kind kind, const QString& text) noexcept;
    // A failure raised as an exception: shows its message; does not block.
    void reportError(std::exception_ptr error) noexcept;
    // Shows `text` as a message of `kind` and returns once the user has
    // closed it; blocks (see above).
    void showAndWait(Kind kind, const QString& text);
    // reportError as the error handler the plain classes take.
    platform::ErrorHandler errorHandler();

    // Replaces the message box; an empty presenter puts the box back.
    void setPresenter(Presenter presenter);
    // The window the boxes stand over while no modal dialog is up.
    void setMainWindow(QWidget* window) { mainWindow_ = window; }

    // A report is waiting or shown.
    bool busy() const;

    // Shows the reports that are still waiting and returns when they have
    // been seen (for the end of the program, when the event loop no longer
    // runs).
    void drain();

    // The text shown for a failure.
    static QString messageOf(std::exception_ptr error);

signals:
    // The report shown last has been seen; nothing waits.
    void idle();

private:
    struct Report {
        Kind kind;
        QString text;
        bool operator==(const Report&) const = default;
    };

    void post(Kind kind, const QString& text) noexcept;
    // Puts the report in turn on the event loop; false when it cannot.
    bool schedule(const Report& report);
    void present(Kind kind, const QString& text);
    // The presenter, or the box over boxParent().
    void presentNow(Kind kind, const QString& text, std::function<void()> done);
    // The window a box stands over.
    QWidget* boxParent() const;
    void finished();

    Presenter presenter_;
    QPointer<QWidget> mainWindow_;
    mutable std::mutex mutex_;
    // The report shown (or posted to be), then those waiting their turn.
    std::deque<Report> reports_;
};

// Sends what the serial library and the entry controls cannot raise any
// further (their failure hooks) to `reporter`; nullptr gives both hooks back
// their defaults.
void routeLibraryFailures(ErrorReporter* reporter);

// Runs `body`, handing any exception to `reporter`: the wrapper for every
// slot and handler of the windows.
template <class Body>
void guarded(ErrorReporter& reporter, Body&& body) noexcept
{
    try {
        body();
    } catch (...) {
        reporter.reportError(std::current_exception());
    }
}

} // namespace app
