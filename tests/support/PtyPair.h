#pragma once
// A pseudo-terminal for serial tests: the code under test opens `path` (the
// slave side) like a serial device; the test plays the far end on `master`.
//
// The pair keeps a descriptor of the slave side open for its whole life, so
// the master keeps working while the code under test closes and reopens the
// port (without it the master reads EIO once the last slave descriptor closes).
#include <string>

namespace testenv {

class PtyPair {
public:
    enum class Line {
        AsOpened,  // the slave side as the kernel makes it (cooked, echoing)
        Raw,       // no echo and no translation even while nobody has the port open
    };

    // Throws std::runtime_error when no pseudo-terminal can be had.
    explicit PtyPair(Line line = Line::AsOpened);
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int master() const { return master_; }
    // A descriptor of the slave side that takes no lock: for reading back
    // the line settings the code under test made.
    int slave() const { return slave_; }
    const std::string& path() const { return path_; }

    // Throws away what is waiting in either direction of the line.
    void discardPending();

    // Writes all of `bytes` to the far end.
    void send(const std::string& bytes);
    // Reads what arrives at the far end until `count` bytes have come or
    // `timeoutMs` has passed.
    std::string receive(std::size_t count, int timeoutMs);
    // Closes the far end, as when the other side goes away.
    void closeMaster();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

} // namespace testenv
