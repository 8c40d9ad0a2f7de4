// The Windows edge: the time of day and the clock for durations.
#include "platform/win32_edge.h"

#include "platform/clock.h"

namespace platform {
namespace {

constexpr std::int64_t kTicksPerMinute = 600000000;  // of 100 ns

std::int64_t Ticks(const SYSTEMTIME& time)
{
    FILETIME file;
    if (::SystemTimeToFileTime(&time, &file) == FALSE) {
        return 0;
    }
    return static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime);
}

}  // namespace

LocalTime CurrentLocalTime()
{
    SYSTEMTIME utc;
    ::GetSystemTime(&utc);
    // The offset of this very moment, summer time included.
    SYSTEMTIME local = utc;
    ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    LocalTime time;
    time.year = local.wYear;
    time.month = local.wMonth;
    time.day = local.wDay;
    time.hour = local.wHour;
    time.minute = local.wMinute;
    time.second = local.wSecond;
    time.millisecond = local.wMilliseconds;
    time.offsetMinutes = static_cast<int>((Ticks(local) - Ticks(utc)) / kTicksPerMinute);
    return time;
}

std::uint64_t TickCount() { return ::GetTickCount64(); }

}  // namespace platform
