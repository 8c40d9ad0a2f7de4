#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace record {

// The longest event text a line carries; the rest is cut off and marked.
inline constexpr std::size_t kLongestText = 4000;

// "2026-12-09T20:15:03.042+01:00": local time, milliseconds, offset from UTC.
std::u16string FormatTimestamp(const platform::LocalTime& time);

// One line of the record in UTF-8 with its CR LF: the time, the process id, then
// the text, whose line breaks and other control characters are written as escapes
// so that every event stays on its line.
std::string FormatLine(const platform::LocalTime& time, std::uint32_t processId,
                       const std::u16string& text);

}  // namespace record
