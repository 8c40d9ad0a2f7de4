// The Windows edge: environment, temporary directory, thread state, command line, libraries.
#include "platform/win32_edge.h"

#include "platform/platform.h"

namespace platform {
namespace {

std::wstring SystemDirectory()
{
    const UINT size = ::GetSystemDirectoryW(nullptr, 0);
    std::wstring buffer(size, L'\0');
    const UINT length = size != 0 ? ::GetSystemDirectoryW(buffer.data(), size) : 0;
    return length != 0 && length < size ? buffer.substr(0, length) : std::wstring();
}

}  // namespace

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

std::uint32_t GetThreadLocale() { return ::GetThreadLocale(); }
void SetThreadLocale(std::uint32_t locale) { ::SetThreadLocale(locale); }
std::uint16_t GetUserDefaultUILanguage() { return ::GetUserDefaultUILanguage(); }
std::uint32_t GetLastError() { return ::GetLastError(); }
void SetLastError(std::uint32_t error) { ::SetLastError(error); }

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
