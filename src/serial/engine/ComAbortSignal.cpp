#include "serial/engine/ComAbortSignal.h"

#include <cerrno>
#include <new>

namespace serial {
namespace {

// A new epoch, or null with `err` set.
std::shared_ptr<ComAbortSignal::Epoch> makeEpoch(int& err)
{
    std::shared_ptr<ComAbortSignal::Epoch> e;
    try {
        e = std::make_shared<ComAbortSignal::Epoch>();
    } catch (const std::bad_alloc&) {
        err = ENOMEM;
        return nullptr;
    }
    err = e->fd.create();
    return err ? nullptr : e;
}

} // namespace

void ComAbortSignal::mark(Epoch& e) noexcept
{
    e.aborted = true;
    e.fd.signal();
}

int ComAbortSignal::open()
{
    int err = 0;
    std::shared_ptr<Epoch> next = makeEpoch(err);
    if (!next)
        return err;
    std::lock_guard lock(mutex_);
    current_ = std::move(next);
    closing_ = false;
    return 0;
}

std::shared_ptr<ComAbortSignal::Epoch> ComAbortSignal::current() const
{
    std::lock_guard lock(mutex_);
    return current_;
}

int ComAbortSignal::abort()
{
    std::shared_ptr<Epoch> next;
    {
        std::lock_guard lock(mutex_);
        if (closing_ || !current_)
            return 0;  // nothing can be pending that is not aborted already
    }
    int err = 0;
    next = makeEpoch(err);
    if (!next)
        return err;
    std::lock_guard lock(mutex_);
    if (closing_)
        return 0;
    mark(*current_);
    current_ = std::move(next);
    return 0;
}

void ComAbortSignal::beginClose() noexcept
{
    std::lock_guard lock(mutex_);
    closing_ = true;
    if (current_)
        mark(*current_);
}

} // namespace serial
