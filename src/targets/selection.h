#pragma once

#include <string>

// Appends to the process TargetList each listed product that is present, can
// be sequenced, and lacks the patch. Returns how many listed products are present.
int SelectTargets(const std::u16string& patchPath, const std::u16string& patchCode,
                  std::u16string productList);

// The patch's own code: the leading GUID of its revision text.
std::u16string LeadingPatchCode(const std::u16string& patchCode);
