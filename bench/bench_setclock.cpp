// Setting the clock and starting the tool, in one run:
//  (a) when the first byte of "SET-" reaches the far end of a pty, measured
//      against the whole second of the PC clock, with the main window, its
//      port and its real 100 ms timer, and the simulated clock answering;
//  (b) start-up time and peak memory of the tool's main window against a
//      bare Qt window, each started as a child process of this program.
//
// The tick that sets the clock is placed at phases spread evenly over the
// second (the first 1 ms after it), as a user's click and a timer started
// at any moment would place it. Beside it, the floor: a thread that spins on
// the wall clock and writes the same frame to the same pty itself.
//
// Usage: bench_setclock [settings (at least and default 30)] [start-up runs (default 7)]
// BENCH_VERBOSE=1 prints every setting. (bench_setclock --child-window PORT
// and --child-bare are one start-up run each.)
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/windows/ErrorReporter.h"
#include "app/windows/MainForm.h"
#include "app/windows/MainSettings.h"
#include "app/windows/QtDesktop.h"
#include "platform/NameOrder.h"
#include "platform/PortList.h"
#include "platform/settings/SettingsStore.h"
#include "serial/ExceptionHook.h"
#include "serial/controls/ComLed.h"
#include "sim/ClockSim.h"

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;
using Wall = std::chrono::system_clock;

namespace {

// The window's settings as the program's main() reads them.
app::MainSettings storedSettings()
{
    platform::SettingsStore store;
    return app::readMainSettings(store);
}


constexpr const char* kChildWindow = "--child-window";
constexpr const char* kChildBare = "--child-bare";
constexpr auto kChildBound = 20s;

long long SteadyNs(Steady::time_point t)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

// Every report goes to stderr instead of a box, and is counted.
int g_reports = 0;
app::ErrorReporter& reportToStderr()
{
    static app::ErrorReporter reporter;
    reporter.setPresenter([](app::ErrorReporter::Kind, const QString& text, std::function<void()> done) {
        ++g_reports;
        std::fprintf(stderr, "reported: %s\n", text.toLocal8Bit().constData());
        done();
    });
    serial::setErrorHandler([](std::exception_ptr e) { reporter.reportError(e); });
    return reporter;
}

// The machine's ports, as the tool lists them, and the simulated clock's pty.
class PortsAndPty final : public platform::PortList {
public:
    explicit PortsAndPty(const std::string& pty) : pty_(QString::fromStdString(pty)) { platform::setPortList(this); }
    ~PortsAndPty() override { platform::setPortList(nullptr); }
    PortsAndPty(const PortsAndPty&) = delete;
    PortsAndPty& operator=(const PortsAndPty&) = delete;

    QStringList ports() override
    {
        QStringList names = system_.ports();
        names.append(pty_);
        platform::sortNames(names);
        return names;
    }

private:
    platform::SysfsPortList system_;
    QString pty_;
};

// ---- the start-up child ------------------------------------------------------

// Peak resident set of this process, in KiB (VmHWM).
long peakRssKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// Waits for the window's first paint, then for one more event through the
// loop, and prints the moment and the peak memory.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(Steady::time_point mainEntry) : mainEntry_(mainEntry) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            QTimer::singleShot(0, this, [this] {
                const Steady::time_point ready = Steady::now();
                std::printf("READY %lld %lld %ld\n", SteadyNs(ready), SteadyNs(mainEntry_), peakRssKiB());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Steady::time_point mainEntry_;
    bool painted_ = false;
};

int runChild(int argc, char** argv, bool mainWindow, Steady::time_point mainEntry)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvalinder"));
    QApplication::setOrganizationName(QStringLiteral("Vilo"));
    FirstPaint firstPaint(mainEntry);
    QTimer::singleShot(10s, [] {
        std::fprintf(stderr, "no first paint within 10 s\n");
        QCoreApplication::exit(2);
    });
    if (mainWindow) {
        // As the program's main() does it.
        PortsAndPty ports(argc > 2 ? argv[2] : "");
        app::ErrorReporter& reporter = reportToStderr();
        app::QtDesktop desktop;
        app::TMainForm form(storedSettings(), desktop, reporter);
        form.installEventFilter(&firstPaint);
        form.show();
        form.Init();
        const int rc = QApplication::exec();
        serial::setErrorHandler(nullptr);
        return rc;
    }
    QWidget bare;
    const app::MainSettings defaults;
    bare.resize(defaults.Vidd, defaults.hojd);
    bare.installEventFilter(&firstPaint);
    bare.show();
    return QApplication::exec();
}

// ---- start-up, from the parent ---------------------------------------------

struct StartUp {
    double totalMs = 0;   // fork to first paint plus one event
    double inMainMs = 0;  // main() entry to the same
    long peakKiB = 0;
};

std::optional<StartUp> startChild(const char* mode, const std::string& port)
{
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return std::nullopt;
    char self[] = "/proc/self/exe";
    char* const childArgv[] = {self, const_cast<char*>(mode), const_cast<char*>(port.c_str()), nullptr};
    const Steady::time_point start = Steady::now();
    const pid_t pid = fork();
    if (pid < 0) {
        ::close(out[0]);
        ::close(out[1]);
        return std::nullopt;
    }
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        execv(self, childArgv);
        _exit(127);
    }
    ::close(out[1]);
    std::string text;
    const Steady::time_point deadline = Steady::now() + kChildBound;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now());
        if (left <= 0ms)
            break;
        pollfd p{out[0], POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        char buf[256];
        const ssize_t n = ::read(out[0], buf, sizeof buf);
        if (n <= 0)
            break;
        text.append(buf, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    long long ready = 0, entry = 0;
    long peak = 0;
    const std::size_t at = text.find("READY ");
    if (at == std::string::npos || std::sscanf(text.c_str() + at, "READY %lld %lld %ld", &ready, &entry, &peak) != 3) {
        std::fprintf(stderr, "%s: no start-up figures (exit status %d)\n", mode, status);
        return std::nullopt;
    }
    return StartUp{static_cast<double>(ready - SteadyNs(start)) / 1e6, static_cast<double>(ready - entry) / 1e6, peak};
}

void reportStartUp(const char* what, const std::vector<StartUp>& runs)
{
    std::vector<double> total, inMain, peak;
    for (const StartUp& r : runs) {
        total.push_back(r.totalMs);
        inMain.push_back(r.inMainMs);
        peak.push_back(static_cast<double>(r.peakKiB) / 1024.0);
    }
    std::printf("%-22s n=%zu  start-up median %6.1f ms (min %6.1f, max %6.1f; in main() %6.1f ms)  "
                "peak RSS median %5.1f MiB\n",
                what, runs.size(), percentile(total, 0.5), percentile(total, 0), percentile(total, 1),
                percentile(inMain, 0.5), percentile(peak, 0.5));
}

bool measureStartUp(int runs, clocksim::ClockSim& sim)
{
    std::vector<StartUp> window, bare;
    // One warm-up run of each (libraries and fonts into the page cache).
    for (int i = -1; i < runs; ++i) {
        const std::optional<StartUp> w = startChild(kChildWindow, sim.slavePath());
        const std::optional<StartUp> b = startChild(kChildBare, sim.slavePath());
        if (!w || !b)
            return false;
        if (i >= 0) {
            window.push_back(*w);
            bare.push_back(*b);
        }
    }
    std::printf("start-up (QT_QPA_PLATFORM=offscreen, fork+exec to first paint and one more event):\n");
    reportStartUp("tool main window", window);
    reportStartUp("bare QWidget window", bare);
    std::vector<double> dt, dm;
    for (std::size_t i = 0; i < window.size(); ++i) {
        dt.push_back(window[i].totalMs - bare[i].totalMs);
        dm.push_back(static_cast<double>(window[i].peakKiB - bare[i].peakKiB) / 1024.0);
    }
    std::printf("%-22s start-up %+6.1f ms, peak RSS %+5.1f MiB (medians of the paired runs)\n", "tool minus bare",
                percentile(dt, 0.5), percentile(dm, 0.5));
    // Drop what the runs left unread in the pty, in both directions.
    if (const int fd = open(sim.slavePath().c_str(), O_RDWR | O_NOCTTY); fd >= 0) {
        tcflush(fd, TCIOFLUSH);
        close(fd);
    }
    sim.clearRecords();
    return true;
}

// ---- "SET-" against the whole second -------------------------------------------

std::vector<clocksim::Frame> setFrames(const clocksim::ClockSim& sim)
{
    std::vector<clocksim::Frame> out;
    for (const clocksim::Frame& f : sim.frames())
        if (f.kind == clocksim::Frame::Kind::Command && f.text.rfind("SET-", 0) == 0)
            out.push_back(f);
    return out;
}

void reportOffsets(const char* what, const std::vector<double>& offsetsUs)
{
    std::printf("  %-26s n=%zu  p50 %7.1f us  p99 %7.1f us  max %7.1f us  min %7.1f us\n", what,
                offsetsUs.size(), percentile(offsetsUs, 0.5), percentile(offsetsUs, 0.99),
                percentile(offsetsUs, 1.0), percentile(offsetsUs, 0.0));
}

// Microseconds from the nearest whole second to `t` (negative: before it).
double offsetUs(Wall::time_point t)
{
    return std::chrono::duration<double, std::micro>(t - std::chrono::round<std::chrono::seconds>(t)).count();
}

// The floor: this thread spins on the wall clock itself and writes the frame
// to the pty the moment the second begins; what is left is the way through
// the pty to the far end.
std::vector<double> rawFloor(int rounds, clocksim::ClockSim& sim)
{
    std::vector<double> offsets;
    const int fd = ::open(sim.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        std::perror("open pty");
        return offsets;
    }
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    const std::string frame = clocksim::framed("SET-00000");
    for (int i = 0; i < rounds; ++i) {
        sim.clearRecords();
        const auto next = std::chrono::floor<std::chrono::seconds>(Wall::now()) + 1s;
        std::this_thread::sleep_until(next - 2ms);
        while (Wall::now() < next) {
        }
        if (::write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size()))
            break;
        if (!sim.waitUntil([&] { return !setFrames(sim).empty(); }, 1000ms))
            break;
        offsets.push_back(offsetUs(setFrames(sim).front().firstByteWall));
        tcflush(fd, TCIOFLUSH);  // the simulated clock's ACK
    }
    ::close(fd);
    sim.clearRecords();
    return offsets;
}

// Runs the event loop for about `d`.
void runLoopFor(std::chrono::milliseconds d)
{
    if (d <= 0ms)
        return;
    QEventLoop loop;
    QTimer::singleShot(d, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Waits, with the event loop running, until the wall clock shows `at`.
void runLoopUntil(Wall::time_point at)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(at - Wall::now());
        if (left <= 2ms)
            break;
        runLoopFor(left - 2ms);
    }
    while (Wall::now() < at)
        QCoreApplication::processEvents();
}

// Runs the event loop until `done` answers true, at most `timeout`. The loop
// keeps running throughout, so the window's timer ticks on time.
bool runLoopUntilDone(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const Steady::time_point deadline = Steady::now() + timeout;
    while (!done()) {
        if (Steady::now() >= deadline)
            return false;
        runLoopFor(1ms);
    }
    return true;
}

// Seconds since local midnight of a wall-clock second.
long localSecondOfDay(std::time_t t)
{
    std::tm local{};
    localtime_r(&t, &local);
    return (local.tm_hour * 60L + local.tm_min) * 60L + std::min(local.tm_sec, 59);
}

// Notes the wall time of each timer tick as it arrives, before the window
// handles it, and of each write the port begins.
class Moments : public QObject {
public:
    explicit Moments(serial::TCustomComPort& port) : port_(port)
    {
        link_.OnTx = [this](serial::TCustomComPort*, bool on) {
            if (on) {
                std::lock_guard lock(mutex_);
                writes_.push_back(Wall::now());
            }
        };
        port_.RegisterLink(&link_);
    }
    ~Moments() override { port_.UnRegisterLink(&link_); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Timer)
            ticks_.push_back(Wall::now());
        return QObject::eventFilter(watched, event);
    }
    // The last tick before `t`.
    std::optional<Wall::time_point> tickBefore(Wall::time_point t) const
    {
        for (auto it = ticks_.rbegin(); it != ticks_.rend(); ++it)
            if (*it < t)
                return *it;
        return std::nullopt;
    }
    // The write nearest to `t` (the frame's own: the writes before it came a
    // timer tick or more earlier).
    std::optional<Wall::time_point> writeNearest(Wall::time_point t) const
    {
        std::lock_guard lock(mutex_);
        std::optional<Wall::time_point> best;
        for (const Wall::time_point w : writes_)
            if (!best || std::chrono::abs(w - t) < std::chrono::abs(*best - t))
                best = w;
        return best;
    }

private:
    serial::TCustomComPort& port_;
    serial::TComLink link_;
    std::vector<Wall::time_point> ticks_;
    mutable std::mutex mutex_;
    std::vector<Wall::time_point> writes_;
};

double msIntoSecond(Wall::time_point t)
{
    return std::chrono::duration<double, std::milli>(t - std::chrono::floor<std::chrono::seconds>(t)).count();
}

bool measureSetLatency(int settings, clocksim::ClockSim& sim, const std::vector<double>& floorUs)
{
    PortsAndPty ports(sim.slavePath());
    app::ErrorReporter& reporter = reportToStderr();
    app::QtDesktop desktop;
    app::TMainForm form(storedSettings(), desktop, reporter);
    // The lamps paint when a write begins: their links go after ours, so the
    // moment noted is that of the write itself.
    serial::TComLed* const lamps[] = {form.findChild<serial::TComLed*>(QStringLiteral("ComLed1")),
                                      form.findChild<serial::TComLed*>(QStringLiteral("ComLed2"))};
    for (serial::TComLed* lamp : lamps)
        lamp->SetComPort(nullptr);
    Moments moments(form.ComPort());
    for (serial::TComLed* lamp : lamps)
        lamp->SetComPort(&form.ComPort());
    form.Timer1().installEventFilter(&moments);
    form.show();
    form.Init();
    if (!runLoopUntilDone([&] { return !form.link().busy() && sim.acknowledgements() >= 1; }, 3000ms)) {
        std::fprintf(stderr, "the window did not identify the clock\n");
        return false;
    }

    std::vector<double> farEndUs, writeUs, tickPhasesMs;
    std::vector<std::string> failures;
    const bool verbose = qEnvironmentVariableIsSet("BENCH_VERBOSE");
    int wrongSecond = 0, outside4ms = 0;
    const auto period = std::chrono::milliseconds(app::kTimer1IntervalMs);
    for (int i = 0; i < settings; ++i) {
        // The tick that sets the clock comes one timer period after the timer
        // is started and the identification has come: start it so the tick
        // falls at this setting's phase.
        const auto phase = 1ms + std::chrono::milliseconds(1000 * i / settings);
        const auto now = Wall::now();
        auto start = std::chrono::floor<std::chrono::seconds>(now) + phase - period;
        while (start < now + 20ms)
            start += 1s;
        for (std::string& failure : sim.failures())
            failures.push_back(std::move(failure));
        sim.clearRecords();
        runLoopUntil(start);
        form.Timer1().start();
        form.SetKlockaClick();
        if (!runLoopUntilDone([&] { return !setFrames(sim).empty(); }, 3000ms)) {
            std::fprintf(stderr, "setting %d: no SET- within 3 s\n", i);
            return false;
        }
        const clocksim::Frame f = setFrames(sim).back();
        const auto whole = std::chrono::round<std::chrono::seconds>(f.firstByteWall);
        const std::optional<Wall::time_point> write = moments.writeNearest(f.firstByteWall);
        const std::optional<Wall::time_point> tick = write ? moments.tickBefore(*write) : std::nullopt;
        if (!tick || !write) {
            std::fprintf(stderr, "setting %d: its tick or write was not seen\n", i);
            return false;
        }
        farEndUs.push_back(offsetUs(f.firstByteWall));
        writeUs.push_back(offsetUs(*write));
        tickPhasesMs.push_back(msIntoSecond(*tick));
        if (verbose)
            std::printf("  setting %2d: tick %7.3f ms into its second; write() returned %+8.1f us, first byte at "
                        "the far end %+8.1f us after the next\n",
                        i, tickPhasesMs.back(), writeUs.back(), farEndUs.back());
        if (farEndUs.back() < 0 || farEndUs.back() >= 4000)
            ++outside4ms;
        if (std::atol(f.text.c_str() + 4) != localSecondOfDay(Wall::to_time_t(whole)))
            ++wrongSecond;
        // Let the ACK of the SET- arrive before the next setting.
        runLoopUntilDone([&] { return !form.link().busy(); }, 1000ms);
    }
    form.Timer1().stop();
    for (std::string& failure : sim.failures())
        failures.push_back(std::move(failure));

    const auto early =
        std::count_if(tickPhasesMs.begin(), tickPhasesMs.end(), [](double p) { return p < 4; });
    std::printf("\"SET-\" after the whole second, %d settings on %s (the ticks that set the clock came "
                "%.1f to %.1f ms into their second, %d of them within the first 4 ms):\n",
                settings, sim.slavePath().c_str(), percentile(tickPhasesMs, 0), percentile(tickPhasesMs, 1),
                static_cast<int>(early));
    reportOffsets("floor: raw write, far end", floorUs);
    reportOffsets("tool: write() returned", writeUs);
    reportOffsets("tool: far end", farEndUs);
    std::printf("  %d outside the first 4 ms, %d with the wrong second\n", outside4ms, wrongSecond);
    const double p99 = percentile(farEndUs, 0.99);
    std::printf("  goal p99 <= 500 us at the far end: %s\n", p99 >= 0 && p99 <= 500 ? "met" : "MISSED");
    for (const std::string& failure : failures)
        std::fprintf(stderr, "simulated clock: %s\n", failure.c_str());
    return failures.empty() && wrongSecond == 0;
}

// Private configuration, home and runtime folders for the whole run (the
// children's too), removed at the end.
struct PrivateFolders {
    std::string root;
    PrivateFolders()
    {
        char pattern[] = "/tmp/bench_setclock.XXXXXX";
        if (!mkdtemp(pattern))
            throw std::runtime_error("mkdtemp failed");
        root = pattern;
        std::filesystem::create_directories(root + "/config");
        std::filesystem::create_directories(root + "/home");
        std::filesystem::create_directories(root + "/runtime");
        std::filesystem::permissions(root + "/runtime", std::filesystem::perms::owner_all);
        setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
        setenv("HOME", (root + "/home").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
    }
    ~PrivateFolders()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
};

} // namespace

int main(int argc, char** argv)
{
    const Steady::time_point mainEntry = Steady::now();
    if (argc > 1 && (std::strcmp(argv[1], kChildWindow) == 0 || std::strcmp(argv[1], kChildBare) == 0))
        return runChild(argc, argv, std::strcmp(argv[1], kChildWindow) == 0, mainEntry);

    const int settings = argc > 1 ? std::max(30, std::atoi(argv[1])) : 30;
    const int startRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // This program never sets the PC clock; make sure nothing can.
    setenv("STARTCLOCK_NO_SYSTEM_CLOCK", "1", 1);
    PrivateFolders folders;

    clocksim::ClockSim sim;
    {
        platform::SettingsStore store;
        app::MainSettings s;
        s.Comport = QString::fromStdString(sim.slavePath());
        app::writeMainWindowSettings(store, s, std::nullopt);
    }
    std::printf("bench_setclock: simulated clock on %s, settings in %s/config\n", sim.slavePath().c_str(),
                folders.root.c_str());
    if (!measureStartUp(startRuns, sim))
        return 1;

    const std::vector<double> floorUs = rawFloor(settings, sim);
    if (floorUs.size() != static_cast<std::size_t>(settings)) {
        std::fprintf(stderr, "raw floor: a frame did not arrive\n");
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvalinder"));
    QApplication::setOrganizationName(QStringLiteral("Vilo"));
    const bool ok = measureSetLatency(settings, sim, floorUs);
    serial::setErrorHandler(nullptr);
    if (g_reports > 0)
        std::fprintf(stderr, "%d error report(s) during the run\n", g_reports);
    return ok && g_reports == 0 ? 0 : 1;
}
