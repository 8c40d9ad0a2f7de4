// The operating-system boundary on Windows: the only place the core's OS calls happen.
#include <windows.h>
#include <tlhelp32.h>

// The boundary's own names would otherwise be renamed to the A/W forms.
#undef DeleteFile
#undef GetEnvironmentVariable
#undef GetFullPathName
#undef GetTempPath
#undef MessageBox

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

HMODULE g_module = nullptr;

const wchar_t* Wide(const std::u16string& text)
{
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string FromWide(const wchar_t* text, std::size_t length)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

std::u16string FromWide(const wchar_t* text) { return FromWide(text, std::wcslen(text)); }

HANDLE ToHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

ResourceResult LoadFound(HRSRC found, ResourceBytes& bytes)
{
    if (found == nullptr) {
        return ResourceResult::Missing;
    }
    const DWORD size = ::SizeofResource(g_module, found);
    if (size == 0) {
        return ResourceResult::Unloadable;
    }
    HGLOBAL loaded = ::LoadResource(g_module, found);
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return ResourceResult::Unloadable;
    }
    bytes.data = static_cast<const std::uint8_t*>(data);
    bytes.size = size;
    return ResourceResult::Found;
}

struct SnapshotTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { ::CloseHandle(handle); }
};

// user32 is loaded only when a box is shown: runs that show none (/e) stay
// small, since loading it costs about 5 MiB of resident memory under Wine.
decltype(::MessageBoxW)* MessageBoxEntry()
{
    static const Library user32 = LoadSystemLibrary(u"user32.dll");
    FARPROC address =
        user32 ? ::GetProcAddress(static_cast<HMODULE>(user32.Get()), "MessageBoxW") : nullptr;
    return reinterpret_cast<decltype(::MessageBoxW)*>(reinterpret_cast<void*>(address));
}

std::wstring SystemDirectory()
{
    const UINT size = ::GetSystemDirectoryW(nullptr, 0);
    std::wstring buffer(size, L'\0');
    const UINT length = size != 0 ? ::GetSystemDirectoryW(buffer.data(), size) : 0;
    return length != 0 && length < size ? buffer.substr(0, length) : std::wstring();
}

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

}  // namespace

void SetModuleHandle(void* module) { g_module = static_cast<HMODULE>(module); }
void* ModuleHandle() { return g_module; }

ResourceResult LoadResource(const std::u16string& type, const std::u16string& name,
                            ResourceBytes& bytes)
{
    return LoadFound(::FindResourceW(g_module, Wide(name), Wide(type)), bytes);
}

ResourceResult LoadResourceInLanguage(const std::u16string& type, const std::u16string& name,
                                      std::uint16_t language, ResourceBytes& bytes)
{
    return LoadFound(::FindResourceExW(g_module, Wide(type), Wide(name), language), bytes);
}

bool GetEnvironmentVariable(const std::u16string& name, std::u16string& value)
{
    DWORD size = ::GetEnvironmentVariableW(Wide(name), nullptr, 0);
    if (size == 0) {
        return false;
    }
    std::wstring buffer(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(Wide(name), buffer.data(), size);
    if (length == 0 || length >= size) {
        return false;
    }
    value = FromWide(buffer.data(), length);
    return true;
}

std::uint32_t GetTempPath(std::uint32_t bufferUnits, std::u16string& path)
{
    std::wstring buffer(bufferUnits, L'\0');
    const DWORD length = ::GetTempPathW(bufferUnits, buffer.data());
    if (length != 0 && length < bufferUnits) {
        path = FromWide(buffer.data(), length);
    }
    return length;
}

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
        creation = CREATE_NEW;
        break;
    case FileDisposition::CreateOrTruncate:
        creation = CREATE_ALWAYS;
        break;
    case FileDisposition::OpenOrCreate:
    case FileDisposition::OpenOrCreateOwnName:
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
    if (creation == CREATE_NEW || disposition == FileDisposition::OpenOrCreateOwnName) {
        flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    }
    File file(reinterpret_cast<std::intptr_t>(
        ::CreateFileW(Wide(path), access, sharing, nullptr, creation, flags, nullptr)));
    if (file && disposition == FileDisposition::OpenOrCreateOwnName && !HasOnlyThisName(file)) {
        file.Reset();
        ::SetLastError(ERROR_ACCESS_DENIED);
    }
    return file;
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

bool RemoveEntry(const std::u16string& path)
{
    const File entry = OpenExisting(path, DELETE, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!entry) {
        return false;
    }
    if (!IsEntryAt(entry, path)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    return ::SetFileInformationByHandle(ToHandle(entry.Get()), FileDispositionInfo, &disposition,
                                        sizeof disposition) != FALSE;
}

bool MoveFileReplacing(const std::u16string& from, const std::u16string& to)
{
    return ::MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

std::optional<std::vector<ProcessEntry>> SnapshotProcesses()
{
    UniqueHandle<SnapshotTraits> snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return std::nullopt;
    }
    std::vector<ProcessEntry> entries;
    PROCESSENTRY32W entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
         more = ::Process32NextW(snapshot.Get(), &entry)) {
        entries.push_back(ProcessEntry{entry.th32ProcessID, FromWide(entry.szExeFile)});
    }
    return entries;
}

int CompareTextIgnoringCase(const std::u16string& a, const std::u16string& b)
{
    return ::lstrcmpiW(Wide(a), Wide(b));
}

std::uint32_t GetThreadLocale() { return ::GetThreadLocale(); }
void SetThreadLocale(std::uint32_t locale) { ::SetThreadLocale(locale); }
std::uint32_t GetLastError() { return ::GetLastError(); }
void SetLastError(std::uint32_t error) { ::SetLastError(error); }

int MessageBox(const std::u16string& text, const std::u16string& title, std::uint32_t flags)
{
    static auto* const messageBox = MessageBoxEntry();
    return messageBox != nullptr ? messageBox(nullptr, Wide(text), Wide(title), flags) : 0;
}

std::u16string CommandLine() { return FromWide(::GetCommandLineW()); }

bool RestrictLibrarySearch()
{
    // Looked up, not imported: a system without it must still start the program.
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    FARPROC address =
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    const auto setDirectories = reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(address));
    return setDirectories != nullptr && setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

void LibraryTraits::Close(Handle module) { ::FreeLibrary(static_cast<HMODULE>(module)); }

Library LoadSystemLibrary(const std::u16string& name)
{
    HMODULE module = ::LoadLibraryExW(Wide(name), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const std::wstring directory = module == nullptr ? SystemDirectory() : std::wstring();
    if (!directory.empty()) {
        // Systems that reject the flag: the full path, with the library's own
        // imports looked for in its directory rather than the executable's.
        const std::wstring path = directory + L"\\" + Wide(name);
        module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    return Library(module);
}

}  // namespace platform
