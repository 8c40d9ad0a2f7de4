// The Windows edge: paths and files.
#include "platform/win32_edge.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/platform.h"

namespace platform {
namespace {

// The full name the file behind the handle is known by; empty when unknown.
std::wstring FinalPath(const File& file)
{
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(ToHandle(file.Get()), buffer.data(),
                                               static_cast<DWORD>(buffer.size()), 0);
    if (length >= buffer.size()) {  // the size needed
        buffer.resize(length);
        length = ::GetFinalPathNameByHandleW(ToHandle(file.Get()), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), 0);
    }
    buffer.resize(length < buffer.size() ? length : 0);
    return buffer;
}

File OpenExisting(const std::u16string& path, DWORD access, DWORD flags)
{
    return File(reinterpret_cast<std::intptr_t>(
        ::CreateFileW(Wide(path), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr)));
}

// Whether the handle is the entry at path, not a file it leads to: where links
// are not reparse points (Wine), a link opens as its target, found elsewhere.
bool IsEntryAt(const File& entry, const std::u16string& path)
{
    const std::size_t nameStart = path.find_last_of(u"\\/") + 1;
    const File directory =
        OpenExisting(nameStart == 0 ? u"." : path.substr(0, nameStart), FILE_READ_ATTRIBUTES, 0);
    std::wstring expected = directory ? FinalPath(directory) : std::wstring();
    if (expected.empty()) {
        return false;
    }
    if (expected.back() != L'\\') {
        expected += L'\\';
    }
    expected += Wide(path) + nameStart;
    return ::CompareStringOrdinal(FinalPath(entry).c_str(), -1, expected.c_str(), -1, TRUE) ==
           CSTR_EQUAL;
}

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
File OpenOrCreateOwnName(const std::u16string& path)
{
    constexpr DWORD kAccess = GENERIC_READ | GENERIC_WRITE;
    constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    for (int tries = 0; tries < kOwnNameTries; ++tries) {
        File file(reinterpret_cast<std::intptr_t>(::CreateFileW(
            Wide(path), kAccess, FILE_SHARE_READ, nullptr, OPEN_EXISTING, kFlags, nullptr)));
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
            Wide(path), kAccess, FILE_SHARE_READ, nullptr, CREATE_NEW, kFlags, nullptr)));
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

bool FileId(const File& file, BY_HANDLE_FILE_INFORMATION& info)
{
    return ::GetFileInformationByHandle(ToHandle(file.Get()), &info) != FALSE;
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& x, const BY_HANDLE_FILE_INFORMATION& y)
{
    return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

bool Dispose(const File& file)
{
    FILE_DISPOSITION_INFO disposition{TRUE};
    return ::SetFileInformationByHandle(ToHandle(file.Get()), FileDispositionInfo, &disposition,
                                        sizeof disposition) != FALSE;
}

// Whether the entry at path, opened without following it, is a link, or leads
// elsewhere where links are not reparse points (Wine).
bool IsLink(const File& entry, const std::u16string& path)
{
    BY_HANDLE_FILE_INFORMATION info;
    return !IsEntryAt(entry, path) ||
           ::GetFileInformationByHandle(ToHandle(entry.Get()), &info) == FALSE ||
           (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// FileDispositionInfoEx and its flags, as documented; older headers lack them.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDispositionDelete = 0x1;
constexpr DWORD kDispositionPosixSemantics = 0x2;
constexpr DWORD kDispositionIgnoreReadOnly = 0x10;
struct DispositionInfoEx {
    DWORD flags;
};

bool SetDeleteDisposition(const File& entry, bool posix)
{
    if (posix) {
        DispositionInfoEx info{kDispositionDelete | kDispositionPosixSemantics |
                               kDispositionIgnoreReadOnly};
        return ::SetFileInformationByHandle(ToHandle(entry.Get()), kFileDispositionInfoEx, &info,
                                            sizeof info) != FALSE;
    }
    return Dispose(entry);
}

// Renames the entry behind the handle, never replacing another.
bool RenameEntry(const File& entry, const std::u16string& newPath)
{
    const std::size_t nameBytes = newPath.size() * sizeof(wchar_t);
    std::vector<std::byte> buffer(offsetof(FILE_RENAME_INFO, FileName) + nameBytes +
                                  sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(info->FileName, Wide(newPath), nameBytes);
    return ::SetFileInformationByHandle(ToHandle(entry.Get()), FileRenameInfo, info,
                                        static_cast<DWORD>(buffer.size())) != FALSE;
}

}  // namespace

std::uint32_t GetFullPathName(const std::u16string& path, std::uint32_t bufferUnits,
                              std::u16string& fullPath)
{
    std::wstring buffer(bufferUnits, L'\0');
    const DWORD length = ::GetFullPathNameW(Wide(path), bufferUnits, buffer.data(), nullptr);
    if (length != 0 && length < bufferUnits) {
        fullPath = FromWide(buffer.data(), length);
    }
    return length;
}

PathState QueryPath(const std::u16string& path)
{
    if (::GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES) {
        return PathState::Exists;
    }
    return ::GetLastError() == ERROR_ACCESS_DENIED ? PathState::AccessDenied : PathState::Missing;
}

void FileTraits::Close(Handle handle) { ::CloseHandle(ToHandle(handle)); }

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
        return OpenOrCreateOwnName(path);
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

bool DeleteFile(const std::u16string& path) { return ::DeleteFileW(Wide(path)) != FALSE; }

bool RemoveEntry(const std::u16string& path, const std::u16string& aside)
{
    const File entry = OpenExisting(path, DELETE, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!entry) {
        return false;
    }
    if (!IsEntryAt(entry, path)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (SetDeleteDisposition(entry, true)) {
        return true;
    }
    // Before Windows 10 1809, on FAT volumes and under Wine a deleted name stays
    // taken while a reader holds the file: it is moved out of the way first.
    const bool renamed = !aside.empty() && RenameEntry(entry, aside);
    if (SetDeleteDisposition(entry, false)) {
        return true;
    }
    if (renamed) {  // not removable after all: the file goes back to its name
        const DWORD error = ::GetLastError();
        RenameEntry(entry, path);
        ::SetLastError(error);
    }
    return false;
}

bool FlushFile(const File& file) { return ::FlushFileBuffers(ToHandle(file.Get())) != FALSE; }

bool MoveFileReplacing(const std::u16string& from, const std::u16string& to)
{
    constexpr DWORD kFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    return ::MoveFileExW(Wide(from), Wide(to), kFlags) != FALSE;
}

bool ReplaceFile(const std::u16string& to, const std::u16string& from,
                 const std::u16string& backup)
{
    {
        const File target = OpenExisting(to, FILE_READ_ATTRIBUTES, FILE_FLAG_OPEN_REPARSE_POINT);
        if (!target) {
            return false;
        }
        // ReplaceFileW would move what a link leads to, from wherever it is, to backup.
        if (IsLink(target, to)) {
            ::SetLastError(ERROR_FILE_NOT_FOUND);
            return false;
        }
    }
    return ::ReplaceFileW(Wide(to), Wide(from), Wide(backup), 0, nullptr, nullptr) != FALSE;
}

bool GetFinalPath(const File& file, std::u16string& path)
{
    const std::wstring final = FinalPath(file);
    if (final.empty()) {
        return false;
    }
    path = FromWide(final.data(), final.size());
    return true;
}

bool GetFinalPathOfDirectory(const std::u16string& directory, std::u16string& path)
{
    const File handle = OpenExisting(directory, FILE_READ_ATTRIBUTES, 0);
    return handle && GetFinalPath(handle, path);
}

bool DeleteThroughHandle(File& file)
{
    if (Dispose(file)) {
        file.Reset();
        return true;
    }
    // A handle without delete access, held so that others could still open the
    // file: closed, the file is found again by its final name and removed only if
    // that name still leads to the same file.
    const std::wstring path = FinalPath(file);
    BY_HANDLE_FILE_INFORMATION ours;
    const bool known = !path.empty() && FileId(file, ours);
    file.Reset();
    if (!known) {
        return false;
    }
    const File again =
        OpenExisting(FromWide(path.data(), path.size()), DELETE, FILE_FLAG_OPEN_REPARSE_POINT);
    BY_HANDLE_FILE_INFORMATION found;
    if (!again || !FileId(again, found) || !SameFile(ours, found)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return Dispose(again);
}

}  // namespace platform
