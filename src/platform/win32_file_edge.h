#pragma once

// What the Windows edge's file code shares: where a handle's file is and
// whether two handles are one file.
#include <string>

#include "platform/files.h"
#include "platform/final_path.h"
#include "platform/win32_edge.h"

namespace platform {

// The full name the file behind the handle is known by, in that form; empty when
// unknown.
std::wstring FinalPath(const File& file, PathForm form = PathForm::Dos);
File OpenExisting(const std::u16string& path, DWORD access, DWORD flags);
// Whether the handle is the entry at path, not a file it leads to: where links
// are not reparse points (Wine), a link opens as its target, found elsewhere.
bool IsEntryAt(const File& entry, const std::u16string& path);
bool FileId(const File& file, BY_HANDLE_FILE_INFORMATION& info);
bool SameFile(const BY_HANDLE_FILE_INFORMATION& x, const BY_HANDLE_FILE_INFORMATION& y);
// Marks the file behind the handle for deletion once its last handle closes.
bool Dispose(const File& file);

}  // namespace platform
