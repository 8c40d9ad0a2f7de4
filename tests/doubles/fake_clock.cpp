// The clock double.
#include "doubles/fake_platform.h"

#include "platform/clock.h"

namespace platform {
namespace {

// This area's part of the double's state.
fake::ClockState& State() { return fake::Platform().clock; }

}  // namespace

LocalTime CurrentLocalTime()
{
    ++fake::Platform().record.queries;
    return State().localTime;
}

std::uint64_t TickCount()
{
    ++fake::Platform().record.queries;
    const std::uint64_t now = State().tickCount;
    State().tickCount += State().tickStep;
    return now;
}

}  // namespace platform
