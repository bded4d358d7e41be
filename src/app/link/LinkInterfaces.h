#pragma once
// What the clock link needs from its surroundings: the serial port, the
// labels of the main window and the table transfer. The main window adapts
// its port, labels and transfer sequence to these; tests put fakes in.
#include <QString>
#include <cstddef>
#include <optional>
#include <string>

namespace app {

// The serial line to the clock.
class LinkPort {
public:
    virtual ~LinkPort() = default;
    // The port is open.
    virtual bool connected() const = 0;
    // Writes all of `bytes` (blocking); raises on failure.
    virtual void write(const std::string& bytes) = 0;
    // What has arrived, at most `maxCount` bytes, without waiting; empty when
    // nothing waits. Raises on failure.
    virtual std::string read(std::size_t maxCount) = 0;
};

// The main window's labels the link writes. Byte texts arrive already
// decoded from Windows-1252.
class LinkLabels {
public:
    virtual ~LinkLabels() = default;
    virtual void showPcTime(const QString& text) = 0;   // `Klocka`
    virtual void showSent(const QString& text) = 0;     // `Lut`, "Ut:": the outstanding frame
    virtual void showReceived(const QString& text) = 0; // `Lin`, "In:": the last line received
    virtual void showVersion(const QString& text) = 0;  // `VerLabel`, "Ver:": the identification line
};

// The table transfer, paced by the link's tick. Once per tick, after the poll,
// the resend and the clock setting, the tick asks it for the command to send
// now: `linkBusy` while a command is outstanding, `oldCommandSet` for a clock
// on the old command set (`OldKlsw`). No answer sends nothing. The link
// drops a command offered while another is outstanding, so a transfer waits
// for `linkBusy` to clear before it hands out its next one.
class TransferStep {
public:
    virtual ~TransferStep() = default;
    virtual std::optional<std::string> nextCommand(bool linkBusy, bool oldCommandSet) = 0;
    // The line has failed: a running transfer ends. `lastUnanswered`: the
    // command handed out last has not been acknowledged. Answers the table
    // row after which the transfer stopped; nothing when none was running.
    virtual std::optional<int> stop(bool lastUnanswered) = 0;
};

} // namespace app
