#pragma once
// A wake-up a thread can wait for with poll() beside its devices: a Linux
// eventfd. signal() makes it readable until drain() is called.
namespace platform {

class EventFd {
public:
    EventFd() = default;
    ~EventFd();
    EventFd(const EventFd&) = delete;
    EventFd& operator=(const EventFd&) = delete;

    // Makes the descriptor (closing an earlier one): 0 or an errno value.
    int create();
    bool valid() const { return fd_ >= 0; }
    // The descriptor to poll() for POLLIN; -1 before create().
    int fd() const { return fd_; }
    // Makes it readable. Safe from any thread; never blocks.
    void signal() const noexcept;
    // Makes it unreadable again.
    void drain() const noexcept;

private:
    int fd_ = -1;
};

} // namespace platform
