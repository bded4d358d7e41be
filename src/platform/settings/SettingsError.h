#pragma once
// The failure of a settings or ini-file operation: a file that cannot be read
// or written, a name that cannot be stored, a value of the wrong type, or a
// write without an open key. what() says what and where in plain words.
#include <stdexcept>

namespace platform {

class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace platform
