#include "install/outcome.h"

#include "installer/installer.h"
#include "ui/message_ids.h"

namespace {

// The first failure of the run, selection's before the installations'; a busy
// service outranks any other, since a later run may then get further.
std::uint32_t FirstFailure(const InstallResults& results)
{
    if (results.failure == installer::kInstallAlreadyRunning) {
        return results.failure;
    }
    return results.selection.failure != installer::kSuccess ? results.selection.failure
                                                            : results.failure;
}

}  // namespace

Outcome DecideOutcome(const InstallResults& results)
{
    if (const std::uint32_t failure = FirstFailure(results); failure != installer::kSuccess) {
        return {kNoMessage, kNoMessage, failure};  // the failure showed its own message
    }
    if (results.patched > 0) {
        const unsigned restart =
            results.restart != installer::kSuccess ? msg::kRestartNeeded : kNoMessage;
        return {msg::kInstalled, restart, results.restart};
    }
    if (results.selection.refused > 0) {
        return {kNoMessage, kNoMessage, installer::kPatchTargetNotFound};  // message 308 said why
    }
    if (results.upToDate != nullptr || results.selection.alreadyPatched > 0) {
        return {msg::kUpToDate, kNoMessage, installer::kSuccess};
    }
    return {msg::kNoProduct, kNoMessage, installer::kPatchTargetNotFound};
}
