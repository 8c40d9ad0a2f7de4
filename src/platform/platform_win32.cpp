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

struct LibraryTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle module) { ::FreeLibrary(module); }
};

// user32 is loaded only when a box is shown: runs that show none (/e) stay
// small, since loading it costs about 5 MiB of resident memory under Wine.
decltype(::MessageBoxW)* MessageBoxEntry()
{
    static const UniqueHandle<LibraryTraits> user32(::LoadLibraryW(L"user32.dll"));
    FARPROC address = user32 ? ::GetProcAddress(user32.Get(), "MessageBoxW") : nullptr;
    return reinterpret_cast<decltype(::MessageBoxW)*>(reinterpret_cast<void*>(address));
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
    switch (disposition) {
    case FileDisposition::CreateNew:
        creation = CREATE_NEW;
        break;
    case FileDisposition::CreateOrTruncate:
        creation = CREATE_ALWAYS;
        break;
    case FileDisposition::OpenOrCreate:
        access = GENERIC_READ | GENERIC_WRITE;
        sharing = FILE_SHARE_READ;
        creation = OPEN_ALWAYS;
        break;
    case FileDisposition::ReadShareRead:
        access = GENERIC_READ;
        sharing = FILE_SHARE_READ;
        creation = OPEN_EXISTING;
        break;
    }
    HANDLE handle = ::CreateFileW(Wide(path), access, sharing, nullptr, creation,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return File();
    }
    return File(reinterpret_cast<std::intptr_t>(handle));
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
    return ok != FALSE && written == size;
}

bool SeekToEnd(const File& file)
{
    return ::SetFilePointer(ToHandle(file.Get()), 0, nullptr, FILE_END) !=
               INVALID_SET_FILE_POINTER ||
           ::GetLastError() == NO_ERROR;
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

}  // namespace platform
