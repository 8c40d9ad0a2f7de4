#include "files/write_over.h"

#include "common/file_names.h"
#include "files/final_path.h"
#include "files/temp_names.h"
#include "files/write_all.h"
#include "common/error_codes.h"
#include "platform/files.h"
#include "platform/replace.h"
#include "platform/thread_state.h"

namespace {


// Where a given path is written: the folder it led to when first looked at, held
// and named by its final path, so that no step can act in another folder when a
// link on the way is switched meanwhile.
struct Destination {
    platform::File folder;
    std::u16string folderPath;  // its final path and a separator
    std::u16string target;      // that and the given name
};

// Before each step: the folder's final path leads to the held folder still, or
// nothing more is touched.
bool FolderUnchanged(const Destination& to)
{
    if (platform::LeadsToHeldFolder(to.folderPath, to.folder)) {
        return true;
    }
    platform::SetLastError(errors::kAccessDenied);
    return false;
}

bool IsReplaceable(const std::u16string& path)
{
    return platform::QueryEntry(path) != platform::EntryKind::Refused;
}

bool FindDestination(const std::u16string& path, Destination& to)
{
    std::u16string full;
    if (!platform::GetFullPathName(path, full) || !IsReplaceable(full)) {
        return false;
    }
    const std::size_t nameStart = full.find_last_of(u"\\/") + 1;
    const std::u16string folder = full.substr(0, nameStart);
    // Named without its closing separator where it has a name of its own (not "C:\").
    const std::u16string folderEntry =
        nameStart > 1 && folder[nameStart - 2] != u':' ? folder.substr(0, nameStart - 1) : folder;
    const platform::File first = platform::HoldFolder(folder);
    if (!first || !FinalPathToHandOn(first, folderEntry, to.folderPath)) {
        return false;
    }
    to.folderPath = WithClosingSeparator(to.folderPath);
    // Held again by that name: where a final path is made apart from the opening
    // (Wine), a link switched in between names another folder than the one opened.
    to.folder = platform::HoldFolder(to.folderPath);
    to.target = to.folderPath + full.substr(nameStart);
    return to.folder && IsReplaceable(to.target);
}

// A new file beside the target, never at the target's own name.
platform::File CreateSideFile(const Destination& to, std::u16string& side)
{
    for (int race = 0; race <= kMaxCreateRaces; ++race) {
        if (!FolderUnchanged(to) || !NextFreeNameBut(to.folderPath + kTempPrefix, to.target, side)) {
            return {};
        }
        platform::File file = CreateFileAt(side, platform::FileDisposition::CreateNew);
        if (file || !IsExistsError(platform::GetLastError())) {
            return file;
        }
    }
    return {};
}

// Moves the complete file side over the target. On failure the target is as it
// was and side remains.
bool PutInPlace(const Destination& to, const std::u16string& side)
{
    const std::u16string& target = to.target;
    std::u16string backup;
    if (!FolderUnchanged(to)) {
        return false;
    }
    if (platform::QueryEntry(target) == platform::EntryKind::Missing) {
        return platform::MoveFileReplacing(side, target);
    }
    if (!NextFreeNameBut(to.folderPath + kTempPrefix, target, backup) || !FolderUnchanged(to)) {
        return false;
    }
    if (platform::ReplaceFile(target, side, backup)) {
        if (FolderUnchanged(to)) {
            platform::DeleteFile(backup);  // the old content
        }
        return true;
    }
    const std::uint32_t error = platform::GetLastError();
    if (error == errors::kFileNotFound) {  // gone since, or a link
        return FolderUnchanged(to) && platform::MoveFileReplacing(side, target);
    }
    if (error == errors::kUnableToMoveReplacement2 && FolderUnchanged(to)) {
        // The old file back to its name, unless something took it meanwhile.
        platform::MoveFileNew(backup, target);
    }
    platform::SetLastError(error);
    return false;
}

}  // namespace

bool WriteOver(const std::u16string& path, std::span<const std::uint8_t> bytes)
{
    Destination to;
    std::u16string side;
    if (!FindDestination(path, to)) {
        return false;
    }
    platform::File file = CreateSideFile(to, side);
    if (!file) {
        return false;
    }
    if (!WriteAll(std::move(file), bytes, true) || !PutInPlace(to, side)) {
        const platform::LastErrorKeeper keeper;
        if (FolderUnchanged(to)) {
            platform::DeleteFile(side);
        }
        return false;
    }
    return true;
}
