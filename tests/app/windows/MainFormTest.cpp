// The main window without a clock: the settings it starts from and keeps,
// the line it opens and what it says when it cannot, and the boxes of the
// error reporter.
#include <cerrno>

#include "WindowFixture.h"
#include "app/pcclock/ShiftRepeat.h"
#include "app/tables/Cp1252.h"
#include "app/windows/ShiftArrows.h"
#include "serial/ExceptionHook.h"
#include "support/FakeLocalClock.h"
#include "support/FakeSerialDevice.h"
#include "support/PtyPair.h"
#include "timevalues/controls/ControlHooks.h"
#include "timevalues/controls/TidEdit.h"

namespace {

using MainFormTest = windowtest::WindowTest;
using windowtest::control;
using windowtest::fill;
using windowtest::Lines;
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
    EXPECT_EQ(std::tuple(w.windowTitle(), w.geometry(), w.comComboBoxText(), w.Timer1().isActive(),
                         w.Timer1().interval(), w.Timer1().timerType()),
              std::tuple(QString("Ladda VILO Corvalinder ver:10021"), QRect(0, 0, 200, 400), QString(), true, 100,
                         Qt::PreciseTimer));
    w.show();
    control<QTabWidget>(w, "PageControl")->setCurrentIndex(1);
    for (const char* name : {"StringGrid2", "LasFile", "Button2", "Button8", "Button9", "Button10", "Button7",
                             "Button4", "Button5", "ComComboBox"})
        EXPECT_TRUE(control<QWidget>(w, name)->isVisible()) << name;
    const QList<QLabel*> labels = w.findChildren<QLabel*>();
    for (const QString caption : {"Ver:", "In:", "Ut:", "TXD   RXD"})
        EXPECT_TRUE(std::ranges::any_of(labels, [&](QLabel* l) { return l->text() == caption && l->isVisible(); }))
            << caption.toStdString();
    w.Init();
    EXPECT_EQ(said, Lines{});
    EXPECT_EQ(told(), Lines{"failure: Ingen comport"});
    EXPECT_EQ(std::tuple(w.ComPort().Connected(), control<QLabel>(w, "Lut")->text(),
                         control<QRadioButton>(w, "TutAlla")->isChecked()),
              std::tuple(false, app::fromCp1252("VER\x93"), true));
    w.setGeometry(30, 40, 320, 460);
    closeWindow();
    const app::MainSettings stored = storedSettings();
    EXPECT_EQ(std::tuple(stored.Vidd, stored.hojd, stored.Comport), std::tuple(320, 460, QString()));
}

// Init opens the remembered port as the clock wants it (9600 8N1, DTR on,
// RTS off, no flow control, CR as the event character) and "VER" goes out at
// once. Then each control of the main window as the user works it: the grids
// after a click, the row written back when a time entry is left by Tab, the PC
// clock moved by the arrows, the port the selector chose, and what the user
// is told.
TEST_F(MainFormTest, EveryControlDoesItsPartAsTheUserWorksIt)
{
    using windowtest::Row;
    using windowtest::rowIn;
    FakeSerialDevices devices;
    testenv::FakeLocalClock pc;
    testenv::ScopedFakeClock pcClock(pc);
    portList.setNames({QStringLiteral("COM1"), QStringLiteral("COM2")});
    storePort("COM2");
    app::TMainForm& w = makeWindow();
    ASSERT_TRUE(showActive(w));
    w.Init();
    ASSERT_TRUE(devices.line("/dev/COM2").state.has_value());
    EXPECT_EQ(windowtest::lineOf(*devices.line("/dev/COM2").state),
              (std::vector<unsigned>{9600, 8, 0, 0, 13, platform::kLineDtrEnable}));
    EXPECT_EQ(devices.line("/dev/COM2").written, std::string("VER\x93\r"));
    auto* const grid1 = control<QTableWidget>(w, "StringGrid1");
    auto* const grid2 = control<QTableWidget>(w, "StringGrid2");
    auto* const ports = control<QComboBox>(w, "ComComboBox");
    const auto click = [&w](const char* name) { QTest::mouseClick(control<QWidget>(w, name), Qt::LeftButton); };
    const auto key = [](QWidget* control, Qt::Key key) { control->setFocus(), QTest::keyClick(control, key); };
    const auto arrow = [&w](const char* name, bool up) {
        auto* const arrows = control<app::ShiftArrows>(w, name);
        QTest::mouseClick(up ? arrows->upHalf() : arrows->downHalf(), Qt::LeftButton);
    };
    const auto pursuit = [&] {
        windowtest::fillRows(grid2, {{"0", "", "10.00.00", ""}, {"5", "", "10.00.00", ""}, {"6", "", "10.00.10", ""},
                                     {"7", "", "10.00.20", ""}});
    };
    const auto pcSet = [&pc] {
        const platform::LocalDateTime t = pc.setCalls().empty() ? platform::LocalDateTime{} : pc.setCalls().back();
        return t.second * 1000 + t.millisecond;
    };
    const struct {
        const char* what;
        int tab;
        std::function<void()> act;
        std::function<void()> check;
    } cases[] = {
        {"the PC clock shown", 0, [] { QTest::qWait(2 * app::kTimer1IntervalMs); },
         [&] { EXPECT_EQ(control<QLabel>(w, "Klocka")->text(), QStringLiteral("10:00:00")); }},
        {"a time typed into \"Första Starttid\" and left by Tab", 0,
         [&] {
             fill(grid1, 1, {"1", "100", "10.00.00", "   30", "1"});
             grid1->setCurrentCell(0, 0);
             auto* const entry = control<QWidget>(w, "StartTid");
             QTest::mouseClick(entry, Qt::LeftButton);
             QTest::keyClick(entry, Qt::Key_Home);
             QTest::keyClicks(entry, "110000");
             QTest::keyClick(entry, Qt::Key_Tab);
         },
         [&] { EXPECT_EQ(rowIn(grid1, 1), (Row{"1", "100", "11.00.00", "   30", "1"})); }},
        {"\"Blanka tider\" on \"Vanlig\"", 0, [&] { pursuit(), click("Button6"); },
         [&] { EXPECT_EQ(std::tuple(rowIn(grid1, 1), rowIn(grid2, 2)), std::tuple(Row(5), Row(4))); }},
        {"\"Antal köer\" one up", 1,
         [&] { pursuit(), key(control<QSpinBox>(w, "AntalKo"), Qt::Key_Up); },
         [&] { EXPECT_EQ((Row{rowIn(grid2, 2)[1], rowIn(grid2, 3)[1], rowIn(grid2, 4)[1]}), (Row{"1", "2", "1"})); }},
        {"\"Add Starttid\" on the selected row alone", 1,
         [&] {
             pursuit();
             control<timevalues::TTidEdit>(w, "EStartTid")->setTid(30 * timevalues::kTidSecond);
             grid2->clearSelection();
             grid2->setRangeSelected(QTableWidgetSelectionRange(2, 0, 2, 3), true);
             click("Button2");
         },
         [&] {
             EXPECT_EQ(std::tuple(rowIn(grid2, 2), rowIn(grid2, 3)),
                       std::tuple(Row{"5", "", "10.00.00", "    0.00"}, Row{"6", "", "10.00.40", "    0.40"}));
         }},
        {"\"Spara i Prom\" and \"Läs Prom\" are not offered", 2, [&] { click("BSave"), click("BLoad"); },
         [&] {
             EXPECT_FALSE(control<QWidget>(w, "BSave")->isEnabled() || control<QWidget>(w, "BLoad")->isEnabled());
             EXPECT_EQ(devices.line("/dev/COM2").written.find("SAVE"), std::string::npos);
         }},
        {"\"Sekund\" up", 0, [&] { arrow("SESekund", true); }, [&] { EXPECT_EQ(pcSet(), 1000); }},
        {"\"Sekund\" down", 0, [&] { arrow("SESekund", false); }, [&] { EXPECT_EQ(pcSet(), 0); }},
        {"\"1 / 10Sek.\" up", 0, [&] { arrow("SETiondel", true); }, [&] { EXPECT_EQ(pcSet(), 100); }},
        {"\"1 / 10Sek.\" down twice", 0, [&] { arrow("SETiondel", false), arrow("SETiondel", false); },
         [&] {
             EXPECT_EQ(pcSet(), 59900);
             QTest::qWait(app::kRepeatDelayMs + 200);  // a click is no hold: no repeat follows
             EXPECT_EQ(pc.setCalls().size(), 5u);
         }},
        {"another port chosen", 0, [&] { key(ports, Qt::Key_Up); },
         [&] {
             EXPECT_EQ(ports->currentText(), "COM1");
             EXPECT_TRUE(!devices.line("/dev/COM2").open && devices.line("/dev/COM1").open);
         }},
        {"a port that cannot be opened chosen", 0,
         [&] { devices.fail(FakeSerialDevices::Op::Open, EBUSY, -1), key(ports, Qt::Key_Down); },
         [&] {
             EXPECT_FALSE(w.ComPort().Connected());
             EXPECT_EQ(told(), Lines{"failure: COM Port Error: Unable to open com port on COM2"});
         }},
        {"a port chosen while none is open, and it cannot be", 0, [&] { key(ports, Qt::Key_Up); },
         [&] { EXPECT_EQ(told(), Lines{"failure: Ingen Comport"}); }},
        {"a port chosen that opens", 0, [&] { devices.fail(FakeSerialDevices::Op::Open, 0), key(ports, Qt::Key_Down); },
         [&] { EXPECT_TRUE(devices.line("/dev/COM2").open && w.ComPort().Connected()); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(told(), Lines{});
        control<QTabWidget>(w, "PageControl")->setCurrentIndex(c.tab);
        c.act();
        settle();
        c.check();
    }
}

// A slot's exception, and what the entry controls and the serial library
// hand to their failure hooks, reach the program's reporter.
TEST_F(MainFormTest, SlotsAndTheLibraryHooksReachTheErrorReporter)
{
    for (const std::function<void()>& fail : std::initializer_list<std::function<void()>>{
             [this] { app::guarded(reporter, [] { throw std::runtime_error("slot failed"); }); },
             [] { timevalues::reportControlError(std::make_exception_ptr(std::runtime_error("entry failed"))); },
             [] { serial::handleException(std::make_exception_ptr(std::runtime_error("port failed"))); },
             [this] { app::guarded(reporter, [] { throw 42; }); },
             [this] { reporter.reportError(nullptr); }}) {
        fail();
        settle();
    }
    EXPECT_EQ(told(), (Lines{"failure: slot failed", "failure: entry failed", "failure: port failed", "failure: Okänt fel",
                             "failure: Okänt fel"}));
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
            EXPECT_EQ(std::tuple(box->windowTitle(), box->text(), box->icon(), box->parentWidget()),
                      std::tuple(QApplication::applicationName(), QStringLiteral("ok"), icon, &window));
            EXPECT_GE(box->width(), QFontMetrics(box->font()).horizontalAdvance(box->windowTitle()) + 100);
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
    ASSERT_TRUE(showActive(w));
    QWidget* const ports = control<QWidget>(w, "ComComboBox");
    ports->setFocus(Qt::TabFocusReason);
    std::vector<std::string> stops, unseen;
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
        EXPECT_EQ(std::tuple(shown, reporter.busy()), std::tuple(seen, false));
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
    std::vector<std::tuple<bool, QMessageBox::Icon, bool, std::string>> boxes;  // over the window, on screen
    QTimer boxWatch, bound;
    QObject::connect(&boxWatch, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxes.emplace_back(box->parentWidget() == &w, box->icon(), w.isVisible(), box->text().toStdString());
            box->accept();
        }
    });
    QObject::connect(&bound, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    boxWatch.start(10);
    bound.start(5000);
    QTimer::singleShot(0, &w, [&w] { w.close(); });
    EXPECT_NE(QApplication::exec(), 99) << "the program ran on without its window";
    EXPECT_EQ(boxes, (decltype(boxes){{true, QMessageBox::Critical, true,
                                       "Inställningarna (fönstrets storlek och plats, porten och importens kolumner) "
                                       "kan inte sparas i " + configFolder + "/Vilo/K4721/Corvalinder.ini."}}));
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
    EXPECT_EQ(std::pair(arrows.upHalf()->arrowType(), arrows.downHalf()->arrowType()),
              std::pair(Qt::UpArrow, Qt::DownArrow));
}

} // namespace
