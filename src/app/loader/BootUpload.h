#pragma once
// One firmware upload to the clock's boot loader, page by page.
//
// The upload is a state machine without a thread or a widget: it writes to a
// BootPort, takes the bytes the line brings through received() and the
// passing of time through tick(), and reads the time from a clock that tests
// can replace. No call waits: the caller's event loop moves it on with
// stepBootUpload() until it has ended, and keeps running between the calls.
//
// The exchange: the wake-up byte until the boot loader answers "LD"; what
// else arrives is drained; then the records go out. Records of the current
// page go as the file has them. A record in a higher page first closes the
// current page with the end record; the boot loader's reply to it is read,
// the higher page is opened with its page record, and the record before is
// looked at again so that its part in the new page goes as a spill-over
// record. A page the boot loader refuses is opened and sent again from its
// first record. The file's end-of-file record closes the last page; when the
// boot loader takes it, the closing record ends the upload.
//
// A reply is three bytes, of which the first two count ("LD" ready, "OK"
// page taken); fewer bytes end a reply when the line has been quiet for the
// reply interval after one. Unlike a bare read on the line, no wait is
// without end: silence at a hand-shake counts as "not ready" and the
// hand-shake gives up after a number of tries; silence after a closed page
// ends the upload; the drain ends when the line is quiet and gives up when
// it never is; a page refused too often ends the upload. An upload that
// ends early says why (failure()) and is never reported as done.
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/loader/BootPort.h"
#include "app/loader/IntelHex.h"

namespace app {

struct BootTiming {
    // A reply of fewer than three bytes ends this long after its last byte.
    std::chrono::milliseconds replyInterval{2000};
    // How long a hand-shake waits for the first byte of the answer, and how
    // often the wake-up byte is tried.
    std::chrono::milliseconds readyWait{1000};
    int readyTries = 10;
    // How long the upload waits for the first byte of the reply to a closed page.
    std::chrono::milliseconds pageReplyWait{5000};
    // The drain ends after this much quiet on the line ...
    std::chrono::milliseconds drainQuiet{2000};
    // ... and gives up when it has not come within this.
    std::chrono::milliseconds drainLimit{10000};
    // Refusals of one page in a row before the upload gives up.
    int refusalLimit = 10;
    // One call sends records for about this long at most (one record more at
    // worst), so that on a slow line the caller's event loop runs between
    // them; the upload is then still Sending and is to be called again at once.
    std::chrono::milliseconds sendSlice{50};
};

// What the upload shows while it runs.
struct BootEvents {
    // A page record went out: the page number, for the user to follow.
    std::function<void(int page)> pageOpened;
    // The boot loader took the last page ("OK").
    std::function<void()> accepted;
    // A record below the current page does not reach it (a gap at the end of
    // a page): shown to the user, and the upload goes on when it returns.
    std::function<void()> strangeAddress;
};

class BootUpload {
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    enum class State {
        Idle,       // not started
        WakingUp,   // hand-shake
        Draining,   // discarding what else arrives
        Sending,    // going through the records
        Replying,   // waiting for the reply to a closed page
        Done,       // the boot loader took everything; the closing record is out
        Failed,     // ended early; failure() says why
        Abandoned,  // the line failed under it (the error went to the caller); failure() says where
    };

    BootUpload(BootPort& port, BootEvents events, BootTiming timing = {}, Now now = &Clock::now);

    // The dialog has become active: no page is open at the boot loader.
    void activate() { endsw_ = true; }
    // Takes effect with the next start.
    void setTiming(const BootTiming& timing) { timing_ = timing; }

    // Starts an upload of `records` (from readIntelHex, checked by
    // checkLoadOrder) with the hand-shake. Errors of the port pass through
    // every call below; the upload is then Abandoned.
    void start(std::vector<HexRecord> records);
    // Bytes that have arrived on the line.
    void received(std::string_view bytes);
    // Time has passed.
    void tick();
    // The line failed outside the upload's own calls: the upload ends where
    // it stands.
    void abandon();

    State state() const { return state_; }
    bool running() const;
    // Why a Failed upload ended, or at which page an Abandoned one stopped.
    const std::string& failure() const { return failure_; }
    // The page the upload is at.
    int page() const { return page_; }

private:
    enum class Awaiting { Ready, PageChange, HeldPage, EndOfFile };

    void pump();
    void examine();
    void examineData(const HexRecord& r);
    void examineEndOfFile(const HexRecord& r);
    bool replyDone();
    void replyCame();
    void pageTaken();
    void pageRefused();
    bool drainDone();
    void reexamineBefore(std::size_t line);
    void closePage(Awaiting what);
    void awaitReply(Awaiting what);
    template <class Step>
    void step(Step&& body);
    void sendLine(const std::string& line);
    void SendPage();
    void wakeUp();
    void fail(std::string why);
    void lineLost();

    BootPort& port_;
    BootEvents events_;
    BootTiming timing_;
    Now now_;

    State state_ = State::Idle;
    std::vector<HexRecord> records_;
    std::size_t line_ = 0;       // the record examined next
    std::size_t pageFirst_ = 0;  // the first record of the current page
    int page_ = 0;
    bool endsw_ = true;          // no page is open at the boot loader
    int closedPage_ = 0;         // the page the last end record closed
    int tries_ = 0;
    int refusals_ = 0;
    std::string failure_;

    // The line: bytes not yet taken, and when the last one came.
    std::string input_;
    Clock::time_point lastByte_{};
    // The reply being read.
    Awaiting awaiting_ = Awaiting::Ready;
    std::string reply_;
    Clock::time_point waitStart_{};
    Clock::time_point drainStart_{};
};

// Moves a running `upload` on by what `port` has brought, or else by the time
// that has passed; never waits. The caller calls it again and again (at once
// while the upload is Sending) until the upload has ended; every wait of the
// exchange is bounded by the upload's own limits. Errors of the port pass
// through, and the upload is then Abandoned.
void stepBootUpload(BootUpload& upload, BootPort& port);

} // namespace app
