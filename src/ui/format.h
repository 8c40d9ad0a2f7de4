#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// One insert of a message: a text for %s or a number for %d.
using Insert = std::variant<std::u16string, std::int32_t>;

// Fills format's placeholders with inserts, left to right, as wsprintfW does
// for %s and %d; leftover inserts are ignored. The result holds at most
// capacity - 1 units.
std::u16string FormatInserts(const std::u16string& format, const std::vector<Insert>& inserts,
                             std::size_t capacity);
