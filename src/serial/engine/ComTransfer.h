#pragma once
// Reads and writes as operations that are started, moved on without
// blocking, and waited for: the data path under the port's overlapped
// operations. A read takes bytes from the port's input queue (pumping the
// device into it) until its plan says it is done; a write hands its bytes to
// the device and is done when they have left the output queue, or when its
// time limit passes (then what was not sent is discarded and the count says
// what was). Waits poll the device, the input queue's wake-up and the
// operation's abort epoch, never the event thread.
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>

#include "platform/SerialDevice.h"
#include "serial/engine/ComAbortSignal.h"
#include "serial/engine/ComEventSignal.h"
#include "serial/engine/ComInputQueue.h"
#include "serial/engine/ComTransferPlan.h"

namespace serial {

// What an operation needs of its port, gathered when it is moved on.
struct ComTransferPort {
    platform::SerialDevice* device = nullptr;  // null while the port is closed
    ComInputQueue* input = nullptr;
    ComEventSignal* events = nullptr;
    std::chrono::microseconds characterTime{1000};
};

// The state of one read or write, kept by its caller from the start of the
// operation until it is done.
class ComTransfer {
public:
    using Clock = std::chrono::steady_clock;

    // A read of up to `count` bytes into `dest` (kept by the caller until
    // done), or a write of `size` bytes from `src` (likewise).
    void startRead(char* dest, std::size_t count, const ComReadPlan& plan,
                   std::shared_ptr<ComAbortSignal::Epoch> epoch);
    void startWrite(const char* src, std::size_t size, std::optional<std::chrono::milliseconds> limit,
                    std::shared_ptr<ComAbortSignal::Epoch> epoch);
    // Marks the operation finished at once with `error` (0: nothing moved).
    void finish(int error);

    // Moves the operation on without blocking; true once it is done.
    bool step(const ComTransferPort& port);
    // Blocks until the operation is done (or aborted).
    void wait(const ComTransferPort& port);

    bool pending() const { return pending_; }
    // 0, or the errno the operation ended with (ECANCELED when aborted).
    int error() const { return error_; }
    // Bytes read, or bytes that left the port.
    std::size_t transferred() const { return transferred_; }

private:
    enum class Kind : unsigned char { None, Read, Write };

    bool stepRead(const ComTransferPort& port, Clock::time_point now);
    bool stepWrite(const ComTransferPort& port, Clock::time_point now);
    void done(std::size_t transferred, int error);
    // A write's end: `sent` bytes left the port, whose output queue is empty.
    void sent(const ComTransferPort& port, std::size_t sent, int error);
    bool aborted() const { return epoch_ && epoch_->aborted.load(); }
    // How long the wait may last before the operation must be looked at
    // again; nullopt for no limit.
    std::optional<std::chrono::milliseconds> nextLook(const ComTransferPort& port, Clock::time_point now) const;

    Kind kind_ = Kind::None;
    bool pending_ = false;
    int error_ = 0;
    std::size_t transferred_ = 0;

    char* dest_ = nullptr;
    const char* src_ = nullptr;
    std::size_t size_ = 0;   // bytes asked for
    std::size_t moved_ = 0;  // bytes read, or handed to the device
    ComReadPlan plan_;
    std::optional<Clock::time_point> deadline_;
    std::optional<Clock::time_point> lastByte_;
    int queued_ = 0;         // a write's bytes last seen in the output queue
    std::shared_ptr<ComAbortSignal::Epoch> epoch_;
};

} // namespace serial
