// The loader dialog against the simulated boot loader on a pty, reached
// through the main window's hand-over: a firmware file arrives whole in the
// clock's memory, and every way an upload can fail leaves the dialog open
// with a message and no wait without end; throughout, the event loop runs.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <fstream>

#include "HexTestData.h"
#include "WindowFixture.h"
#include "app/LoaderDialog.h"
#include "sim/BootSim.h"
#include "support/test_env.h"

using namespace std::chrono_literals;

namespace {

using bootsim::Ready;
using bootsim::Verdict;

// The byte the test firmware holds at `address`.
char firmwareByte(int address)
{
    return static_cast<char>((address * 7 + 3) & 0xFF);
}

// Records of 16 bytes over each [from, to) span, in order, and the memory
// image they make (FF where they leave a gap).
struct Firmware {
    std::vector<std::string> lines;
    std::string image = std::string(0x10000, '\xFF');
};

Firmware makeFirmware(const std::vector<std::pair<int, int>>& spans)
{
    Firmware f;
    for (const auto& [from, to] : spans)
        for (int a = from; a < to; a += 16) {
            for (int i = a; i < std::min(a + 16, to); ++i)
                f.image[static_cast<std::size_t>(i)] = firmwareByte(i);
            f.lines.push_back(hextest::data(a, f.image.substr(static_cast<std::size_t>(a),
                                                               static_cast<std::size_t>(std::min(16, to - a)))));
        }
    f.lines.push_back(hextest::kEof);
    return f;
}

class LoaderDialogTest : public windowtest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        folder = testenv::makeTempDir("loader");
        app::TMainForm& w = makeWindow();
        w.ComPort().SetPort(sim.slavePath());
        loader = std::make_unique<app::TFLoader>(&w);
        loader->setTiming(timing);
        loader->setFileChooser([this](QWidget*) { return chosen; });
        // A box runs the event loop until it is dismissed.
        loader->setMessageBox([this](QWidget*, const QString& text) {
            boxes.push_back(text);
            waitFor([] { return false; }, 100);
        });
        loader->setModalRun([this](app::TFLoader& d) {
            ranModal = true;
            clickAfterWakeUps(d);
        });
        w.setLoaderRun([this](const std::string& port) { loader->execOn(port); });
    }
    void TearDown() override
    {
        loader.reset();
        WindowTest::TearDown();
    }

    // The user waits for the wake-up timer to reach the clock, clicks
    // "Ladda Hexfil" and tries to close the dialog. Meanwhile a 50 ms timer
    // goes on firing.
    void clickAfterWakeUps(app::TFLoader& d)
    {
        EXPECT_TRUE(d.TimerBoot().isActive());
        EXPECT_TRUE(waitFor([this] { return sim.wakeUps() >= 2; }, 3000));
        QTimer ticks;
        const auto start = std::chrono::steady_clock::now();
        std::chrono::steady_clock::duration longestGap{};
        QObject::connect(&ticks, &QTimer::timeout, [&, last = start]() mutable {
            longestGap = std::max(longestGap, std::chrono::steady_clock::now() - last);
            last = std::chrono::steady_clock::now();
        });
        ticks.start(50);
        d.Button1->click();
        EXPECT_FALSE(d.Button1->isEnabled());
        EXPECT_FALSE(d.close());
        d.reject();
        if (!waitFor([&d] { return !d.upload().running(); }, 10000)) {
            ADD_FAILURE() << "the upload waited without end";
            sim.hangUp();
        }
        uploadTook = std::chrono::steady_clock::now() - start;
        EXPECT_LT(longestGap, 250ms);
        EXPECT_TRUE(d.Button1->isEnabled());
    }

    QString writeFile(const std::string& name, const std::string& text)
    {
        const std::string path = folder + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return QString::fromStdString(path);
    }

    app::BootTiming timing = [] {
        app::BootTiming t;
        t.replyInterval = 200ms;
        t.readyWait = 200ms;
        t.readyTries = 3;
        t.pageReplyWait = 1000ms;
        t.drainQuiet = 100ms;
        t.drainLimit = 2000ms;
        t.refusalLimit = 4;
        return t;
    }();
    bootsim::BootSim sim;
    std::string folder;
    std::unique_ptr<app::TFLoader> loader;
    QString chosen;
    std::vector<QString> boxes;
    bool ranModal = false;
    std::chrono::steady_clock::duration uploadTook{};
};

TEST_F(LoaderDialogTest, UploadsAFileWholeThroughTheHandOver)
{
    // Page 1 starts mid-page, records run over page ends, page 2 ends early
    // (a gap: the warning comes up), and the last record runs into page 4.
    const Firmware f = makeFirmware({{0x0108, 0x02F0}, {0x0308, 0x0408}});
    chosen = writeFile("firmware.hex", hextest::file(f.lines));
    sim.answerEnds({Verdict::Ok, Verdict::Refuse, Verdict::Ok, Verdict::Short, Verdict::Ok, Verdict::Refuse});

    window->Button3Click();

    EXPECT_TRUE(ranModal);
    // The closing record is the last write; the simulated boot loader reads it in its own time.
    EXPECT_TRUE(waitFor([this] { return sim.closed(); }, 3000));
    EXPECT_EQ(sim.failures(), std::vector<std::string>{});
    const std::string memory = sim.memory(0, 0x10000);
    const auto wrong = std::mismatch(memory.begin(), memory.end(), f.image.begin()).first - memory.begin();
    EXPECT_EQ(wrong, 0x10000) << "the first wrong byte";
    EXPECT_EQ(sim.pagesWritten(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(boxes, (std::vector<QString>(2, QStringLiteral("Konstig adress dök upp"))));
    EXPECT_EQ(loader->LBoot->text(), "OK");
    EXPECT_EQ(loader->result(), QDialog::Accepted);
    // The loader has let go of the line and the main window has it again.
    EXPECT_FALSE(loader->ComPort().Connected());
    EXPECT_FALSE(loader->TimerBoot().isActive());
    EXPECT_TRUE(window->ComPort().Connected());
    EXPECT_TRUE(window->Timer1().isActive());
    settle();
    EXPECT_EQ(reports.size(), 0u);
}

TEST_F(LoaderDialogTest, FailedUploadsSayWhyWithinTheirBoundAndLeaveTheDialogOpen)
{
    struct Case {
        const char* what;
        std::vector<Ready> ready;
        Ready readyOtherwise;
        std::vector<Verdict> ends;
        Verdict endsOtherwise;
        const char* says;
        std::chrono::milliseconds bound;
        const char* page;  // shown at the end
    };
    // Each upload starts at page 0, whatever the one before showed.
    const Case cases[] = {
        {"a silent last page", {}, Ready::Yes, {Verdict::Ok, Verdict::Silent}, Verdict::Ok,
         "Inget svar från bootloadern efter sida 1", 1000ms + 1500ms, "1"},
        {"a silent clock", {}, Ready::Silent, {}, Verdict::Ok, "Ingen kontakt med bootloadern",
         3 * 200ms + 1500ms, "0"},
        {"a silent page", {}, Ready::Yes, {Verdict::Silent}, Verdict::Ok, "Inget svar från bootloadern",
         1000ms + 1500ms, "0"},
        {"a page always refused", {}, Ready::Yes, {}, Verdict::Refuse, "tog inte emot sida", 1500ms, "1"},
    };
    const Firmware f = makeFirmware({{0x0000, 0x0120}});
    chosen = writeFile("firmware.hex", hextest::file(f.lines));
    for (const Case& c : cases) {
        boxes.clear();
        sim.answerWakeUps(c.ready, c.readyOtherwise);
        sim.answerEnds(c.ends, c.endsOtherwise);
        window->Button3Click();
        ASSERT_EQ(boxes.size(), 1u) << c.what;
        EXPECT_TRUE(boxes[0].contains(QString::fromUtf8(c.says))) << c.what << ": " << boxes[0].toStdString();
        EXPECT_LT(uploadTook, c.bound) << c.what;
        EXPECT_EQ(loader->LBoot->text().toStdString(), c.page) << c.what;
        EXPECT_NE(loader->result(), QDialog::Accepted) << c.what;
        EXPECT_FALSE(sim.closed()) << c.what;
        EXPECT_TRUE(window->ComPort().Connected()) << c.what;
    }
}

TEST_F(LoaderDialogTest, NothingGoesToTheClockUnlessAFileCanBeLoaded)
{
    struct Case { const char* what; QString file; const char* says; };
    const Case cases[] = {
        {"the chooser cancelled", QString(), nullptr},
        {"a checksum fault", writeFile("bad.hex", ":0100000041BF\r\n:00000001FF\r\n"), "rad 1: felaktig checksumma"},
        {"no end-of-file record", writeFile("short.hex", hextest::data(0, "\x01") + "\r\n"), "slutposten"},
        {"records out of page order",
         writeFile("order.hex", hextest::file({hextest::data(0x0200, "\x01"), hextest::data(0x0100, "\x02"),
                                               hextest::kEof})), "rad 2"},
        {"no such file", QString::fromStdString(folder + "/missing.hex"), "finns inte"},
        {"a folder", QString::fromStdString(folder), "kan inte läsas"},
    };
    for (const Case& c : cases) {
        reports.clear();
        chosen = c.file;
        loader->setModalRun([&](app::TFLoader& d) {
            d.Button1->click();
            // The wake-up goes on: the clock keeps waiting for a file.
            EXPECT_TRUE(d.TimerBoot().isActive()) << c.what;
        });
        window->Button3Click();
        settle();
        EXPECT_EQ(sim.lines(), std::vector<std::string>{}) << c.what;
        if (c.says) {
            ASSERT_EQ(errors().size(), 1u) << c.what;
            EXPECT_TRUE(errors()[0].contains(QString::fromUtf8(c.says))) << c.what << ": " << errors()[0].toStdString();
        } else {
            EXPECT_EQ(reports.size(), 0u) << c.what;
        }
    }
}

TEST_F(LoaderDialogTest, APortThatCannotBeOpenedIsReportedAndTheDialogNotShown)
{
    window->ComPort().SetPort(folder + "/no-such-tty");
    window->Button3Click();
    settle();
    EXPECT_FALSE(ranModal);
    EXPECT_FALSE(loader->TimerBoot().isActive());
    EXPECT_FALSE(errors().empty());
}

TEST_F(LoaderDialogTest, TheLoadersLineHasDtrAndRtsOffAndNoFlowControl)
{
    loader->setModalRun([this](app::TFLoader& d) {
        const platform::SerialLineState s = d.ComPort().AppliedLineState();
        EXPECT_EQ(s.BaudRate, 9600u);
        EXPECT_EQ(s.ByteSize, 8u);
        EXPECT_EQ(s.Parity, platform::kParityNone);
        EXPECT_EQ(s.StopBits, platform::kOneStopBit);
        EXPECT_EQ(s.Flags & (platform::kLineDtrControlMask | platform::kLineRtsControlMask | platform::kLineOutxCtsFlow |
                             platform::kLineOutxDsrFlow | platform::kLineOutX | platform::kLineInX),
                  0u);
        EXPECT_EQ(s.EvtChar, 13u);
        ranModal = true;
    });
    window->Button3Click();
    EXPECT_TRUE(ranModal);
}

} // namespace
