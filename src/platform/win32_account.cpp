// The Windows edge: the account the process runs as.
#include "platform/win32_edge.h"

#include <sddl.h>

#include "common/unique_handle.h"
#include "platform/account.h"

namespace platform {
namespace {

struct TokenTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle token) { ::CloseHandle(token); }
};

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

}  // namespace

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

}  // namespace platform
