#include "install/install_command.h"

#include <algorithm>
#include <cstdint>

#include "common/file_names.h"
#include "platform/platform.h"

namespace {

constexpr std::size_t kCommandLineUnits = 1024;  // with terminator
constexpr std::uint32_t kLogPathUnits = 260;     // with terminator
// A locale of one character (the default "0") is left out.
constexpr std::size_t kMinLocaleLength = 2;
constexpr std::size_t kMaxLocaleLength = 5;

// The locale goes into the command line unquoted: anything but a short number
// could add installer properties of its own ("1033 REMOVE=ALL").
bool IsPassableLocale(const std::u16string& localeId)
{
    return localeId.size() >= kMinLocaleLength && localeId.size() <= kMaxLocaleLength &&
           std::all_of(localeId.begin(), localeId.end(),
                       [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

}  // namespace

bool BuildInstallCommandLine(const std::u16string& patchPath, const std::u16string& localeId,
                             const std::u16string& filesInUseText, std::u16string& commandLine)
{
    std::u16string line = u"PATCH=\"" + patchPath + u"\"";
    if (IsPassableLocale(localeId)) {
        line += u" LOCALEID=" + localeId;
    }
    // REBOOTPROMPT=SUPPRESS alone lets the installer restart the computer by itself.
    line += u" REBOOTPROMPT=SUPPRESS REBOOT=ReallySuppress FILESINUSETEXT=\"" + filesInUseText +
            u"\"";
    if (line.size() + 1 > kCommandLineUnits) {
        return false;
    }
    commandLine = std::move(line);
    return true;
}

std::u16string MakeLogPath(const std::u16string& productName, const std::u16string& productCode)
{
    std::u16string tempPath;
    const std::uint32_t length = platform::GetTempPath(kLogPathUnits, tempPath);
    if (length == 0 || length >= kLogPathUnits) {
        return {};
    }
    const std::u16string& name = productName.empty() ? productCode : productName;
    std::u16string logPath =
        tempPath + AvoidDeviceName(ReplaceInvalidFileNameCharacters(name)) + u".log";
    if (logPath.size() + 1 > kLogPathUnits) {
        return {};
    }
    return logPath;
}
