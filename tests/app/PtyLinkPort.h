#pragma once
// A bare link port on a tty path for tests that run the link against the
// simulated clock: raw 8-bit line, non-blocking reads, bounded writes.
#include <chrono>
#include <string>
#include <vector>

#include "app/LinkInterfaces.h"

class PtyLinkPort : public app::LinkPort {
public:
    explicit PtyLinkPort(const std::string& path);
    ~PtyLinkPort() override;
    PtyLinkPort(const PtyLinkPort&) = delete;
    PtyLinkPort& operator=(const PtyLinkPort&) = delete;

    bool connected() const override { return fd_ >= 0; }
    void write(const std::string& bytes) override;
    std::string read(std::size_t maxCount) override;

    // Each write and the wall time it was done at, as the program sees it
    // (no delay of the far end's reading in it).
    struct Written {
        std::string bytes;
        std::chrono::system_clock::time_point done;
    };
    std::vector<Written> written;

private:
    int fd_ = -1;
};
