#pragma once
// A serial device as the serial library sees it: opened exclusively by path,
// configured from a SerialLineState image, read and written without blocking,
// with modem lines, line counters and queue control.
//
// Every call that can fail returns 0 on success or an errno value. The device
// never blocks: callers wait with poll() on pollFd().
//
// Ports are created through createSerialDevice(), so a test can put a fake
// in place with setSerialDeviceFactory().
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/SerialLineState.h"

namespace platform {

// Modem lines, as bits.
inline constexpr unsigned kModemCTS = 0x1;
inline constexpr unsigned kModemDSR = 0x2;
inline constexpr unsigned kModemRing = 0x4;
inline constexpr unsigned kModemRLSD = 0x8;   // carrier detect
inline constexpr unsigned kModemDTR = 0x10;   // outputs, for setModemLines()
inline constexpr unsigned kModemRTS = 0x20;

// Running totals the driver keeps of line events since the device was opened.
struct SerialCounters {
    std::uint32_t cts = 0, dsr = 0, ring = 0, rlsd = 0;
    std::uint32_t rx = 0, tx = 0;
    std::uint32_t frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;

    bool operator==(const SerialCounters&) const = default;
};

// Outcome of a read or write: bytes moved, and 0 or an errno value. EAGAIN
// means "nothing now"; count may be above 0 together with an error only when
// some bytes moved before it.
struct SerialIoResult {
    std::size_t count = 0;
    int error = 0;
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens `path` for reading and writing, exclusively (a second open of the
    // same device fails with EWOULDBLOCK or EBUSY), and puts the line in raw
    // binary mode with the receiver on and modem control ignored.
    virtual int open(const std::string& path) = 0;
    // Closes the device; does nothing when it is closed. Never fails.
    virtual void close() noexcept = 0;
    virtual bool isOpen() const = 0;
    // The descriptor to poll(): readable when input is waiting, POLLHUP/POLLERR
    // when the device has gone. -1 while closed.
    virtual int pollFd() const = 0;
    // False for a device without modem lines (a pseudo-terminal): its modem
    // queries then answer "no lines on" and setting lines is skipped.
    virtual bool hasModemLines() const = 0;

    // Recommended queue sizes in bytes (validated by the caller).
    virtual int setQueueSizes(int inputSize, int outputSize) = 0;
    // Speed, framing, parity, flow control, special characters, and the DTR
    // and RTS levels the state asks for. EINVAL for what the line cannot do
    // (see checkLineStateSupported).
    virtual int setLineState(const SerialLineState& state) = 0;
    // Takes the time-outs. The line has no time-outs of its own: the reads
    // and writes above the device enforce them; a device may refuse them.
    virtual int setTimeouts(const SerialTimeouts& timeouts) = 0;

    // Data path; never blocks.
    virtual SerialIoResult read(void* buffer, std::size_t size) = 0;
    virtual SerialIoResult write(const void* data, std::size_t size) = 0;
    // Bytes waiting in the driver's input and output queues.
    virtual int inputWaiting(int& count) = 0;
    virtual int outputWaiting(int& count) = 0;
    // Discards the input and/or output queue.
    virtual int purge(bool input, bool output) = 0;

    // Line control and status.
    virtual int modemLines(unsigned& lines) = 0;                  // kModemCTS..kModemRLSD
    virtual int setModemLines(unsigned lines, bool on) = 0;       // kModemDTR / kModemRTS
    virtual int setBreak(bool on) = 0;
    // Holds output as if XOFF had been received (true), or lets it go on (false).
    virtual int holdOutput(bool held) = 0;
    virtual int counters(SerialCounters& counters) = 0;
};

using SerialDeviceFactory = std::function<std::unique_ptr<SerialDevice>()>;

// A new, closed device: the system's unless a factory is in place.
std::unique_ptr<SerialDevice> createSerialDevice();
// Puts `factory` in place; an empty one restores the system devices. Returns
// the factory in place before.
SerialDeviceFactory setSerialDeviceFactory(SerialDeviceFactory factory);
// The system's device over termios.
std::unique_ptr<SerialDevice> createSystemSerialDevice();

// The device path of a port name: "/dev/" + name, or the name itself when it
// contains "/" (so "/dev/serial/by-id/..." and pseudo-terminals work).
std::string serialDevicePath(const std::string& portName);

} // namespace platform
