// The double of removing, moving and replacing entries.
#include "doubles/fake_platform.h"

#include "common/error_codes.h"
#include "doubles/fake_file_system.h"
#include "platform/replace.h"
#include "platform/thread_state.h"

namespace platform {
namespace {

// This area's part of the double's state.
fake::FileSystemState& State() { return fake::Platform().files; }

}  // namespace

bool RemoveEntry(const std::u16string& path, const std::u16string& aside)
{
    if (State().accessDenied.count(path) != 0) {
        SetLastError(errors::kAccessDenied);
        return false;
    }
    if (State().posixDelete || !fake::IsOpen(path) || State().contents.count(path) == 0) {
        return State().links.erase(path) + State().contents.erase(path) != 0;
    }
    std::u16string name = path;
    if (!aside.empty() && QueryPath(aside) == PathState::Missing) {
        State().contents[aside] = std::move(State().contents[path]);
        State().contents.erase(path);
        for (auto& open : State().handles) {
            open.second.path = open.second.path == path ? aside : open.second.path;
        }
        name = aside;
    }
    State().deletePending.insert(name);
    return true;
}

EntryKind QueryEntry(const std::u16string& path)
{
    if (State().links.count(path) != 0 || State().contents.count(path) != 0) {
        return EntryKind::File;
    }
    const std::uint32_t error = fake::DirectoryExists(path) ? errors::kAccessDenied
                                : fake::ParentExists(path)  ? errors::kFileNotFound
                                                            : 3;  // ERROR_PATH_NOT_FOUND
    SetLastError(error);
    return error == errors::kFileNotFound ? EntryKind::Missing : EntryKind::Refused;
}

File HoldFolder(const std::u16string& path)
{
    const std::u16string folder = fake::Resolved(path);
    if (!fake::DirectoryExists(folder)) {
        SetLastError(State().contents.count(folder) != 0 ? errors::kDirectory : 3);
        return File();
    }
    const std::intptr_t handle = fake::NewHandle();
    State().handles[handle] = {folder, FileDisposition::ReadShareRead};
    ++State().openFiles;
    return File(handle);
}

bool LeadsToHeldFolder(const std::u16string& path, const File& folder)
{
    const auto held = State().handles.find(folder.Get());
    // The handle stays with the folder it opened, whatever links now say.
    return held != State().handles.end() && fake::DirectoryExists(path) &&
           fake::Resolved(path) == held->second.path;
}

bool MoveFileNew(const std::u16string& from, const std::u16string& to)
{
    if (QueryPath(to) != PathState::Missing) {
        SetLastError(errors::kAlreadyExists);
        return false;
    }
    return MoveFileReplacing(from, to);
}

bool MoveFileReplacing(const std::u16string& from, const std::u16string& to)
{
    if (State().contents.count(from) == 0 || State().accessDenied.count(to) != 0) {
        SetLastError(errors::kAccessDenied);
        return false;
    }
    auto content = std::move(State().contents[from]);
    State().contents.erase(from);
    State().contents[to] = std::move(content);
    return true;
}

bool ReplaceFile(const std::u16string& to, const std::u16string& from,
                 const std::u16string& backup)
{
    if (State().contents.count(to) == 0 || State().links.count(to) != 0) {
        SetLastError(errors::kFileNotFound);
        return false;
    }
    if (State().replaceError) {
        SetLastError(*State().replaceError);
        if (*State().replaceError == errors::kUnableToMoveReplacement2) {
            State().contents[backup] = std::move(State().contents[to]);
            State().contents.erase(to);
        }
        return false;
    }
    State().contents[backup] = std::move(State().contents[to]);
    State().contents[to] = std::move(State().contents[from]);
    State().contents.erase(from);
    return true;
}

}  // namespace platform
