#pragma once

#include <string>
#include <vector>

// Builds the installer command line that applies patchPath. Fails rather than
// truncate when the result would not fit the installer's 1024-unit limit.
bool BuildInstallCommandLine(const std::u16string& patchPath, const std::u16string& localeId,
                             const std::u16string& filesInUseText, std::u16string& commandLine);

// Builds the installer command line that takes the patch of patchCode off a
// product. Fails when the code is not a braced GUID, which alone cannot add
// installer properties of its own.
bool BuildRemovalCommandLine(const std::u16string& patchCode, const std::u16string& localeId,
                             std::u16string& commandLine);

// The verbose log file for a product in the temporary directory, named after
// the product (after its code when it has no name); empty when no usable path
// fits, so the installer logs without a file.
std::u16string MakeLogPath(const std::u16string& productName, const std::u16string& productCode);

// logPath, or, when a product earlier in this run has a log of that name in any
// case (names that differ only in case are one file), the first "<name> (n).log"
// none has; empty when that would not fit. Adds the answer to usedPaths.
std::u16string DistinctLogPath(const std::u16string& logPath,
                               std::vector<std::u16string>& usedPaths);
