// The system's local clock over clock_gettime/localtime_r and clock_settime.
#include "platform/LocalClock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/Override.h"

namespace platform {
namespace {

class SystemLocalClock final : public LocalClock {
public:
    LocalDateTime now() override
    {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        tm local{};
        localtime_r(&ts.tv_sec, &local);
        LocalDateTime t;
        t.year = local.tm_year + 1900;
        t.month = local.tm_mon + 1;
        t.day = local.tm_mday;
        t.hour = local.tm_hour;
        t.minute = local.tm_min;
        t.second = local.tm_sec > 59 ? 59 : local.tm_sec;
        t.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
        return t;
    }

    void set(const LocalDateTime& when) override
    {
        if (std::getenv(kNoSystemClockVariable))
            throw LocalClockError("Datorns klocka får inte ställas i den här miljön.");
        tm local{};
        local.tm_year = when.year - 1900;
        local.tm_mon = when.month - 1;
        local.tm_mday = when.day;
        local.tm_hour = when.hour;
        local.tm_min = when.minute;
        local.tm_sec = when.second;
        local.tm_isdst = -1;
        const time_t seconds = mktime(&local);
        if (seconds == static_cast<time_t>(-1))
            throw LocalClockError("Tiden är ingen giltig lokal tid.");
        timespec ts{};
        ts.tv_sec = seconds;
        ts.tv_nsec = static_cast<long>(when.millisecond) * 1000000L;
        if (clock_settime(CLOCK_REALTIME, &ts) != 0) {
            const int err = errno;
            if (err == EPERM)
                throw LocalClockError("Programmet har inte rätt att ställa datorns klocka (rättigheten CAP_SYS_TIME behövs).");
            throw LocalClockError(std::string("Datorns klocka kan inte ställas: ") + std::strerror(err));
        }
    }
};

Override<LocalClock*>& clockInUse()
{
    static SystemLocalClock system;
    static Override<LocalClock*> inUse{&system};
    return inUse;
}

} // namespace

LocalClock& localClock()
{
    return *clockInUse().get();
}

LocalClock* setLocalClock(LocalClock* clock)
{
    return clockInUse().set(clock);
}

} // namespace platform
