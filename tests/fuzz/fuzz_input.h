#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace fuzz {

// The input read as UTF-16 little-endian units; an odd last byte is dropped.
inline std::u16string Utf16(const std::uint8_t* data, std::size_t size)
{
    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    return text;
}

// A broken invariant is a crash, so libFuzzer keeps the input.
inline void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

}  // namespace fuzz
