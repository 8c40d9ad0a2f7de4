#include "install/uninstall.h"

#include <string>
#include <vector>

#include "common/error_codes.h"
#include "install/driver.h"
#include "install/install_command.h"
#include "install/installer_session.h"
#include "install/outcome.h"
#include "install/run_lock.h"
#include "installer/installer.h"
#include "payload/temp_patch.h"
#include "platform/run_lock.h"
#include "platform/thread_state.h"
#include "record/events.h"
#include "record/record.h"
#include "targets/removal_selection.h"
#include "targets/selection.h"
#include "targets/target_product.h"
#include "ui/message_ids.h"
#include "ui/messages.h"
#include "ui/running_apps.h"

namespace {

constexpr char16_t kUninstallableProperty[] = u"Uninstallable";
constexpr char16_t kRemovable[] = u"1";

// Says that the service pack could not be removed, with code, which becomes the outcome.
std::uint32_t Refuse(std::uint32_t code)
{
    platform::SetLastError(code);
    ShowMessage(msg::kRemovalFailed);
    return code;
}

std::uint32_t Fail(record::Step step)
{
    const std::uint32_t code = FailureCode(platform::GetLastError());
    record::StepFailed(step, code);
    return Refuse(code);
}

// Every product must allow the removal before it is taken off any: a service
// pack half removed leaves products at different levels.
std::uint32_t CheckRemovable(TargetList& targets, const std::u16string& patchCode)
{
    for (std::size_t i = 0; i < targets.Count(); ++i) {
        const TargetProduct& target = targets.At(i);
        std::u16string value;
        const std::uint32_t result = installer::GetPatchInfo(
            patchCode, target.ProductCode, target.Context, kUninstallableProperty, value);
        if (result != errors::kSuccess) {
            record::RemovalSelected(RecordedFacts(target), record::Removal::Failed, value, result);
            return Refuse(result);
        }
        if (value != kRemovable) {
            record::RemovalSelected(RecordedFacts(target), record::Removal::NotRemovable, value, 0);
            MakeCurrent(target);
            platform::SetLastError(errors::kPatchRemovalUnsupported);
            ShowMessage(msg::kNotRemovable);
            return errors::kPatchRemovalUnsupported;
        }
    }
    return errors::kSuccess;
}

// The installer's result once the patch is found no longer registered; an
// installer may report success for a removal it did not make.
std::uint32_t Confirmed(const TargetProduct& target, const std::u16string& patchCode,
                        std::uint32_t result)
{
    bool registered = false;
    std::u16string state;
    const std::uint32_t failure = ReadRegistration(target, patchCode, registered, state);
    if (failure != errors::kSuccess) {
        return failure;
    }
    return registered ? errors::kInstallFailure : result;
}

// Takes the patch off one target and returns the installer's result; shows the
// message of a failure. logPaths holds the logs of the products before it.
std::uint32_t RemovePatch(TargetProduct& target, const std::u16string& patchCode,
                          std::vector<std::u16string>& logPaths)
{
    MakeCurrent(target);
    if (!BuildRemovalCommandLine(patchCode, target.LocaleId, target.CommandLine)) {
        record::StepFailed(record::Step::PatchCode, errors::kInvalidCommandLine);
        return Refuse(errors::kInvalidCommandLine);
    }
    const std::u16string& name = target.ProductName.empty() ? target.ProductCode
                                                            : target.ProductName;
    const InstallerSession session(
        DistinctLogPath(MakeLogPath(name + u" removal", target.ProductCode), logPaths));
    const record::Stopwatch took;
    std::uint32_t result =
        installer::ConfigureProductEx(target.ProductCode, installer::kInstallLevelDefault,
                                      installer::kStateDefault, target.CommandLine);
    if (installer::Succeeded(result)) {
        result = Confirmed(target, patchCode, result);
    }
    record::Removed(RecordedFacts(target), {session.LogPath(), session.LogError(),
                                            target.CommandLine, result, took.Milliseconds()});
    if (!installer::Succeeded(result)) {
        Refuse(result);
    }
    return result;
}

}  // namespace

std::uint32_t RunUninstall()
{
    // As for an installation: two runs would remove and install over each other.
    platform::Mutex runLock = TakeRunLock();
    if (!runLock) {
        return Fail(record::Step::RunLock);
    }
    std::u16string patchCode;
    std::u16string productList;
    {
        // Only its code and product list are needed: the installer removes by code.
        TempPatch patch;
        std::u16string patchPath;
        record::Step failedStep{};
        if (!OpenHeldPatch(patch, patchPath, patchCode, productList, failedStep)) {
            return Fail(failedStep);
        }
    }
    patchCode = LeadingPatchCode(patchCode);
    // Refused before anyone is asked to close an application for it.
    if (std::u16string line; !BuildRemovalCommandLine(patchCode, u"", line)) {
        record::StepFailed(record::Step::PatchCode, errors::kInvalidCommandLine);
        return Refuse(errors::kInvalidCommandLine);
    }

    if (const std::uint32_t failure = SelectRemovalTargets(patchCode, productList);
        failure != errors::kSuccess) {
        return Refuse(failure);
    }
    TargetList& targets = ProcessTargetList();
    RemovalResults results;
    if (!targets.Empty()) {
        if (const std::uint32_t refusal = CheckRemovable(targets, patchCode);
            refusal != errors::kSuccess) {
            return refusal;
        }
        if (!CheckRunningApplications()) {
            platform::SetLastError(errors::kUserExit);
            return Fail(record::Step::ApplicationsOpen);
        }
    }
    std::vector<std::u16string> logPaths;
    for (std::size_t i = 0; i < targets.Count() && results.failure == errors::kSuccess; ++i) {
        const std::uint32_t result = RemovePatch(targets.At(i), patchCode, logPaths);
        if (!installer::Succeeded(result)) {
            results.failure = result;
        } else {
            ++results.removed;
            results.restart = WeightierRestart(results.restart, result);
        }
    }

    // A closing box left open must not hold off the next run.
    runLock.Reset();
    const Outcome outcome = DecideRemovalOutcome(results);
    if (outcome.message != kNoMessage) {
        ShowMessage(outcome.message, outcome.addedText);
    }
    return outcome.exitCode;
}
