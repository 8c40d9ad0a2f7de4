#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Decimal text of a value.
std::u16string ToDecimal(std::int64_t value);

// "#<id>": how a numeric resource identifier is named as text.
std::u16string NumericResourceName(std::uint32_t id);

// Reads a base-10 integer as the C library does: leading blanks and a sign are
// accepted, reading stops at the first non-digit, no digits give 0.
std::int32_t ParseDecimal(const std::u16string& text);

// ASCII-only case folding, for switches and the like.
bool EqualsAsciiIgnoringCase(std::u16string_view a, std::u16string_view b);

// For diagnostics and tests: UTF-16 to UTF-8.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);
