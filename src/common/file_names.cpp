#include "common/file_names.h"

#include <string_view>

std::u16string ReplaceInvalidFileNameCharacters(const std::u16string& name)
{
    constexpr std::u16string_view kInvalid = u"\\/:*?\"<>|";
    std::u16string safe = name;
    for (char16_t& c : safe) {
        if (c < 0x20 || kInvalid.find(c) != std::u16string_view::npos) {
            c = u'_';
        }
    }
    return safe;
}
