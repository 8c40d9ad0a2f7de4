#include "install/install_command.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "common/file_names.h"
#include "common/text.h"
#include "installer/installer.h"
#include "platform/environment.h"
#include "platform/processes.h"

namespace {

constexpr std::size_t kCommandLineUnits = 1024;  // with terminator
constexpr char16_t kLogExtension[] = u".log";
constexpr std::size_t kLogExtensionUnits = std::size(kLogExtension) - 1;
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
    if (!platform::GetTempPath(tempPath)) {
        return {};
    }
    const std::u16string& name = productName.empty() ? productCode : productName;
    std::u16string logPath =
        tempPath + AvoidDeviceName(ReplaceInvalidFileNameCharacters(name)) + kLogExtension;
    if (logPath.size() + 1 > installer::kMaxPathUnits) {
        return {};
    }
    return logPath;
}

std::u16string DistinctLogPath(const std::u16string& logPath,
                               std::vector<std::u16string>& usedPaths)
{
    if (logPath.empty()) {
        return {};
    }
    // As the file system compares names; where the two differ, telling more names
    // apart only costs a log a number.
    const auto used = [&](const std::u16string& path) {
        return std::any_of(usedPaths.begin(), usedPaths.end(), [&](const std::u16string& u) {
            return platform::CompareTextIgnoringCase(u, path) == 0;
        });
    };
    const std::u16string stem = logPath.substr(0, logPath.size() - kLogExtensionUnits);
    std::u16string path = logPath;
    for (std::int64_t n = 2; used(path); ++n) {
        path = stem + u" (" + ToDecimal(n) + u")" + kLogExtension;
    }
    if (path.size() + 1 > installer::kMaxPathUnits) {
        return {};
    }
    usedPaths.push_back(path);
    return path;
}
