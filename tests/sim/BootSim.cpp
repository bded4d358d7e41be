#include "sim/BootSim.h"

#include <optional>

namespace bootsim {
namespace {

constexpr char kCR = 13;
constexpr auto kWriteBound = std::chrono::seconds(1);

struct Record {
    int address = 0;
    int type = 0;
    std::vector<std::uint8_t> data;
};

int digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;  // the loader writes upper case; anything else is a fault
}

// The record of a line, or nullopt when it is not well formed or its checksum
// does not add up.
std::optional<Record> parse(const std::string& line)
{
    if (line.size() < 11 || line[0] != ':' || (line.size() - 1) % 2 != 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i < line.size(); i += 2) {
        const int hi = digit(line[i]);
        const int lo = digit(line[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    unsigned sum = 0;
    for (std::uint8_t b : bytes)
        sum += b;
    if (sum % 256 != 0 || bytes.size() != bytes[0] + 5u)
        return std::nullopt;
    Record r;
    r.address = bytes[1] * 256 + bytes[2];
    r.type = bytes[3];
    r.data.assign(bytes.begin() + 4, bytes.end() - 1);
    return r;
}

} // namespace

BootSim::BootSim()
{
    memory_.fill(0xFF);
    peer_.start(
        pty_.master(),
        [this](const char* bytes, std::size_t n) {
            for (std::size_t i = 0; i < n; ++i)
                take(bytes[i]);
        },
        [this](const std::string& what) {
            std::lock_guard lock(mutex_);
            failures_.push_back(what);
        });
}

BootSim::~BootSim()
{
    stop();
}

void BootSim::stop()
{
    peer_.stop();
}

void BootSim::hangUp()
{
    stop();
    pty_.closeMaster();
}

void BootSim::answerWakeUps(std::vector<Ready> answers, Ready otherwise)
{
    std::lock_guard lock(mutex_);
    readyScript_.assign(answers.begin(), answers.end());
    readyOtherwise_ = otherwise;
}

void BootSim::answerEnds(std::vector<Verdict> answers, Verdict otherwise)
{
    std::lock_guard lock(mutex_);
    endScript_.assign(answers.begin(), answers.end());
    endOtherwise_ = otherwise;
}

std::vector<std::string> BootSim::lines() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const std::string& item : received_)
        if (item != std::string(1, kWakeUp))
            out.push_back(item);
    return out;
}

int BootSim::wakeUps() const
{
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const std::string& item : received_)
        n += item == std::string(1, kWakeUp) ? 1 : 0;
    return n;
}

std::string BootSim::memory(int address, int count) const
{
    std::lock_guard lock(mutex_);
    std::string out;
    for (int a = address; a < address + count && a < 0x10000; ++a)
        out += static_cast<char>(memory_[static_cast<std::size_t>(a)]);
    return out;
}

std::vector<int> BootSim::pagesWritten() const
{
    std::lock_guard lock(mutex_);
    return pagesWritten_;
}

bool BootSim::closed() const
{
    std::lock_guard lock(mutex_);
    return closed_;
}

std::vector<std::string> BootSim::failures() const
{
    std::lock_guard lock(mutex_);
    return failures_;
}

bool BootSim::waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                        const std::function<void()>& pump) const
{
    return simpeer::waitUntil(mutex_, changed_, done, timeout, pump);
}

void BootSim::take(char byte)
{
    if (partial_.empty() && byte == kWakeUp) {
        Ready answer;
        {
            std::lock_guard lock(mutex_);
            received_.emplace_back(1, kWakeUp);
            answer = readyScript_.empty() ? readyOtherwise_ : readyScript_.front();
            if (!readyScript_.empty())
                readyScript_.pop_front();
        }
        changed_.notify_all();
        if (answer == Ready::Yes)
            writeAll(std::string("LD") + kCR);
        else if (answer == Ready::No)
            writeAll(std::string("NO") + kCR);
        return;
    }
    if (byte != kCR) {
        partial_ += byte;
        return;
    }
    const std::string line = std::move(partial_);
    partial_.clear();
    lineEnded(line);
}

void BootSim::lineEnded(const std::string& line)
{
    std::string answer;
    {
        std::lock_guard lock(mutex_);
        received_.push_back(line);
        const std::optional<Record> r = parse(line);
        if (!r) {
            failures_.push_back("not a well-formed record: \"" + line + "\"");
        } else if (r->type == 0x00) {
            for (std::size_t i = 0; i < r->data.size(); ++i) {
                const int address = r->address + static_cast<int>(i);
                if (address / 256 != page_)
                    continue;
                buffer_[static_cast<std::size_t>(address % 256)] = r->data[i];
                filled_[static_cast<std::size_t>(address % 256)] = true;
            }
        } else if (r->type == 0x02) {
            page_ = r->address / 256;
            filled_.fill(false);
        } else if (r->type == 0x01) {
            const Verdict verdict = endScript_.empty() ? endOtherwise_ : endScript_.front();
            if (!endScript_.empty())
                endScript_.pop_front();
            bool any = false;
            for (bool f : filled_)
                any = any || f;
            if (verdict == Verdict::Ok && any) {
                for (std::size_t i = 0; i < 256; ++i)
                    memory_[static_cast<std::size_t>(page_) * 256 + i] = filled_[i] ? buffer_[i] : 0xFF;
                pagesWritten_.push_back(page_);
            }
            filled_.fill(false);
            answer = verdict == Verdict::Ok       ? std::string("OK") + kCR
                     : verdict == Verdict::Refuse ? std::string("NO") + kCR
                     : verdict == Verdict::Short  ? std::string("O")
                                                  : std::string();
        } else if (r->type == 0x09) {
            closed_ = true;
        } else {
            failures_.push_back("unexpected record type: \"" + line + "\"");
        }
    }
    changed_.notify_all();
    if (!answer.empty())
        writeAll(answer);
}

void BootSim::writeAll(const std::string& bytes)
{
    const std::string fault = simpeer::writeAllWithin(pty_.master(), bytes, kWriteBound);
    if (fault.empty())
        return;
    std::lock_guard lock(mutex_);
    failures_.push_back(fault);
}

} // namespace bootsim
