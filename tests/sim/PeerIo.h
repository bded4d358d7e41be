#pragma once
// What the simulated peers on a pty share: their reading thread and bounded
// waits on their records.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace simpeer {

// A peer's script and records behind one lock.
class Guarded {
protected:
    // Runs `f` under the lock.
    template <class F>
    auto locked(F f) const
    {
        std::lock_guard lock(mutex_);
        return f();
    }
    mutable std::mutex mutex_;
};

// The thread of a simulated peer.
class PeerThread {
public:
    using Take = std::function<void(const char* bytes, std::size_t count)>;
    using Fault = std::function<void(const std::string& what)>;

    ~PeerThread() { stop(); }

    // Reads the descriptor `fd` and hands each chunk that arrives to `take`
    // until stop(); a failed read is told to `fault` and tried again later.
    void start(int fd, Take take, Fault fault);
    // Stops the thread and waits for it (at most a poll slice); later calls
    // do nothing. Not from the peer's own thread.
    void stop();

private:
    std::mutex mutex_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// Waits until `done` answers true, at most `timeout`, looking again whenever
// `changed` is notified (under `mutex`) and at least every few milliseconds,
// calling `pump` (when given) between looks, e.g. to run the event loop.
bool waitUntil(std::mutex& mutex, std::condition_variable& changed, const std::function<bool()>& done,
               std::chrono::milliseconds timeout, const std::function<void()>& pump);

} // namespace simpeer
