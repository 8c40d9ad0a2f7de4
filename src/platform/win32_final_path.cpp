// The Windows edge: where an open file really is, and removing it through its handle.
#include "platform/win32_file_edge.h"

namespace platform {

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

bool GetFileIdentity(const File& file, FileIdentity& identity)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!FileId(file, info)) {
        return false;
    }
    identity.volume = info.dwVolumeSerialNumber;
    identity.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool GetShortPathName(const std::u16string& path, std::u16string& shortPath)
{
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length =
        ::GetShortPathNameW(Wide(path), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length >= buffer.size()) {  // the size needed
        buffer.resize(length);
        length = ::GetShortPathNameW(Wide(path), buffer.data(), static_cast<DWORD>(buffer.size()));
    }
    if (length == 0 || length >= buffer.size()) {
        return false;
    }
    shortPath = FromWide(buffer.data(), length);
    return true;
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
