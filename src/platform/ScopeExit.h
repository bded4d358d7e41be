#pragma once
// Runs a step at the end of a scope, also when the scope is left by an
// exception: the one way the project undoes something on every path.
#include <utility>

namespace platform {

template <class F>
class ScopeExit {
public:
    explicit ScopeExit(F step) : step_(std::move(step)) {}
    ~ScopeExit() { step_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F step_;
};

} // namespace platform
