// The Windows edge: paths and files.
#include "platform/win32_edge.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/thread_state.h"

namespace platform {
namespace {

// Neither a link nor a file that is also known by a name elsewhere, which may
// be one the user could not write to.
bool HasOnlyThisName(const File& file)
{
    BY_HANDLE_FILE_INFORMATION info;
    return ::GetFileInformationByHandle(ToHandle(file.Get()), &info) != FALSE &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
           info.nNumberOfLinks == 1;
}

// A name taken between "nothing there" and "create it" is looked at again this often.
constexpr int kOwnNameTries = 8;

// The file at path, or a new one where nothing at all stands. Never OPEN_ALWAYS:
// where links are not reparse points (Wine) it follows a dangling link and
// creates its target, wherever that is.
File OpenOrCreateOwnName(const std::u16string& path, DWORD access, DWORD sharing)
{
    constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    for (int tries = 0; tries < kOwnNameTries; ++tries) {
        File file(reinterpret_cast<std::intptr_t>(::CreateFileW(
            Wide(path), access, sharing, nullptr, OPEN_EXISTING, kFlags, nullptr)));
        if (file) {
            if (!HasOnlyThisName(file)) {
                file.Reset();
                ::SetLastError(ERROR_ACCESS_DENIED);
                return file;
            }
            ::SetLastError(ERROR_ALREADY_EXISTS);
            return file;
        }
        if (::GetLastError() != ERROR_FILE_NOT_FOUND) {
            return file;
        }
        // CREATE_NEW refuses any entry, a dangling link included.
        file.Reset(reinterpret_cast<std::intptr_t>(::CreateFileW(
            Wide(path), access, sharing, nullptr, CREATE_NEW, kFlags, nullptr)));
        if (file) {
            ::SetLastError(ERROR_SUCCESS);
            return file;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    ::SetLastError(ERROR_ACCESS_DENIED);
    return File();
}

}  // namespace

bool GetFullPathName(const std::u16string& path, std::u16string& fullPath)
{
    return ReadPath(fullPath, [&](DWORD units, wchar_t* buffer) {
        return ::GetFullPathNameW(Wide(path), units, buffer, nullptr);
    });
}

PathState QueryPath(const std::u16string& path)
{
    if (::GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES) {
        return PathState::Exists;
    }
    return ::GetLastError() == ERROR_ACCESS_DENIED ? PathState::AccessDenied : PathState::Missing;
}

void FileTraits::Close(Handle handle)
{
    const LastErrorKeeper keeper;
    ::CloseHandle(ToHandle(handle));
}

File OpenFile(const std::u16string& path, FileDisposition disposition)
{
    DWORD access = GENERIC_WRITE;
    DWORD sharing = 0;
    DWORD creation = CREATE_ALWAYS;
    DWORD flags = FILE_ATTRIBUTE_NORMAL;
    switch (disposition) {
    case FileDisposition::CreateNew:
        access |= DELETE;  // so that a create that landed elsewhere can be undone
        creation = CREATE_NEW;
        break;
    case FileDisposition::CreateOrTruncate:
        creation = CREATE_ALWAYS;
        break;
    case FileDisposition::OpenOrCreateOwnName:
        return OpenOrCreateOwnName(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ);
    case FileDisposition::AppendOwnName:
        // Without FILE_WRITE_DATA every write is an append at the current end.
        return OpenOrCreateOwnName(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE);
    case FileDisposition::OpenOrCreate:
        access = GENERIC_READ | GENERIC_WRITE;
        sharing = FILE_SHARE_READ;
        creation = OPEN_ALWAYS;
        break;
    case FileDisposition::CreateNewHeld:
        // A handle without data access takes no part in sharing and so would not
        // hold the entry; appending conflicts with no writer that shares writing.
        access = FILE_APPEND_DATA;
        sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
        creation = CREATE_NEW;
        break;
    case FileDisposition::ReadShareRead:
        access = GENERIC_READ;
        sharing = FILE_SHARE_READ;
        creation = OPEN_EXISTING;
        break;
    case FileDisposition::CreateNewTemporary:
        access |= DELETE;
        creation = CREATE_NEW;
        flags = FILE_ATTRIBUTE_TEMPORARY;
        break;
    case FileDisposition::ReadExclusiveEntry:
        access = GENERIC_READ | DELETE;
        creation = OPEN_EXISTING;
        flags = FILE_FLAG_OPEN_REPARSE_POINT;
        break;
    }
    // A link is an entry of its own, not a way to its target: CREATE_NEW on a
    // dangling one would create the target, wherever it is.
    if (creation == CREATE_NEW) {
        flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    }
    return File(reinterpret_cast<std::intptr_t>(
        ::CreateFileW(Wide(path), access, sharing, nullptr, creation, flags, nullptr)));
}

bool WriteFile(const File& file, const void* data, std::size_t size, std::size_t& written)
{
    written = 0;
    if (size > MAXDWORD) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    DWORD count = 0;
    const BOOL ok = ::WriteFile(ToHandle(file.Get()), data, static_cast<DWORD>(size), &count,
                                nullptr);
    written = count;
    if (ok == FALSE) {
        return false;
    }
    // A full disk takes what fits and reports success; the caller's message needs a reason.
    if (written != size) {
        ::SetLastError(ERROR_DISK_FULL);
        return false;
    }
    return true;
}

bool SeekToEnd(const File& file)
{
    LARGE_INTEGER distance = {};
    return ::SetFilePointerEx(ToHandle(file.Get()), distance, nullptr, FILE_END) != FALSE;
}

bool ReadFile(const File& file, void* data, std::size_t size, std::size_t& read)
{
    DWORD count = 0;
    const BOOL ok = ::ReadFile(ToHandle(file.Get()), data,
                               static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD)), &count,
                               nullptr);
    read = count;
    return ok != FALSE;
}

bool IsLoneTemporaryFile(const File& file)
{
    BY_HANDLE_FILE_INFORMATION info;
    return HasOnlyThisName(file) &&
           ::GetFileInformationByHandle(ToHandle(file.Get()), &info) != FALSE &&
           (info.dwFileAttributes & (FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_DIRECTORY)) ==
               FILE_ATTRIBUTE_TEMPORARY;
}

bool DeleteFile(const std::u16string& path) { return ::DeleteFileW(Wide(path)) != FALSE; }

bool FlushFile(const File& file) { return ::FlushFileBuffers(ToHandle(file.Get())) != FALSE; }

}  // namespace platform
