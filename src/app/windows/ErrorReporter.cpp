#include "app/windows/ErrorReporter.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QSpacerItem>

#include <algorithm>
#include <atomic>
#include <memory>

#include "serial/ExceptionHook.h"
#include "timevalues/controls/ControlHooks.h"

namespace app {
namespace {

// What a title bar needs besides its text: the window's icon and its buttons.
constexpr int kTitleBarRoom = 150;

// A message box is as wide as its text; a short text would leave the title
// bar too narrow for the title, which the window manager then cuts. A row as
// wide as the title (in the bold a title bar is usually drawn in) keeps it whole.
void widenForTitle(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarRoom;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

// The message box of a report: modal for the whole program, but shown
// without a nested event loop, so the window's timer and port go on. A box
// with a parent is centred over it.
void showBox(ErrorReporter::Kind kind, const QString& text, QWidget* over, std::function<void()> done)
{
    auto* box = new QMessageBox(over);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->setIcon(kind == ErrorReporter::Kind::Failure ? QMessageBox::Critical : QMessageBox::Information);
    box->setWindowTitle(QApplication::applicationName());
    box->setText(text);
    box->setStandardButtons(QMessageBox::Ok);
    widenForTitle(*box);
    QObject::connect(box, &QMessageBox::finished, box, [done = std::move(done)](int) { done(); });
    box->show();
}

} // namespace

ErrorReporter::ErrorReporter(QObject* parent) : QObject(parent) {}

ErrorReporter::~ErrorReporter() = default;

QString ErrorReporter::messageOf(std::exception_ptr error)
{
    if (!error)
        return QStringLiteral("Okänt fel");
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Okänt fel");
    }
}

void ErrorReporter::reportError(std::exception_ptr error) noexcept
{
    try {
        post(Kind::Failure, messageOf(error));
    } catch (...) {
        // nothing more can be done for a report that cannot even be formed
    }
}

void ErrorReporter::show(Kind kind, const QString& text) noexcept
{
    post(kind, text);
}

void ErrorReporter::showAndWait(Kind kind, const QString& text)
{
    // Not one of the queued reports: the one-box-at-a-time count is left alone.
    auto closed = std::make_shared<bool>(false);
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    try {
        presentNow(kind, text, [closed, waiting] {
            *closed = true;
            if (waiting)
                waiting->quit();
        });
    } catch (...) {
        // A box that cannot be put up holds nothing; the failure is said the
        // other way, and the work that asked goes on.
        reportError(std::current_exception());
        return;
    }
    if (!*closed)
        loop.exec();
}

platform::ErrorHandler ErrorReporter::errorHandler()
{
    return [this](std::exception_ptr error) { reportError(error); };
}

void ErrorReporter::setPresenter(Presenter presenter)
{
    presenter_ = std::move(presenter);
}

bool ErrorReporter::busy() const
{
    std::lock_guard lock(mutex_);
    return !reports_.empty();
}

void ErrorReporter::post(Kind kind, const QString& text) noexcept
{
    try {
        const Report report{kind, text};
        std::lock_guard lock(mutex_);
        if (std::ranges::find(reports_, report) != reports_.end() || reports_.size() > kMaxWaitingReports)
            return;
        reports_.push_back(report);
        if (reports_.size() == 1 && !schedule(report))
            reports_.clear();
    } catch (...) {
        // a report that cannot be kept is lost, never raised
    }
}

bool ErrorReporter::schedule(const Report& report)
{
    // Queued: the box comes up from the event loop of the reporter's thread,
    // never inside the caller.
    return QMetaObject::invokeMethod(
        this, [this, report] { present(report.kind, report.text); }, Qt::QueuedConnection);
}

void ErrorReporter::present(Kind kind, const QString& text)
{
    // `done` may be called once only, and may outlive a presenter swap.
    auto once = std::make_shared<std::atomic<bool>>(false);
    QPointer<ErrorReporter> self(this);
    auto done = [self, once] {
        if (!once->exchange(true) && self)
            self->finished();
    };
    try {
        presentNow(kind, text, done);
    } catch (...) {
        done();
    }
}

void ErrorReporter::presentNow(Kind kind, const QString& text, std::function<void()> done)
{
    if (presenter_)
        presenter_(kind, text, std::move(done));
    else
        showBox(kind, text, boxParent(), std::move(done));
}

QWidget* ErrorReporter::boxParent() const
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (mainWindow_ && mainWindow_->isVisible())
        return mainWindow_;
    // No window to stand over: centred on the screen.
    return QApplication::activeWindow();
}

void ErrorReporter::finished()
{
    {
        std::lock_guard lock(mutex_);
        if (!reports_.empty())
            reports_.pop_front();
        while (!reports_.empty() && !schedule(reports_.front()))
            reports_.pop_front();
        if (!reports_.empty())
            return;
    }
    emit idle();
}

void ErrorReporter::drain()
{
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    if (!busy())
        return;
    QEventLoop loop;
    connect(this, &ErrorReporter::idle, &loop, &QEventLoop::quit);
    if (busy())
        loop.exec();
}

void routeLibraryFailures(ErrorReporter* reporter)
{
    if (!reporter) {
        serial::setErrorHandler(nullptr);
        timevalues::setErrorHandler(nullptr);
        return;
    }
    const platform::ErrorHandler report = reporter->errorHandler();
    serial::setErrorHandler(report);
    timevalues::setErrorHandler(report);
}

} // namespace app
