#pragma once
// A process-wide value that can be replaced for the whole process: a hook, a
// factory, a service object, a folder. It holds the value in use and the
// default it starts with; any thread may read or replace it. Reading hands out
// a copy taken under the lock, so a hook runs outside the lock and may itself
// replace the value.
//
// Every setter of the project follows one convention, the one of set(): an
// empty value (empty function, null pointer, empty text) puts the default
// back, and the value in place before is returned so a caller can restore it.
#include <mutex>
#include <utility>

namespace platform {

template <class T>
class Override {
public:
    explicit Override(T fallback = {}) : fallback_(fallback), value_(std::move(fallback)) {}
    Override(const Override&) = delete;
    Override& operator=(const Override&) = delete;

    // The value in use.
    T get() const
    {
        std::lock_guard lock(mutex_);
        return value_;
    }
    // Puts `value` in place (an empty one: the default); returns the one before.
    T set(T value)
    {
        if (isEmpty(value))
            value = fallback_;
        std::lock_guard lock(mutex_);
        std::swap(value_, value);
        return value;
    }

private:
    static bool isEmpty(const T& value)
    {
        if constexpr (requires { value.empty(); })
            return value.empty();
        else
            return !value;
    }

    mutable std::mutex mutex_;
    const T fallback_;
    T value_;
};

} // namespace platform
