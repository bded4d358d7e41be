// The main window without a clock: the settings it starts from and keeps,
// the line it opens and what it says when it cannot, and the boxes of the
// error reporter.
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "WindowFixture.h"
#include "app/windows/ShiftArrows.h"
#include "app/tables/Cp1252.h"
#include "app/import/StartTimeImport.h"
#include "app/windows/FLasin.h"
#include "serial/ExceptionHook.h"
#include "support/FakeSerialDevice.h"
#include "support/PtyPair.h"
#include "timevalues/controls/ControlHooks.h"

namespace {

using MainFormTest = windowtest::WindowTest;
using windowtest::control;
using windowtest::fill;
using testenv::FakeSerialDevices;

// A first start: default geometry, the controls of the pursuit tab and the
// side panel on screen, the precise 100 ms timer running, no port in the
// list and so no line, and "VER" shown as the outstanding command. "Ingen
// comport" comes from the event loop, not from inside Init. Closing writes
// what the next start reads.
TEST_F(MainFormTest, FirstStartWithoutSettingsRunsWithoutAPort)
{
    portList.setNames({QStringLiteral("ttyS0")});  // no "Com1" here
    app::TMainForm& w = makeWindow();
    EXPECT_EQ(w.geometry(), QRect(0, 0, 200, 400));
    EXPECT_EQ(w.comComboBoxText(), QString());
    EXPECT_TRUE(w.Timer1().isActive());
    EXPECT_EQ(w.Timer1().interval(), 100);
    EXPECT_EQ(w.Timer1().timerType(), Qt::PreciseTimer);
    w.show();
    control<QTabWidget>(w, "PageControl")->setCurrentIndex(1);
    for (const char* name : {"StringGrid2", "LasFile", "Button2", "Button8", "Button9", "Button10", "Button7",
                             "Button4", "Button5", "ComComboBox"})
        EXPECT_TRUE(control<QWidget>(w, name)->isVisible()) << name;
    w.Init();
    EXPECT_TRUE(errors.empty());
    settle();
    EXPECT_EQ(errors, std::vector<std::string>{"Ingen comport"});
    EXPECT_FALSE(w.ComPort().Connected());
    EXPECT_EQ(control<QLabel>(w, "Lut")->text(), app::fromCp1252("VER\x93"));
    closeWindow();
    platform::SettingsStore store;
    const app::MainSettings stored = app::readMainSettings(store);
    EXPECT_EQ(std::tuple(stored.Vidd, stored.hojd, stored.Comport), std::tuple(200, 400, QString()));
}

// Init opens the remembered port as the clock wants it: 9600 8N1, DTR on,
// RTS off, no flow control, CR as the event character, and "VER" goes out
// at once.
TEST_F(MainFormTest, InitOpensTheRememberedPortAsTheClockWantsIt)
{
    FakeSerialDevices devices;
    portList.setNames({QStringLiteral("COM1"), QStringLiteral("COM2")});
    storePort("COM2");
    app::TMainForm& w = makeWindow();
    w.Init();
    settle();
    EXPECT_TRUE(messages.empty());
    ASSERT_TRUE(w.ComPort().Connected());
    const testenv::FakeSerialLine line = devices.line("/dev/COM2");
    ASSERT_TRUE(line.state.has_value());
    EXPECT_EQ(windowtest::lineOf(*line.state), (std::vector<unsigned>{9600, 8, 0, 0, 13, platform::kLineDtrEnable}));
    EXPECT_EQ(line.written, std::string("VER\x93\r"));
}

// A slot's exception, and what the entry controls and the serial library
// hand to their failure hooks, reach the program's reporter.
TEST_F(MainFormTest, SlotsAndTheLibraryHooksReachTheErrorReporter)
{
    for (const std::function<void()>& fail : std::initializer_list<std::function<void()>>{
             [this] { app::guarded(reporter, [] { throw std::runtime_error("slot failed"); }); },
             [] { timevalues::reportControlError(std::make_exception_ptr(std::runtime_error("entry failed"))); },
             [] { serial::handleException(std::make_exception_ptr(std::runtime_error("port failed"))); }}) {
        fail();
        settle();
    }
    EXPECT_EQ(errors, (std::vector<std::string>{"slot failed", "entry failed", "port failed"}));
}

// Every message the windows raise says its kind, provoked as the user does
// it: a failure when what was asked for was not done, information when it
// was done and there is something to know. ("Ingen comport" at the start,
// the import dialog's refusals, the transfer's and the loader's messages are
// in their own tests.)
TEST_F(MainFormTest, EachMessageSaysItsKind)
{
    using Kind = app::ErrorReporter::Kind;
    FakeSerialDevices devices;
    portList.setNames({QStringLiteral("COM1"), QStringLiteral("COM2")});
    const std::string folder = testenv::makeTempDir("messages");
    std::ofstream many(folder + "/many.txt");
    for (int n = 0; n <= app::kImportMaxStarters; ++n)
        many << n % 998 + 1 << ";0:10\n";
    many.close();
    app::TMainForm& w = makeWindow();
    w.resize(900, 700);
    w.show();
    auto* const grid = control<QTableWidget>(w, "StringGrid1");
    const struct {
        const char* action;
        std::function<void()> act;
        std::vector<std::string> texts;
        Kind kind;
    } cases[] = {
        {"a port that cannot be opened chosen",
         [&] {
             devices.fail(FakeSerialDevices::Op::Open, EBUSY);
             QTest::keyClick(control<QWidget>(w, "ComComboBox"), Qt::Key_Down);
         },
         {"Ingen Comport"}, Kind::Failure},
        {"a row with no number where one belongs selected",
         [&] {
             fill(grid, 1, {"1", "100", "10.00.00", "   30", "1"});
             fill(grid, 2, {"150", "31;b"});
             QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                               grid->visualRect(grid->model()->index(1, 0)).center());
         },
         {"Rad 2: \"31;b\" i Till nr är inget heltal"}, Kind::Failure},
        {"an import of more starters than it takes",
         [&] {
             desktop.chosen = QString::fromStdString(folder + "/many.txt");
             desktop.modal = [](QDialog& d) {
                 control<QLineEdit>(d, "SEdit")->setText(QStringLiteral(";"));
                 QTest::mouseClick(control<QPushButton>(d, "Button3"), Qt::LeftButton);
                 QTest::mouseClick(control<QPushButton>(d, "Button1"), Qt::LeftButton);
                 return d.result();
             };
             QTest::mouseClick(control<QPushButton>(w, "LasFile"), Qt::LeftButton);
         },
         {"Bara de första 9999 starterna lästes in.",  // the file, then the grid's queue-start row
          "Tabellen rymmer inte hela filen: 9998 av 9999 startande lästes in."},
         Kind::Information},
        {"closing with the settings folder blocked",
         [&] {
             std::filesystem::remove_all(configFolder + "/Vilo");
             std::ofstream(configFolder + "/Vilo") << "";  // a file where the folder should be
             w.close();
         },
         {"Inställningarna (fönstrets storlek och plats, porten och importens kolumner) kan inte sparas i " +
          configFolder + "/Vilo/K4721/Corvalinder.ini."},
         Kind::Failure},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.action);
        errors.clear();
        messages.clear();
        c.act();
        settle();
        EXPECT_EQ(c.kind == Kind::Failure ? errors : messages, c.texts);
        EXPECT_TRUE((c.kind == Kind::Failure ? messages : errors).empty());
    }
}

// The error reporter's box has the program's name as its title, with room
// for it and the title bar's buttons, an icon by its kind, and stands
// centred over the main window. showAndWait() returns only once it is closed.
TEST_F(MainFormTest, TheBoxIsTitledByTheProgramAndCentredOverTheWindow)
{
    app::ErrorReporter boxes;
    QWidget window;
    window.setGeometry(300, 200, 640, 480);
    window.show();
    boxes.setMainWindow(&window);
    using Kind = app::ErrorReporter::Kind;
    for (const auto& [kind, wait, icon] : {std::tuple{Kind::Failure, false, QMessageBox::Critical},
                                           {Kind::Information, false, QMessageBox::Information},
                                           {Kind::Failure, true, QMessageBox::Critical}}) {
        bool seen = false;
        const auto look = [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = true;
            EXPECT_EQ(box->windowTitle(), QApplication::applicationName());
            EXPECT_GE(box->width(), QFontMetrics(box->font()).horizontalAdvance(box->windowTitle()) + 100);
            EXPECT_EQ(box->icon(), icon);
            EXPECT_EQ(box->parentWidget(), &window);
            EXPECT_LE((box->frameGeometry().center() - window.frameGeometry().center()).manhattanLength(), 2);
            box->accept();
        };
        if (wait) {
            QTimer::singleShot(0, look);  // from the loop that holds the caller
            QTimer bound;                 // a box not found is closed all the same
            bound.callOnTimeout([] { QApplication::activeModalWidget()->close(); });
            bound.start(3000);
            boxes.showAndWait(kind, QStringLiteral("ok"));
        } else {
            boxes.show(kind, QStringLiteral("ok"));
            QCoreApplication::sendPostedEvents();
            look();
        }
        EXPECT_TRUE(seen);
        EXPECT_FALSE(boxes.busy());
    }
}

// Walking the Tab chain from the port list, every stop shows where it is:
// the window looks different with the focus there than with no focus at all.
TEST_F(MainFormTest, EveryTabStopAfterThePortListShowsTheFocus)
{
    app::TMainForm& w = makeWindow();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QWidget* const ports = control<QWidget>(w, "ComComboBox");
    ports->setFocus(Qt::TabFocusReason);
    std::vector<std::string> stops;
    std::vector<std::string> unseen;
    for (QWidget* stop = ports; stops.size() < 40;) {
        QTest::keyClick(stop, Qt::Key_Tab);
        stop = QApplication::focusWidget();
        if (!stop || stop == ports)
            break;
        stops.push_back(stop->objectName().toStdString());
        const QImage focused = w.grab().toImage();
        stop->clearFocus();
        if (w.grab().toImage() == focused)
            unseen.push_back(stops.back());
        stop->setFocus(Qt::TabFocusReason);
    }
    EXPECT_GE(stops.size(), 10u) << testing::PrintToString(stops);
    EXPECT_EQ(unseen, std::vector<std::string>{}) << testing::PrintToString(stops);
}

// One box at a time: a different report waits its turn behind the one shown,
// a repeat of one shown or waiting is dropped, and at most kMaxWaitingReports
// wait. Once seen, a text may come again.
TEST_F(MainFormTest, ReportsWaitTheirTurnAndRepeatsDoNotPileUp)
{
    app::ErrorReporter reporter;
    std::vector<std::string> shown;
    std::function<void()> close;
    reporter.setPresenter([&](app::ErrorReporter::Kind, const QString& text, std::function<void()> done) {
        shown.push_back(text.toStdString());
        close = std::move(done);
    });
    using Texts = std::vector<std::string>;
    const std::pair<Texts, Texts> cases[] = {
        {{"A", "A", "A"}, {"A"}},
        {{"A", "B", "A", "B", "A"}, {"A", "B"}},
        {{"A", "B", "C", "D", "E", "F", "B"}, {"A", "B", "C", "D", "E"}},
    };
    for (const auto& [reported, seen] : cases) {
        shown.clear();
        for (const std::string& text : reported)
            reporter.reportError(std::make_exception_ptr(std::runtime_error(text)));
        for (int i = 0; i < 10 && reporter.busy(); ++i) {
            QCoreApplication::sendPostedEvents(&reporter);
            if (close)
                std::exchange(close, nullptr)();
        }
        EXPECT_EQ(shown, seen);
        EXPECT_FALSE(reporter.busy());
    }
    // A box that cannot be put up holds nothing and raises nothing.
    reporter.setPresenter([](app::ErrorReporter::Kind, const QString&, std::function<void()>) {
        throw std::runtime_error("no box");
    });
    EXPECT_NO_THROW(reporter.showAndWait(app::ErrorReporter::Kind::Failure, QStringLiteral("held")));
}

// A close always ends the program, also when the settings cannot be saved (a
// file stands where their folder should be): the failure is said once, in
// its box over the window still on screen, the event loop ends, the port is
// free for the next start, and the program's status is a failure.
TEST_F(MainFormTest, ACloseThatCannotSaveTheSettingsStillEndsTheProgram)
{
    testenv::PtyPair pty;
    portList.setNames({QString::fromStdString(pty.path())});
    storePort(pty.path());
    app::TMainForm& w = makeWindow();
    reporter.setPresenter(nullptr);
    reporter.setMainWindow(&w);
    w.show();
    w.Init();
    ASSERT_TRUE(w.ComPort().Connected());
    std::filesystem::remove_all(configFolder + "/Vilo");
    std::ofstream(configFolder + "/Vilo") << "no folder";
    std::vector<std::tuple<bool, QMessageBox::Icon, bool>> boxes;  // critical, over the window, window on screen
    QTimer boxWatch, bound;
    QObject::connect(&boxWatch, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxes.emplace_back(box->parentWidget() == &w, box->icon(), w.isVisible());
            box->accept();
        }
    });
    QObject::connect(&bound, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    boxWatch.start(10);
    bound.start(5000);
    QTimer::singleShot(0, &w, [&w] { w.close(); });
    EXPECT_NE(QApplication::exec(), 99) << "the program ran on without its window";
    EXPECT_EQ(boxes, (decltype(boxes){{true, QMessageBox::Critical, true}}));
    EXPECT_FALSE(w.settingsSaved());
    serial::TComPort next;
    next.SetPort(pty.path());
    EXPECT_NO_THROW(next.Open());
}

// Each arrow reports its press (+1 up, -1 down) and its release once: held,
// it does not repeat on its own (the shift's own repeat does).
TEST(ShiftArrows, ReportOnePressAndReleasePerClickEvenWhenHeld)
{
    app::ShiftArrows arrows;
    std::vector<int> seen;  // the directions pressed, 0 for a release
    QObject::connect(&arrows, &app::ShiftArrows::pressed, [&](int direction) { seen.push_back(direction); });
    QObject::connect(&arrows, &app::ShiftArrows::released, [&] { seen.push_back(0); });
    QTest::mousePress(arrows.upHalf(), Qt::LeftButton);
    QTest::qWait(700);
    QTest::mouseRelease(arrows.upHalf(), Qt::LeftButton);
    QTest::mouseClick(arrows.downHalf(), Qt::LeftButton);
    EXPECT_EQ(seen, (std::vector<int>{1, 0, -1, 0}));
}

} // namespace
