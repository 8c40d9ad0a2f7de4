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
