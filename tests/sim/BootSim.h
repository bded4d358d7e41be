#pragma once
// A simulated boot loader of the start clock on the master side of a pty.
//
// The program under test opens slavePath() as its port. The simulator answers
// each wake-up byte 0x13 with "LD" (ready) and a CR, takes records line by
// line (CR), and keeps a memory of 64 KiB as a flash boot loader would: a page
// record (type 02) selects the page and empties the page buffer, data records
// fill the buffer within the selected page (bytes outside it are dropped),
// and an end record (type 01) writes the whole page from the buffer, bytes
// never given as FF, and answers "OK" and a CR. A refused page is dropped.
// The closing record (type 09) is noted. Every line must be a well-formed
// record with a correct checksum, else it is recorded as a failure.
// It runs its own thread; every wait it offers is bounded.
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/PeerIo.h"
#include "support/PtyPair.h"

namespace bootsim {

// The answer to one wake-up byte.
enum class Ready { Yes, No, Silent };
// The answer to one end record.
enum class Verdict { Ok, Refuse, Short, Silent };

inline constexpr char kWakeUp = 0x13;

class BootSim {
public:
    BootSim();
    ~BootSim();
    BootSim(const BootSim&) = delete;
    BootSim& operator=(const BootSim&) = delete;

    const std::string& slavePath() const { return pty_.path(); }
    void stop();
    // Stops the simulator and closes the far end, as when the cable is
    // pulled: a program still waiting on the line gets a failure. Safe from
    // any thread.
    void hangUp();

    // ---- script (may change while running) ----
    // Answers to the next wake-up bytes in turn; later ones get `otherwise`.
    void answerWakeUps(std::vector<Ready> answers, Ready otherwise = Ready::Yes);
    // Answers to the next end records in turn; later ones get `otherwise`.
    void answerEnds(std::vector<Verdict> answers, Verdict otherwise = Verdict::Ok);

    // ---- records (thread-safe copies) ----
    // The lines that arrived, without their CR (wake-up bytes left out).
    std::vector<std::string> lines() const;
    int wakeUps() const;
    // `count` bytes of the written memory from `address` (FF where never written).
    std::string memory(int address, int count) const;
    // Pages written, in the order they were written.
    std::vector<int> pagesWritten() const;
    bool closed() const;
    std::vector<std::string> failures() const;

    // Waits until `done` answers true, at most `timeout`, calling `pump`
    // between looks when given.
    bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                   const std::function<void()>& pump = {}) const;

private:
    void take(char byte);
    void lineEnded(const std::string& line);
    void writeAll(const std::string& bytes);

    testenv::PtyPair pty_{testenv::PtyPair::Line::Raw};

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::deque<Ready> readyScript_;
    Ready readyOtherwise_ = Ready::Yes;
    std::deque<Verdict> endScript_;
    Verdict endOtherwise_ = Verdict::Ok;
    std::vector<std::string> received_;
    std::vector<std::string> failures_;
    std::array<std::uint8_t, 0x10000> memory_;
    std::array<std::uint8_t, 256> buffer_{};
    std::array<bool, 256> filled_{};
    std::vector<int> pagesWritten_;
    int page_ = 0;
    bool closed_ = false;

    // Only the simulator thread touches the partial line.
    std::string partial_;
    simpeer::PeerThread peer_;
};

} // namespace bootsim
