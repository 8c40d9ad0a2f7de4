#pragma once

// The time of day and a clock for durations (win32_clock.cpp; tests link a double).

#include <cstdint>

namespace platform {

// Asked only while a record is written (/log).
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
    int offsetMinutes = 0;  // local time minus UTC
};
LocalTime CurrentLocalTime();
// Milliseconds on a clock that only moves forward (GetTickCount64), for durations;
// also asked, without a record, for the time left to ask the person at the machine.
std::uint64_t TickCount();

}  // namespace platform
