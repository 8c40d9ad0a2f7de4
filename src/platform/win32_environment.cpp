// The Windows edge: environment, temporary directory, thread state, command line, libraries.
#include "platform/win32_edge.h"

#include <sddl.h>

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

struct TokenTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle token) { ::CloseHandle(token); }
};

// Looked up, not imported: a system without it must still start the program.
template <typename Function>
Function Kernel32Function(const char* name)
{
    FARPROC address = ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

}  // namespace

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

std::uint32_t GetTempPath(std::uint32_t bufferUnits, std::u16string& path)
{
    // For LocalSystem the folder only it can write, never the TMP a user may have set.
    using TempPath2 = DWORD(WINAPI*)(DWORD, LPWSTR);
    static const auto tempPath2 = Kernel32Function<TempPath2>("GetTempPath2W");
    std::wstring buffer(bufferUnits, L'\0');
    const DWORD length = tempPath2 != nullptr ? tempPath2(bufferUnits, buffer.data())
                                              : ::GetTempPathW(bufferUnits, buffer.data());
    if (length != 0 && length < bufferUnits) {
        path = FromWide(buffer.data(), length);
    }
    return length;
}

union TokenUserInfo {
    TOKEN_USER user;
    BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
};

// The process's own account as its token names it.
bool ReadTokenUser(TokenUserInfo& info)
{
    auto* const openToken = Advapi32Entry<decltype(::OpenProcessToken)>("OpenProcessToken");
    auto* const tokenInformation =
        Advapi32Entry<decltype(::GetTokenInformation)>("GetTokenInformation");
    HANDLE raw = nullptr;
    if (openToken == nullptr || tokenInformation == nullptr ||
        openToken(::GetCurrentProcess(), TOKEN_QUERY, &raw) == FALSE) {
        return false;
    }
    const UniqueHandle<TokenTraits> token(raw);
    DWORD size = 0;
    return tokenInformation(token.Get(), TokenUser, &info, sizeof info, &size) != FALSE;
}

bool IsLocalSystem()
{
    auto* const isWellKnownSid = Advapi32Entry<decltype(::IsWellKnownSid)>("IsWellKnownSid");
    TokenUserInfo info;
    return isWellKnownSid != nullptr && ReadTokenUser(info) &&
           isWellKnownSid(info.user.User.Sid, WinLocalSystemSid) != FALSE;
}

bool Account(std::u16string& name, std::u16string& sid)
{
    auto* const sidToText =
        Advapi32Entry<decltype(::ConvertSidToStringSidW)>("ConvertSidToStringSidW");
    auto* const lookup = Advapi32Entry<decltype(::LookupAccountSidW)>("LookupAccountSidW");
    TokenUserInfo info;
    LPWSTR text = nullptr;
    if (sidToText == nullptr || !ReadTokenUser(info) ||
        sidToText(info.user.User.Sid, &text) == FALSE) {
        return false;
    }
    sid = FromWide(text);
    ::LocalFree(text);
    constexpr DWORD kNameUnits = 256;
    wchar_t user[kNameUnits];
    wchar_t domain[kNameUnits];
    DWORD userUnits = kNameUnits;
    DWORD domainUnits = kNameUnits;
    SID_NAME_USE use;
    if (lookup != nullptr && lookup(nullptr, info.user.User.Sid, user, &userUnits, domain,
                                    &domainUnits, &use) != FALSE) {
        name = FromWide(domain) + u"\\" + FromWide(user);
    }
    return true;
}

std::uint32_t GetThreadLocale() { return ::GetThreadLocale(); }
void SetThreadLocale(std::uint32_t locale) { ::SetThreadLocale(locale); }
std::uint16_t GetUserDefaultUILanguage() { return ::GetUserDefaultUILanguage(); }
std::uint32_t GetLastError() { return ::GetLastError(); }
void SetLastError(std::uint32_t error) { ::SetLastError(error); }

std::u16string CommandLine() { return FromWide(::GetCommandLineW()); }

bool RestrictLibrarySearch()
{
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const auto setDirectories = Kernel32Function<SetDirectories>("SetDefaultDllDirectories");
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
