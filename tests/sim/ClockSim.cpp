#include "sim/ClockSim.h"

#include <algorithm>
#include <utility>

#include "timevalues/TextRut.h"

using namespace timevalues;

namespace clocksim {

std::string framed(const std::string& text)
{
    std::string s = text;
    AddCheckChar(s);
    return s + '\r';
}

ClockSim::ClockSim()
{
    start([this](const std::string& bytes) { take(bytes); });
}

std::vector<std::string> ClockSim::commands() const
{
    std::vector<std::string> out;
    for (const Frame& f : frames())
        if (f.kind == Frame::Kind::Command)
            out.push_back(f.text);
    return out;
}

int ClockSim::count(Frame::Kind kind, const std::string* text) const
{
    return locked([&] {
        return static_cast<int>(std::count_if(frames_.begin(), frames_.end(), [&](const Frame& f) {
            return f.kind == kind && (!text || f.text == *text);
        }));
    });
}

void ClockSim::take(const std::string& bytes)
{
    const auto arrived = std::chrono::system_clock::now();
    for (const char byte : bytes) {
        if (partial_.bytes.empty())
            partial_.firstByteWall = arrived;
        if (byte != '\r')
            partial_.bytes += byte;
        else
            frameEnded(std::exchange(partial_, Frame{}));
    }
}

void ClockSim::frameEnded(Frame frame)
{
    std::string text = frame.bytes;
    if (frame.bytes == "\x06")
        frame.kind = Frame::Kind::Acknowledgement;
    else if (StripCheckChar(text))
        frame.kind = Frame::Kind::Command, frame.text = text;
    const Answer answer = locked([&] {
        Answer a = Answer::Silence;
        if (frame.kind == Frame::Kind::Bad)
            failures_.push_back("bad frame (empty or failing its check character): " + frame.bytes);
        if (frame.kind == Frame::Kind::Command) {
            const std::vector<Answer>& rule = rules_[frame.text];
            const auto copy = static_cast<std::size_t>(++copies_[frame.text]);
            a = copy <= rule.size() ? rule[copy - 1] : defaultAnswer_;
        }
        frames_.push_back(frame);
        return a;
    });
    changed();
    if (answer != Answer::Silence)
        sendRaw(answer == Answer::Ack ? "\x06\r" : "\x15\r");
    if (answer == Answer::Ack && frame.text == "VER")
        sendRaw(framed(kIdentification2004));
}

} // namespace clocksim
