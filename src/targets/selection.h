#pragma once

#include <cstdint>
#include <string>

// What selection found among the listed products.
struct SelectionCounts {
    int present = 0;         // installed
    int refused = 0;         // the patch cannot be sequenced for them (message 308)
    int alreadyPatched = 0;  // the patch is registered on them
    // The installer's code for the first refusal that was its failure rather than a
    // patch that does not apply; a busy service (1618) outranks any other.
    std::uint32_t failure = 0;
};

// Appends to the process TargetList each listed product that is present, can
// be sequenced, and lacks the patch.
SelectionCounts SelectTargets(const std::u16string& patchPath, const std::u16string& patchCode,
                              std::u16string productList);

// The patch's own code: the leading GUID of its revision text.
std::u16string LeadingPatchCode(const std::u16string& patchCode);
