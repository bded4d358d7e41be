#pragma once
// A simulated start clock on the master side of a pty.
//
// The program under test opens slavePath() as its serial port. The simulator
// cuts what arrives into frames at CR, checks each frame's check character,
// records the commands and the program's 06 0D answers, and answers by
// script: ACK, NAK or nothing; after acknowledging "VER" it sends its
// identification line. It runs its own thread; every wait is bounded.
#include <map>
#include <vector>

#include "sim/PeerIo.h"

namespace clocksim {

inline constexpr const char* kIdentification2004 = "VILO CORVALINDER VER 2004";
inline constexpr const char* kIdentification2003 = "VILO CORVALINDER VER 2003";

enum class Answer { Ack, Nak, Silence };

// One frame received from the program (the bytes up to a CR).
struct Frame {
    enum class Kind { Command, Acknowledgement, Bad };  // Bad: empty, or failing its check character
    Kind kind = Kind::Bad;
    std::string bytes;  // as received, without the CR
    std::string text;   // Command: the text without its check character
    std::chrono::system_clock::time_point firstByteWall;  // arrival of its first byte
};

// A line as the clock and the program put it on the wire: text, check character, CR.
std::string framed(const std::string& text);

class ClockSim : public simpeer::Peer {
public:
    ClockSim();
    ~ClockSim() { stop(); }

    // ---- script (may change while running) ----
    // The answer to every command without a rule of its own (start: Ack).
    void setDefaultAnswer(Answer answer) { locked([&] { defaultAnswer_ = answer; }); }
    // Copies 1, 2, ... of `command` (counted from now) get these answers in
    // turn; later copies get the default answer.
    void answerCopies(const std::string& command, std::vector<Answer> answers)
    {
        locked([&] { rules_[command] = std::move(answers); copies_[command] = 0; });
    }

    // ---- records (failures(): bad frames too) ----
    std::vector<Frame> frames() const { return locked([&] { return frames_; }); }
    // The texts of the valid commands, in order.
    std::vector<std::string> commands() const;
    int copiesOf(const std::string& command) const { return count(Frame::Kind::Command, &command); }
    // The program's 06 0D answers.
    int acknowledgements() const { return count(Frame::Kind::Acknowledgement); }
    void clearRecords() { locked([&] { frames_.clear(); failures_.clear(); }); }

private:
    int count(Frame::Kind kind, const std::string* text = nullptr) const;
    void take(const std::string& bytes);
    void frameEnded(Frame frame);

    std::vector<Frame> frames_;
    std::map<std::string, std::vector<Answer>> rules_;
    std::map<std::string, int> copies_;
    Answer defaultAnswer_ = Answer::Ack;
    Frame partial_;  // only the simulator thread touches it
};

} // namespace clocksim
