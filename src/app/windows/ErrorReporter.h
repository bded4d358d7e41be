#pragma once
// The program's one error reporter: every failure that reaches a slot, a
// handler or the serial library's exception hook ends here, and so do the
// program's own short messages ("Ingen comport").
//
// A report never shows its box inside the caller: the box is put up from the
// event loop afterwards, so a failing slot returns at once and the window goes
// on. One box at a time: a report made while another is waiting or shown
// waits its turn behind it, unless the same text (and kind) is already
// waiting or shown, or kMaxWaitingReports wait already; such a report is
// dropped (counted), so a write that fails on every resend tick cannot pile
// up dialogs. Reports may come from any thread.
//
// The box has the program's name as its title, an icon by its kind (critical
// for a failure, information for a message) and stands centred over the
// window the user works in: a modal dialog while one is up, else the main
// window while it is on screen, else the active window or the screen.
//
// Tests replace the box with a presenter of their own (setPresenter).
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <atomic>
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
    enum class Kind { Error, Message };

    // Puts one report before the user; calls `done` once the user has seen it
    // (the next report may then be shown). May call `done` at once.
    using Presenter = std::function<void(Kind kind, const QString& text, std::function<void()> done)>;

    explicit ErrorReporter(QObject* parent = nullptr);
    ~ErrorReporter() override;

    // The reporter of the program (made on first use, in the GUI thread).
    static ErrorReporter& instance();

    // A failure: shows its message.
    void reportError(std::exception_ptr error) noexcept;
    // A plain message with an OK button.
    void showMessage(const QString& text) noexcept;
    // reportError as the error handler the plain classes take.
    platform::ErrorHandler errorHandler();

    // Replaces the message box; an empty presenter puts the box back.
    void setPresenter(Presenter presenter);
    // The window the boxes stand over while no modal dialog is up.
    void setMainWindow(QWidget* window) { mainWindow_ = window; }

    // A report is waiting or shown.
    bool busy() const;
    // Reports dropped as repeats, or because too many waited.
    int dropped() const { return dropped_.load(); }

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
    // The window a box stands over.
    QWidget* boxParent() const;
    void finished();

    Presenter presenter_;
    QPointer<QWidget> mainWindow_;
    mutable std::mutex mutex_;
    // The report shown (or posted to be), then those waiting their turn.
    std::deque<Report> reports_;
    std::atomic<int> dropped_{0};
};

// Sends what the serial library and the entry controls cannot raise any
// further (their failure hooks) to `reporter`; nullptr gives both hooks back
// their defaults.
void routeLibraryFailures(ErrorReporter* reporter);

// Runs `body`, handing any exception to the program's reporter: the wrapper
// for every slot and handler of the windows.
template <class Body>
void guarded(Body&& body) noexcept
{
    try {
        body();
    } catch (...) {
        ErrorReporter::instance().reportError(std::current_exception());
    }
}

} // namespace app
