// The Windows edge: boxes in the session of the person at the machine.
#include "platform/win32_edge.h"
#include <wtsapi32.h>

#include <optional>
#include <vector>

#include "platform/libraries.h"
#include "platform/sessions.h"
#include "platform/session_choice.h"

namespace platform {
namespace {

// wtsapi32 is loaded only when someone must be asked, as user32 is: a run that
// asks no one never maps it.
FARPROC WtsProcedure(const char* name)
{
    static const Library wtsapi32 = LoadSystemLibrary(u"wtsapi32.dll");
    return wtsapi32 ? ::GetProcAddress(static_cast<HMODULE>(wtsapi32.Get()), name) : nullptr;
}

template <typename Function>
Function* WtsEntry(const char* name)
{
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(WtsProcedure(name)));
}

constexpr DWORD kEnumerationVersion = 1;

// The session the boxes of this run go to, once someone was asked.
std::optional<DWORD>& AskedSession()
{
    static std::optional<DWORD> session;
    return session;
}

std::optional<DWORD> SessionToAsk()
{
    auto* const enumerate = WtsEntry<decltype(::WTSEnumerateSessionsW)>("WTSEnumerateSessionsW");
    auto* const release = WtsEntry<decltype(::WTSFreeMemory)>("WTSFreeMemory");
    if (enumerate == nullptr || release == nullptr) {
        return std::nullopt;
    }
    WTS_SESSION_INFOW* list = nullptr;
    DWORD count = 0;
    if (!enumerate(WTS_CURRENT_SERVER_HANDLE, 0, kEnumerationVersion, &list, &count)) {
        return std::nullopt;
    }
    std::vector<SessionState> sessions;
    for (DWORD i = 0; i < count; ++i) {
        sessions.push_back({list[i].SessionId, list[i].State == WTSActive});
    }
    release(list);
    // The console session exists with no one signed in (the sign-in screen), so
    // its state is taken from the list, as every other session's is.
    return ChooseSessionToAsk(::WTSGetActiveConsoleSessionId(), sessions);
}

// WTSSendMessageW's answer, or 0 when the call failed.
int Send(DWORD session, const std::u16string& text, const std::u16string& title,
         std::uint32_t flags, DWORD timeoutSeconds, BOOL wait)
{
    auto* const send = WtsEntry<decltype(::WTSSendMessageW)>("WTSSendMessageW");
    if (send == nullptr) {
        return 0;
    }
    // Both texts are only read, whatever the declaration says; their lengths are
    // in bytes, without the terminator.
    DWORD response = 0;
    const BOOL sent = send(WTS_CURRENT_SERVER_HANDLE, session, const_cast<LPWSTR>(Wide(title)),
                           static_cast<DWORD>(title.size() * sizeof(char16_t)),
                           const_cast<LPWSTR>(Wide(text)),
                           static_cast<DWORD>(text.size() * sizeof(char16_t)), flags,
                           timeoutSeconds, &response, wait);
    return sent ? static_cast<int>(response) : 0;
}

}  // namespace

int AskSessionUser(const std::u16string& text, const std::u16string& title, std::uint32_t flags,
                   std::uint32_t timeoutSeconds)
{
    // A timeout of 0 would have the call wait for ever.
    if (timeoutSeconds == 0) {
        return kAnswerTimedOut;
    }
    const std::optional<DWORD> session = SessionToAsk();
    if (!session) {
        return 0;
    }
    const int answer = Send(*session, text, title, flags, timeoutSeconds, TRUE);
    if (answer != 0) {
        AskedSession() = *session;
    }
    return answer;
}

bool TellSessionUser(const std::u16string& text, const std::u16string& title, std::uint32_t flags)
{
    const std::optional<DWORD> session = AskedSession();
    // Not waiting, the call answers IDASYNC at once; the timeout only closes the box
    // unanswered, and none is given, so it stays until read.
    return session && Send(*session, text, title, flags, 0, FALSE) != 0;
}

}  // namespace platform
