#pragma once

#include <string>
#include <vector>

// Why a folder is in the list of those a temporary name may be made in.
enum class TempReason {
    Tmp,                   // TMP names an existing folder
    SystemForLocalSystem,  // LocalSystem: the system's own folder, never TMP
    SystemAnswer,          // TMP unusable: the system's answer (TEMP or its fall-backs)
    Root,                  // neither exists: the root of the current drive
    Current,               // nor that: the current folder
};

struct TempFolder {
    std::u16string path;
    TempReason reason = TempReason::Tmp;  // why it is in the list
};

// The folders a temporary name may be made in, best first: TMP (not for
// LocalSystem), the system's temporary folder, the drive's root, the current
// folder; each exists, except "." which closes the list. False when the system's
// temporary folder cannot be had.
bool TemporaryFolders(std::vector<TempFolder>& folders);

// The first of those, or of the others when the system's temporary folder cannot be had.
std::u16string FirstTemporaryFolder();
