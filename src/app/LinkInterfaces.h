#pragma once
// What the clock link needs from its surroundings: the serial port, the
// labels of the main window and the table transfer. The main window adapts
// its port, labels and transfer sequence to these; tests put fakes in.
#include <QString>
#include <cstddef>
#include <string>

namespace app {

class ClockLink;

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

// One step of a running table transfer. The tick calls it when `TidSand` ran
// out with no command outstanding: SendStepOld for a clock on the old command
// set (`OldKlsw`), SendStepTab otherwise. A step hands at most one command to
// link.Sand() and sets link.setTidSand() itself (1 to go on, 0 when done).
class TransferStep {
public:
    virtual ~TransferStep() = default;
    virtual void SendStepTab(ClockLink& link) = 0;
    virtual void SendStepOld(ClockLink& link) = 0;
};

} // namespace app
