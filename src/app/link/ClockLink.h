#pragma once
// The link to the clock: one outstanding command at a time, the receive path
// that cuts the clock's lines at CR, the replies, the identification of the
// clock with its choice of command set, and the 100 ms tick that polls,
// resends, sets the clock's time on a whole second and paces a table transfer.
//
// A plain class without widgets: the main window wires its timer, the port's
// receive-flag event and its buttons to it. Every entry point catches its own
// failures and hands them to the error reporter, so none of them raises into
// a slot or the port's event thread.
//
// A failure of the line is reported once: while the line stays down, the
// poll and the resend go on and fail quietly, until a write gets through or
// the port is opened again. A table transfer the failure meets ends at the
// end of that tick, and says after which row.
#include <chrono>
#include <string>
#include <string_view>

#include "app/link/LinkInterfaces.h"
#include "app/link/WholeSecondWait.h"
#include "platform/ErrorHandler.h"

namespace app {

// Ticks of the 100 ms timer.
inline constexpr int kPollTicks = 100;        // "VER" every 10 s
inline constexpr int kFirstResendTicks = 6;   // first resend 0.6 s after a send
inline constexpr int kResendTicks = 4;        // then every 0.4 s
// After the frame that sets the clock's time the link sleeps this long before
// the window goes on with its own work (see clockSettingStep).
inline constexpr std::chrono::microseconds kAfterSetFramePause{500};
// A line from the clock longer than this without a CR is noise: it is thrown
// away up to its CR.
inline constexpr std::size_t kMaxLineLength = 1024;

class ClockLink {
public:
    // `transfer` (not owned; nullptr: none) is the table transfer whose
    // commands the tick sends.
    ClockLink(LinkPort& port, LinkLabels& labels, platform::ErrorHandler reportError,
              WaitClock& waitClock = systemWaitClock(), TransferStep* transfer = nullptr);

    // ---- what the main window wires ----
    // Start of the program, after the port was (or was not) opened:
    // `Tid1` := 100 and "VER" offered.
    void startPolling();
    // Offers one command text. Dropped without a word while another command is
    // outstanding; else framed, held in `Utar`, shown beside "Ut:" and written
    // when the port is open.
    void Sand(std::string_view command);
    // The port's receive-flag and input-queue-80%-full events: reads
    // everything that has arrived and handles every complete line.
    void receive();
    // The same for bytes already read.
    void receiveBytes(std::string_view bytes);
    // Handles one line from the clock (without its CR).
    void HandleReply(const std::string& line);
    // The 100 ms timer: PC time label, poll, resend, clock setting, transfer
    // step, in this order.
    void tick();
    // "Set Klocka": asks for identification and sets the clock's time on the
    // whole second after the identification line arrives.
    void SetKlockaClick();
    // The window has opened its port (again): a failure of the line before
    // is forgotten, so the next one is reported.
    void portOpened();
    void BSaveClick() { Sand("SAVE"); }
    void BLoadClick() { Sand("LOAD"); }

    // ---- state, for the window and for tests ----
    const std::string& Utar() const { return Utar_; }
    const std::string& Inar() const { return Inar_; }
    bool busy() const { return !Utar_.empty(); }
    int Tid1() const { return Tid1_; }
    int Tid2() const { return Tid2_; }
    int TidSet() const { return TidSet_; }
    bool SetKlsw() const { return SetKlsw_; }
    bool OldKlsw() const { return OldKlsw_; }

private:
    void report(std::exception_ptr error);
    void lineFailed(std::exception_ptr error);
    void endTransferOnFailedLine();
    void writeFrame();
    void writeGuarded(const std::string& bytes);
    void takeTextLine(const std::string& line);
    void pollStep();
    void resendStep();
    void clockSettingStep();
    void transferStep();

    LinkPort& port_;
    LinkLabels& labels_;
    platform::ErrorHandler reportError_;
    WaitClock& waitClock_;
    TransferStep* transfer_;

    std::string Inar_;
    bool discardingLine_ = false;
    std::string Utar_;
    // The line has failed and no write has got through since.
    bool lineDown_ = false;
    // The line has failed during this tick.
    bool failedInTick_ = false;
    // The outstanding command is the transfer's.
    bool transferOutstanding_ = false;
    int Tid1_ = 0;
    int Tid2_ = 0;
    int TidSet_ = 0;
    bool SetKlsw_ = false;
    bool OldKlsw_ = false;
};

} // namespace app
