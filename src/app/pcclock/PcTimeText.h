#pragma once
// The PC's time of day as the main window shows it.
#include <QString>

#include "timevalues/TidRut.h"

namespace app {

// `timeOfDay` in the system locale's long time format ("10:00:00" in
// Swedish), without a time zone: the label shows the PC clock as read.
QString pcTimeText(timevalues::TTid timeOfDay);

} // namespace app
