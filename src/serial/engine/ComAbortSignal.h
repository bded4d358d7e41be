#pragma once
// Ends a port's pending reads and writes. Each operation takes the current
// epoch when it starts and polls its descriptor while it waits; abort() marks
// that epoch aborted, wakes every waiter on it and starts a new epoch for the
// operations that come after. While the port is closing the epoch stays
// aborted: operations still move what they can without waiting, and never
// wait.
#include <atomic>
#include <memory>
#include <mutex>

#include "platform/EventFd.h"

namespace serial {

class ComAbortSignal {
public:
    struct Epoch {
        platform::EventFd fd;
        std::atomic<bool> aborted{false};
    };

    // A fresh epoch for a port being opened: 0 or an errno value.
    int open();
    // The epoch of an operation starting now (never null after open()).
    std::shared_ptr<Epoch> current() const;
    // Aborts the current epoch and starts the next: 0, or an errno value when
    // the next epoch cannot be made (then nothing is aborted).
    int abort();
    // Aborts the current epoch and keeps it aborted until open(). Never fails.
    void beginClose() noexcept;

private:
    static void mark(Epoch& e) noexcept;

    mutable std::mutex mutex_;
    std::shared_ptr<Epoch> current_;
    bool closing_ = false;
};

} // namespace serial
