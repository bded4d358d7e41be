// The simulated clock itself, driven over its pty by a raw client.
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "sim/ClockSim.h"
#include "timevalues/TextRut.h"

using namespace std::chrono_literals;
using clocksim::Answer;
using clocksim::ClockSim;
using clocksim::framed;

namespace {

// The program's side of the line: the slave opened raw.
class Client {
public:
    explicit Client(const std::string& path)
    {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ >= 0) {
            termios tio{};
            tcgetattr(fd_, &tio);
            cfmakeraw(&tio);
            tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~Client()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    void send(const std::string& bytes) { ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // What arrives until `lines` CRs have come or `timeout` passes.
    std::string receive(int lines, std::chrono::milliseconds timeout = 2000ms)
    {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::count(got.begin(), got.end(), '\r') < lines) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            char buf[256];
            const ssize_t n = read(fd_, buf, sizeof buf);
            if (n > 0)
                got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }

private:
    int fd_ = -1;
};

const std::string kAckLine = "\x06\r";
const std::string kNakLine = "\x15\r";

TEST(ClockSim, AnswersVerWithAckAndItsIdentification)
{
    struct Case { std::optional<std::string> identification; bool correct; std::string expected; };
    std::string badIdent = framed(clocksim::kIdentification2003);
    badIdent[badIdent.size() - 2] += 1;
    const Case cases[] = {
        {clocksim::kIdentification2004, true, kAckLine + framed(clocksim::kIdentification2004)},
        {clocksim::kIdentification2003, true, kAckLine + framed(clocksim::kIdentification2003)},
        {clocksim::kIdentification2003, false, kAckLine + badIdent},
        {std::nullopt, true, kAckLine},
    };
    for (const Case& c : cases) {
        ClockSim sim;
        sim.setIdentification(c.identification, c.correct);
        Client client(sim.slavePath());
        ASSERT_TRUE(client.ok());
        client.send(framed("VER"));
        const int lines = c.identification ? 2 : 1;
        EXPECT_EQ(clocksim::hexBytes(client.receive(lines)), clocksim::hexBytes(c.expected));
        EXPECT_EQ(sim.commands(), std::vector<std::string>{"VER"});
        EXPECT_TRUE(sim.failures().empty());
    }
}

TEST(ClockSim, ScriptedAnswersPerCopy)
{
    ClockSim sim;
    Client client(sim.slavePath());
    sim.nakCopy("RESET", 2);
    for (int i = 0; i < 3; ++i)
        client.send(framed("RESET"));
    EXPECT_EQ(client.receive(3), kAckLine + kNakLine + kAckLine);

    sim.answerCopies("TOOT-0", {Answer::Silence, Answer::Ack});
    client.send(framed("TOOT-0"));
    EXPECT_EQ(client.receive(1, 150ms), "");
    client.send(framed("TOOT-0"));
    EXPECT_EQ(client.receive(1), kAckLine);

    sim.setDefaultAnswer(Answer::Silence);
    client.send(framed("VER"));
    EXPECT_EQ(client.receive(1, 150ms), "");
    EXPECT_EQ(sim.copiesOf("RESET"), 3);
    EXPECT_EQ(sim.commands().size(), 6u);
}

TEST(ClockSim, RecordsAnswersBadFramesAndSplitFrames)
{
    ClockSim sim;
    sim.setDefaultAnswer(Answer::Silence);
    Client client(sim.slavePath());
    std::string bad = framed("SET-36000");
    bad[bad.size() - 2] += 1;
    const std::string set = framed("SET-36000");
    client.send(kAckLine);
    client.send(bad);
    client.send(set.substr(0, 3));
    ASSERT_TRUE(sim.waitUntil([&] { return sim.frames().size() == 2; }, 2000ms));
    client.send(set.substr(3) + "\r");
    ASSERT_TRUE(sim.waitUntil([&] { return sim.frames().size() == 4; }, 2000ms));

    const auto frames = sim.frames();
    EXPECT_EQ(frames[0].kind, clocksim::Frame::Kind::Acknowledgement);
    EXPECT_EQ(frames[1].kind, clocksim::Frame::Kind::Bad);
    EXPECT_EQ(frames[2].kind, clocksim::Frame::Kind::Command);
    EXPECT_EQ(frames[2].text, "SET-36000");
    EXPECT_EQ(frames[3].kind, clocksim::Frame::Kind::Bad);  // the lone CR
    EXPECT_EQ(sim.acknowledgements(), 1);
    EXPECT_EQ(sim.failures().size(), 2u);
    // The split frame is timed by its first byte.
    EXPECT_LE(frames[2].firstByteSteady, frames[3].firstByteSteady);
}

TEST(ClockSim, SurvivesTheProgramClosingAndReopeningThePort)
{
    ClockSim sim;
    {
        Client first(sim.slavePath());
        first.send(framed("VER"));
        EXPECT_EQ(first.receive(2).size(), kAckLine.size() + framed(clocksim::kIdentification2004).size());
    }
    sim.sendLine("WHILE CLOSED");
    EXPECT_TRUE(sim.failures().empty());
    sim.discardPending();
    Client second(sim.slavePath());
    ASSERT_TRUE(second.ok());
    second.send(framed("RESET"));
    EXPECT_EQ(second.receive(1), kAckLine);
    EXPECT_EQ(sim.copiesOf("VER"), 1);
    EXPECT_EQ(sim.copiesOf("RESET"), 1);
}

TEST(ClockSim, UnpromptedLinesCarryTheirCheckCharacter)
{
    ClockSim sim;
    Client client(sim.slavePath());
    sim.sendLine("HELLO");
    sim.sendLineWithBadCheck("HELLO");
    const std::string got = client.receive(2);
    const auto cr = got.find('\r');
    ASSERT_NE(cr, std::string::npos);
    std::string good = got.substr(0, cr);
    std::string bad = got.substr(cr + 1, got.size() - cr - 2);
    EXPECT_TRUE(StripCheckChar(good));
    EXPECT_EQ(good, "HELLO");
    EXPECT_FALSE(StripCheckChar(bad));
}

TEST(ClockSim, StopsPromptlyAndWaitsAreBounded)
{
    const auto start = std::chrono::steady_clock::now();
    {
        ClockSim sim;
        EXPECT_FALSE(sim.waitForCopies("VER", 1, 100ms));
        int pumped = 0;
        EXPECT_FALSE(sim.waitUntil([] { return false; }, 50ms, [&] { ++pumped; }));
        EXPECT_GT(pumped, 0);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

} // namespace
