#pragma once

// Where an open file really is, which file it is, and removing it through its
// handle (win32_final_path.cpp; tests link a double).

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace platform {

// The forms a final path can be told in. Dos: with the drive letter
// ("\\?\C:\dir\name"), which a volume without one (mounted in a folder, a RAM
// disk) lacks. Nt: with the volume's device ("\Device\HarddiskVolume3\dir\name").
// Opened: the device form as opened, not normalized, which needs no folder on the
// way to be readable (a share). Links are resolved in every form.
enum class PathForm { Dos, Nt, Opened };

// The name the file behind the handle really has, every link on the way resolved;
// false when it cannot be told in that form.
bool GetFinalPath(const File& file, std::u16string& path, PathForm form = PathForm::Dos);
// The same for the directory a path leads to.
bool GetFinalPathOfDirectory(const std::u16string& directory, std::u16string& path,
                             PathForm form = PathForm::Dos);
// Removes the file the handle has open, wherever that is, and closes the handle;
// never a file put at its name since.
bool DeleteThroughHandle(File& file);

// ---- held copies: identity and short names --------------------------------

// Which file a handle has open: equal for two handles only when they are one file.
struct FileIdentity {
    std::uint32_t volume = 0;  // volume serial number
    std::uint64_t index = 0;   // file index on that volume
    bool operator==(const FileIdentity&) const = default;
};
bool GetFileIdentity(const File& file, FileIdentity& identity);
// The short (8.3) form of an existing path (GetShortPathNameW); the path itself
// where the volume keeps no short names.
bool GetShortPathName(const std::u16string& path, std::u16string& shortPath);

}  // namespace platform
