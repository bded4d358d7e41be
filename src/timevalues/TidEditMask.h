#pragma once
// The time entry's edit mask: three fields separated by ";" - the character
// mask ("0" a required digit, "9" an optional one, "!" leading blanks, other
// characters literals), the save-literals flag ("1": literals are part of the
// text) and the blank character shown in unfilled positions (default "_").
//
// From it come the time picture mask and format mode by which a value is
// written into the entry, and the equivalent Qt input mask.
#include <QString>

#include <string>

namespace timevalues {

namespace tidmask {

struct Picture {
    std::string mask; // time picture mask for FormatTid
    char mode = 'E';  // 'V' when literals are saved, else 'E'
};

// "!00:00:00;1;_" gives "$$:$$:$$" in mode 'V'; "!99.99;1;_" gives "#$.$$".
Picture pictureOf(const QString& editMask);

// The Qt input mask that types like the edit mask: "!00:00:00;1;_" gives
// "99:99:99;_". An empty edit mask gives an empty input mask (no mask).
QString toQtInputMask(const QString& editMask);

} // namespace tidmask

} // namespace timevalues
