#pragma once
// Puts a process-wide value in place for the life of a scope and puts the one
// before back at its end, through the value's setter (which returns the
// previous value): ScopedOverride clock(platform::setLocalClock, &fake);
// A setter with a key takes it first:
// ScopedOverride folder(platform::setSettingsFolder, SettingsRoot::CurrentUser, dir);
#include <functional>
#include <utility>

namespace testenv {

class ScopedOverride {
public:
    template <class Set, class Value>
    ScopedOverride(Set set, Value value)
        : restore_([set, previous = set(std::move(value))]() mutable { set(std::move(previous)); })
    {
    }
    template <class Set, class Key, class Value>
    ScopedOverride(Set set, Key key, Value value)
        : restore_([set, key, previous = set(key, std::move(value))]() mutable { set(key, std::move(previous)); })
    {
    }
    ~ScopedOverride() { restore_(); }
    ScopedOverride(const ScopedOverride&) = delete;
    ScopedOverride& operator=(const ScopedOverride&) = delete;

private:
    std::function<void()> restore_;
};

} // namespace testenv
