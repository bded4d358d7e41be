#include "app/loader/BootUpload.h"

#include <algorithm>

#include "app/link/LinkBytes.h"
#include "app/loader/BootRecords.h"

namespace app {
namespace {

constexpr std::size_t kReplySize = 3;

} // namespace

BootUpload::BootUpload(BootPort& port, BootEvents events, BootTiming timing, Now now)
    : port_(port), events_(std::move(events)), timing_(timing), now_(std::move(now))
{
}

bool BootUpload::running() const
{
    return state_ == State::WakingUp || state_ == State::Draining || state_ == State::Sending ||
           state_ == State::Replying;
}

template <class Step>
void BootUpload::step(Step&& body)
{
    try {
        body();
    } catch (...) {
        lineLost();
        throw;
    }
}

void BootUpload::start(std::vector<HexRecord> records)
{
    step([&] {
        records_ = std::move(records);
        line_ = 0;
        pageFirst_ = 0;
        page_ = 0;
        tries_ = 0;
        refusals_ = 0;
        failure_.clear();
        input_.clear();
        lastByte_ = {};
        if (records_.empty()) {
            fail("Fel i hexfilen: filen innehåller ingen hexpost");
            return;
        }
        wakeUp();
        pump();
    });
}

void BootUpload::received(std::string_view bytes)
{
    step([&] {
        if (!running() || bytes.empty())
            return;
        lastByte_ = now_();
        if (state_ != State::Draining)
            input_.append(bytes);
        pump();
    });
}

void BootUpload::tick()
{
    step([&] { pump(); });
}

void BootUpload::abandon()
{
    if (running())
        lineLost();
}

void BootUpload::pump()
{
    const Clock::time_point began = now_();
    for (;;) {
        switch (state_) {
        case State::WakingUp:
        case State::Replying:
            if (!replyDone())
                return;
            replyCame();
            break;
        case State::Draining:
            if (!drainDone())
                return;
            state_ = State::Sending;
            break;
        case State::Sending:
            examine();
            // Each record waits until it has left the port: on a slow line
            // the caller gets its turn between records, not once a page.
            if (state_ == State::Sending && now_() - began >= timing_.sendSlice)
                return;
            break;
        default:
            return;
        }
    }
}

// ---- the records ---------------------------------------------------------------

void BootUpload::examine()
{
    if (line_ >= records_.size()) {
        fail("Fel i hexfilen: slutposten (:00000001FF) saknas");
        return;
    }
    const HexRecord& r = records_[line_];
    switch (r.type) {
    case HexType::SegmentAddress:
        // A held page-select record closes the open page, which a failure
        // then names, before its own page becomes the current one.
        if (r.page() >= kFirstHeldPage && !endsw_) {
            closePage(Awaiting::HeldPage);
            page_ = r.page();
            return;
        }
        page_ = r.page();
        if (page_ < kFirstHeldPage)
            sendLine(r.text);
        ++line_;
        return;
    case HexType::Data:
        examineData(r);
        return;
    case HexType::EndOfFile:
        examineEndOfFile(r);
        return;
    default:
        ++line_;
        return;
    }
}

void BootUpload::examineData(const HexRecord& r)
{
    const int recordPage = r.page();
    if (recordPage == page_) {
        sendLine(r.text);
        endsw_ = false;
        ++line_;
    } else if (recordPage > page_) {
        closePage(Awaiting::PageChange);
        page_ = recordPage;
    } else {
        if (r.end() / kPageSize == page_)
            sendLine(spillRecord(r, page_));
        else if (events_.strangeAddress)
            events_.strangeAddress();
        ++line_;
    }
}

void BootUpload::examineEndOfFile(const HexRecord& r)
{
    // A last data record that runs into the next page: that page is opened
    // for its part first, which would otherwise never be sent.
    if (line_ > 0) {
        const HexRecord& before = records_[line_ - 1];
        if (before.isData() && lastPageOf(before) > page_) {
            closePage(Awaiting::PageChange);
            page_ = lastPageOf(before);
            return;
        }
    }
    sendLine(r.text);
    closedPage_ = page_;
    awaitReply(Awaiting::EndOfFile);
}

void BootUpload::reexamineBefore(std::size_t line)
{
    // The data record before the page's first lies in the page below; it is
    // looked at again for its part in this page. Any other record is not, so
    // a page change never comes back to itself.
    if (line > 0 && records_[line - 1].isData() && records_[line - 1].page() < page_)
        line_ = line - 1;
    else
        line_ = line;
}

// ---- the replies ---------------------------------------------------------------

bool BootUpload::replyDone()
{
    const std::size_t take = std::min(kReplySize - reply_.size(), input_.size());
    reply_.append(input_, 0, take);
    input_.erase(0, take);
    if (reply_.size() == kReplySize)
        return true;
    const Clock::time_point now = now_();
    if (!reply_.empty())
        return now - std::max(lastByte_, waitStart_) >= timing_.replyInterval;
    return now - waitStart_ >= (awaiting_ == Awaiting::Ready ? timing_.readyWait : timing_.pageReplyWait);
}

void BootUpload::replyCame()
{
    const std::string svar = reply_.substr(0, 2);
    if (awaiting_ == Awaiting::Ready) {
        if (svar == "LD") {
            state_ = State::Draining;
            input_.clear();
            drainStart_ = now_();
        } else if (++tries_ >= timing_.readyTries) {
            fail("Ingen kontakt med bootloadern: den svarade inte \"LD\" på " + std::to_string(tries_) + " försök");
        } else {
            wakeUp();
        }
        return;
    }
    if (reply_.empty()) {
        fail("Inget svar från bootloadern efter sida " + std::to_string(closedPage_) +
             "; laddningen avbröts");
        return;
    }
    if (awaiting_ == Awaiting::PageChange)
        SendPage();
    if (svar == "OK")
        pageTaken();
    else
        pageRefused();
}

void BootUpload::pageTaken()
{
    refusals_ = 0;
    switch (awaiting_) {
    case Awaiting::PageChange:
        state_ = State::Sending;
        pageFirst_ = line_;
        reexamineBefore(line_);
        return;
    case Awaiting::HeldPage:
        state_ = State::Sending;
        pageFirst_ = ++line_;
        return;
    case Awaiting::EndOfFile:
        endsw_ = true;
        if (events_.accepted)
            events_.accepted();
        sendLine(kClosingRecord);
        state_ = State::Done;
        return;
    case Awaiting::Ready:
        return;
    }
}

void BootUpload::pageRefused()
{
    if (++refusals_ >= timing_.refusalLimit) {
        fail("Bootloadern tog inte emot sida " + std::to_string(closedPage_) + " på " +
             std::to_string(refusals_) + " försök; laddningen avbröts");
        return;
    }
    state_ = State::Sending;
    line_ = pageFirst_;
    if (awaiting_ != Awaiting::EndOfFile) {
        page_ = records_[line_].page();
        SendPage();
    }
    // The page goes again from its first record, and with the part of the
    // record before that runs into it.
    reexamineBefore(pageFirst_);
}

bool BootUpload::drainDone()
{
    input_.clear();
    const Clock::time_point now = now_();
    if (now - std::max(lastByte_, drainStart_) >= timing_.drainQuiet)
        return true;
    if (now - drainStart_ >= timing_.drainLimit)
        fail("Bootloadern slutar inte sända; laddningen avbröts");
    return false;
}

// ---- the line ------------------------------------------------------------------

void BootUpload::wakeUp()
{
    port_.write(std::string(1, kWakeUp));
    awaitReply(Awaiting::Ready);
}

void BootUpload::closePage(Awaiting what)
{
    sendLine(kEndRecord);
    endsw_ = true;
    closedPage_ = page_;
    awaitReply(what);
}

void BootUpload::awaitReply(Awaiting what)
{
    awaiting_ = what;
    reply_.clear();
    waitStart_ = now_();
    state_ = what == Awaiting::Ready ? State::WakingUp : State::Replying;
}

void BootUpload::SendPage()
{
    sendLine(pageRecord(page_));
    if (events_.pageOpened)
        events_.pageOpened(page_);
    endsw_ = false;
}

void BootUpload::sendLine(const std::string& line)
{
    port_.write(line + kCR);
}

void BootUpload::fail(std::string why)
{
    state_ = State::Failed;
    failure_ = std::move(why);
}

void BootUpload::lineLost()
{
    // Before the first record the clock's firmware is untouched; after it,
    // the page the boot loader has not yet confirmed: the closed one while
    // its reply is awaited.
    const bool begun = state_ == State::Sending || state_ == State::Replying;
    const int page = state_ == State::Replying ? closedPage_ : page_;
    state_ = State::Abandoned;
    failure_ = begun ? "Förbindelsen med bootloadern bröts vid sida " + std::to_string(page) + "; laddningen avbröts"
                     : "Förbindelsen med bootloadern bröts innan laddningen började";
}

void stepBootUpload(BootUpload& upload, BootPort& port)
{
    if (!upload.running())
        return;
    try {
        const std::string bytes = port.read();
        if (bytes.empty())
            upload.tick();
        else
            upload.received(bytes);
    } catch (...) {
        upload.abandon();
        throw;
    }
}

} // namespace app
