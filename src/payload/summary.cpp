#include "payload/summary.h"

#include <cstdint>
#include <utility>

#include "common/error_codes.h"
#include "platform/files.h"
#include "platform/thread_state.h"

namespace {


// The installer's result of opening the summary; summary is set on success.
std::uint32_t OpenSummary(std::u16string patchPath, installer::UniqueMsiHandle& summary)
{
    std::u16string fullPath;
    if (!platform::GetFullPathName(patchPath, fullPath) ||
        fullPath.size() >= installer::kMaxPathUnits) {
        return errors::kBadPathName;
    }

    installer::MsiHandle handle = 0;
    const std::uint32_t result = installer::GetSummaryInformation(fullPath, handle);
    if (result == errors::kSuccess) {
        summary = installer::UniqueMsiHandle(handle);
    }
    return result;
}

// One text property of the patch's summary; value is replaced only on success.
std::uint32_t ReadSummaryText(std::u16string patchPath, std::uint32_t property,
                              std::u16string& value)
{
    installer::UniqueMsiHandle summary;
    const std::uint32_t opened = OpenSummary(std::move(patchPath), summary);
    if (opened != errors::kSuccess) {
        return opened;
    }

    std::u16string text;
    std::uint32_t dataType = 0;
    const std::uint32_t result =
        installer::SummaryInfoGetProperty(summary.Get(), property, dataType, text);
    if (result != errors::kSuccess) {
        return result;
    }
    // Absent or not text: the installer calls that a success with nothing in the
    // buffer, but the package cannot be the patch it should be.
    if (dataType != installer::kVtText) {
        return errors::kPackageInvalid;
    }

    value = std::move(text);
    return errors::kSuccess;
}

// Leaves a failure's code as the last error, for the message that reports it.
bool Succeeded(std::uint32_t result)
{
    if (result != errors::kSuccess) {
        platform::SetLastError(result);
    }
    return result == errors::kSuccess;
}

}  // namespace

installer::UniqueMsiHandle OpenPatchSummary(std::u16string patchPath)
{
    installer::UniqueMsiHandle summary;
    Succeeded(OpenSummary(std::move(patchPath), summary));
    return summary;
}

bool ReadPatchTemplate(std::u16string patchPath, std::u16string& productList)
{
    return Succeeded(ReadSummaryText(std::move(patchPath), installer::kPidTemplate, productList));
}

bool ReadPatchCode(std::u16string patchPath, std::u16string& patchCode)
{
    return Succeeded(ReadSummaryText(std::move(patchPath), installer::kPidRevNumber, patchCode));
}
