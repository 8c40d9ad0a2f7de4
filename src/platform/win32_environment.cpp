// The Windows edge: environment, temporary directory, command line.
#include "platform/win32_edge.h"

#include "platform/environment.h"
#include "platform/libraries.h"

namespace platform {

// advapi32 is loaded only when asked, as user32 is: /e to a path never needs it, and
// importing it costs every run about 1 MiB of resident memory under Wine.
FARPROC Advapi32Procedure(const char* name)
{
    static const Library advapi32 = LoadSystemLibrary(u"advapi32.dll");
    return advapi32 ? ::GetProcAddress(static_cast<HMODULE>(advapi32.Get()), name) : nullptr;
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

bool GetTempPath(std::u16string& path)
{
    // For LocalSystem the folder only it can write, never the TMP a user may have set.
    using TempPath2 = DWORD(WINAPI*)(DWORD, LPWSTR);
    static const auto tempPath2 = Kernel32Function<TempPath2>("GetTempPath2W");
    return ReadPath(path, [](DWORD units, wchar_t* buffer) {
        return tempPath2 != nullptr ? tempPath2(units, buffer) : ::GetTempPathW(units, buffer);
    });
}

std::u16string CommandLine() { return FromWide(::GetCommandLineW()); }

}  // namespace platform
