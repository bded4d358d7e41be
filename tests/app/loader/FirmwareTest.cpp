// Firmware for the clock: reading an Intel HEX file, with every fault that
// refuses it before anything reaches the clock, and the upload to the boot
// loader, byte by byte and tick by tick: the exact bytes on the wire for each
// turn of the exchange, and every way it can end.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "app/loader/BootRecords.h"
#include "app/loader/BootUpload.h"

namespace {

using namespace std::chrono_literals;
using Clock = app::BootUpload::Clock;
using State = app::BootUpload::State;
using Lines = std::vector<std::string>;

const std::string kEof = ":00000001FF";

// Lines joined with CR LF, as Windows programs write them.
std::string file(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& l : lines)
        out += l + "\r\n";
    return out;
}

// A record that runs from page 0 into page 1, one more in page 1, the end.
const std::vector<std::string> kWorkedFile = {":1000F800000102030405060708090A0B0C0D0E0F80", ":04010800A0A1A2A36D",
                                              ":00000001FF"};

// A record that ends at the end of page 0.
const std::string kFull = ":1000F000000102030405060708090A0B0C0D0E0F88";

std::vector<app::HexRecord> loadHex(const std::string& bytes)
{
    auto records = app::readIntelHex(bytes);
    app::checkLoadOrder(records);
    return records;
}

// Text before the first record, blank lines and trailing blanks among the
// records and whatever follows the end-of-file record are skipped; records
// that carry nothing for the clock's memory are left out; the rest is taken
// as the file has it, in any page order the loader can follow.
TEST(HexFile, TakesTheRecordsWithTheirLines)
{
    const std::string a = ":020000000102FB", b = ":0100100003EC", b2 = ":0101200001DD", d2 = ":0102000001FC";
    const std::string top = ":10FFF000000102030405060708090A0B0C0D0E0F89";  // up to FFFF
    const std::string nothing = ":020000040000FA\n" + a + "\n:0400000312345678E5\n:0400000500000100F6";
    struct Case { const char* what; std::string file; std::vector<std::string> texts; std::vector<int> lines; };
    const Case cases[] = {
        {"text, blanks, CR LF and lines after the end", "Firmware v3\n\n" + a + " \t\r\n\n  \n" + b + "\n" + kEof +
         "\nnonsense\n:zz\n", {a, b, kEof}, {3, 6, 7}},
        {"a last line without end", a + "\n" + kEof, {a, kEof}, {1, 2}},
        {"start and linear-zero records carry nothing", nothing + "\n" + kEof + "\n", {a, kEof}, {2, 5}},
        {"lower-case digits are taken as they are", ":010020004a95\n" + kEof, {":010020004a95", kEof}, {1, 2}},
        {"data up to FFFF is in range", top + "\n" + kEof, {top, kEof}, {1, 2}},
        {"any order within a page", file({b2, ":0101000002FC", kEof}), {b2, ":0101000002FC", kEof}, {1, 2, 3}},
        {"a gap of whole pages", file({a, ":0105000002F8", kEof}), {a, ":0105000002F8", kEof}, {1, 2, 3}},
        {"an empty record at a page's start", file({":00010000FF", b2, kEof}), {":00010000FF", b2, kEof}, {1, 2, 3}},
        {"a record up to a page's end, then a page beyond", file({kFull, d2, kEof}), {kFull, d2, kEof}, {1, 2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::pair<std::vector<std::string>, std::vector<int>> got;
        for (const auto& r : loadHex(c.file))
            got.first.push_back(r.text), got.second.push_back(r.lineNumber);
        EXPECT_EQ(got, std::pair(c.texts, c.lines));
    }
}

// A line that is no well-formed record, a checksum that does not add up, an
// address past FFFF, a missing end, or an order of pages the loader cannot
// follow without losing bytes: the file is refused, naming the line.
TEST(HexFile, FaultsRefuseTheFileWithTheirLine)
{
    const std::string ok = ":02010000AABB98";
    const std::string badSum = ok.substr(0, ok.size() - 1) + (ok.back() == '0' ? '1' : '0');
    const std::string spill = ":1001F800000102030405060708090A0B0C0D0E0F7F";
    struct Case { const char* what; std::string file; int line; const char* says; };
    const Case cases[] = {
        {"a line that is no record", ok + "\nhello\n" + kEof, 2, "rad 2: raden är ingen hexpost"},
        {"an odd number of digits", ok + "\n:01000000411\n" + kEof, 2, "udda"},
        {"a character that is no hex digit", ok + "\n:0100G00041BE\n" + kEof, 2, "inte är hexsiffror"},
        {"too short for a record", ":00000001\n" + kEof, 1, "för kort"},
        {"byte count larger than the data", ":0300000041BC\n" + kEof, 1, "antalet databyte"},
        {"byte count smaller than the data", ":0000000041BF\n" + kEof, 1, "antalet databyte"},
        {"a wrong checksum", badSum + "\n" + kEof, 1, "checksumma"},
        {"an unknown record type", ":00000006FA\n" + kEof, 1, "posttyp 06"},
        {"a type that differs only in its first digit", ":00000010F0\n" + kEof, 1, "posttyp 10"},
        {"data past FFFF", ":11FFF000000102030405060708090A0B0C0D0E0F1078\n" + kEof, 1, "utanför minnet"},
        {"an extended linear address above 64 KiB", ":020000040001F9\n" + kEof, 1, "utanför minnet"},
        {"an end-of-file record with data", ":0100000101FD", 1, "slutposten har data"},
        {"no end-of-file record", ok + "\n", 0, "Fel i hexfilen: slutposten"},
        {"nothing but text", "no records here\n", 0, "ingen hexpost"},
        {"a record below a page already sent", file({":0102000001FC", ":0101000002FC", kEof}), 2, "före"},
        {"a record below a held page", file({":0100000001FE", ":00E000021E", ":0101000002FC", kEof}), 3, "före"},
        {"a spill-over followed by its own page", file({spill, ":01018000017D", kEof}), 1, "sidgränsen"},
        {"a spill-over followed by a page beyond", file({spill, ":0103000001FB", kEof}), 1, "sidgränsen"},
        {"a spill-over followed by a page-select record", file({spill, ":020000020000FC", kEof}), 1, "sidgränsen"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            loadHex(c.file);
            ADD_FAILURE() << "the file was taken";
        } catch (const app::HexFileError& e) {
            EXPECT_EQ(e.line(), c.line);
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
}

const std::string W = "\x13";
std::string cr(const std::string& line) { return line + "\r"; }
const std::string kEnd = cr(":00000001FF");
const std::string kClose = cr(":00000009F7");

// The boot loader at the far end of the line, as far as the exchange goes,
// and an upload over it, stepped as the dialog's event loop does. Time moves
// on by 10 ms whenever the program reads and nothing has come, and by
// writeTakes with each write.
struct Rig : app::BootPort {
    std::deque<std::string> ready;  // answers to the wake-up bytes, then "LD"
    std::deque<std::string> ends;   // answers to the end records, then endOtherwise
    std::string endOtherwise = "OK\r";
    bool chatter = false;  // a byte at every read once woken
    std::size_t failAfter = SIZE_MAX;  // writes that go through before the line fails
    Clock::duration writeTakes{};
    Clock::time_point now{};
    Lines wire;       // what was written
    Lines shown;      // page numbers and "OK"
    int strange = 0;  // warnings of a gap
    app::BootUpload upload{*this,
                           {[this](int page) { shown.push_back(std::to_string(page)); },
                            [this] { shown.push_back("OK"); }, [this] { ++strange; }},
                           {}, [this] { return now; }};

    void write(const std::string& bytes) override
    {
        if (wire.size() >= failAfter)
            throw std::runtime_error("the line has gone");
        wire.push_back(bytes);
        now += writeTakes;
        if (std::deque<std::string>* script = bytes == W ? &ready : bytes == kEnd ? &ends : nullptr) {
            pending_ += script->empty() ? (bytes == W ? "LD\r" : endOtherwise) : script->front();
            if (!script->empty())
                script->pop_front();
        }
    }
    std::string read() override
    {
        if (wire.size() >= failAfter)
            throw std::runtime_error("the line has gone");
        if (chatter && !wire.empty())
            pending_ += "x";
        if (pending_.empty() || chatter) {
            now += 10ms;
            if (++slowReads_ > 100000)
                throw std::runtime_error("the upload never ends");
        }
        return std::exchange(pending_, {});
    }
    // Runs the upload of `lines` to its end; answers the longest step.
    Clock::duration load(const Lines& lines)
    {
        upload.start(app::readIntelHex(file(lines)));
        Clock::duration longest{};
        while (upload.running()) {
            const Clock::time_point before = now;
            app::stepBootUpload(upload, *this);
            longest = std::max(longest, now - before);
        }
        return longest;
    }

private:
    std::string pending_;
    int slowReads_ = 0;
};

// Every turn of the exchange, byte for byte, and every way it can end: no
// wait is without end, and an upload that ends early never shows "OK" nor
// sends the closing record.
TEST(BootUpload, BytesOnTheWire)
{
    const std::string L1 = cr(kWorkedFile[0]), L2 = cr(kWorkedFile[1]), spill1 = cr(":0801000008090A0B0C0D0E0F9B");
    const std::string P0 = cr(":00000002FE"), P1 = cr(":00010002FD"), P2 = cr(":00020002FC");  // page records
    const Lines worked = {W, L1, kEnd, P1, spill1, L2, kEnd, kClose};
    const std::string seg0 = ":020000020000FC", segE0 = ":00E000021E";  // page-select records
    const std::string d0 = ":0100000001FE", d1 = ":0101000002FC", gap = ":0100F000010E";
    const std::string tail = ":1001F800000102030405060708090A0B0C0D0E0F7F";
    struct Case {
        const char* what;
        Lines file = kWorkedFile;
        std::deque<std::string> ready{};  // answers to the wake-up bytes, then "LD"
        std::deque<std::string> ends{};   // answers to the end records, then endOtherwise
        std::string endOtherwise = "OK\r";
        bool chatter = false;  // a byte at every read once the boot loader is ready
        Lines wire{};   // when it fails: none, not looked at
        Lines shown{};  // page numbers and "OK"
        int strange = 0;
        const char* fails = nullptr;         // the upload fails saying this
        std::chrono::milliseconds within{};  // and ends within this
        Clock::duration writeTakes{};        // each write, on a slow line
    };
    const Case cases[] = {
        {.what = "the worked file", .wire = worked, .shown = {"1", "OK"}},
        {.what = "a refused page goes again after its own page record", .ends = {"NO\r"},
         .wire = {W, L1, kEnd, P1, P0, L1, kEnd, P1, spill1, L2, kEnd, kClose}, .shown = {"1", "0", "1", "OK"}},
        {.what = "a refused last page goes again with the part that ran into it", .ends = {"OK\r", "NO\r"},
         .wire = {W, L1, kEnd, P1, spill1, L2, kEnd, spill1, L2, kEnd, kClose}, .shown = {"1", "OK"}},
        {.what = "a first record above page 0 starts with an end record", .file = {":011F000001DF", kEof},
         .wire = {W, kEnd, cr(":001F0002DF"), cr(":011F000001DF"), kEnd, kClose}, .shown = {"31", "OK"}},
        {.what = "the part of the last record in the next page goes too", .file = {tail, kEof},
         .wire = {W, kEnd, P1, cr(tail), kEnd, P2, cr(":0802000008090A0B0C0D0E0F9A"), kEnd, kClose},
         .shown = {"1", "2", "OK"}},
        {.what = "a spill-over whose byte sum is a multiple of 256", .file = {":0201FF0011FDF0", kEof},
         .wire = {W, kEnd, P1, cr(":0201FF0011FDF0"), kEnd, P2, cr(":01020000FD00"), kEnd, kClose},
         .shown = {"1", "2", "OK"}},
        {.what = "a record ending at the page boundary leaves an empty record", .file = {kFull, d1, kEof},
         .wire = {W, cr(kFull), kEnd, P1, cr(":00010000FF"), cr(d1), kEnd, kClose}, .shown = {"1", "OK"}},
        {.what = "a gap at the end of a page is shown, not sent", .file = {gap, d1, kEof},
         .wire = {W, cr(gap), kEnd, P1, cr(d1), kEnd, kClose}, .shown = {"1", "OK"}, .strange = 1},
        {.what = "a page-select record below E0 goes as it is", .file = {seg0, d0, ":00DF00021F", kEof},
         .wire = {W, cr(seg0), cr(d0), cr(":00DF00021F"), kEnd, kClose}, .shown = {"OK"}},
        // Going back to a page-select record would select its page again
        // and start the same page change without end.
        {.what = "the record before a page change is not looked at again when it selects a page",
         .file = {d0, ":00010002FD", ":0102000002FB", kEof},
         .wire = {W, cr(d0), P1, kEnd, P2, cr(":0102000002FB"), kEnd, kClose}, .shown = {"2", "OK"}},
        // The refused last page goes again from its first record, not from a
        // record in the page a page-select record went back to.
        {.what = "a refused last page after a page-select record", .file = {d0, d1, ":00000002FE", kEof},
         .ends = {"OK\r", "NO\r"}, .wire = {W, cr(d0), kEnd, P1, cr(d1), P0, kEnd, kEnd, P1, cr(d1), P0, kEnd, kClose},
         .shown = {"1", "1", "OK"}, .strange = 2},
        {.what = "a page-select record from E0 on closes the page and is held back", .file = {d0, segE0, kEof},
         .wire = {W, cr(d0), kEnd, kEnd, kClose}, .shown = {"OK"}},
        {.what = "the reply to that end record is read: a refusal sends the page again", .file = {d0, segE0, kEof},
         .ends = {"NO\r"}, .wire = {W, cr(d0), kEnd, P0, cr(d0), kEnd, kEnd, kClose}, .shown = {"0", "OK"}},
        {.what = "a held page-select record with no page open sends nothing", .file = {segE0, kEof},
         .wire = {W, kEnd, kClose}, .shown = {"OK"}},
        {.what = "a second held page-select record finds the page closed", .file = {d0, segE0, segE0, kEof},
         .wire = {W, cr(d0), kEnd, kEnd, kClose}, .shown = {"OK"}},
        {.what = "the hand-shake tries again until LD", .ready = {"NO\r", "", "LX\r"},
         .wire = {W, W, W, W, L1, kEnd, P1, spill1, L2, kEnd, kClose}, .shown = {"1", "OK"}},
        // Stale "LD" replies, taken for the reply to the first end record,
        // would be a refusal.
        {.what = "what else comes after LD is drained", .ready = {"LD\rLD\rLD\r"},
         .wire = worked, .shown = {"1", "OK"}},
        {.what = "a reply without its CR is taken once the line is quiet", .ends = {"OK"}, .wire = worked,
         .shown = {"1", "OK"}},
        // At 9600 baud a record takes some 40 ms to leave the port; a page
        // of them sent in one step would hold the window for most of a second.
        {.what = "a slow line", .file = {":0100000001FE", ":0100100002ED", ":0100200003DC", ":0100300004CB", kEof},
         .wire = {W, cr(":0100000001FE"), cr(":0100100002ED"), cr(":0100200003DC"), cr(":0100300004CB"), kEnd, kClose},
         .shown = {"OK"}, .writeTakes = 40ms},
        {.what = "a silent clock", .ready = std::deque<std::string>(10, ""), .wire = Lines(10, W), .fails = "\"LD\"",
         .within = 10s + 100ms},
        // Silence after a closed page ends the upload when the reply wait is
        // over, not a tick later: the drain's quiet (2 s) and the wait (5 s).
        {.what = "no reply to a closed page", .ends = {""}, .wire = {W, L1, kEnd},
         .fails = "Inget svar från bootloadern efter sida 0", .within = 2s + 5s},
        {.what = "no reply to the end-of-file record", .ends = {"OK\r", ""},
         .wire = {W, L1, kEnd, P1, spill1, L2, kEnd}, .shown = {"1"},
         .fails = "Inget svar från bootloadern efter sida 1", .within = 2s + 5s},
        {.what = "a page refused again and again", .endOtherwise = "NO\r", .fails = "tog inte emot sida 0 på 10 försök",
         .within = 2s + 100ms},
        {.what = "a line that never goes quiet", .chatter = true, .wire = {W}, .fails = "slutar inte sända",
         .within = 10s + 100ms},
        // The held page-select record closes page 1 before it selects its
        // own page, which the message must not name.
        {.what = "no reply after a held page-select record closed page 1", .file = {d1, segE0, kEof},
         .ends = {"OK\r", ""}, .wire = {W, kEnd, P1, cr(d1), kEnd}, .shown = {"1"},
         .fails = "Inget svar från bootloadern efter sida 1;", .within = 2s + 5s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig r;
        std::tie(r.ready, r.ends, r.endOtherwise, r.chatter, r.writeTakes) =
            std::tie(c.ready, c.ends, c.endOtherwise, c.chatter, c.writeTakes);
        const Clock::duration longest = r.load(c.file);
        // The caller gets its turn after some 50 ms of sending (a record more
        // at worst), not once a page.
        EXPECT_LE(longest, 50ms + 2 * std::max(c.writeTakes, Clock::duration(10ms)));
        EXPECT_EQ(r.upload.state(), c.fails ? State::Failed : State::Done) << r.upload.failure();
        EXPECT_NE(r.upload.failure().find(c.fails ? c.fails : ""), std::string::npos) << r.upload.failure();
        if (!c.wire.empty() || !c.fails) {
            EXPECT_EQ(std::tie(r.wire, r.shown), std::tie(c.wire, c.shown));
        }
        EXPECT_EQ(std::count(r.wire.begin(), r.wire.end(), kClose), c.fails ? 0 : 1);
        EXPECT_EQ(std::count(r.shown.begin(), r.shown.end(), "OK"), c.fails ? 0 : 1);
        EXPECT_EQ(r.strange, c.strange);
        EXPECT_LE(r.now - Clock::time_point{}, c.within > 0ms ? Clock::duration(c.within) : Clock::duration::max());
    }
}

// A line that fails under the upload abandons it: it runs no more, so the
// dialog can be closed, and it says whether any of the firmware went out.
TEST(BootUpload, ALineThatFailsAbandonsTheUpload)
{
    for (const std::size_t n : {0, 1, 2}) {  // the line fails at a write, a read, a write
        Rig r;
        r.failAfter = n;
        EXPECT_THROW(r.load(kWorkedFile), std::runtime_error);
        EXPECT_EQ(std::tuple(r.upload.state(), r.upload.running()), std::tuple(State::Abandoned, false));
        EXPECT_EQ(r.upload.failure(), n < 2 ? "Förbindelsen med bootloadern bröts innan laddningen började"
                                            : "Förbindelsen med bootloadern bröts vid sida 0; laddningen avbröts");
    }
}

} // namespace
