#pragma once

#include <string>

#include "files/temp_folders.h"

// Writes the embedded patch package to patchPath, or, when it is empty, to a
// new temporary file whose name it stores in patchPath. An existing file at
// patchPath is replaced only by a complete copy; on failure nothing written
// stays behind and the last error holds the reason.
bool ExtractPatch(std::u16string& patchPath);

// ---- temporary copies the program reads itself (install runs, /i, /p) ----

// As ExtractPatch with an empty path, in folder: the copy is marked temporary,
// and a leftover copy of a killed run met on the way to a free name is removed.
// patchPath is the name once one was made, and is empty before.
bool ExtractTemporaryCopy(const TempFolder& folder, std::u16string& patchPath);
