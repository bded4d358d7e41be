#pragma once
// A simulated boot loader of the start clock on the master side of a pty.
// The program under test opens slavePath() as its port. The simulator
// answers each wake-up byte 0x13 with "LD" and a CR, records the lines that
// arrive (up to their CR), and answers each end record by script ("OK" and a
// CR when the page is taken). It runs its own thread.
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "sim/PeerIo.h"

namespace bootsim {

enum class Verdict { Ok, Refuse, Short, Silent };  // the answer to an end record

class BootSim : public simpeer::Peer {
public:
    BootSim()
    {
        start([this](const std::string& bytes) { take(bytes); });
    }
    ~BootSim() { stop(); }

    // The answers to the next end records in turn; later ones are "OK".
    void answerEnds(std::vector<Verdict> answers)
    {
        locked([&] { ends_.assign(answers.begin(), answers.end()); });
    }

    // The lines that arrived so far, without their CR, and the wake-up bytes.
    std::vector<std::string> lines() const { return locked([&] { return lines_; }); }
    int wakeUps() const { return locked([&] { return wakeUps_; }); }

private:
    // On the simulator's thread, which alone touches partial_.
    void take(const std::string& bytes)
    {
        for (const char byte : bytes) {
            std::string answer;
            if (partial_.empty() && byte == 0x13) {
                locked([&] { ++wakeUps_; });
                answer = "LD\r";
            } else if (byte != '\r') {
                partial_ += byte;
            } else {
                answer = locked([&] {
                    lines_.push_back(std::exchange(partial_, {}));
                    if (lines_.back() != ":00000001FF")
                        return "";
                    const Verdict verdict = ends_.empty() ? Verdict::Ok : ends_.front();
                    if (!ends_.empty())
                        ends_.pop_front();
                    const char* answers[] = {"OK\r", "NO\r", "O", ""};
                    return answers[static_cast<int>(verdict)];
                });
            }
            sendRaw(answer);
        }
    }

    std::deque<Verdict> ends_;
    std::vector<std::string> lines_;
    int wakeUps_ = 0;
    std::string partial_;
};

} // namespace bootsim
