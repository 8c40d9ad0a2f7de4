// The files double, over the in-memory file system.
#include "doubles/fake_platform.h"

#include "common/error_codes.h"

#include <algorithm>

#include "common/error_codes.h"
#include "doubles/fake_file_system.h"
#include "platform/files.h"
#include "platform/thread_state.h"

namespace platform {
namespace {

// This area's part of the double's state.
fake::FileSystemState& State() { return fake::Platform().files; }

}  // namespace

bool GetFullPathName(const std::u16string& path, std::u16string& fullPath)
{
    if (State().fullPathFails || path.empty()) {
        return false;
    }
    std::u16string full = path;
    const bool absolute = fake::IsSeparator(path[0]) || (path.size() > 1 && path[1] == u':');
    if (!absolute) {
        full = State().currentDirectory + u"\\" + path;
    }
    return fake::TakesPath(full, fullPath);
}

PathState QueryPath(const std::u16string& linkOrPath)
{
    const std::u16string& path = fake::Followed(linkOrPath);
    if (State().accessDenied.count(path) != 0) {
        return PathState::AccessDenied;
    }
    if (State().contents.count(path) != 0 || fake::DirectoryExists(path)) {
        return PathState::Exists;
    }
    return PathState::Missing;
}

void FileTraits::Close(Handle handle)
{
    const auto open = State().handles.find(handle);
    if (open == State().handles.end()) {
        return;
    }
    const std::u16string path = open->second.path;
    State().handles.erase(open);
    --State().openFiles;
    if (State().deletePending.count(path) != 0 && !fake::IsOpen(path)) {
        State().deletePending.erase(path);
        State().contents.erase(path);
    }
}

File OpenFile(const std::u16string& linkOrPath, FileDisposition disposition)
{
    if (State().beforeCreate) {
        State().beforeCreate(linkOrPath);
    }
    const bool ownName = disposition == FileDisposition::OpenOrCreateOwnName ||
                         disposition == FileDisposition::AppendOwnName;
    const bool throughLink = State().linksLookLikeFiles && ownName &&
                             State().contents.count(fake::Followed(linkOrPath)) != 0;
    const bool entryItself = !throughLink && (disposition == FileDisposition::CreateNew ||
                                              disposition == FileDisposition::CreateNewHeld ||
                                              disposition == FileDisposition::CreateNewTemporary ||
                                              disposition == FileDisposition::ReadExclusiveEntry ||
                                              ownName);
    std::u16string path = entryItself ? linkOrPath : fake::Followed(linkOrPath);
    if (disposition == FileDisposition::ReadShareRead && State().contents.count(path) == 0) {
        // A final or short path opens the file stored under another way to it.
        for (const auto& [name, shortForm] : State().shortNames) {
            path = shortForm == linkOrPath ? name : path;
        }
        const std::u16string final = fake::Resolved(path);
        for (const auto& file : State().contents) {
            const std::u16string known = fake::Resolved(file.first);
            path = known == final || u"\\\\?\\" + known == linkOrPath ? file.first : path;
        }
    }
    if (State().accessDenied.count(path) != 0 || fake::DirectoryExists(path)) {
        SetLastError(errors::kAccessDenied);
        return File();
    }
    if (!fake::ParentExists(path)) {
        SetLastError(errors::kPathNotFound);
        return File();
    }
    const bool exists = State().contents.count(path) != 0;
    if (entryItself && State().links.count(path) != 0) {
        SetLastError(ownName ? errors::kAccessDenied : errors::kFileExists);
        return File();
    }
    const bool creates = disposition == FileDisposition::CreateNew ||
                         disposition == FileDisposition::CreateNewTemporary;
    if (exists && !creates && fake::InUse(path, disposition)) {
        SetLastError(errors::kSharingViolation);
        return File();
    }
    switch (disposition) {
    case FileDisposition::CreateNewHeld:
    case FileDisposition::CreateNew:
    case FileDisposition::CreateNewTemporary:
        if (exists) {
            SetLastError(errors::kFileExists);
            return File();
        }
        State().contents[path].clear();
        State().temporary.erase(path);
        if (disposition == FileDisposition::CreateNewTemporary) {
            State().temporary.insert(path);
        }
        break;
    case FileDisposition::CreateOrTruncate:
        State().contents[path].clear();
        break;
    case FileDisposition::OpenOrCreateOwnName:
    case FileDisposition::AppendOwnName:
        if (State().multiplyLinked.count(path) != 0) {
            SetLastError(errors::kAccessDenied);
            return File();
        }
        [[fallthrough]];
    case FileDisposition::OpenOrCreate:
        State().contents[path];
        SetLastError(exists ? errors::kAlreadyExists : 0);
        break;
    case FileDisposition::ReadShareRead:
    case FileDisposition::ReadExclusiveEntry:
        if (!exists) {
            SetLastError(errors::kFileNotFound);
            return File();
        }
        break;
    }
    const std::intptr_t handle = fake::NewHandle();
    const auto index = State().fileIndex.find(path);
    State().handles[handle] = {path, disposition, 0,
                           index == State().fileIndex.end() ? 0 : index->second};
    ++State().openFiles;
    return File(handle);
}

bool WriteFile(const File& file, const void* data, std::size_t size, std::size_t& written)
{
    written = 0;
    const auto it = State().handles.find(file.Get());
    if (it == State().handles.end() || State().failWrites) {
        SetLastError(errors::kInvalidHandle);
        return false;
    }
    written = State().writeLimit ? std::min(size, *State().writeLimit) : size;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    auto& content = State().contents[it->second.path];
    content.insert(content.end(), bytes, bytes + written);
    State().unflushed.insert(it->second.path);
    State().largestWrite = std::max(State().largestWrite, static_cast<int>(size));
    if (written < size) {
        SetLastError(errors::kDiskFull);
        return false;
    }
    return true;
}

bool SeekToEnd(const File& file)
{
    return !State().failSeeks && State().handles.count(file.Get()) != 0;
}

bool ReadFile(const File& file, void* data, std::size_t size, std::size_t& read)
{
    auto& open = State().handles.at(file.Get());
    const auto& content = State().contents[open.path];
    open.position = std::min(open.position, content.size());
    read = std::min(size, content.size() - open.position);
    std::copy_n(content.begin() + static_cast<std::ptrdiff_t>(open.position), read,
                static_cast<std::uint8_t*>(data));
    open.position += read;
    return true;
}

bool DeleteFile(const std::u16string& path)
{
    State().deleted.push_back(path);
    if (fake::InUse(path, std::nullopt)) {
        SetLastError(errors::kSharingViolation);
        return false;
    }
    return State().contents.erase(path) != 0;
}

bool FlushFile(const File& file)
{
    const auto it = State().handles.find(file.Get());
    if (it == State().handles.end()) {
        return false;
    }
    State().unflushed.erase(it->second.path);
    return true;
}

bool IsLoneTemporaryFile(const File& file)
{
    const auto it = State().handles.find(file.Get());
    return it != State().handles.end() && State().temporary.count(it->second.path) != 0 &&
           State().multiplyLinked.count(it->second.path) == 0;
}

}  // namespace platform
