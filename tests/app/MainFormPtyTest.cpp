// The whole program against the simulated clock on a pty: the window
// (offscreen) with its real timer, port and event loop.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "WindowFixture.h"
#include "sim/ClockSim.h"

using namespace std::chrono_literals;

namespace {

class MainFormPtyTest : public windowtest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        portList.setNames({QString::fromStdString(sim.slavePath())});
        app::MainSettings s;
        s.Comport = QString::fromStdString(sim.slavePath());
        storeSettings(s);
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        if (heldLock >= 0)
            ::close(heldLock);
    }

    // One turn of the program's event loop.
    void pump() { waitFor([] { return false; }, 5); }
    std::function<void()> pumper() { return [this] { pump(); }; }

    // The window started as at program start, identified by the clock.
    app::TMainForm& startIdentified()
    {
        app::TMainForm& w = makeWindow();
        w.show();
        w.Init();
        EXPECT_TRUE(sim.waitUntil([&] { return sim.acknowledgements() == 1; }, 5000ms, pumper()));
        return w;
    }

    // The user picks the port at `index` in the selector.
    void pickPort(int index)
    {
        window->ComComboBox->setCurrentIndex(index);
        emit window->ComComboBox->activated(index);
        settle();
    }

    // Another program takes the line: opening it here fails until released.
    void lockLine(const std::string& path)
    {
        heldLock = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(heldLock, 0);
        ASSERT_EQ(::flock(heldLock, LOCK_EX | LOCK_NB), 0);
    }
    void releaseLine()
    {
        ::close(heldLock);
        heldLock = -1;
    }
    // Nobody holds the line: it can be locked now.
    static bool lineIsFree(const std::string& path)
    {
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        ::close(fd);
        return free;
    }

    bool waitForCommandStartingWith(clocksim::ClockSim& clock, const std::string& prefix)
    {
        return clock.waitUntil(
            [&] {
                for (const std::string& c : clock.commands())
                    if (c.rfind(prefix, 0) == 0)
                        return true;
                return false;
            },
            5000ms, pumper());
    }

    clocksim::ClockSim sim;
    int heldLock = -1;
};

TEST_F(MainFormPtyTest, IdentifiesTheClockOnTheRememberedPort)
{
    sim.setIdentification(std::string(clocksim::kIdentification2003));
    app::TMainForm& w = startIdentified();
    EXPECT_TRUE(w.ComPort().Connected());
    EXPECT_EQ(sim.commands(), std::vector<std::string>{"VER"});
    EXPECT_EQ(w.VerLabel->text(), QString::fromLatin1(clocksim::kIdentification2003));
    EXPECT_TRUE(w.Lin->text().startsWith(QString::fromLatin1(clocksim::kIdentification2003)));
    EXPECT_TRUE(w.link().OldKlsw());
    EXPECT_FALSE(w.link().busy());
    EXPECT_TRUE(sim.failures().empty());
    EXPECT_TRUE(reports.empty());
}

TEST_F(MainFormPtyTest, LampsShowSentAndReceivedData)
{
    app::TMainForm& w = makeWindow();
    EXPECT_EQ(w.ComLed1->Kind(), serial::TLedKind::lkRedLight);
    EXPECT_EQ(w.ComLed2->Kind(), serial::TLedKind::lkGreenLight);
    std::vector<std::string> seen;
    w.ComLed1->OnChange = [&](serial::TComLed*, serial::TLedState s) {
        seen.push_back(s == serial::TLedState::lsOn ? "TX on" : "TX off");
    };
    w.ComLed2->OnChange = [&](serial::TComLed*, serial::TLedState s) {
        seen.push_back(s == serial::TLedState::lsOn ? "RX on" : "RX off");
    };
    w.Init();
    ASSERT_TRUE(sim.waitUntil([&] { return sim.acknowledgements() == 1; }, 5000ms, pumper()));
    // Both go out again 100 ms after the last activity.
    ASSERT_TRUE(waitFor([&] { return !seen.empty() && seen.back().find("off") != std::string::npos &&
                                     w.ComLed1->State() == serial::TLedState::lsOff &&
                                     w.ComLed2->State() == serial::TLedState::lsOff; },
                        3000)) << ::testing::PrintToString(seen);
    const auto first = [&](const std::string& what) { return std::find(seen.begin(), seen.end(), what) - seen.begin(); };
    EXPECT_LT(first("TX on"), first("RX on"));  // "VER" goes out before the clock answers
    EXPECT_LT(first("RX on"), static_cast<long>(seen.size()));
    // The lamps report once more while the window goes.
    w.ComLed1->OnChange = nullptr;
    w.ComLed2->OnChange = nullptr;
}

TEST_F(MainFormPtyTest, ResendsUntilTheClockAcknowledgesThenStops)
{
    sim.answerCopies("VER", {clocksim::Answer::Silence, clocksim::Answer::Silence, clocksim::Answer::Ack});
    app::TMainForm& w = makeWindow();
    w.Init();
    ASSERT_TRUE(sim.waitForCopies("VER", 3, 5000ms, pumper()));
    ASSERT_TRUE(sim.waitUntil([&] { return sim.acknowledgements() == 1; }, 3000ms, pumper()));
    // With the ACK nothing is left to resend (a resend would come within 0.4 s).
    sim.waitUntil([] { return false; }, 1000ms, pumper());
    EXPECT_EQ(sim.copiesOf("VER"), 3);
    EXPECT_FALSE(w.link().busy());

    std::vector<clocksim::Frame> vers;
    for (const clocksim::Frame& f : sim.frames())
        if (f.text == "VER")
            vers.push_back(f);
    ASSERT_EQ(vers.size(), 3u);
    EXPECT_EQ(vers[0].bytes + "\r", std::string("VER\x93\r"));
    // Resent after five to six ticks, then after four (the exact rhythm:
    // ClockLinkTest), about 1 s in all. Timed where the simulated clock
    // receives, which a loaded machine may delay, so only a lower bound with
    // room for that: a resend on every tick or every other comes far sooner.
    EXPECT_GE(vers[2].firstByteSteady - vers[0].firstByteSteady, 700ms);
    EXPECT_TRUE(sim.failures().empty());
}

// Noise without a CR, more than the port's input queue holds, must not stop
// the link from reading: the noise is thrown away up to its CR and the next
// proper line is answered.
TEST_F(MainFormPtyTest, AnswersTheNextLineAfterNoiseLongerThanTheInputQueue)
{
    struct Case {
        const char* name;
        std::size_t chunk;  // noise bytes per write; a turn of the event loop between writes
        const char* identification;
    };
    app::TMainForm& w = startIdentified();
    for (const Case& c : {Case{"one burst", 4096, clocksim::kIdentification2003},
                          Case{"at line pace", 32, clocksim::kIdentification2004}}) {
        sim.clearRecords();
        for (std::size_t sent = 0; sent < 4096; sent += c.chunk) {
            sim.sendRaw(std::string(c.chunk, 'A'));
            pump();
        }
        sim.sendRaw("\r" + clocksim::framed(c.identification));
        EXPECT_TRUE(sim.waitUntil([&] { return sim.acknowledgements() == 1; }, 2000ms, pumper())) << c.name;
        EXPECT_EQ(w.VerLabel->text(), QString::fromLatin1(c.identification)) << c.name;
        EXPECT_TRUE(sim.failures().empty()) << c.name;
    }
    EXPECT_TRUE(reports.empty());
}

TEST_F(MainFormPtyTest, SetKlockaSetsTheClockToTheSecondItArrivesIn)
{
    app::TMainForm& w = startIdentified();
    sim.clearRecords();
    QTest::mouseClick(w.Button4, Qt::LeftButton);
    ASSERT_TRUE(waitForCommandStartingWith(sim, "SET-"));
    const std::vector<std::string> commands = sim.commands();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0], "VER");
    const std::string& set = commands[1];
    ASSERT_EQ(set.size(), 9u);
    EXPECT_EQ(set.find_first_not_of("0123456789", 4), std::string::npos) << set;

    clocksim::Frame frame;
    for (const clocksim::Frame& f : sim.frames())
        if (f.text == set)
            frame = f;
    const std::time_t arrived = std::chrono::system_clock::to_time_t(frame.firstByteWall);
    std::tm local{};
    localtime_r(&arrived, &local);
    const int secondOfDay = (local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec;
    EXPECT_LE(std::abs(std::stoi(set.substr(4)) - secondOfDay), 1) << set;
    EXPECT_TRUE(sim.failures().empty());
    EXPECT_TRUE(reports.empty());
}

TEST_F(MainFormPtyTest, ThePortSelectorMovesTheLinkToAnotherPort)
{
    clocksim::ClockSim other;
    portList.setNames({QString::fromStdString(sim.slavePath()), QString::fromStdString(other.slavePath())});
    app::TMainForm& w = startIdentified();
    const int otherIndex = w.ComComboBox->findText(QString::fromStdString(other.slavePath()));
    ASSERT_GE(otherIndex, 0);
    sim.clearRecords();

    pickPort(otherIndex);
    EXPECT_EQ(w.ComPort().Port(), other.slavePath());
    EXPECT_TRUE(w.ComPort().Connected());
    EXPECT_TRUE(lineIsFree(sim.slavePath()));

    QTest::mouseClick(w.Button4, Qt::LeftButton);
    ASSERT_TRUE(waitForCommandStartingWith(other, "SET-"));
    EXPECT_TRUE(sim.commands().empty());
    EXPECT_TRUE(other.failures().empty());
    EXPECT_TRUE(reports.empty());

    closeWindow();
    EXPECT_EQ(storedSettings().Comport, QString::fromStdString(other.slavePath()));
}

// An open port moved to a line it cannot open: the port's own error is
// reported, not "Ingen Comport", and the port stays closed.
TEST_F(MainFormPtyTest, ASwitchToATakenLineReportsThePortError)
{
    clocksim::ClockSim other;
    portList.setNames({QString::fromStdString(sim.slavePath()), QString::fromStdString(other.slavePath())});
    app::TMainForm& w = startIdentified();
    lockLine(other.slavePath());
    pickPort(w.ComComboBox->findText(QString::fromStdString(other.slavePath())));
    EXPECT_FALSE(w.ComPort().Connected());
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(errors().size(), 1u);
}

TEST_F(MainFormPtyTest, LoaderHandOverFreesTheLineAndTakesItBack)
{
    app::TMainForm& w = startIdentified();
    struct Seen {
        bool called = false;
        std::string port;
        bool connected = true;
        bool timerActive = true;
        bool lineFree = false;
    } seen;
    w.setLoaderRun([&](const std::string& port) {
        seen = {true, port, w.ComPort().Connected(), w.Timer1().isActive(), lineIsFree(port)};
    });
    sim.clearRecords();
    QTest::mouseClick(w.Button3, Qt::LeftButton);
    ASSERT_TRUE(seen.called);
    EXPECT_EQ(seen.port, sim.slavePath());
    EXPECT_FALSE(seen.connected);
    EXPECT_FALSE(seen.timerActive);
    EXPECT_TRUE(seen.lineFree);

    EXPECT_TRUE(w.ComPort().Connected());
    EXPECT_TRUE(w.Timer1().isActive());
    QTest::mouseClick(w.Button4, Qt::LeftButton);
    ASSERT_TRUE(waitForCommandStartingWith(sim, "SET-"));
    EXPECT_TRUE(reports.empty());
}

// When the line cannot be had back, or the loader fails, the error is
// reported and the timer runs on: the outstanding command is written as soon
// as the user picks a port that opens.
TEST_F(MainFormPtyTest, TimerRunsAfterTheHandOverEvenWhenItFails)
{
    struct Case {
        const char* name;
        bool lineTaken;      // another program holds the line when the port reopens
        bool loaderThrows;
    };
    for (const Case& c : {Case{"reopen fails", true, false}, Case{"loader fails", false, true}}) {
        sim.setDefaultAnswer(clocksim::Answer::Silence);  // "VER" stays outstanding
        sim.clearRecords();
        reports.clear();
        app::TMainForm& w = makeWindow();
        w.Init();
        ASSERT_TRUE(sim.waitForCopies("VER", 1, 3000ms, pumper())) << c.name;
        w.setLoaderRun([&](const std::string& port) {
            if (c.lineTaken)
                lockLine(port);
            if (c.loaderThrows)
                throw std::runtime_error("loader failed");
        });
        QTest::mouseClick(w.Button3, Qt::LeftButton);
        settle();
        EXPECT_TRUE(w.Timer1().isActive()) << c.name;
        ASSERT_EQ(errors().size(), 1u) << c.name;
        EXPECT_EQ(w.ComPort().Connected(), !c.lineTaken) << c.name;

        if (c.lineTaken) {
            releaseLine();
            pickPort(0);
            EXPECT_TRUE(w.ComPort().Connected()) << c.name;
        }
        sim.clearRecords();
        EXPECT_TRUE(sim.waitForCopies("VER", 2, 3000ms, pumper())) << c.name;
        EXPECT_TRUE(sim.failures().empty()) << c.name;
        closeWindow();
    }
}

} // namespace
