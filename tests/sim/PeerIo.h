#pragma once
// What the simulated peers share: the pty whose master side they play, the
// thread that reads it, one lock over a peer's script and records, the
// failures met, and bounded waits on the records.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/PtyPair.h"

namespace simpeer {

class Peer {
protected:
    // Runs `f` under the lock.
    template <class F>
    auto locked(F f) const
    {
        std::lock_guard lock(mutex_);
        return f();
    }

public:
    // The program under test opens this as its port.
    const std::string& slavePath() const { return pty_.path(); }
    // Writes `bytes` to the program within 1 s; a failure is recorded.
    void sendRaw(const std::string& bytes);
    // The far end goes away: the simulator stops and closes its end of the line.
    void goAway();
    // Failed reads and writes, and what the peer adds; a test asserts this is empty.
    std::vector<std::string> failures() const { return locked([&] { return failures_; }); }
    // Waits until `done` answers true, at most `timeout`, looking again
    // whenever the records change and at least every few milliseconds,
    // calling `pump` (when given) between looks, e.g. to run the event loop.
    bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                   const std::function<void()>& pump = {}) const;

protected:
    ~Peer() { stop(); }
    // Reads the master side until stop() and hands each chunk that arrives
    // to `take`, on the peer's own thread.
    void start(std::function<void(const std::string& bytes)> take);
    // Stops the thread and waits for it (at most a poll slice); later calls
    // do nothing. A peer's destructor calls it before its records go.
    void stop();
    void recordFailure(std::string what);
    // Wakes the waits: the records changed.
    void changed() const { changed_.notify_all(); }

    std::vector<std::string> failures_;  // under the lock

private:
    testenv::PtyPair pty_{testenv::PtyPair::Line::Raw};
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::mutex writeMutex_, stopMutex_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace simpeer
