// Receive-path benchmark on a pseudo-terminal, in one run:
//  (a) latency from the far end writing "x\r" to the start of an OnRxFlag
//      handler in the GUI thread (the application's way of watching its
//      port), beside a raw poll()+read() loop on the same pty as the floor;
//  (b) CPU time of an idle open port.
// Usage: bench_rxflag [lines (default 2000)] [idle seconds (default 10)]
#include <QApplication>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "serial/ComPort.h"
#include "serial/engine/ComThread.h"

using Clock = std::chrono::steady_clock;
using serial::TComEvent;
using serial::TComPort;
using serial::TCustomComPort;

namespace {

constexpr int kWarmUp = 100;

// The far end: writes one line, then waits until the receiver has seen it.
class FarEnd {
public:
    explicit FarEnd(int master) : master_(master) {}

    // Called by the receiver when the line has arrived.
    void seen()
    {
        const auto now = Clock::now();
        std::lock_guard lock(mutex_);
        latencies_.push_back(std::chrono::duration<double, std::micro>(now - sentAt_).count());
        ++seen_;
        cv_.notify_all();
    }

    // Sends `lines` lines; false when one was not seen within 2 s.
    bool run(int lines)
    {
        for (int i = 0; i < lines; ++i) {
            {
                std::lock_guard lock(mutex_);
                sentAt_ = Clock::now();
            }
            if (::write(master_, "x\r", 2) != 2)
                return false;
            std::unique_lock lock(mutex_);
            if (!cv_.wait_for(lock, std::chrono::seconds(2), [&] { return seen_ == i + 1; }))
                return false;
        }
        return true;
    }

    std::vector<double> Latencies() const
    {
        std::lock_guard lock(mutex_);
        return std::vector<double>(latencies_.begin() + std::min<std::size_t>(kWarmUp, latencies_.size()),
                                   latencies_.end());
    }

private:
    int master_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    Clock::time_point sentAt_;
    int seen_ = 0;
    std::vector<double> latencies_;
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

void report(const char* what, const std::vector<double>& v)
{
    std::printf("%-34s n=%zu  p50 %7.1f us  p99 %7.1f us  max %7.1f us\n", what, v.size(), percentile(v, 0.50),
                percentile(v, 0.99), percentile(v, 1.0));
}

// The floor: a thread that waits in poll() and reads the line itself.
std::vector<double> rawFloor(int master, const char* path, int lines)
{
    const int fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    FarEnd far(master);
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        char buf[256];
        while (!stop) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) > 0 && ::read(fd, buf, sizeof buf) > 0)
                far.seen();
        }
    });
    const bool ok = far.run(lines + kWarmUp);
    stop = true;
    reader.join();
    ::close(fd);
    if (!ok)
        std::fprintf(stderr, "raw floor: a line was not seen\n");
    return far.Latencies();
}

// The port as the application sets it up: event character CR, only the
// receive-flag event, the handler in the GUI thread.
void prepareAppPort(TComPort& port, const char* path)
{
    port.SetPort(path);
    port.SetEventChar('\r');
    port.SetEvents({TComEvent::evRxFlag});
    port.FlowControl().SetControlDTR(serial::TDTRFlowControl::dtrEnable);
}

std::vector<double> portLatency(QApplication& app, int master, const char* path, int lines)
{
    TComPort port;
    prepareAppPort(port, path);
    FarEnd far(master);
    std::string received;
    port.OnRxFlag = [&](TCustomComPort*) {
        far.seen();  // the handler has started
        std::string s;
        port.ReadStr(s, 200);
        received += s;
    };
    port.Open();
    bool ok = false;
    std::thread writer([&] {
        ok = far.run(lines + kWarmUp);
        QMetaObject::invokeMethod(&app, [&app] { app.quit(); }, Qt::QueuedConnection);
    });
    app.exec();
    writer.join();
    port.Close();
    if (!ok)
        std::fprintf(stderr, "port: a line was not seen\n");
    if (received.size() != 2u * static_cast<std::size_t>(lines + kWarmUp))
        std::fprintf(stderr, "port: received %zu bytes\n", received.size());
    return far.Latencies();
}

double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
           + static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void idleCpu(QApplication& app, const char* path, int seconds)
{
    TComPort port;
    prepareAppPort(port, path);
    port.OnRxFlag = [](TCustomComPort*) {};
    port.Open();
    const auto threadBefore = port.EventThread()->cpuTime();
    const double processBefore = processCpuSeconds();
    const auto start = Clock::now();
    QTimer::singleShot(seconds * 1000, &app, [&app] { app.quit(); });
    app.exec();
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double thread = std::chrono::duration<double>(port.EventThread()->cpuTime() - threadBefore).count();
    const double process = processCpuSeconds() - processBefore;
    port.Close();
    std::printf("idle open port over %.1f s: event thread %.3f ms CPU (%.4f %% of a core), "
                "whole process %.3f ms CPU (%.4f %% of a core)\n",
                wall, thread * 1e3, 100 * thread / wall, process * 1e3, 100 * process / wall);
}

} // namespace

int main(int argc, char** argv)
{
    const int lines = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const int idleSeconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    int master = -1, slave = -1;
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    std::printf("bench_rxflag: %d lines \"x\\r\" on %s (after %d warm-up lines)\n", lines, name, kWarmUp);
    const std::vector<double> floor = rawFloor(master, name, lines);
    const std::vector<double> port = portLatency(app, master, name, lines);
    report("raw poll()+read() floor", floor);
    report("OnRxFlag start in the GUI thread", port);
    std::printf("p50 ratio port/floor: %.2f\n", percentile(port, 0.5) / std::max(1e-9, percentile(floor, 0.5)));
    idleCpu(app, name, idleSeconds);
    ::close(slave);
    ::close(master);
    return 0;
}
