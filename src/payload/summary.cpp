#include "payload/summary.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace {

constexpr std::uint32_t kFullPathUnits = 260;
// Terminator included: a value of up to 2047 units fits at the first attempt.
constexpr std::uint32_t kValueUnits = 2048;

enum class Retry { None, OnceWhenShort };

// One text property of the patch's summary; value is replaced only on success.
bool ReadSummaryText(std::u16string patchPath, std::uint32_t property, Retry retry,
                     std::u16string& value)
{
    const installer::UniqueMsiHandle summary = OpenPatchSummary(std::move(patchPath));
    if (!summary) {
        return false;
    }

    std::vector<char16_t> buffer(kValueUnits);
    std::uint32_t count = kValueUnits;
    std::uint32_t dataType = 0;
    std::uint32_t result = installer::SummaryInfoGetProperty(summary.Get(), property, dataType,
                                                             buffer.data(), count);
    if (result == installer::kMoreData && retry == Retry::OnceWhenShort) {
        // count now holds the length without terminator: ask again with exactly enough.
        buffer.assign(count + 1, u'\0');
        count += 1;
        result = installer::SummaryInfoGetProperty(summary.Get(), property, dataType,
                                                   buffer.data(), count);
    }
    // A property that is absent or not text leaves nothing in the buffer worth reading.
    if (result != installer::kSuccess || dataType != installer::kVtText) {
        return false;
    }

    const std::u16string text(buffer.data(), buffer.size());
    value = text.substr(0, text.find(u'\0'));
    return true;
}

}  // namespace

installer::UniqueMsiHandle OpenPatchSummary(std::u16string patchPath)
{
    std::u16string fullPath;
    const std::uint32_t length = platform::GetFullPathName(patchPath, kFullPathUnits, fullPath);
    // 0 is a failure; a value past the buffer is the size it would have needed.
    if (length == 0 || length >= kFullPathUnits) {
        return {};
    }

    installer::MsiHandle handle = 0;
    if (installer::GetSummaryInformation(fullPath, handle) != installer::kSuccess) {
        return {};
    }
    return installer::UniqueMsiHandle(handle);
}

bool ReadPatchTemplate(std::u16string patchPath, std::u16string& productList)
{
    return ReadSummaryText(std::move(patchPath), installer::kPidTemplate, Retry::OnceWhenShort,
                           productList);
}

bool ReadPatchCode(std::u16string patchPath, std::u16string& patchCode)
{
    return ReadSummaryText(std::move(patchPath), installer::kPidRevNumber, Retry::None,
                           patchCode);
}
