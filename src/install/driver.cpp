#include "install/driver.h"

#include <vector>

#include "common/run_state.h"
#include "common/text.h"
#include "install/install_command.h"
#include "install/log_file.h"
#include "install/version.h"
#include "installer/installer.h"
#include "payload/summary.h"
#include "payload/temp_patch.h"
#include "platform/platform.h"
#include "targets/selection.h"
#include "targets/target_product.h"
#include "ui/message_ids.h"
#include "ui/messages.h"
#include "ui/running_apps.h"

namespace {

// Reported when a command line would not fit the installer's limit.
constexpr std::uint32_t kErrorInvalidCommandLine = 1639;
// Reported when the user gave up on closing a watched application.
constexpr std::uint32_t kErrorUserExit = 1602;

// Messages from here on name this product and speak its language.
void MakeCurrent(const TargetProduct& target)
{
    CurrentProductName() = target.ProductName;
    platform::SetThreadLocale(static_cast<std::uint32_t>(ParseDecimal(target.Language)));
}

// Applies the patch to one target; shows the message of a failure.
// logPaths holds the logs of the products before it in this run.
bool ApplyPatch(TargetProduct& target, const std::u16string& patchPath,
                std::vector<std::u16string>& logPaths)
{
    MakeCurrent(target);

    std::u16string filesInUse;
    LoadMessageString(msg::kFilesInUse, filesInUse, kMessageCapacity);
    if (!BuildInstallCommandLine(patchPath, target.LocaleId, filesInUse, target.CommandLine)) {
        platform::SetLastError(kErrorInvalidCommandLine);
        ShowMessage(msg::kInstallFailed);
        return false;
    }

    const std::u16string logPath =
        DistinctLogPath(MakeLogPath(target.ProductName, target.ProductCode), logPaths);
    platform::File logFile = CreateLogFile(logPath);
    installer::EnableLog(installer::kLogModeVerbose, logFile ? logPath : u"", 0);
    const int previousUi = installer::SetInternalUI(installer::kUiLevelBasicNoCancel);

    const std::uint32_t result =
        installer::ConfigureProductEx(target.ProductCode, installer::kInstallLevelDefault,
                                      installer::kStateDefault, target.CommandLine);

    const bool ok = result == installer::kSuccess || result == installer::kRebootInitiated ||
                    result == installer::kRebootRequired;
    if (result == installer::kPackageRejected) {
        ShowMessage(msg::kRefusedByPolicy);
    } else if (!ok) {
        platform::SetLastError(result);
        ShowMessage(msg::kInstallFailed);
    }

    installer::EnableLog(installer::kLogModeOff, u"", 0);
    logFile.Reset();  // only now may the entry go
    installer::SetInternalUI(previousUi);
    return ok;
}

}  // namespace

bool RunInstall()
{
    // Held unchanged through the last installer call, deleted on every path. The
    // installer is only ever given its final path, which is full (TMP may be relative).
    TempPatch patch;
    if (!patch.Create()) {
        ShowMessage(msg::kInstallFailed);
        return false;
    }
    const std::u16string& patchPath = patch.Path();

    std::u16string patchCode;
    std::u16string productList;
    if (!ReadPatchCode(patchPath, patchCode) || !ReadPatchTemplate(patchPath, productList)) {
        ShowMessage(msg::kInstallFailed);
        return false;
    }

    const int presentCount = SelectTargets(patchPath, patchCode, productList);

    if (!CheckRunningApplications()) {
        platform::SetLastError(kErrorUserExit);
        ShowMessage(msg::kInstallFailed);
        return false;
    }

    TargetList& targets = ProcessTargetList();
    std::vector<std::u16string> logPaths;
    const TargetProduct* upToDate = nullptr;
    bool patched = false;
    bool ok = true;
    for (std::size_t i = 0; i < targets.Count() && ok; ++i) {
        TargetProduct& target = targets.At(i);
        // Already updated: passed over without a word, the others still need the patch.
        if (CompareVersions(target.VersionString, kUpToDateVersion) >= 0) {
            upToDate = upToDate != nullptr ? upToDate : &target;
            continue;
        }
        ok = ApplyPatch(target, patchPath, logPaths);
        patched = patched || ok;
    }

    if (!ok) {
        return false;  // the failure has shown its own message
    }
    if (patched) {
        ShowMessage(msg::kInstalled);
    } else if (presentCount == 0) {
        ShowMessage(msg::kNoProduct);
        return false;
    } else {
        if (upToDate != nullptr) {
            MakeCurrent(*upToDate);
        }
        ShowMessage(msg::kUpToDate);
    }
    return true;
}
