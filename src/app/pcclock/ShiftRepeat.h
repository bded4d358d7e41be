#pragma once
// The auto-repeat of a spin arrow held down: one shift on the press, again
// after 400 ms, then every 100 ms until the arrow is released.
#include <QObject>
#include <QTimer>
#include <functional>

namespace app {

inline constexpr int kRepeatDelayMs = 400;
inline constexpr int kRepeatIntervalMs = 100;

class ShiftRepeat : public QObject {
    Q_OBJECT
public:
    // `shift` is called with the amount of the arrow held down.
    explicit ShiftRepeat(std::function<void(int)> shift, QObject* parent = nullptr);

    bool repeating() const { return timer_.isActive(); }

public slots:
    // An arrow was pressed: shift at once and start repeating.
    void press(int amount);
    // The arrow was released (or the window lost the mouse).
    void release();

private:
    void repeat();

    std::function<void(int)> shift_;
    QTimer timer_;
    int amount_ = 0;
};

} // namespace app
