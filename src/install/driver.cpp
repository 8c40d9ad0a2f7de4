#include "install/driver.h"

#include <vector>

#include "common/error_codes.h"
#include "common/run_state.h"
#include "common/text.h"
#include "install/install_command.h"
#include "install/log_file.h"
#include "install/outcome.h"
#include "install/run_lock.h"
#include "install/version.h"
#include "installer/installer.h"
#include "payload/summary.h"
#include "payload/temp_patch.h"
#include "platform/boxes.h"
#include "platform/files.h"
#include "platform/run_lock.h"
#include "platform/thread_state.h"
#include "record/events.h"
#include "record/record.h"
#include "targets/selection.h"
#include "targets/target_product.h"
#include "ui/message_ids.h"
#include "ui/messages.h"
#include "ui/running_apps.h"
#include "ui/string_table.h"

namespace {


// Shows message 300 with the error at hand, which becomes the outcome.
std::uint32_t Fail(record::Step step)
{
    const std::uint32_t code = FailureCode(platform::GetLastError());
    record::StepFailed(step, code);
    ShowMessage(msg::kInstallFailed);
    return code;
}

// Messages from here on name this product and speak its language.
void MakeCurrent(const TargetProduct& target)
{
    CurrentProductName() = target.ProductName;
    platform::SetThreadLocale(static_cast<std::uint32_t>(ParseDecimal(target.Language)));
}

bool IsPatched(std::uint32_t result)
{
    return result == errors::kSuccess || result == errors::kRebootInitiated ||
           result == errors::kRebootRequired;
}

// Whether any target is below the version that has the update already.
bool AnyToPatch(TargetList& targets)
{
    for (std::size_t i = 0; i < targets.Count(); ++i) {
        if (CompareVersions(targets.At(i).VersionString, kUpToDateVersion) < 0) {
            return true;
        }
    }
    return false;
}

// The installer's result once the patch is found registered for the product, as
// selection asks; an installer may report success for a patch it did not apply.
std::uint32_t Confirmed(const TargetProduct& target, const std::u16string& patchCode,
                        std::uint32_t result)
{
    const std::uint32_t state =
        installer::GetPatchState(patchCode, target.ProductCode, target.Context);
    if (state == errors::kSuccess) {
        return result;
    }
    return state == errors::kUnknownPatch || state == errors::kUnknownProduct
               ? errors::kInstallFailure
               : state;
}

// Applies the patch to one target and returns the installer's result; shows
// the message of a failure.
// logPaths holds the logs of the products before it in this run.
std::uint32_t ApplyPatch(TargetProduct& target, const TempPatch& patch,
                         const std::u16string& patchCode, std::vector<std::u16string>& logPaths)
{
    MakeCurrent(target);

    std::u16string patchPath;
    if (!patch.CheckedPath(patchPath)) {
        const std::uint32_t error = FailureCode(platform::GetLastError());
        platform::SetLastError(error);
        record::StepFailed(record::Step::PassPatchToInstaller, error);
        ShowMessage(msg::kInstallFailed);
        return error;
    }

    std::u16string filesInUse;
    LoadMessageString(msg::kFilesInUse, filesInUse, kMessageCapacity);
    if (!BuildInstallCommandLine(patchPath, target.LocaleId, filesInUse, target.CommandLine)) {
        platform::SetLastError(errors::kInvalidCommandLine);
        record::StepFailed(record::Step::CommandLine, errors::kInvalidCommandLine);
        ShowMessage(msg::kInstallFailed);
        return errors::kInvalidCommandLine;
    }

    const std::u16string logPath =
        DistinctLogPath(MakeLogPath(target.ProductName, target.ProductCode), logPaths);
    platform::File logFile = CreateLogFile(logPath);
    const std::uint32_t logError = logFile ? 0 : platform::GetLastError();
    installer::EnableLog(installer::kLogModeVerbose, logFile ? logPath : u"", 0);
    // The installer's own dialogs would wait for ever where no one sees them.
    const int previousUi = installer::SetInternalUI(platform::IsDesktopVisible()
                                                        ? installer::kUiLevelBasicNoCancel
                                                        : installer::kUiLevelNone);

    const record::Stopwatch took;
    std::uint32_t result =
        installer::ConfigureProductEx(target.ProductCode, installer::kInstallLevelDefault,
                                      installer::kStateDefault, target.CommandLine);
    if (IsPatched(result)) {
        result = Confirmed(target, patchCode, result);
    }
    record::Installed(RecordedFacts(target),
                      {logFile ? logPath : u"", logError, target.CommandLine, result,
                       took.Milliseconds()});

    if (result == errors::kPackageRejected) {
        ShowMessage(msg::kRefusedByPolicy);
    } else if (!IsPatched(result)) {
        platform::SetLastError(result);
        ShowMessage(msg::kInstallFailed);
    }

    installer::EnableLog(installer::kLogModeOff, u"", 0);
    logFile.Reset();  // only now may the entry go
    installer::SetInternalUI(previousUi);
    return result;
}

}  // namespace

std::uint32_t FailureCode(std::uint32_t error)
{
    return error != errors::kSuccess ? error : errors::kInstallFailure;
}

std::uint32_t RunInstall()
{
    // Taken before anything is selected, held until the installer's work is done.
    platform::Mutex runLock = TakeRunLock();
    if (!runLock) {
        return Fail(record::Step::RunLock);
    }

    // Held unchanged through the last installer call, deleted on every path. The
    // installer is only ever given its final path, which is full (TMP may be relative),
    // taken again before each call that opens it.
    TempPatch patch;
    if (!patch.Create()) {
        return Fail(record::Step::WritePatch);
    }

    std::u16string patchPath;
    std::u16string patchCode;
    std::u16string productList;
    if (!patch.CheckedPath(patchPath) || !ReadPatchCode(patchPath, patchCode) ||
        !patch.CheckedPath(patchPath) || !ReadPatchTemplate(patchPath, productList)) {
        return Fail(record::Step::ReadPatch);
    }
    record::PatchRead(patchCode, productList);

    InstallResults results;
    results.selection = SelectTargets(patchPath, patchCode, productList,
                                    [&patch](std::u16string& path) { return patch.CheckedPath(path); });
    if (results.selection.patchError != errors::kSuccess) {
        platform::SetLastError(results.selection.patchError);
        return Fail(record::Step::PassPatchToInstaller);
    }

    TargetList& targets = ProcessTargetList();
    // A machine that needs nothing is not held up by an open application.
    if (!AnyToPatch(targets)) {
        record::ApplicationsNotChecked();
    } else if (!CheckRunningApplications()) {
        platform::SetLastError(errors::kUserExit);
        return Fail(record::Step::ApplicationsOpen);
    }

    const std::u16string leadingPatchCode = LeadingPatchCode(patchCode);
    std::vector<std::u16string> logPaths;
    for (std::size_t i = 0; i < targets.Count() && results.failure == errors::kSuccess; ++i) {
        TargetProduct& target = targets.At(i);
        // Already updated: passed over without a word, the others still need the patch.
        if (CompareVersions(target.VersionString, kUpToDateVersion) >= 0) {
            results.upToDate = results.upToDate != nullptr ? results.upToDate : &target;
            record::UpToDate(RecordedFacts(target), kUpToDateVersion);
            continue;
        }
        const std::uint32_t result = ApplyPatch(target, patch, leadingPatchCode, logPaths);
        if (!IsPatched(result)) {
            results.failure = result;
        } else {
            ++results.patched;
            // A restart begun outweighs one still to come.
            if (result != errors::kSuccess && results.restart != errors::kRebootInitiated) {
                results.restart = result;
            }
        }
    }

    // A closing box left open must not hold off the next run.
    runLock.Reset();
    const Outcome outcome = DecideOutcome(results);
    if (outcome.message == msg::kUpToDate && results.upToDate != nullptr) {
        MakeCurrent(*results.upToDate);
    }
    if (outcome.message != kNoMessage) {
        ShowMessage(outcome.message, outcome.addedText);
    }
    return outcome.exitCode;
}
