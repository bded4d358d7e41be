#pragma once
// The firmware loader's own serial port, and the upload's line over it.
#include <string>

#include "app/loader/BootPort.h"
#include "serial/ComPort.h"

namespace app {

// The longest a read of the loader's port waits for a first byte.
inline constexpr int kLoaderReadSliceMs = 50;

// Sets up `port` as the boot loader wants the line: 9600 baud, eight data
// bits, no parity, one stop bit; no flow control, DTR and RTS off; the event
// character CR watched, so that the dialog hears of a reply at once.
// A read returns at once with what has arrived, or waits at most
// kLoaderReadSliceMs for a first byte: a read never hangs on a silent clock,
// and the upload keeps the time-outs of the exchange itself.
void setUpLoaderPort(serial::TComPort& port);

class ComBootPort : public BootPort {
public:
    explicit ComBootPort(serial::TCustomComPort& port) : port_(port) {}

    // Raises when fewer bytes left the port than were given (write time-out)
    // and whatever the port raises.
    void write(const std::string& bytes) override;
    // Reads only the bytes the port counts as arrived, so it never waits.
    std::string read() override;

private:
    serial::TCustomComPort& port_;
};

} // namespace app
