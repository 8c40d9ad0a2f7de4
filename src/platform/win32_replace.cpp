// The Windows edge: removing, moving and replacing entries.
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/replace.h"
#include "platform/win32_file_edge.h"

namespace platform {
namespace {

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

bool MoveFileNew(const std::u16string& from, const std::u16string& to)
{
    return ::MoveFileExW(Wide(from), Wide(to), MOVEFILE_WRITE_THROUGH) != FALSE;
}

EntryKind QueryEntry(const std::u16string& path)
{
    const File entry = OpenExisting(path, FILE_READ_ATTRIBUTES, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!entry) {
        return ::GetLastError() == ERROR_FILE_NOT_FOUND ? EntryKind::Missing : EntryKind::Refused;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!FileId(entry, info)) {
        return EntryKind::Refused;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
        ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         ::GetFileType(ToHandle(entry.Get())) == FILE_TYPE_DISK)) {
        return EntryKind::File;
    }
    ::SetLastError(ERROR_ACCESS_DENIED);  // as opening a directory or device for writing does
    return EntryKind::Refused;
}

File HoldFolder(const std::u16string& path)
{
    // Reading its entries takes part in sharing, which a handle with attribute
    // access alone does not: without delete sharing no one can rename the folder.
    // A folder one may write to but not list is still held, if not so firmly.
    File folder;
    for (const DWORD access : {FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, FILE_READ_ATTRIBUTES}) {
        folder.Reset(reinterpret_cast<std::intptr_t>(
            ::CreateFileW(Wide(path), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
        if (folder || ::GetLastError() != ERROR_ACCESS_DENIED) {
            break;
        }
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool isFolder =
        folder && FileId(folder, info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder && !isFolder) {
        folder.Reset();
        ::SetLastError(ERROR_DIRECTORY);
    }
    return folder;
}

bool LeadsToHeldFolder(const std::u16string& path, const File& folder)
{
    const File now = OpenExisting(path, FILE_READ_ATTRIBUTES, 0);
    BY_HANDLE_FILE_INFORMATION found;
    BY_HANDLE_FILE_INFORMATION held;
    return now && FileId(now, found) && FileId(folder, held) && SameFile(found, held);
}

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
        // So would a directory put there since it was looked at, with all it holds.
        BY_HANDLE_FILE_INFORMATION info;
        if (!FileId(target, info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            ::SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
    }
    return ::ReplaceFileW(Wide(to), Wide(from), Wide(backup), 0, nullptr, nullptr) != FALSE;
}

}  // namespace platform
