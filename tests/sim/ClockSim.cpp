#include "sim/ClockSim.h"

#include <cstdio>

#include "sim/PeerIo.h"
#include "timevalues/TextRut.h"

namespace clocksim {
namespace {

constexpr char kCR = 13;
constexpr char kACK = 6;
constexpr char kNAK = 21;
constexpr auto kWriteBound = std::chrono::seconds(1);

std::string withCheckChar(const std::string& text)
{
    std::string s = text;
    AddCheckChar(s);
    return s;
}

} // namespace

std::string framed(const std::string& text)
{
    return withCheckChar(text) + kCR;
}

std::string hexBytes(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02X", c);
        if (!out.empty())
            out += ' ';
        out += buf;
    }
    return out;
}

ClockSim::ClockSim()
{
    peer_.start(
        pty_.master(),
        [this](const char* bytes, std::size_t n) {
            takeBytes(bytes, n, std::chrono::system_clock::now(), std::chrono::steady_clock::now());
        },
        [this](const std::string& what) { recordFailure(what); });
}

ClockSim::~ClockSim()
{
    stop();
}

void ClockSim::stop()
{
    peer_.stop();
}

void ClockSim::setDefaultAnswer(Answer answer)
{
    std::lock_guard lock(mutex_);
    defaultAnswer_ = answer;
}

void ClockSim::answerCopies(const std::string& command, std::vector<Answer> answers)
{
    std::lock_guard lock(mutex_);
    rules_[command] = std::move(answers);
    copies_[command] = 0;
}

void ClockSim::nakCopy(const std::string& command, int n)
{
    std::vector<Answer> answers;
    {
        std::lock_guard lock(mutex_);
        answers.assign(static_cast<std::size_t>(n > 0 ? n : 1), defaultAnswer_);
    }
    answers.back() = Answer::Nak;
    answerCopies(command, std::move(answers));
}

void ClockSim::setIdentification(std::optional<std::string> text, bool correctCheck)
{
    std::lock_guard lock(mutex_);
    identification_ = std::move(text);
    identificationCheckOk_ = correctCheck;
}

void ClockSim::setAnswerDelay(std::chrono::milliseconds delay)
{
    std::lock_guard lock(mutex_);
    answerDelay_ = delay;
}

void ClockSim::sendLine(const std::string& text)
{
    writeAll(framed(text));
}

void ClockSim::sendLineWithBadCheck(const std::string& text)
{
    std::string s = withCheckChar(text);
    s.back() = static_cast<char>(s.back() + 1);
    writeAll(s + kCR);
}

void ClockSim::sendRaw(const std::string& bytes)
{
    writeAll(bytes);
}

std::vector<Frame> ClockSim::frames() const
{
    std::lock_guard lock(mutex_);
    return frames_;
}

std::vector<std::string> ClockSim::commands() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const Frame& f : frames_)
        if (f.kind == Frame::Kind::Command)
            out.push_back(f.text);
    return out;
}

int ClockSim::copiesOf(const std::string& command) const
{
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const Frame& f : frames_)
        if (f.kind == Frame::Kind::Command && f.text == command)
            ++n;
    return n;
}

int ClockSim::acknowledgements() const
{
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const Frame& f : frames_)
        if (f.kind == Frame::Kind::Acknowledgement)
            ++n;
    return n;
}

std::vector<std::string> ClockSim::failures() const
{
    std::lock_guard lock(mutex_);
    return failures_;
}

void ClockSim::clearRecords()
{
    std::lock_guard lock(mutex_);
    frames_.clear();
    failures_.clear();
}

bool ClockSim::waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                         const std::function<void()>& pump) const
{
    return simpeer::waitUntil(mutex_, changed_, done, timeout, pump);
}

bool ClockSim::waitForCopies(const std::string& command, int copies, std::chrono::milliseconds timeout,
                             const std::function<void()>& pump) const
{
    return waitUntil([&] { return copiesOf(command) >= copies; }, timeout, pump);
}

void ClockSim::takeBytes(const char* data, std::size_t n, std::chrono::system_clock::time_point wall,
                         std::chrono::steady_clock::time_point steady)
{
    for (std::size_t i = 0; i < n; ++i) {
        if (data[i] != kCR) {
            if (partial_.empty()) {
                partialWall_ = wall;
                partialSteady_ = steady;
            }
            partial_ += data[i];
            continue;
        }
        Frame frame;
        frame.bytes = std::move(partial_);
        partial_.clear();
        frame.firstByteWall = frame.bytes.empty() ? wall : partialWall_;
        frame.firstByteSteady = frame.bytes.empty() ? steady : partialSteady_;
        frameEnded(std::move(frame));
    }
}

void ClockSim::frameEnded(Frame frame)
{
    std::string text = frame.bytes;
    if (frame.bytes == std::string(1, kACK)) {
        frame.kind = Frame::Kind::Acknowledgement;
    } else if (StripCheckChar(text)) {
        frame.kind = Frame::Kind::Command;
        frame.text = text;
    } else {
        frame.kind = Frame::Kind::Bad;
    }

    Answer answer = Answer::Silence;
    std::optional<std::string> identification;
    bool identificationOk = true;
    std::chrono::milliseconds delay{0};
    {
        std::lock_guard lock(mutex_);
        if (frame.kind == Frame::Kind::Bad)
            failures_.push_back("bad frame (empty or failing its check character): " + hexBytes(frame.bytes + kCR));
        if (frame.kind == Frame::Kind::Command) {
            answer = answerFor(frame.text, ++copies_[frame.text]);
            if (answer == Answer::Ack && frame.text == "VER") {
                identification = identification_;
                identificationOk = identificationCheckOk_;
            }
        }
        delay = answerDelay_;
        frames_.push_back(std::move(frame));
    }
    changed_.notify_all();

    if (answer == Answer::Silence)
        return;
    if (delay.count() > 0)
        std::this_thread::sleep_for(delay);
    writeAll(std::string(1, answer == Answer::Ack ? kACK : kNAK) + kCR);
    if (identification) {
        if (identificationOk)
            sendLine(*identification);
        else
            sendLineWithBadCheck(*identification);
    }
}

// Called with mutex_ held.
Answer ClockSim::answerFor(const std::string& command, int copy)
{
    const auto rule = rules_.find(command);
    if (rule != rules_.end() && copy >= 1 && static_cast<std::size_t>(copy) <= rule->second.size())
        return rule->second[static_cast<std::size_t>(copy) - 1];
    return defaultAnswer_;
}

void ClockSim::writeAll(const std::string& bytes)
{
    std::lock_guard lock(writeMutex_);
    const std::string fault = simpeer::writeAllWithin(pty_.master(), bytes, kWriteBound);
    if (!fault.empty())
        recordFailure(fault);
}

void ClockSim::recordFailure(std::string what)
{
    {
        std::lock_guard lock(mutex_);
        failures_.push_back(std::move(what));
    }
    changed_.notify_all();
}

} // namespace clocksim
