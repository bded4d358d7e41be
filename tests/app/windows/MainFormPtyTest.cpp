// The whole program against the simulated clock and the simulated boot loader
// on a pty: the main window and the loader dialog (offscreen) with their real
// timers, ports and event loop.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "WindowFixture.h"
#include "app/windows/FLoader.h"
#include "serial/controls/ComComboBox.h"
#include "serial/controls/ComLed.h"
#include "sim/BootSim.h"
#include "sim/ClockSim.h"

using namespace std::chrono_literals;
using bootsim::Verdict;
using windowtest::control;
using windowtest::Lines;

namespace {

class MainFormPtyTest : public windowtest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        portList.setNames({QString::fromStdString(sim.slavePath())});
        storePort(sim.slavePath());
    }
    // Neither the clock nor the user met a failure or was told anything.
    void expectNothingWrong() { EXPECT_EQ(std::tuple(sim.failures(), told()), std::tuple(Lines{}, Lines{})); }
    // Waits on the simulated clock while the program's event loop runs.
    bool waitForClock(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5000ms)
    {
        return sim.waitUntil(done, timeout, [] { QTest::qWait(5); });
    }

    clocksim::ClockSim sim;
};

// The remembered port is opened and "VER" is sent until the clock
// acknowledges it, then no more (the rhythm is the link's own test's), and
// the identification is shown. The lamps follow the data, TXD for "VER"
// before RXD for the answer, and go out again (on the received-line event
// alone TXD stayed lit and RXD never lit).
TEST_F(MainFormPtyTest, IdentifiesTheClockOnTheRememberedPortAndTheLampsFollow)
{
    sim.answerCopies("VER", {clocksim::Answer::Silence, clocksim::Answer::Silence, clocksim::Answer::Ack});
    app::TMainForm& w = makeWindow();
    std::vector<std::string> seen;
    auto* const txd = control<serial::TComLed>(w, "ComLed1");
    auto* const rxd = control<serial::TComLed>(w, "ComLed2");
    for (auto [lamp, name] : {std::pair{txd, "TX"}, std::pair{rxd, "RX"}})
        lamp->OnChange = [&seen, name](serial::TComLed*, serial::TLedState s) {
            seen.push_back(name + std::string(s == serial::TLedState::lsOn ? " on" : " off"));
        };
    w.Init();
    ASSERT_TRUE(waitForClock([&] { return sim.acknowledgements() == 1; }));
    waitForClock([] { return false; }, 1000ms);  // a resend would come within 0.4 s
    const QString identification = QString::fromLatin1(clocksim::kIdentification2004);
    EXPECT_EQ(std::tuple(sim.commands(), control<QLabel>(w, "VerLabel")->text(),
                         control<QLabel>(w, "Lin")->text().startsWith(identification)),
              std::tuple(Lines(3, "VER"), identification, true));
    expectNothingWrong();
    EXPECT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 4 && seen.back().ends_with("off"); }, 3000));
    const auto first = [&](const std::string& what) { return std::ranges::find(seen, what) - seen.begin(); };
    EXPECT_LT(first("TX on"), first("RX on"));
    EXPECT_LT(first("RX on"), static_cast<long>(seen.size())) << testing::PrintToString(seen);
    EXPECT_TRUE(txd->State() == serial::TLedState::lsOff && rxd->State() == serial::TLedState::lsOff);
    txd->OnChange = rxd->OnChange = nullptr;  // the lamps report once more while the window goes
    // Noise without a CR, more than the port's input queue holds, in one
    // burst or at line pace, does not stop the link from reading: the noise
    // is thrown away up to its CR and the next proper line is answered.
    for (const auto& [chunk, line] : {std::pair{4096, clocksim::kIdentification2003},
                                      std::pair{32, clocksim::kIdentification2004}}) {
        SCOPED_TRACE(chunk);
        sim.clearRecords();
        for (int sent = 0; sent < 4096; sent += chunk) {
            sim.sendRaw(std::string(static_cast<std::size_t>(chunk), 'A'));
            QTest::qWait(5);
        }
        sim.sendRaw("\r" + clocksim::framed(line));
        EXPECT_TRUE(waitForClock([&] { return sim.acknowledgements() == 1; }, 2000ms));
        EXPECT_EQ(control<QLabel>(w, "VerLabel")->text(), QString::fromLatin1(line));
    }
    expectNothingWrong();
}

// The clock's line goes away in the middle of "Sänd tider" (a 50-row table,
// after 20 acknowledged commands): the transfer ends, the operator is told
// once of the port's failure and once after which row the sending stopped,
// and the 3 s after (polls and resends on the dead line) bring no further
// report.
TEST_F(MainFormPtyTest, ALineLostDuringATransferEndsItAndIsReportedOnce)
{
    app::TMainForm& w = makeWindow();
    w.Timer1().stop();
    w.Init();
    ASSERT_TRUE(waitForClock([&] { return sim.acknowledgements() == 1; }));
    for (int row = 1; row <= 50; ++row) {  // 10 s apart from 10.00.10
        const QString start = QTime(10, 0).addSecs(10 * row).toString(QStringLiteral("hh.mm.ss"));
        windowtest::fill(control<QTableWidget>(w, "StringGrid1"), row,
                         {std::to_string(row), std::to_string(row), start.toStdString(), " 0.30", "1"});
    }
    control<QPushButton>(w, "Button5")->click();
    const auto sent = [&] { return std::ranges::count_if(sim.commands(), [](const auto& c) { return c != "VER"; }); };
    for (int i = 0; i < 200 && !(sent() == 20 && !w.link().busy()); ++i) {
        w.Timer1Timer();
        waitForClock([&] { return !w.link().busy(); }, 500ms);
    }
    ASSERT_EQ(sent(), 20);
    sim.goAway();
    w.Timer1().start();  // the window's own timer and the port's event thread
    waitForClock([&] { return said.size() >= 2; });
    QTest::qWait(3000);  // 30 polls and 7 resends more, none of them said again
    ASSERT_EQ(said.size(), 2u) << testing::PrintToString(said);
    EXPECT_TRUE(said[0].starts_with("failure: COM Port Error: WriteFile function failed on ")) << said[0];
    // Row 1 gives two records, each row below one: 17 records after the 3 settings.
    EXPECT_EQ(said[1], "failure: Förbindelsen med klockan bröts efter rad 16; sändningen av tiderna avbröts");
    EXPECT_EQ(w.transfer().TidSand(), 0);
}

// "Init laddning" hands the line to the loader closed, with the timer
// stopped and nobody else holding the line, and takes it back. When the line
// cannot be had back, or the loader fails, the error is reported and the
// timer runs on all the same: the outstanding command goes out again once a
// port opens, and the buttons reach the clock.
TEST_F(MainFormPtyTest, TheHandOverToTheLoaderAlwaysEndsWithTheTimerRunning)
{
    for (const auto& [lineTaken, loaderThrows] : {std::pair{false, false}, {true, false}, {false, true}}) {
        SCOPED_TRACE(std::to_string(lineTaken) + std::to_string(loaderThrows));
        sim.setDefaultAnswer(clocksim::Answer::Silence);  // "VER" stays outstanding
        sim.clearRecords();
        app::TMainForm& w = makeWindow();
        w.Init();
        ASSERT_TRUE(waitForClock([&] { return sim.copiesOf("VER") == 1; }));
        int held = -1;  // another program's hold on the line
        desktop.modal = [&](QDialog& dialog) {
            serial::TComPort& loaderPort = static_cast<app::TFLoader&>(dialog).ComPort();
            const std::string port = loaderPort.Port();
            EXPECT_EQ(std::tuple(port, loaderPort.Connected(), w.ComPort().Connected(), w.Timer1().isActive()),
                      std::tuple(sim.slavePath(), true, false, false));
            loaderPort.Close();
            held = ::open(port.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
            EXPECT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0) << "the line is free";
            if (!lineTaken)
                ::close(std::exchange(held, -1));
            if (loaderThrows)
                throw std::runtime_error("loader failed");
            return 0;
        };
        QTest::mouseClick(control<QPushButton>(w, "Button3"), Qt::LeftButton);
        EXPECT_EQ(told().size(), lineTaken || loaderThrows ? 1u : 0u);
        EXPECT_EQ(std::tuple(w.Timer1().isActive(), w.ComPort().Connected()), std::tuple(true, !lineTaken));
        if (lineTaken) {
            ::close(held);
            emit control<serial::TComComboBox>(w, "ComComboBox")->activated(0);  // the user picks the port again
            EXPECT_TRUE(w.ComPort().Connected());
        }
        sim.clearRecords();
        EXPECT_TRUE(waitForClock([&] { return sim.copiesOf("VER") == 2; }, 3000ms));
        sim.setDefaultAnswer(clocksim::Answer::Ack);
        EXPECT_TRUE(waitForClock([&] { return sim.acknowledgements() == 1; }));
        QTest::mouseClick(control<QPushButton>(w, "Button4"), Qt::LeftButton);
        EXPECT_TRUE(waitForClock([&] { return !sim.commands().empty() && sim.commands().back().starts_with("SET-"); }));
        expectNothingWrong();
        closeWindow();
    }
}

// ---- the loader dialog, reached through the main window's hand-over ----

class TFLoaderTest : public windowtest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        makeWindow().ComPort().SetPort(sim.slavePath());
        loader = window->findChild<app::TFLoader*>(QStringLiteral("FLoader"));
        ASSERT_NE(loader, nullptr);
        loader->setTiming({.replyInterval = 200ms, .readyWait = 200ms, .readyTries = 3, .pageReplyWait = 1000ms,
                           .drainQuiet = 100ms, .drainLimit = 2000ms, .refusalLimit = 4});
        whileShown = [] { QTest::qWait(100); };  // a box is up for a while, and the event loop runs
        desktop.modal = [this](QDialog& d) {
            clickAfterWakeUps(static_cast<app::TFLoader&>(d));
            return 0;
        };
    }
    // On the boot loader's line (9600 8N1, DTR and RTS off, no flow control),
    // the user waits for the wake-up bytes to reach the clock, clicks "Ladda
    // Hexfil" and tries to close the dialog, which stays while the upload
    // runs. Meanwhile a 50 ms timer goes on firing: the window keeps answering.
    void clickAfterWakeUps(app::TFLoader& d)
    {
        EXPECT_EQ(windowtest::lineOf(d.ComPort().appliedLineState()), (std::vector<unsigned>{9600, 8, 0, 0, 13, 0}));
        EXPECT_EQ(d.windowTitle(), "BootLoadeer");
        const serial::TComTimeouts& reads = d.ComPort().Timeouts();  // what has come, else up to 50 ms for a byte
        EXPECT_EQ(std::tuple(reads.ReadInterval(), reads.ReadTotalMultiplier(), reads.ReadTotalConstant()),
                  std::tuple(-1, -1, 50));
        EXPECT_TRUE(QTest::qWaitFor([this] { return sim.wakeUps() >= 2; }, 3000));
        QTimer ticks;
        auto last = std::chrono::steady_clock::now();
        const auto start = last;
        std::chrono::steady_clock::duration longestGap{};
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, std::chrono::steady_clock::now() - last);
            last = std::chrono::steady_clock::now();
        });
        ticks.start(50);
        QPushButton* const load = control<QPushButton>(d, "Button1");
        load->click();
        EXPECT_FALSE(load->isEnabled());
        EXPECT_FALSE(d.close());
        d.reject();
        EXPECT_TRUE(QTest::qWaitFor([&d] { return !d.upload().running(); }, 10000)) << "the upload waited without end";
        uploadTook = std::chrono::steady_clock::now() - start;
        EXPECT_LT(longestGap, 250ms);
        EXPECT_TRUE(load->isEnabled());
    }
    QString writeFile(const std::string& name, const std::string& text)
    {
        std::ofstream(folder + "/" + name, std::ios::binary) << text;
        return QString::fromStdString(folder + "/" + name);
    }

    bootsim::BootSim sim;
    std::string folder = testenv::makeTempDir("loader");
    app::TFLoader* loader = nullptr;  // the main window's
    QString& chosen = desktop.chosen;
    std::chrono::steady_clock::duration uploadTook{};
};

// A whole upload, the boot loader refusing the last page once with a short
// reply and once with "NO": every record arrives as the upload engine sends
// it, the gap at the end of page 0 brings up its warning each time (the
// upload waits for the box), and the dialog closes with "OK", having let go
// of the line, which the main window has again. The next upload starts at
// page 0, and when the boot loader falls silent it ends within its bound and
// says so, as a failure, in a box it waits for; the dialog stays open.
TEST_F(TFLoaderTest, UploadsAFileWholeOrSaysWhyNot)
{
    const std::string gap = ":0100F000010E", d1 = ":0101000002FC", end = ":00000001FF";
    chosen = writeFile("firmware.hex", gap + "\r\n" + d1 + "\r\n" + end + "\r\n");
    sim.answerEnds({Verdict::Ok, Verdict::Short, Verdict::Refuse});
    window->Button3Click();
    // The closing record is the last write; the boot loader reads it in its own time.
    EXPECT_TRUE(QTest::qWaitFor([this] { return sim.lines().size() == 10; }, 3000));
    EXPECT_EQ(sim.lines(), (Lines{gap, end, ":00010002FD", d1, end, d1, end, d1, end, ":00000009F7"}));
    EXPECT_EQ(said, Lines(3, "information: Konstig adress dök upp"));
    EXPECT_EQ(std::tuple(control<QLabel>(*loader, "LBoot")->text(), loader->result(), loader->ComPort().Connected(),
                         loader->TimerBoot().isActive(), window->ComPort().Connected(), window->Timer1().isActive()),
              std::tuple(QString("OK"), int(QDialog::Accepted), false, false, true, true));

    said.clear();
    sim.answerEnds({Verdict::Silent});
    window->Button3Click();
    EXPECT_EQ(said, Lines{"failure: Inget svar från bootloadern efter sida 0; laddningen avbröts"});
    EXPECT_LT(uploadTook, 1000ms + 1500ms);
    EXPECT_EQ(std::tuple(control<QLabel>(*loader, "LBoot")->text(), window->ComPort().Connected()),
              std::tuple(QString("0"), true));
    EXPECT_EQ(told().size(), 1u);
}

// The clock's line goes away once the boot loader has taken two pages of
// six and page 2 is closed: the port's error is reported, and the loader says that the upload
// stopped and at which page. The dialog offers "Ladda Hexfil" again and has
// let go of the line.
TEST_F(TFLoaderTest, ALineLostDuringTheUploadSaysAtWhichPageItStopped)
{
    std::string hex;
    for (int page = 0; page < 6; ++page)  // two bytes at the end of each page, the second in the next
        hex += QString::asprintf(":02%02XFF000000%02X\r\n", page, (0x200 - 2 - 0xFF - page) & 0xFF).toStdString();
    chosen = writeFile("pages.hex", hex + ":00000001FF\r\n");
    sim.answerEnds({Verdict::Ok, Verdict::Ok, Verdict::Silent});  // page 2 closed, its reply awaited
    Lines first;  // what was said of the lost line
    desktop.modal = [&](QDialog& dialog) {
        auto& d = static_cast<app::TFLoader&>(dialog);
        EXPECT_TRUE(QTest::qWaitFor([this] { return sim.wakeUps() >= 1; }, 3000));
        control<QPushButton>(d, "Button1")->click();
        EXPECT_TRUE(QTest::qWaitFor([this] { return std::ranges::count(sim.lines(), ":00000001FF") == 3; }, 3000));
        // The reply awaited: the upload ticks, it does not spin.
        EXPECT_EQ(std::pair(d.TimerUpload().isActive(), d.TimerUpload().interval()),
                  std::pair(true, app::kUploadTickMs));
        sim.goAway();
        EXPECT_TRUE(QTest::qWaitFor([&d] { return !d.upload().running(); }, 5000));
        first = told();
        EXPECT_TRUE(control<QPushButton>(d, "Button1")->isEnabled());
        EXPECT_FALSE(d.ComPort().Connected());
        // Tried again, the line gone for good: the port says it cannot be
        // opened, and no upload is said to have broken off.
        control<QPushButton>(d, "Button1")->click();
        const Lines again = told();
        EXPECT_EQ(again.size(), 1u) << testing::PrintToString(again);
        EXPECT_EQ(std::ranges::count_if(again, [](const std::string& e) {
                      return e.starts_with("failure: ") && e.find("bröts") == e.npos;
                  }),
                  1);
        return 0;
    };
    window->Button3Click();
    ASSERT_EQ(first.size(), 2u) << testing::PrintToString(first);
    EXPECT_TRUE(first[0].starts_with("failure: COM Port Error: ClearCommError function failed on ")) << first[0];
    EXPECT_EQ(first[1], "failure: Förbindelsen med bootloadern bröts vid sida 2; laddningen avbröts");
    // The main window cannot have the line back either.
    EXPECT_EQ(told(), Lines{"failure: COM Port Error: Unable to open com port on " + sim.slavePath()});
}

// The whole file is read and checked before the boot loader is woken: a file
// that cannot be loaded leaves the clock untouched and waiting, and a port
// that cannot be opened is reported without showing the dialog.
TEST_F(TFLoaderTest, NothingGoesToTheClockUnlessAFileCanBeLoaded)
{
    ASSERT_EQ(::mkfifo((folder + "/pipe.hex").c_str(), 0600), 0);
    const QString huge = writeFile("huge.hex", "");
    ASSERT_EQ(::truncate(huge.toStdString().c_str(), 4 * 1024 * 1024 + 1), 0);
    const std::pair<QString, std::string> cases[] = {
        {QString(), ""},  // the chooser cancelled
        {writeFile("order.hex", ":0102000001FC\r\n:0101000002FC\r\n:00000001FF\r\n"), "rad 2: adressen ligger på"},
        {writeFile("none.hex", "") + "x", "finns inte"},
        {QString::fromStdString(folder + "/pipe.hex"), "kan inte läsas"},
        {huge, "Fel i hexfilen: filen " + huge.toStdString() + " är för stor"},
    };
    desktop.modal = [](QDialog& dialog) {
        auto& d = static_cast<app::TFLoader&>(dialog);
        control<QPushButton>(d, "Button1")->click();
        EXPECT_TRUE(d.TimerBoot().isActive());  // the clock keeps waiting for a file
        return 0;
    };
    for (const auto& [file, says] : cases) {
        SCOPED_TRACE(says);
        chosen = file;
        window->Button3Click();
        const Lines shown = told();
        EXPECT_EQ(sim.lines(), Lines{});
        EXPECT_TRUE(says.empty() ? shown.empty() : shown.size() == 1 && shown[0].starts_with("failure: ") &&
                                         shown[0].find(says) != std::string::npos)
            << testing::PrintToString(shown);
    }

    bool shown = false;
    desktop.modal = [&](QDialog&) {
        shown = true;
        return 0;
    };
    window->ComPort().Close();
    window->ComPort().SetPort(folder + "/no-such-tty");
    window->Button3Click();
    EXPECT_EQ(told().size(), 1u);
    EXPECT_FALSE(shown);
    EXPECT_FALSE(loader->TimerBoot().isActive());  // the reopening failed too, with the same text: a repeat, dropped
}

} // namespace
