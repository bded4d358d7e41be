#pragma once
// The main window's serial port as the clock link sees it.
//
// The only place that knows how the link's reads and writes reach the port
// component.
#include "app/link/LinkInterfaces.h"

namespace serial {
class TCustomComPort;
}

namespace app {

class ComLinkPort : public LinkPort {
public:
    explicit ComLinkPort(serial::TCustomComPort& port) : port_(port) {}

    bool connected() const override;
    void write(const std::string& bytes) override;
    std::string read(std::size_t maxCount) override;

private:
    serial::TCustomComPort& port_;
};

} // namespace app
