#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

// What selection found among the listed products.
struct SelectionCounts {
    int present = 0;         // installed
    int refused = 0;         // the patch cannot be sequenced for them (message 308)
    int alreadyPatched = 0;  // the patch is registered on them
    // Nonzero: the held patch could no longer be handed on (this error), and
    // selection stopped there.
    std::uint32_t patchError = 0;
};

// Appends to the process TargetList each listed product that is present, can
// be sequenced, and lacks the patch. With heldPatch, the path handed to the
// installer is taken again from that file before each call that opens it.
SelectionCounts SelectTargets(const std::u16string& patchPath, const std::u16string& patchCode,
                              std::u16string productList,
                              const platform::File* heldPatch = nullptr);

// The patch's own code: the leading GUID of its revision text.
std::u16string LeadingPatchCode(const std::u16string& patchCode);
