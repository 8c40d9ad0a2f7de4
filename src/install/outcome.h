#pragma once

#include <cstdint>

#include "targets/selection.h"

struct TargetProduct;

// What an install run came to, product by product.
struct InstallResults {
    SelectionCounts selection;
    const TargetProduct* upToDate = nullptr;  // the first passed over as up to date
    int patched = 0;
    std::uint32_t restart = 0;  // 3010 or 1641 when a product asked for one
    std::uint32_t failure = 0;  // the result of the product that failed
};

inline constexpr unsigned kNoMessage = 0;

// The one outcome the closing box and the exit code both come from.
struct Outcome {
    unsigned message;    // kNoMessage: an earlier box already said why
    unsigned addedText;  // appended to it, or kNoMessage
    std::uint32_t exitCode;
};

Outcome DecideOutcome(const InstallResults& results);

// The restart to report once a product returned result: one begun (1641)
// outweighs one still to come (3010).
std::uint32_t WeightierRestart(std::uint32_t kept, std::uint32_t result);

// A check's answer: 1 when the service pack would be installed on a product (what
// remediation scripts read as "act"), else the code the installation would end with.
inline constexpr std::uint32_t kCheckWouldInstall = 1;
std::uint32_t DecideCheckOutcome(const InstallResults& results, int wouldPatch);

// What a removal run came to.
struct RemovalResults {
    int removed = 0;
    std::uint32_t restart = 0;
    std::uint32_t failure = 0;  // the failure that ended the run; its message was shown
};
Outcome DecideRemovalOutcome(const RemovalResults& results);

// The process exit code: the outcome, unless a box on a desktop someone sees told
// it and /exitcode was not given (scripts written for that case read 0).
std::uint32_t ExitCodeFor(std::uint32_t outcome, bool shownOnVisibleDesktop, bool exitCodeSwitch);
