#pragma once
// Hands calls from a port's event thread to the GUI thread and waits until
// each has run there, in a way that closing the port can always end the
// wait (a plain blocking queued call could deadlock a close).
//
// One call is handed over at a time. The event thread posts the call to the
// GUI thread (through the Qt application object) and waits on a condition
// variable until the call has run or the hand-over is closing. close(), run
// by the port while it closes, takes a call that is still waiting and runs
// it in place (in the GUI thread) or drops it, and releases the event thread
// at once, even while a call is running in the GUI thread (a handler that
// closes its own port).
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace serial {

// True in the thread of the Qt application object; false without one.
bool isGuiThread();
// Queues `call` to run in the GUI thread; false when there is no application
// object (then nothing is queued).
bool postToGuiThread(std::function<void()> call);

class ComHandOver : public std::enable_shared_from_this<ComHandOver> {
public:
    static std::shared_ptr<ComHandOver> create() { return std::shared_ptr<ComHandOver>(new ComHandOver); }

    // In the event thread: runs `call` in the GUI thread and returns when it
    // has run (true), or when the hand-over is closing (false: the call may
    // not run, or may still be running). Without an application object the
    // call runs here. `call` must not throw.
    bool run(std::function<void()> call);
    // No further calls are taken. A call still waiting runs here when
    // `runWaiting` (the caller is the GUI thread), else it is dropped.
    void close(bool runWaiting);
    // A call is waiting for the GUI thread.
    bool waiting() const;

private:
    enum class State { Idle, Waiting, Running };

    ComHandOver() = default;
    // In the GUI thread: runs the waiting call, if it is still waiting.
    void serve();

    mutable std::mutex mutex_;
    std::condition_variable done_;
    std::function<void()> call_;
    State state_ = State::Idle;
    bool closing_ = false;
};

} // namespace serial
