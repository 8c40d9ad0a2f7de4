#pragma once

#include <string>
#include <vector>

#include "platform/resources.h"
#include "record/events.h"

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

// ---- temporary copies the program reads itself (install runs, /i, /p) ----

// The folders a temporary name may be made in, best first: TMP (not for
// LocalSystem), the system's temporary folder, the drive's root, the current
// folder; each exists, except "." which closes the list. False when the system's
// temporary folder cannot be had.
struct TempFolder {
    std::u16string path;
    record::TempReason reason = record::TempReason::Tmp;  // why it is in the list
};
bool TemporaryFolders(std::vector<TempFolder>& folders);

// As ExtractPatch with an empty path, in folder: the copy is marked temporary,
// and a leftover copy of a killed run met on the way to a free name is removed.
// patchPath is the name once one was made, and is empty before.
bool ExtractTemporaryCopy(const TempFolder& folder, std::u16string& patchPath);
