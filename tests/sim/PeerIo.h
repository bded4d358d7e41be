#pragma once
// What the simulated peers on a pty share: their thread with the signal
// that stops it, bounded waits on their records, and bounded writes to the
// line.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace simpeer {

// The thread of a simulated peer, and the signal that stops it.
class PeerThread {
public:
    // Throws std::system_error when no eventfd can be had.
    PeerThread();
    // Stops the thread.
    ~PeerThread();
    PeerThread(const PeerThread&) = delete;
    PeerThread& operator=(const PeerThread&) = delete;

    // What arrived on the line, and what went wrong reading it.
    using Take = std::function<void(const char* bytes, std::size_t count)>;
    using Fault = std::function<void(const std::string& what)>;

    // Starts the thread: it reads the descriptor `fd` and hands each chunk
    // that arrives to `take`, until stop(). A failed read is told to `fault`
    // and tried again after a pause; a failed wait ends the thread.
    void start(int fd, Take take, Fault fault);
    // Stops the thread and waits for it to end; later calls do nothing.
    // Safe from any thread but the peer's own.
    void stop();

private:
    void run(int fd, const Take& take, const Fault& fault);

    std::mutex mutex_;
    std::atomic<bool> stopping_{false};
    int fd_ = -1;
    std::thread thread_;
};

// Waits until `done` answers true, at most `timeout`, looking again whenever
// `changed` is notified (under `mutex`) and at least every few milliseconds.
// Between looks it calls `pump` when given (for instance to run the
// program's event loop).
bool waitUntil(std::mutex& mutex, std::condition_variable& changed, const std::function<bool()>& done,
               std::chrono::milliseconds timeout, const std::function<void()>& pump);

// Writes all of `bytes` to the non-blocking descriptor `fd` within `bound`.
// Answers an empty text, or what went wrong.
std::string writeAllWithin(int fd, const std::string& bytes, std::chrono::milliseconds bound);

} // namespace simpeer
