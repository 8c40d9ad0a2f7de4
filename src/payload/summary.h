#pragma once

#include <string>

#include "installer/installer.h"

// Opens the summary information of the patch at patchPath (read-only);
// an invalid handle when it cannot be opened.
installer::UniqueMsiHandle OpenPatchSummary(std::u16string patchPath);

// PID_TEMPLATE: the product codes the patch targets. productList is replaced only on success.
bool ReadPatchTemplate(std::u16string patchPath, std::u16string& productList);

// PID_REVNUMBER: the patch code and the codes it supersedes. patchCode is replaced only on success.
bool ReadPatchCode(std::u16string patchPath, std::u16string& patchCode);
