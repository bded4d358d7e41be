#pragma once
// A pair of up and down arrows for the PC clock shift. Each half reports its
// press and its release; the repeat while held is the owner's (ShiftRepeat),
// so the arrows never repeat on their own.
#include <QWidget>

class QToolButton;

namespace app {

class ShiftArrows : public QWidget {
    Q_OBJECT
public:
    explicit ShiftArrows(QWidget* parent = nullptr);

    QToolButton* upHalf() const { return up_; }
    QToolButton* downHalf() const { return down_; }

signals:
    // +1 for the up arrow, -1 for the down arrow.
    void pressed(int direction);
    void released();

private:
    QToolButton* makeHalf(Qt::ArrowType arrow, int direction);

    QToolButton* up_;
    QToolButton* down_;
};

} // namespace app
