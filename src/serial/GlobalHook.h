#pragma once
// A process-wide callback that any thread may set and call: the call runs on
// a copy, outside the lock, so a callback may set the hook again.
#include <mutex>
#include <utility>

namespace serial {

template <class Fn>
class GlobalHook {
public:
    explicit GlobalHook(Fn fn = {}) : fn_(std::move(fn)) {}

    void Set(Fn fn)
    {
        std::lock_guard lock(mutex_);
        fn_ = std::move(fn);
    }
    Fn Get() const
    {
        std::lock_guard lock(mutex_);
        return fn_;
    }

private:
    mutable std::mutex mutex_;
    Fn fn_;
};

} // namespace serial
