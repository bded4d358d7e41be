#pragma once
// A pseudo-terminal pair for the simulated clock: the simulator works on the
// master side, the program under test opens the slave side by its path.
//
// One spare descriptor of the slave side stays open for the life of the pair,
// so the master keeps working while the program closes and reopens the port
// (without it the master reads EIO once the last slave descriptor closes).
#include <string>

namespace clocksim {

class PtyPair {
public:
    // Opens the pair with the slave side in raw mode (no echo, no CR/NL
    // translation). Raises std::system_error when no pty can be had.
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // The master descriptor, non-blocking.
    int master() const { return master_; }
    // The slave device path, e.g. "/dev/pts/7".
    const std::string& slavePath() const { return slavePath_; }
    // Throws away what is waiting in either direction of the line.
    void discardPending();

private:
    int master_ = -1;
    int spareSlave_ = -1;
    std::string slavePath_;
};

} // namespace clocksim
