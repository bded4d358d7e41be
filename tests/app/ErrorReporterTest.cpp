// The error reporter: boxes shown from the event loop, one at a time.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <stdexcept>
#include <thread>

#include "app/ErrorReporter.h"
#include "serial/ExceptionHook.h"
#include "timevalues/ControlHooks.h"

namespace {

struct Shown {
    app::ErrorReporter::Kind kind;
    QString text;
    Qt::HANDLE thread;
};

class ErrorReporterTest : public ::testing::Test {
protected:
    app::ErrorReporter reporter;
    std::vector<Shown> shown;
    std::function<void()> pendingDone;  // set while a box is "on screen"
    bool holdBoxes = false;

    void SetUp() override
    {
        reporter.setPresenter([this](app::ErrorReporter::Kind kind, const QString& text, std::function<void()> done) {
            shown.push_back({kind, text, QThread::currentThreadId()});
            if (holdBoxes)
                pendingDone = std::move(done);
            else
                done();
        });
    }
    void runEvents() { QCoreApplication::sendPostedEvents(); }
};

TEST_F(ErrorReporterTest, ShowsFromTheEventLoopNotInsideTheCaller)
{
    reporter.reportError(std::make_exception_ptr(std::runtime_error("port gone")));
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(reporter.busy());
    runEvents();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, app::ErrorReporter::Kind::Error);
    EXPECT_EQ(shown[0].text, QStringLiteral("port gone"));
    EXPECT_FALSE(reporter.busy());
}

TEST_F(ErrorReporterTest, OneBoxAtATime)
{
    holdBoxes = true;
    reporter.reportError(std::make_exception_ptr(std::runtime_error("first")));
    reporter.reportError(std::make_exception_ptr(std::runtime_error("while waiting")));
    runEvents();
    ASSERT_EQ(shown.size(), 1u);
    // A failing write on every resend tick while the box is up.
    for (int tick = 0; tick < 20; ++tick)
        reporter.reportError(std::make_exception_ptr(std::runtime_error("while shown")));
    reporter.showMessage(QStringLiteral("Ingen Comport"));
    runEvents();
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(reporter.dropped(), 22);

    pendingDone();
    pendingDone();  // a second call changes nothing
    EXPECT_FALSE(reporter.busy());
    reporter.showMessage(QStringLiteral("Ingen comport"));
    runEvents();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].kind, app::ErrorReporter::Kind::Message);
    EXPECT_EQ(shown[1].text, QStringLiteral("Ingen comport"));
}

TEST_F(ErrorReporterTest, ReportsFromAnotherThreadAreShownInTheGuiThread)
{
    std::thread worker([this] { reporter.reportError(std::make_exception_ptr(std::runtime_error("from the thread"))); });
    worker.join();
    runEvents();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].thread, QThread::currentThreadId());
}

TEST_F(ErrorReporterTest, AThrowingPresenterDoesNotBlockLaterReports)
{
    reporter.setPresenter([this](app::ErrorReporter::Kind kind, const QString& text, std::function<void()>) {
        shown.push_back({kind, text, nullptr});
        throw std::runtime_error("presenter broke");
    });
    reporter.showMessage(QStringLiteral("a"));
    runEvents();
    reporter.showMessage(QStringLiteral("b"));
    runEvents();
    EXPECT_EQ(shown.size(), 2u);
}

TEST_F(ErrorReporterTest, SlotsAndTheLibraryHooksReachTheProgramReporter)
{
    app::ErrorReporter& program = app::ErrorReporter::instance();
    program.drain();
    std::vector<QString> texts;
    program.setPresenter([&](app::ErrorReporter::Kind, const QString& text, std::function<void()> done) {
        texts.push_back(text);
        done();
    });
    app::routeLibraryFailures(&program);
    app::guarded([] { throw std::runtime_error("slot failed"); });
    runEvents();
    timevalues::reportControlError(std::make_exception_ptr(std::runtime_error("entry failed")));
    runEvents();
    serial::HandleException(std::make_exception_ptr(std::runtime_error("port failed")));
    runEvents();
    app::routeLibraryFailures(nullptr);
    program.setPresenter(nullptr);
    EXPECT_EQ(texts, (std::vector<QString>{QStringLiteral("slot failed"), QStringLiteral("entry failed"),
                                           QStringLiteral("port failed")}));
}

TEST_F(ErrorReporterTest, TheBoxIsTitledByTheProgramAndCentredOverTheWindow)
{
    QWidget window;
    window.setGeometry(300, 200, 640, 480);
    window.show();
    reporter.setPresenter(nullptr);
    reporter.setMainWindow(&window);
    const struct {
        app::ErrorReporter::Kind kind;
        QMessageBox::Icon icon;
    } cases[] = {{app::ErrorReporter::Kind::Error, QMessageBox::Critical},
                 {app::ErrorReporter::Kind::Message, QMessageBox::Information}};
    for (const auto& c : cases) {
        if (c.kind == app::ErrorReporter::Kind::Error)
            reporter.reportError(std::make_exception_ptr(std::runtime_error("failed")));
        else
            reporter.showMessage(QStringLiteral("told"));
        runEvents();
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QApplication::applicationName());
        EXPECT_EQ(box->icon(), c.icon);
        EXPECT_EQ(box->parentWidget(), &window);
        EXPECT_LE((box->frameGeometry().center() - window.frameGeometry().center()).manhattanLength(), 2);
        box->accept();
        EXPECT_FALSE(reporter.busy());
    }
}

} // namespace
