#include "serial/engine/ComHandOver.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace serial {

bool isGuiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && app->thread() == QThread::currentThread();
}

bool postToGuiThread(std::function<void()> call)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    QMetaObject::invokeMethod(app, std::move(call), Qt::QueuedConnection);
    return true;
}

bool ComHandOver::run(std::function<void()> call)
{
    std::unique_lock lock(mutex_);
    if (closing_)
        return false;
    call_ = std::move(call);
    state_ = State::Waiting;
    lock.unlock();
    if (!postToGuiThread([self = shared_from_this()] { self->serve(); })) {
        serve();
        return true;
    }
    lock.lock();
    done_.wait(lock, [&] { return state_ == State::Idle || closing_; });
    return state_ == State::Idle;
}

void ComHandOver::serve()
{
    std::function<void()> call;
    {
        std::lock_guard lock(mutex_);
        if (state_ != State::Waiting)
            return;  // run in place by Close, or dropped
        call = std::move(call_);
        call_ = nullptr;
        state_ = State::Running;
    }
    call();
    std::lock_guard lock(mutex_);
    state_ = State::Idle;
    done_.notify_all();
}

void ComHandOver::close(bool runWaiting)
{
    std::function<void()> call;
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        if (state_ == State::Waiting) {
            call = std::move(call_);
            call_ = nullptr;
            state_ = runWaiting ? State::Running : State::Idle;
        }
        done_.notify_all();
    }
    if (call && runWaiting) {
        call();
        std::lock_guard lock(mutex_);
        state_ = State::Idle;
    }
}

bool ComHandOver::waiting() const
{
    std::lock_guard lock(mutex_);
    return state_ == State::Waiting;
}

} // namespace serial
