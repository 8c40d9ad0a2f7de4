#pragma once

#include <string>

// Builds the installer command line that applies patchPath. Fails rather than
// truncate when the result would not fit the installer's 1024-unit limit.
bool BuildInstallCommandLine(const std::u16string& patchPath, const std::u16string& localeId,
                             const std::u16string& filesInUseText, std::u16string& commandLine);

// The verbose log file for a product in the temporary directory, named after
// the product (after its code when it has no name); empty when no usable path
// fits, so the installer logs without a file.
std::u16string MakeLogPath(const std::u16string& productName, const std::u16string& productCode);
