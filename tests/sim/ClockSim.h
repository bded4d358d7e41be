#pragma once
// A simulated start clock on the master side of a pty.
//
// The program under test opens slavePath() as its serial port. The simulator
// cuts what arrives into frames at CR, checks every frame's check character,
// records the commands and the program's 06 0D answers, and answers by script:
// ACK, NAK, or nothing; after acknowledging "VER" it sends its identification
// line. It runs its own thread; every wait it offers is bounded.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/PeerIo.h"
#include "support/PtyPair.h"

namespace clocksim {

inline constexpr const char* kIdentification2004 = "VILO CORVALINDER VER 2004";
inline constexpr const char* kIdentification2003 = "VILO CORVALINDER VER 2003";

// How the simulator answers one received command.
enum class Answer { Ack, Nak, Silence };

// One frame received from the program (the bytes up to a CR).
struct Frame {
    enum class Kind {
        Command,          // a valid command line; `text` holds it without its check character
        Acknowledgement,  // the program's answer 06 0D to a line of the clock
        Bad,              // empty, or failing its check character
    };
    Kind kind = Kind::Bad;
    std::string bytes;  // as received, without the CR
    std::string text;   // command text (Command frames only)
    std::chrono::system_clock::time_point firstByteWall;    // arrival of its first byte
    std::chrono::steady_clock::time_point firstByteSteady;  // the same on the monotonic clock
};

// The bytes of a line as the clock and the program put it on the wire:
// the text, its check character, CR.
std::string framed(const std::string& text);
// Two-digit upper-case hex of every byte, separated by blanks ("56 45 52 93 0D").
std::string hexBytes(const std::string& bytes);

class ClockSim {
public:
    // Opens the pty and starts the simulator thread.
    ClockSim();
    // Stops the thread and closes the pty.
    ~ClockSim();
    ClockSim(const ClockSim&) = delete;
    ClockSim& operator=(const ClockSim&) = delete;

    // The path the program opens as its port (contains "/").
    const std::string& slavePath() const { return pty_.path(); }
    // Stops the thread; later frames are not read. Called by the destructor.
    void stop();

    // ---- script (may change while running) ----
    // The answer to every command without a rule of its own (start: Ack).
    void setDefaultAnswer(Answer answer);
    // Copies 1, 2, ... of `command` (counted from now) get these answers in
    // turn; later copies get the default answer.
    void answerCopies(const std::string& command, std::vector<Answer> answers);
    // Copy n (from 1, counted from now) of `command` is refused with NAK.
    void nakCopy(const std::string& command, int n);
    // The line sent after "VER" was acknowledged; nullopt sends none.
    // Start: kIdentification2004 with a correct check character.
    void setIdentification(std::optional<std::string> text, bool correctCheck = true);
    // Waits this long before each answer (start: none).
    void setAnswerDelay(std::chrono::milliseconds delay);

    // ---- unprompted lines ----
    void sendLine(const std::string& text);               // with a correct check character
    void sendLineWithBadCheck(const std::string& text);   // check character off by one
    void sendRaw(const std::string& bytes);

    // ---- records (thread-safe copies) ----
    std::vector<Frame> frames() const;
    std::vector<std::string> commands() const;     // texts of the valid commands, in order
    int copiesOf(const std::string& command) const;
    int acknowledgements() const;                  // 06 0D answers of the program
    // Everything that went wrong: bad frames, failed writes. A test asserts
    // this is empty.
    std::vector<std::string> failures() const;
    void clearRecords();
    // Drops what waits unread in the pty, in both directions.
    void discardPending() { pty_.discardPending(); }

    // Waits until `done` answers true, at most `timeout`. Between looks it
    // calls `pump` (for instance to run the program's event loop).
    bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                   const std::function<void()>& pump = {}) const;
    bool waitForCopies(const std::string& command, int copies, std::chrono::milliseconds timeout,
                       const std::function<void()>& pump = {}) const;

private:
    void takeBytes(const char* data, std::size_t n, std::chrono::system_clock::time_point wall,
                   std::chrono::steady_clock::time_point steady);
    void frameEnded(Frame frame);
    Answer answerFor(const std::string& command, int copy);
    void writeAll(const std::string& bytes);
    void recordFailure(std::string what);

    testenv::PtyPair pty_{testenv::PtyPair::Line::Raw};

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Frame> frames_;
    std::vector<std::string> failures_;
    std::map<std::string, int> copies_;
    std::map<std::string, std::vector<Answer>> rules_;
    Answer defaultAnswer_ = Answer::Ack;
    std::optional<std::string> identification_ = std::string(kIdentification2004);
    bool identificationCheckOk_ = true;
    std::chrono::milliseconds answerDelay_{0};

    // Only the simulator thread touches the partial frame.
    std::string partial_;
    std::chrono::system_clock::time_point partialWall_;
    std::chrono::steady_clock::time_point partialSteady_;

    std::mutex writeMutex_;
    simpeer::PeerThread peer_;
};

} // namespace clocksim
