// File names derived from texts someone else wrote: the default patch-list name
// from a patch's product list, and the log name from a product's name.
#include "doubles/fake_platform.h"
#include "fuzz/fuzz_input.h"
#include "install/install_command.h"
#include "payload/patch_list.h"

namespace {

constexpr std::u16string_view kNotInAName = u"\\/:*?\"<>|";
constexpr std::size_t kLogPathUnits = 260;

// The text names one entry only: nothing that leads to another directory or device stream.
bool IsPlainName(std::u16string_view name)
{
    for (const char16_t c : name) {
        if (c < 0x20 || kNotInAName.find(c) != std::u16string_view::npos) {
            return false;
        }
    }
    return true;
}

// Windows opens these as devices whatever the directory or extension.
bool IsDeviceName(std::u16string_view name)
{
    std::u16string stem(name.substr(0, name.find(u'.')));
    for (char16_t& c : stem) {
        c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    }
    if (stem == u"CON" || stem == u"PRN" || stem == u"AUX" || stem == u"NUL" ||
        stem == u"CONIN$" || stem == u"CONOUT$") {
        return true;
    }
    return stem.size() == 4 && (stem.starts_with(u"COM") || stem.starts_with(u"LPT")) &&
           stem[3] >= u'1' && stem[3] <= u'9';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::u16string text = fuzz::Utf16(data, size);

    const std::u16string listName = DefaultPatchListName(text);
    fuzz::Require(listName.starts_with(u"patchlist") && listName.ends_with(u".txt"));
    fuzz::Require(listName.size() <= 17 && IsPlainName(listName));

    fake::ResetPlatform();
    const std::u16string tempPath = *fake::Platform().environment.tempPath;
    const std::u16string logPath = MakeLogPath(text, u"{A}");
    if (!logPath.empty()) {
        fuzz::Require(logPath.size() < kLogPathUnits);
        fuzz::Require(logPath.starts_with(tempPath) && logPath.ends_with(u".log"));
        const std::u16string_view name = std::u16string_view(logPath).substr(tempPath.size());
        fuzz::Require(IsPlainName(name) && !IsDeviceName(name));
        fuzz::Require(!text.empty() || name == u"{A}.log");
    }
    return 0;
}
