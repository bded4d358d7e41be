// The upload to the boot loader, byte by byte and tick by tick: the exact
// bytes on the wire for each turn of the exchange, and every way it can end.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <stdexcept>

#include "HexTestData.h"
#include "app/BootUpload.h"

namespace {

using namespace std::chrono_literals;
using Clock = app::BootUpload::Clock;
using State = app::BootUpload::State;
using hextest::data;
using hextest::kEof;

const std::string W = "\x13";
std::string cr(const std::string& line) { return line + "\r"; }
const std::string kEnd = cr(":00000001FF");
const std::string kClose = cr(":00000009F7");

// The boot loader at the far end of the line, as far as the exchange goes:
// scripted answers to wake-up bytes and to end records. Time moves on by one
// step whenever the program reads and nothing has come, and by writeTakes
// with each write.
class FakeLine : public app::BootPort {
public:
    explicit FakeLine(Clock::time_point& now) : now_(now) {}

    struct Write { std::string bytes; Clock::time_point at; };
    std::vector<Write> writes;
    std::deque<std::string> readyAnswers;  // then "LD\r"
    std::deque<std::string> endAnswers;    // then endOtherwise
    std::string endOtherwise = "OK\r";
    bool chatter = false;                  // sends a byte at every read once it is ready
    bool failWrites = false;
    Clock::duration writeTakes{};

    std::vector<std::string> wire() const
    {
        std::vector<std::string> out;
        for (const Write& w : writes)
            out.push_back(w.bytes);
        return out;
    }

    void write(const std::string& bytes) override
    {
        if (failWrites)
            throw std::runtime_error("the line has gone");
        writes.push_back({bytes, now_});
        now_ += writeTakes;
        if (bytes == W) {
            pending_ += next(readyAnswers, "LD\r");
            ready_ = true;
        } else if (bytes == kEnd) {
            pending_ += next(endAnswers, endOtherwise);
        }
    }

    std::string read() override
    {
        if (chatter && ready_)
            pending_ += "x";
        if (pending_.empty() || chatter) {
            now_ += 10ms;
            if (++slowReads_ > 100000)
                throw std::runtime_error("the upload never ends");
        }
        return std::exchange(pending_, {});
    }

private:
    static std::string next(std::deque<std::string>& script, const std::string& otherwise)
    {
        if (script.empty())
            return otherwise;
        std::string s = script.front();
        script.pop_front();
        return s;
    }

    Clock::time_point& now_;
    std::string pending_;
    bool ready_ = false;
    int slowReads_ = 0;
};

class BootUploadTest : public ::testing::Test {
protected:
    app::BootEvents events()
    {
        return {[this](int page) { shown.push_back(std::to_string(page)); }, [this] { shown.push_back("OK"); },
                [this] { ++strangeAddresses; }};
    }

    void load(const std::vector<std::string>& lines)
    {
        upload.start(app::readIntelHex(hextest::file(lines)));
        run();
    }
    // Steps as the dialog's event loop does; answers the longest step.
    Clock::duration run()
    {
        Clock::duration longest{};
        while (upload.running()) {
            const Clock::time_point before = now;
            app::stepBootUpload(upload, line);
            longest = std::max(longest, now - before);
        }
        return longest;
    }

    Clock::time_point now{};
    FakeLine line{now};
    std::vector<std::string> shown;
    int strangeAddresses = 0;
    app::BootTiming timing;
    app::BootUpload upload{line, events(), timing, [this] { return now; }};
};

// ---- the exchange ----------------------------------------------------------------

struct Exchange {
    const char* what;
    std::vector<std::string> file;
    std::deque<std::string> endAnswers;
    std::vector<std::string> wire;
    std::vector<std::string> shown;
    int strangeAddresses;
};

TEST_F(BootUploadTest, BytesOnTheWire)
{
    const std::string L1 = cr(hextest::kWorkedFile[0]);
    const std::string L2 = cr(hextest::kWorkedFile[1]);
    const std::string P0 = cr(":00000002FE");
    const std::string P1 = cr(":00010002FD");
    const std::string P2 = cr(":00020002FC");
    const std::string spill1 = cr(":0801000008090A0B0C0D0E0F9B");
    const std::string seg0 = hextest::record(0x0000, 0x02, std::string("\0\0", 2));
    const std::string segE0 = hextest::record(0xE000, 0x02, "");
    const std::string d0 = data(0x0000, "\x01");
    const std::string tail = data(0x01F8, hextest::counting(0, 16));

    const Exchange cases[] = {
        {"the worked file", hextest::kWorkedFile, {},
         {W, L1, kEnd, P1, spill1, L2, kEnd, kClose}, {"1", "OK"}, 0},
        {"a refused page goes again after its own page record", hextest::kWorkedFile, {"NO\r"},
         {W, L1, kEnd, P1, P0, L1, kEnd, P1, spill1, L2, kEnd, kClose}, {"1", "0", "1", "OK"}, 0},
        {"a refused last page goes again with the part that ran into it", hextest::kWorkedFile, {"OK\r", "NO\r"},
         {W, L1, kEnd, P1, spill1, L2, kEnd, spill1, L2, kEnd, kClose}, {"1", "OK"}, 0},
        {"a first record above page 0 starts with an end record", {data(0x1F00, "\x01"), kEof}, {},
         {W, kEnd, cr(":001F0002DF"), cr(data(0x1F00, "\x01")), kEnd, kClose}, {"31", "OK"}, 0},
        {"the part of the last record in the next page goes too", {tail, kEof}, {},
         {W, kEnd, P1, cr(tail), kEnd, P2, cr(":0802000008090A0B0C0D0E0F9A"), kEnd, kClose}, {"1", "2", "OK"}, 0},
        {"a record ending at the page boundary leaves an empty record", {data(0x00F0, hextest::counting(0, 16)),
                                                                         data(0x0100, "\x01"), kEof}, {},
         {W, cr(data(0x00F0, hextest::counting(0, 16))), kEnd, P1, cr(":00010000FF"), cr(data(0x0100, "\x01")), kEnd,
          kClose}, {"1", "OK"}, 0},
        {"a gap at the end of a page is shown, not sent", {data(0x00F0, "\x01"), data(0x0100, "\x02"), kEof}, {},
         {W, cr(data(0x00F0, "\x01")), kEnd, P1, cr(data(0x0100, "\x02")), kEnd, kClose}, {"1", "OK"}, 1},
        {"the gap is shown again when the page is refused", {data(0x00F0, "\x01"), data(0x0100, "\x02"), kEof},
         {"OK\r", "NO\r"},
         {W, cr(data(0x00F0, "\x01")), kEnd, P1, cr(data(0x0100, "\x02")), kEnd, cr(data(0x0100, "\x02")), kEnd,
          kClose}, {"1", "OK"}, 2},
        {"a page-select record below E0 goes as it is", {seg0, d0, kEof}, {},
         {W, cr(seg0), cr(d0), kEnd, kClose}, {"OK"}, 0},
        {"a page-select record from E0 on closes the page and is held back", {d0, segE0, kEof}, {},
         {W, cr(d0), kEnd, kEnd, kClose}, {"OK"}, 0},
        {"the reply to that end record is read: a refusal sends the page again", {d0, segE0, kEof}, {"NO\r"},
         {W, cr(d0), kEnd, P0, cr(d0), kEnd, kEnd, kClose}, {"0", "OK"}, 0},
        {"a held page-select record with no page open sends nothing", {segE0, kEof}, {},
         {W, kEnd, kClose}, {"OK"}, 0},
        {"fewer than two bytes are a refusal", hextest::kWorkedFile, {"O"},
         {W, L1, kEnd, P1, P0, L1, kEnd, P1, spill1, L2, kEnd, kClose}, {"1", "0", "1", "OK"}, 0},
    };
    for (const Exchange& c : cases) {
        now = {};
        line.writes.clear();
        line.endAnswers = c.endAnswers;
        shown.clear();
        strangeAddresses = 0;
        load(c.file);
        EXPECT_EQ(upload.state(), State::Done) << c.what << ": " << upload.failure();
        EXPECT_EQ(line.wire(), c.wire) << c.what;
        EXPECT_EQ(shown, c.shown) << c.what;
        EXPECT_EQ(strangeAddresses, c.strangeAddresses) << c.what;
    }
}

TEST_F(BootUploadTest, TheRecordBeforeAPageChangeIsNotLookedAtAgainWhenItSelectsAPage)
{
    // Going back to a page-select record would select its page again and
    // start the same page change without end.
    const std::string seg1 = hextest::record(0x0100, 0x02, "");
    load({data(0x0000, "\x01"), seg1, data(0x0200, "\x02"), kEof});
    EXPECT_EQ(upload.state(), State::Done);
    EXPECT_EQ(line.wire(), (std::vector<std::string>{W, cr(data(0x0000, "\x01")), cr(seg1), kEnd,
                                                     cr(":00020002FC"), cr(data(0x0200, "\x02")), kEnd, kClose}));
}

TEST_F(BootUploadTest, OnASlowLineTheCallerGetsItsTurnBetweenRecords)
{
    // At 9600 baud a record takes some 40 ms to leave the port; a page of
    // them sent in one call would hold the window for most of a second.
    line.writeTakes = 40ms;
    upload.start(app::readIntelHex(
        hextest::file({data(0x00, "\x01"), data(0x10, "\x02"), data(0x20, "\x03"), data(0x30, "\x04"), kEof})));
    EXPECT_LE(run(), timing.sendSlice + 2 * line.writeTakes);
    EXPECT_EQ(upload.state(), State::Done);
}

// ---- replies and waits -----------------------------------------------------------

TEST_F(BootUploadTest, AReplyOfFewerThanThreeBytesEndsAfterTheIntervalOnly)
{
    line.endAnswers = {"OK"};
    load(hextest::kWorkedFile);
    ASSERT_EQ(upload.state(), State::Done);
    // The page record follows the end record once the line has been quiet
    // for the interval after the "K".
    const auto& w = line.writes;
    ASSERT_EQ(w[2].bytes, kEnd);
    EXPECT_GE(w[3].at - w[2].at, timing.replyInterval);
    EXPECT_LT(w[3].at - w[2].at, timing.replyInterval + 100ms);
}

TEST_F(BootUploadTest, WhatElseArrivesAfterLdIsDrainedUntilTheLineIsQuiet)
{
    line.readyAnswers = {"LD\rLD\rLD\r"};
    load(hextest::kWorkedFile);
    ASSERT_EQ(upload.state(), State::Done);
    // The stale "LD" replies were not taken for the reply to the first end
    // record (which would have been a refusal), and the first record waited
    // for the quiet.
    EXPECT_EQ(line.wire(), (std::vector<std::string>{W, cr(hextest::kWorkedFile[0]), kEnd, cr(":00010002FD"),
                                                     cr(":0801000008090A0B0C0D0E0F9B"), cr(hextest::kWorkedFile[1]),
                                                     kEnd, kClose}));
    EXPECT_GE(line.writes[1].at - line.writes[0].at, timing.drainQuiet);
}

TEST_F(BootUploadTest, HandShakeTriesAgainUntilLd)
{
    line.readyAnswers = {"NO\r", "", "LX\r"};
    load(hextest::kWorkedFile);
    EXPECT_EQ(upload.state(), State::Done);
    const auto wire = line.wire();
    EXPECT_EQ(std::count(wire.begin(), wire.end(), W), 4);
}

struct Ending {
    const char* what;
    std::deque<std::string> readyAnswers;
    std::deque<std::string> endAnswers;
    std::string endOtherwise;
    bool chatter;
    const char* says;
    int wakeUps;
    std::chrono::milliseconds within;
    std::vector<std::string> file = hextest::kWorkedFile;
};

TEST_F(BootUploadTest, EveryWaitIsBoundedAndAnEarlyEndIsNoSuccess)
{
    const auto silentTries = std::deque<std::string>(10, "");
    const Ending cases[] = {
        {"a silent clock", silentTries, {}, "OK\r", false, "\"LD\"", 10, 10s + 100ms},
        {"a clock that is never ready", std::deque<std::string>(10, "NO\r"), {}, "OK\r", false, "\"LD\"", 10, 100ms},
        {"no reply to a closed page", {}, {""}, "OK\r", false, "Inget svar från bootloadern efter sida 0", 1,
         2s + 5s + 100ms},
        {"no reply to the end-of-file record", {}, {"OK\r", ""}, "OK\r", false,
         "Inget svar från bootloadern efter sida 1", 1, 2s + 5s + 100ms},
        {"a page refused again and again", {}, {}, "NO\r", false, "tog inte emot sida 0 på 10 försök", 1, 2s + 100ms},
        {"a line that never goes quiet", {}, {}, "OK\r", true, "slutar inte sända", 1, 10s + 100ms},
        {"no reply after a held page-select record closed page 1", {}, {"OK\r", ""}, "OK\r", false,
         "Inget svar från bootloadern efter sida 1;", 1, 2s + 5s + 100ms,
         {data(0x0100, "\x01"), hextest::record(0xE000, 0x02, ""), kEof}},
    };
    for (const Ending& c : cases) {
        now = {};
        line.writes.clear();
        line.readyAnswers = c.readyAnswers;
        line.endAnswers = c.endAnswers;
        line.endOtherwise = c.endOtherwise;
        line.chatter = c.chatter;
        shown.clear();
        load(c.file);
        EXPECT_EQ(upload.state(), State::Failed) << c.what;
        EXPECT_NE(upload.failure().find(c.says), std::string::npos) << c.what << ": " << upload.failure();
        const auto wire = line.wire();
        EXPECT_EQ(std::count(wire.begin(), wire.end(), W), c.wakeUps) << c.what;
        EXPECT_EQ(std::count(wire.begin(), wire.end(), kClose), 0) << c.what;
        EXPECT_EQ(std::count(shown.begin(), shown.end(), "OK"), 0) << c.what;
        EXPECT_LE(now - Clock::time_point{}, c.within) << c.what;
    }
}

TEST_F(BootUploadTest, ALineThatFailsAbandonsTheUpload)
{
    upload.start(app::readIntelHex(hextest::file(hextest::kWorkedFile)));
    line.failWrites = true;
    EXPECT_THROW(run(), std::runtime_error);
    EXPECT_EQ(upload.state(), State::Abandoned);
    EXPECT_FALSE(upload.running());
}

} // namespace
