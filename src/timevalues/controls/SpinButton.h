#pragma once
// The small up/down button at the right edge of the decimal spin entry: two
// arrow halves that never take the focus themselves, repeat while held, and
// hand the focus to their focus control before they step.
#include <QWidget>

class QToolButton;

namespace timevalues {

class SpinButton : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 15;
    static constexpr int kHeight = 17;
    static constexpr int kRepeatDelayMs = 400;
    static constexpr int kRepeatIntervalMs = 100;

    explicit SpinButton(QWidget* parent = nullptr);

    // The widget that gets the focus when a half is pressed (may be null).
    void setFocusControl(QWidget* control) { focusControl_ = control; }

    QToolButton* upHalf() const { return up_; }
    QToolButton* downHalf() const { return down_; }

    QSize sizeHint() const override { return {kWidth, kHeight}; }

signals:
    void upClick();
    void downClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* makeHalf(Qt::ArrowType arrow);
    void focusTheControl();

    QWidget* focusControl_ = nullptr;
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace timevalues
