// The Windows edge: where an open file really is, and removing it through its handle.
#include "platform/win32_file_edge.h"

namespace platform {
namespace {

// Tried in this order, both handles of a comparison in the same form.
constexpr PathForm kFormsInTurn[] = {PathForm::Dos, PathForm::Nt, PathForm::Opened};

// Put before a device path, makes it one CreateFileW opens.
constexpr wchar_t kDeviceRoot[] = L"\\\\?\\GLOBALROOT";

DWORD FlagsOf(PathForm form)
{
    switch (form) {
    case PathForm::Nt:
        return FILE_NAME_NORMALIZED | VOLUME_NAME_NT;
    case PathForm::Opened:
        return FILE_NAME_OPENED | VOLUME_NAME_NT;
    case PathForm::Dos:
        break;
    }
    return FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
}

// A name the file can be opened by again: its final path with the drive letter,
// else its device path.
std::wstring ReopenablePath(const File& file)
{
    const std::wstring dos = FinalPath(file);
    if (!dos.empty()) {
        return dos;
    }
    std::wstring device = FinalPath(file, PathForm::Nt);
    if (device.empty()) {
        device = FinalPath(file, PathForm::Opened);
    }
    return device.empty() ? device : kDeviceRoot + device;
}

}  // namespace

std::wstring FinalPath(const File& file, PathForm form)
{
    const DWORD flags = FlagsOf(form);
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(ToHandle(file.Get()), buffer.data(),
                                               static_cast<DWORD>(buffer.size()), flags);
    if (length >= buffer.size()) {  // the size needed
        buffer.resize(length);
        length = ::GetFinalPathNameByHandleW(ToHandle(file.Get()), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), flags);
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
    if (!directory) {
        return false;
    }
    for (const PathForm form : kFormsInTurn) {
        std::wstring expected = FinalPath(directory, form);
        const std::wstring actual = FinalPath(entry, form);
        if (expected.empty() || actual.empty()) {
            continue;
        }
        if (expected.back() != L'\\') {
            expected += L'\\';
        }
        expected += Wide(path) + nameStart;
        return ::CompareStringOrdinal(actual.c_str(), -1, expected.c_str(), -1, TRUE) ==
               CSTR_EQUAL;
    }
    return false;
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

bool GetFinalPath(const File& file, std::u16string& path, PathForm form)
{
    const std::wstring final = FinalPath(file, form);
    if (final.empty()) {
        return false;
    }
    path = FromWide(final.data(), final.size());
    return true;
}

bool GetFinalPathOfDirectory(const std::u16string& directory, std::u16string& path,
                             PathForm form)
{
    const File handle = OpenExisting(directory, FILE_READ_ATTRIBUTES, 0);
    return handle && GetFinalPath(handle, path, form);
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
    const std::wstring path = ReopenablePath(file);
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
