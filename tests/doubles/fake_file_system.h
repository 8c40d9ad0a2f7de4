#pragma once

// What the file doubles share of the in-memory file system (FileSystemState).

#include <optional>
#include <string>

#include "platform/files.h"

namespace fake {

bool IsSeparator(char16_t c);
// A path the system hands back whole, or refuses as too long.
bool TakesPath(const std::u16string& path, std::u16string& out);
// Where the entry at path leads when it is a link, else path.
const std::u16string& Followed(const std::u16string& path);
bool DirectoryExists(const std::u16string& path);
// Where a path leads: absolute, every link on the way followed.
std::u16string Resolved(std::u16string path);
bool ParentExists(const std::u16string& path);
// Whether a handle open on path stands in the way of one of that disposition
// (none: of deleting it).
bool InUse(const std::u16string& path, std::optional<platform::FileDisposition> disposition);

}  // namespace fake
