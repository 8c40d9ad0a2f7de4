#include "install/driver.h"

#include <vector>

#include "common/error_codes.h"
#include "common/run_state.h"
#include "common/text.h"
#include "install/install_command.h"
#include "install/installer_session.h"
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

bool IsPatched(std::uint32_t result) { return installer::Succeeded(result); }

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

    const InstallerSession session(
        DistinctLogPath(MakeLogPath(target.ProductName, target.ProductCode), logPaths));
    const record::Stopwatch took;
    std::uint32_t result =
        installer::ConfigureProductEx(target.ProductCode, installer::kInstallLevelDefault,
                                      installer::kStateDefault, target.CommandLine);
    if (IsPatched(result)) {
        result = Confirmed(target, patchCode, result);
    }
    record::Installed(RecordedFacts(target), {session.LogPath(), session.LogError(),
                                              target.CommandLine, result, took.Milliseconds()});

    if (result == errors::kPackageRejected) {
        ShowMessage(msg::kRefusedByPolicy);
    } else if (!IsPatched(result)) {
        platform::SetLastError(result);
        ShowMessage(msg::kInstallFailed);
    }
    return result;
}

}  // namespace

std::uint32_t FailureCode(std::uint32_t error)
{
    return error != errors::kSuccess ? error : errors::kInstallFailure;
}

bool OpenHeldPatch(TempPatch& patch, std::u16string& patchPath, std::u16string& patchCode,
                   std::u16string& productList, record::Step& failedStep)
{
    failedStep = record::Step::WritePatch;
    if (!patch.Create()) {
        return false;
    }
    failedStep = record::Step::ReadPatch;
    if (!patch.CheckedPath(patchPath) || !ReadPatchCode(patchPath, patchCode) ||
        !patch.CheckedPath(patchPath) || !ReadPatchTemplate(patchPath, productList)) {
        return false;
    }
    record::PatchRead(patchCode, productList);
    return true;
}

namespace {

// The installation, or with check only what it would do: then nothing changes on
// the machine and no one is asked or kept waiting.
std::uint32_t Run(bool check)
{
    // Taken before anything is selected, held until the installer's work is done.
    platform::Mutex runLock;
    if (!check && !(runLock = TakeRunLock())) {
        return Fail(record::Step::RunLock);
    }

    // Held unchanged through the last installer call, deleted on every path. The
    // installer is only ever given its final path, which is full (TMP may be relative),
    // taken again before each call that opens it.
    TempPatch patch;
    std::u16string patchPath;
    std::u16string patchCode;
    std::u16string productList;
    record::Step failedStep{};
    if (!OpenHeldPatch(patch, patchPath, patchCode, productList, failedStep)) {
        return Fail(failedStep);
    }

    InstallResults results;
    results.selection = SelectTargets(patchPath, patchCode, productList,
                                    [&patch](std::u16string& path) { return patch.CheckedPath(path); });
    if (results.selection.patchError != errors::kSuccess) {
        platform::SetLastError(results.selection.patchError);
        return Fail(record::Step::PassPatchToInstaller);
    }

    TargetList& targets = ProcessTargetList();
    // A machine that needs nothing is not held up by an open application; a check
    // asks no one.
    if (!check && !AnyToPatch(targets)) {
        record::ApplicationsNotChecked();
    } else if (!check && !CheckRunningApplications()) {
        platform::SetLastError(errors::kUserExit);
        return Fail(record::Step::ApplicationsOpen);
    }

    const std::u16string leadingPatchCode = LeadingPatchCode(patchCode);
    std::vector<std::u16string> logPaths;
    int wouldPatch = 0;
    for (std::size_t i = 0; i < targets.Count() && results.failure == errors::kSuccess; ++i) {
        TargetProduct& target = targets.At(i);
        // Already updated: passed over without a word, the others still need the patch.
        if (CompareVersions(target.VersionString, kUpToDateVersion) >= 0) {
            results.upToDate = results.upToDate != nullptr ? results.upToDate : &target;
            record::UpToDate(RecordedFacts(target), kUpToDateVersion);
            continue;
        }
        if (check) {
            ++wouldPatch;
            continue;
        }
        const std::uint32_t result = ApplyPatch(target, patch, leadingPatchCode, logPaths);
        if (!IsPatched(result)) {
            results.failure = result;
        } else {
            ++results.patched;
            results.restart = WeightierRestart(results.restart, result);
        }
    }
    if (check) {
        record::CheckEnded(wouldPatch);
        return DecideCheckOutcome(results, wouldPatch);
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

}  // namespace

std::uint32_t RunInstall() { return Run(false); }

std::uint32_t RunCheck() { return Run(true); }
