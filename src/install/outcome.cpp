#include "install/outcome.h"

#include "common/error_codes.h"
#include "installer/installer.h"
#include "ui/message_ids.h"

namespace {

// The first failure of the run, selection's before the installations'; a busy
// service outranks any other, since a later run may then get further.
std::uint32_t FirstFailure(const InstallResults& results)
{
    if (results.failure == errors::kInstallAlreadyRunning) {
        return results.failure;
    }
    return results.selection.failure != errors::kSuccess ? results.selection.failure
                                                            : results.failure;
}

}  // namespace

Outcome DecideOutcome(const InstallResults& results)
{
    if (const std::uint32_t failure = FirstFailure(results); failure != errors::kSuccess) {
        return {kNoMessage, kNoMessage, failure};  // the failure showed its own message
    }
    if (results.patched > 0) {
        const unsigned restart =
            results.restart != errors::kSuccess ? msg::kRestartNeeded : kNoMessage;
        return {msg::kInstalled, restart, results.restart};
    }
    if (results.selection.refused > 0) {
        return {kNoMessage, kNoMessage, errors::kPatchTargetNotFound};  // message 308 said why
    }
    if (results.upToDate != nullptr || results.selection.alreadyPatched > 0) {
        return {msg::kUpToDate, kNoMessage, errors::kSuccess};
    }
    return {msg::kNoProduct, kNoMessage, errors::kPatchTargetNotFound};
}

std::uint32_t WeightierRestart(std::uint32_t kept, std::uint32_t result)
{
    return result != errors::kSuccess && kept != errors::kRebootInitiated ? result : kept;
}

std::uint32_t DecideCheckOutcome(const InstallResults& results, int wouldPatch)
{
    if (const std::uint32_t failure = FirstFailure(results); failure != errors::kSuccess) {
        return failure;
    }
    return wouldPatch > 0 ? kCheckWouldInstall : DecideOutcome(results).exitCode;
}

Outcome DecideRemovalOutcome(const RemovalResults& results)
{
    if (results.failure != errors::kSuccess) {
        return {kNoMessage, kNoMessage, results.failure};
    }
    if (results.removed > 0) {
        const unsigned restart =
            results.restart != errors::kSuccess ? msg::kRestartNeeded : kNoMessage;
        return {msg::kRemoved, restart, results.restart};
    }
    // Nothing to take off is what an uninstall command asks for.
    return {msg::kNothingToRemove, kNoMessage, errors::kSuccess};
}

std::uint32_t ExitCodeFor(std::uint32_t outcome, bool shownOnVisibleDesktop, bool exitCodeSwitch)
{
    return exitCodeSwitch || !shownOnVisibleDesktop ? outcome : errors::kSuccess;
}
