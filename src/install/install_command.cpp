#include "install/install_command.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string_view>

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

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", hex digits in either case.
bool IsBracedGuid(const std::u16string& text)
{
    constexpr std::u16string_view kShape = u"{........-....-....-....-............}";
    if (text.size() != kShape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool hex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') ||
                         (c >= u'A' && c <= u'F');
        if (kShape[i] == u'.' ? !hex : c != kShape[i]) {
            return false;
        }
    }
    return true;
}

// " LOCALEID=<id>" for a locale the installer may be given, else nothing.
std::u16string LocaleProperty(const std::u16string& localeId)
{
    return IsPassableLocale(localeId) ? u" LOCALEID=" + localeId : std::u16string();
}

}  // namespace

bool BuildInstallCommandLine(const std::u16string& patchPath, const std::u16string& localeId,
                             const std::u16string& filesInUseText, std::u16string& commandLine)
{
    std::u16string line = u"PATCH=\"" + patchPath + u"\"" + LocaleProperty(localeId);
    // REBOOTPROMPT=SUPPRESS alone lets the installer restart the computer by itself.
    line += u" REBOOTPROMPT=SUPPRESS REBOOT=ReallySuppress FILESINUSETEXT=\"" + filesInUseText +
            u"\"";
    if (line.size() + 1 > kCommandLineUnits) {
        return false;
    }
    commandLine = std::move(line);
    return true;
}

bool BuildRemovalCommandLine(const std::u16string& patchCode, const std::u16string& localeId,
                             std::u16string& commandLine)
{
    if (!IsBracedGuid(patchCode)) {
        return false;
    }
    commandLine = u"MSIPATCHREMOVE=" + patchCode + LocaleProperty(localeId) +
                  u" REBOOT=ReallySuppress";
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
