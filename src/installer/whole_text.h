#pragma once

// How the installer edge reads a text of unknown length. Kept free of msi.dll
// so that the unit tests can hold it to its word.

#include <cstdint>
#include <string>

#include "installer/installer.h"
#include "common/error_codes.h"

namespace installer {

// call(buffer, count) fills a buffer of count units, terminator included, and
// answers as msi.dll does: errors::kMoreData with count set to the length the text needs,
// terminator left out. A short first attempt is repeated once at exactly that size,
// never a third time: a text that keeps growing fails with errors::kMoreData.
// text is replaced only on success, with the buffer's text up to its first NUL.
template <typename Call>
std::uint32_t ReadWholeText(std::uint32_t firstUnits, std::u16string& text, Call call)
{
    std::u16string buffer(firstUnits, u'\0');
    std::uint32_t count = firstUnits;
    std::uint32_t result = call(buffer.data(), count);
    if (result == errors::kMoreData) {
        buffer.assign(std::size_t{count} + 1, u'\0');
        count = static_cast<std::uint32_t>(buffer.size());
        result = call(buffer.data(), count);
    }
    if (result == errors::kSuccess) {
        text.assign(buffer.c_str());
    }
    return result;
}

}  // namespace installer
