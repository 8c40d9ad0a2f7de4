#pragma once

#include <string>

#include "platform/platform.h"

// Writes the embedded patch package to patchPath, or, when it is empty, to a
// new temporary file whose name it stores in patchPath. An existing file at
// patchPath is replaced only by a complete copy; on failure nothing written
// stays behind and the last error holds the reason.
bool ExtractPatch(std::u16string& patchPath);

// servicepack.log in the temporary directory an extraction would choose.
std::u16string DefaultRecordPath();

// The number behind temporary names lives for the process; tests start it afresh.
void ResetTempNameCounter();

// The embedded patch package's bytes, mapped for the life of the process.
bool LoadPayload(platform::ResourceBytes& payload);
