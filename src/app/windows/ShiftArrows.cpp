#include "app/windows/ShiftArrows.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace app {

ShiftArrows::ShiftArrows(QWidget* parent)
    : QWidget(parent), up_(makeHalf(Qt::UpArrow, 1)), down_(makeHalf(Qt::DownArrow, -1))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up_);
    layout->addWidget(down_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QToolButton* ShiftArrows::makeHalf(Qt::ArrowType arrow, int direction)
{
    auto* half = new QToolButton(this);
    half->setArrowType(arrow);
    half->setAutoRepeat(false);
    half->setFocusPolicy(Qt::NoFocus);
    half->setFixedSize(22, 14);
    connect(half, &QToolButton::pressed, this, [this, direction] { emit pressed(direction); });
    connect(half, &QToolButton::released, this, &ShiftArrows::released);
    return half;
}

} // namespace app
