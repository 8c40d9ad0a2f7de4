#pragma once

// Removing, moving and replacing entries (win32_replace.cpp; tests link a double).
// A file is replaced by a copy written beside it in several steps; HoldFolder and
// the calls after it keep every step in the folder first found, whatever a link on
// the way does meanwhile.

#include <string>

#include "platform/files.h"

namespace platform {

// Removes the entry itself: a file, an empty directory or a link, never what a
// link points to. Fails where a link cannot be told from its target. The name is
// free at once even while others hold the file open: where the system can only
// delete once the last handle closes, the entry is first renamed to aside (a free
// name in the same directory; empty: not renamed), where it stays until then.
bool RemoveEntry(const std::u16string& path, const std::u16string& aside);
// Renames from to to, replacing an existing entry of that name (same volume only);
// returns once the move is on disk.
bool MoveFileReplacing(const std::u16string& from, const std::u16string& to);
// Puts from in place of the existing file to, which keeps its security descriptor,
// attributes and streams; to's old content is left at backup (same volume only).
// Fails with errors::kFileNotFound when to is no file of its own (missing, or a link,
// which MoveFileReplacing replaces as an entry), and with errors::kAccessDenied when
// to is a directory. After any failure both files keep their names, except as
// errors::kUnableToMoveReplacement2 says.
bool ReplaceFile(const std::u16string& to, const std::u16string& from,
                 const std::u16string& backup);

enum class EntryKind {
    Missing,  // nothing at the name (the folder exists)
    File,     // a file, or a link, which is replaced as an entry
    Refused,  // a directory, a device or anything else that is no file, or not
              // to be looked at: errors::kAccessDenied or the reason is the last error
};
// What stands at path, a link not followed.
EntryKind QueryEntry(const std::u16string& path);
// The folder path names, held open so that it can be neither renamed nor removed
// while the handle lives (where its entries may be read); fails with
// errors::kDirectory when path names a file.
File HoldFolder(const std::u16string& path);
// Whether path, opened now, is the folder held, no other.
bool LeadsToHeldFolder(const std::u16string& path, const File& folder);
// Renames from to to, never replacing an entry of that name (same volume only).
bool MoveFileNew(const std::u16string& from, const std::u16string& to);

}  // namespace platform
