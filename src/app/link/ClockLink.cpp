#include "app/link/ClockLink.h"

#include <stdexcept>
#include <utility>

#include "app/link/ClockVersion.h"
#include "app/link/LinkBytes.h"
#include "app/pcclock/PcTimeText.h"
#include "app/tables/Cp1252.h"
#include "timevalues/TextRut.h"
#include "timevalues/TidRut.h"

namespace app {
namespace {

constexpr char kACK = 6;
constexpr char kNAK = 21;
// The answer to every valid text line of the clock: ACK, CR, no check character.
const std::string kAnswer{kACK, kCR};
// One read of the receive path, and a bound on one receive event, so a port
// that never runs dry cannot hold the program (the clock's 9600 baud fill
// less than this in a minute).
constexpr std::size_t kReadChunk = 256;
constexpr std::size_t kMaxReadPerEvent = 64 * 1024;

} // namespace

ClockLink::ClockLink(LinkPort& port, LinkLabels& labels, platform::ErrorHandler reportError, WaitClock& waitClock,
                     TransferStep* transfer)
    : port_(port), labels_(labels), reportError_(std::move(reportError)), waitClock_(waitClock), transfer_(transfer)
{
}

void ClockLink::startPolling()
{
    Tid1_ = kPollTicks;
    Sand("VER");
}

void ClockLink::Sand(std::string_view command)
{
    if (!Utar_.empty())
        return;
    Utar_.assign(command);
    timevalues::AddCheckChar(Utar_);
    // The resend is armed before the write: a failed write leaves the command
    // outstanding and the resend retries it.
    Tid2_ = kFirstResendTicks;
    writeFrame();
    labels_.showSent(fromCp1252(Utar_));
}

void ClockLink::SetKlockaClick()
{
    Sand("VER");
    Tid1_ = kPollTicks;
    SetKlsw_ = true;
}

void ClockLink::receive()
{
    try {
        if (!port_.connected())
            return;
        // Everything that has arrived: a complete line must not wait in the
        // port for a later CR.
        for (std::size_t total = 0; total < kMaxReadPerEvent;) {
            const std::string chunk = port_.read(kReadChunk);
            if (chunk.empty())
                break;
            total += chunk.size();
            receiveBytes(chunk);
        }
    } catch (...) {
        lineFailed(std::current_exception());
    }
}

void ClockLink::receiveBytes(std::string_view bytes)
{
    for (const char c : bytes) {
        if (c == kCR) {
            if (discardingLine_) {
                discardingLine_ = false;
                continue;
            }
            // A CR with nothing before it ends no line; kept, it would spoil
            // the next one (an ACK would no longer begin with 6).
            if (Inar_.empty())
                continue;
            std::string line;
            line.swap(Inar_);
            labels_.showReceived(fromCp1252(line));
            HandleReply(line);
            continue;
        }
        if (discardingLine_)
            continue;
        if (Inar_.size() >= kMaxLineLength) {
            Inar_.clear();
            discardingLine_ = true;
            continue;
        }
        Inar_ += c;
    }
}

void ClockLink::HandleReply(const std::string& line)
{
    if (line.empty())
        return;
    if (line[0] == kACK) {
        Utar_.clear();
        transferOutstanding_ = false;
        Tid2_ = kResendTicks;
        return;
    }
    if (line[0] == kNAK) {
        if (Utar_.empty())
            return;
        Tid2_ = kResendTicks;
        writeFrame();
        return;
    }
    takeTextLine(line);
}

void ClockLink::takeTextLine(const std::string& line)
{
    std::string text = line;
    if (!timevalues::StripCheckChar(text))
        return;
    writeGuarded(kAnswer);
    if (!isIdentificationLine(text))
        return;
    labels_.showVersion(fromCp1252(text));
    OldKlsw_ = takesOldCommandSet(clockFirmwareVersion(text));
    if (SetKlsw_) {
        TidSet_ = 1;
        SetKlsw_ = false;
    }
}

void ClockLink::tick()
{
    failedInTick_ = false;
    labels_.showPcTime(pcTimeText(timevalues::TidNow()));
    pollStep();
    resendStep();
    clockSettingStep();
    transferStep();
    endTransferOnFailedLine();
}

void ClockLink::pollStep()
{
    if (Tid1_ > 0 && --Tid1_ == 0) {
        Sand("VER");
        Tid1_ = kPollTicks;
    }
}

void ClockLink::resendStep()
{
    if (Tid2_ > 0 && --Tid2_ == 0 && !Utar_.empty()) {
        Tid2_ = kResendTicks;
        writeFrame();
    }
}

void ClockLink::clockSettingStep()
{
    if (TidSet_ > 0 && --TidSet_ == 0) {
        if (!Utar_.empty()) {
            TidSet_ = 1;
            return;
        }
        const timevalues::TTid second = waitForWholeSecond(waitClock_);
        Sand("SET-" + timevalues::TidToSecStr(second, 0));
        // The frame is timed to the start of the second. A serial driver may
        // finish a write in deferred work of the kernel (a pseudo-terminal
        // does), which the scheduler tends to put on this very processor:
        // sleep a moment so it runs now, not after the window has repainted
        // its lamps and labels and caught up with its timer.
        waitClock_.sleepFor(kAfterSetFramePause);
    }
}

void ClockLink::transferStep()
{
    if (!transfer_)
        return;
    try {
        if (const std::optional<std::string> command = transfer_->nextCommand(busy(), OldKlsw_)) {
            transferOutstanding_ = !busy();
            Sand(*command);
        }
    } catch (...) {
        report(std::current_exception());
    }
}

void ClockLink::report(std::exception_ptr error)
{
    if (reportError_)
        reportError_(std::move(error));
}

void ClockLink::lineFailed(std::exception_ptr error)
{
    if (!lineDown_)
        report(std::move(error));
    lineDown_ = true;
    failedInTick_ = true;
}

void ClockLink::portOpened()
{
    lineDown_ = false;
    failedInTick_ = false;
}

void ClockLink::endTransferOnFailedLine()
{
    // Only a failure of this tick's writes ends the transfer: one from before
    // it started (a poll while the line was down) does not, and while the
    // line stays down the transfer's next write or resend fails in a tick.
    if (!std::exchange(failedInTick_, false) || !transfer_)
        return;
    const std::optional<int> row = transfer_->stop(transferOutstanding_ && busy());
    if (!row)
        return;
    // The rest of the table is not sent, its last command not resent.
    if (transferOutstanding_)
        Utar_.clear();
    transferOutstanding_ = false;
    report(std::make_exception_ptr(std::runtime_error(
        "Förbindelsen med klockan bröts efter rad " + std::to_string(*row) + "; sändningen av tiderna avbröts")));
}

void ClockLink::writeFrame()
{
    writeGuarded(Utar_ + kCR);
}

void ClockLink::writeGuarded(const std::string& bytes)
{
    if (!port_.connected())
        return;
    try {
        port_.write(bytes);
        lineDown_ = false;
    } catch (...) {
        lineFailed(std::current_exception());
    }
}

} // namespace app
