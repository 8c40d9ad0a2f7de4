#pragma once

#include <string>

#include "installer/installer.h"

// Opens the summary information of the patch at patchPath (read-only);
// an invalid handle when it cannot be opened. The readers and this leave the
// installer's code of a failure as the last error.
installer::UniqueMsiHandle OpenPatchSummary(std::u16string patchPath);

// PID_TEMPLATE: the product codes the patch targets. productList is replaced only on success.
bool ReadPatchTemplate(std::u16string patchPath, std::u16string& productList);

// PID_REVNUMBER: the patch code and the codes it supersedes (a long list is read
// whole, as the template is). patchCode is replaced only on success.
bool ReadPatchCode(std::u16string patchPath, std::u16string& patchCode);
