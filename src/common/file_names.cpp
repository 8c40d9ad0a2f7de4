#include "common/file_names.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "common/text.h"

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

std::u16string AvoidDeviceName(const std::u16string& name)
{
    // Windows looks only at the part before the first dot, without trailing spaces.
    std::u16string_view stem(name);
    stem = stem.substr(0, stem.find(u'.'));
    stem = stem.substr(0, stem.find_last_not_of(u' ') + 1);

    constexpr std::array<std::u16string_view, 6> kDevices = {u"CON",    u"PRN",    u"AUX",
                                                             u"NUL",    u"CONIN$", u"CONOUT$"};
    constexpr std::array<std::u16string_view, 2> kNumberedDevices = {u"COM", u"LPT"};
    // Digits, and the superscripts 1 to 3 that Windows also takes after COM and LPT.
    constexpr std::u16string_view kDeviceNumbers = u"0123456789\u00B9\u00B2\u00B3";

    const auto isDevice = [&](std::u16string_view device) {
        return EqualsAsciiIgnoringCase(stem, device);
    };
    const auto isNumberedDevice = [&](std::u16string_view device) {
        return stem.size() == device.size() + 1 &&
               EqualsAsciiIgnoringCase(stem.substr(0, device.size()), device) &&
               kDeviceNumbers.find(stem.back()) != std::u16string_view::npos;
    };
    const bool device = std::any_of(kDevices.begin(), kDevices.end(), isDevice) ||
                        std::any_of(kNumberedDevices.begin(), kNumberedDevices.end(),
                                    isNumberedDevice);
    return device ? u"_" + name : name;
}

std::u16string WithClosingSeparator(const std::u16string& folder)
{
    const bool closed = !folder.empty() && (folder.back() == u'\\' || folder.back() == u'/');
    return closed ? folder : folder + u'\\';
}
