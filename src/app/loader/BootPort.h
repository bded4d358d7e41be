#pragma once
// What the firmware upload needs of the serial line to the boot loader.
#include <string>

namespace app {

class BootPort {
public:
    virtual ~BootPort() = default;
    // Puts all of `bytes` on the line; raises when it cannot.
    virtual void write(const std::string& bytes) = 0;
    // What has arrived since the last read, at once; empty when nothing has.
    virtual std::string read() = 0;
};

} // namespace app
