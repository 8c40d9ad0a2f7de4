#pragma once

// Paths and files (win32_files.cpp; tests link a double). Texts are UTF-16.

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/unique_handle.h"

namespace platform {

// The longest path the system takes, terminator included.
inline constexpr std::uint32_t kLongestPathUnits = 32768;

// As GetFullPathNameW: the whole full path. False when it cannot be formed or is
// longer than the system takes (errors::kFilenameTooLong).
bool GetFullPathName(const std::u16string& path, std::u16string& fullPath);

enum class PathState { Missing, Exists, AccessDenied };
PathState QueryPath(const std::u16string& path);

struct FileTraits {
    using Handle = std::intptr_t;
    static Handle Invalid() { return -1; }
    static void Close(Handle handle);
};
using File = UniqueHandle<FileTraits>;

// The dispositions that create a new entry, and OpenOrCreateOwnName, never follow
// a link: a link counts as a name that is taken.
enum class FileDisposition {
    // Write-only, no sharing; fails with errors::kFileExists while any entry has the name.
    CreateNew,
    CreateOrTruncate,  // write-only, no sharing
    OpenOrCreate,      // read-write, others may read; for appending
    // As OpenOrCreate, for a name the program chose in a directory others can write:
    // fails with errors::kAccessDenied when the name is a link or the file has another name,
    // and creates nothing where a link stands. An existing file it opened leaves
    // errors::kAlreadyExists as the last error.
    OpenOrCreateOwnName,
    // Never written through; others may read and write it but not delete or rename
    // it. Fails as CreateNew does.
    CreateNewHeld,
    // An existing file, read-only; others may read it but not write, rename or
    // delete it while the handle lives.
    ReadShareRead,
    // As CreateNew, the file marked temporary (FILE_ATTRIBUTE_TEMPORARY): a copy
    // the program reads itself and removes, never one it hands to the user.
    CreateNewTemporary,
    // The existing entry itself (a link is not followed), for reading and
    // removal, shared with no one: fails while any other handle has it open.
    ReadExclusiveEntry,
    // As OpenOrCreateOwnName, but every write lands at the end of the file and
    // others may read and append as well, so runs at the same time add whole lines.
    AppendOwnName,
};

// An invalid File on failure, with the reason in the last-error value.
File OpenFile(const std::u16string& path, FileDisposition disposition);
// One write request of the whole size; a short write fails with ERROR_DISK_FULL.
bool WriteFile(const File& file, const void* data, std::size_t size, std::size_t& written);
bool SeekToEnd(const File& file);
// One read request; read is 0 at the end of the file.
bool ReadFile(const File& file, void* data, std::size_t size, std::size_t& read);
bool DeleteFile(const std::u16string& path);
// Writes what the file's buffers hold through to the disk.
bool FlushFile(const File& file);

// Neither a link nor known by another name, and marked temporary.
bool IsLoneTemporaryFile(const File& file);

}  // namespace platform
