#pragma once
// A pseudo-terminal for serial tests: the code under test opens `path` (the
// slave side) like a serial device; the test plays the far end on `master`.
#include <string>

namespace testenv {

class PtyPair {
public:
    PtyPair();   // throws std::runtime_error when no pseudo-terminal can be had
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int master() const { return master_; }
    // A descriptor of the slave side that takes no lock: for reading back
    // the line settings the code under test made.
    int slave() const { return slave_; }
    const std::string& path() const { return path_; }

    // Writes all of `bytes` to the far end.
    void send(const std::string& bytes);
    // Reads what arrives at the far end until `count` bytes have come or
    // `timeoutMs` has passed.
    std::string receive(std::size_t count, int timeoutMs);

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

} // namespace testenv
